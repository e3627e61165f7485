# -*- coding: utf-8 -*-
# Runs orvexctl for the collection's modules: builds its command line from the
# shared connection options, always with --json, and reads only the JSON
# document it prints (never its text).
from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os

# orvexctl's exit codes.
EXIT_OK = 0
EXIT_FAILED = 1
EXIT_REFUSED = 2
EXIT_WOULD_CHANGE = 3

CONNECTION_ARGS = dict(
    port=dict(type='str'),
    baud=dict(type='int'),
    address=dict(type='int'),
    timeout=dict(type='int'),
    orvexctl=dict(type='path'),
)

# The options of the modules that program a file (doc fragment "programming").
PROGRAMMING_ARGS = dict(
    src=dict(type='path', required=True),
    backup=dict(type='bool', default=True),
    verify=dict(type='bool', default=True),
    power_on_reader_mode=dict(type='bool', default=False),
)


def program_command(params, check_mode):
    """orvexctl's words for `program` with PARAMS' safeguards (the file not included)."""
    words = ['--yes' if params['power_on_reader_mode'] else '--no', 'program']
    if check_mode:
        words.append('--check')
    if not params['backup']:
        words.append('--no-backup')
    if not params['verify']:
        words.append('--no-verify')
    return words


# Connection option -> orvexctl's global option.
_GLOBAL_OPTIONS = (('port', '--port'), ('baud', '--baud'), ('address', '--address'), ('timeout', '--timeout'))


def first_json_document(text):
    """The first JSON document in TEXT, or None when it does not start with one."""
    text = (text or '').lstrip()
    if not text:
        return None
    try:
        document, _end = json.JSONDecoder().raw_decode(text)
    except ValueError:
        return None
    return document


class Orvexctl(object):
    """orvexctl on the managed host, bound to one module's connection options."""

    def __init__(self, module):
        self.module = module
        program = module.params.get('orvexctl')
        if program:
            if not (os.path.isfile(program) and os.access(program, os.X_OK)):
                module.fail_json(msg='orvexctl not found or not executable: %s' % program, rc=None)
        else:
            program = module.get_bin_path('orvexctl')
            if not program:
                module.fail_json(
                    msg='orvexctl was not found in PATH; install the orvexctl package or set the option orvexctl',
                    rc=None)
        self.stderr = ''
        self.command = [program, '--json']
        for option, flag in _GLOBAL_OPTIONS:
            value = module.params.get(option)
            if value is not None:
                self.command += [flag, str(value)]

    def run(self, args, accept=(EXIT_OK,)):
        """Runs orvexctl with ARGS; returns (rc, document). Any exit code outside
        ACCEPT fails the task with orvexctl's error text and its code."""
        rc, out, err = self.module.run_command(self.command + list(args))
        self.stderr = err
        document = first_json_document(out)
        if rc not in accept:
            self.fail(rc, document)
        if document is None:
            self.fail(rc, None, msg='orvexctl printed no JSON document' if rc == EXIT_OK else None, stdout=out)
        return rc, document

    def fail(self, rc, document, msg=None, **extra):
        """Fails the task with orvexctl's reason (or MSG), its exit code and document."""
        if msg is None:
            msg = error_text(document, self.stderr, rc)
        self.module.fail_json(msg=msg, rc=rc, stderr=self.stderr, orvexctl=document, **extra)


def error_text(document, stderr, rc):
    """The reason orvexctl gave: its JSON error, else its last message, else stderr."""
    if isinstance(document, dict):
        if document.get('error'):
            return document['error']
        messages = document.get('messages') or []
        if messages:
            return messages[-1]
        if document.get('outcome'):
            return 'orvexctl: %s' % document['outcome']
    lines = [line for line in (stderr or '').splitlines() if line.strip()]
    if lines:
        return lines[0]
    return 'orvexctl failed with exit code %d' % rc
