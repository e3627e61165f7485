#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: reader_config
short_description: Program a configuration file into an Orvex RFID reader
version_added: 1.0.0
description:
  - Programs a C(.mkr) (character readers) or C(.mkp) (keyboard-wedge readers) configuration file
    into the reader with C(orvexctl program).
  - The reader is read first; a reader that already holds the file gets no write and the task
    reports C(changed=false). Otherwise the reader's configuration is saved as a backup, the file is
    written and read back part by part.
  - A file with a value outside its range, of the other reader kind, or made for another model
    fails the task before anything is written.
extends_documentation_fragment:
  - orvex.readers.connection
  - orvex.readers.programming
attributes:
  check_mode:
    support: full
    description: Runs C(orvexctl program --check); nothing is written; C(changed) tells whether parts would change.
  diff_mode:
    support: full
    description: C(before) is the reader's current configuration report, C(after) the report of I(src).
author:
  - Orvex ReaderSetup developers
"""

EXAMPLES = r"""
- name: Every reader of the till holds the shop's configuration
  orvex.readers.reader_config:
    port: /dev/ttyUSB0
    src: /etc/orvex/shop.mkr

- name: Only look what would change
  orvex.readers.reader_config:
    src: /etc/orvex/shop.mkr
  check_mode: true
  diff: true
"""

RETURN = r"""
outcome:
  description: How the run ended, as orvexctl reports it (C(done), C(unchanged), C(would_change), ...).
  returned: always
  type: str
  sample: done
parts:
  description: The parts of the configuration that differ (and were written, unless in check mode).
  returned: always
  type: list
  elements: str
  sample: [data, parameters]
written:
  description: The blocks written, in the order they were written.
  returned: success
  type: list
  elements: str
written_before_failure:
  description: The parts a failed run had already written.
  returned: failure
  type: list
  elements: str
backup:
  description: The backup of the reader's configuration taken before the first write; C(null) when nothing was written.
  returned: always
  type: str
  sample: /root/.local/state/orvex-readersetup/backups/Alder-4_dev-ttyUSB0_20261211T093714Z.mkr
messages:
  description: The messages orvexctl showed.
  returned: always
  type: list
  elements: str
msg:
  description: A one-line summary.
  returned: always
  type: str
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvex.readers.plugins.module_utils.orvexctl import (
    CONNECTION_ARGS, EXIT_FAILED, EXIT_OK, EXIT_REFUSED, EXIT_WOULD_CHANGE, PROGRAMMING_ARGS, Orvexctl,
    program_command)
from ansible_collections.orvex.readers.plugins.module_utils.reports import configuration_diff


def summary(outcome, parts):
    if outcome == 'unchanged':
        return 'the reader already holds the configuration'
    verb = 'would change' if outcome == 'would_change' else 'programmed'
    return '%s: %s' % (verb, ', '.join(parts)) if parts else verb


def main():
    argument_spec = dict(CONNECTION_ARGS, **PROGRAMMING_ARGS)
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    orvexctl = Orvexctl(module)
    src = module.params['src']

    diff = configuration_diff(orvexctl, src) if module._diff else None

    command = program_command(module.params, module.check_mode) + [src]
    if module.check_mode:
        rc, result = orvexctl.run(command, accept=(EXIT_OK, EXIT_WOULD_CHANGE))
    else:
        rc, result = orvexctl.run(command, accept=(EXIT_OK, EXIT_FAILED, EXIT_REFUSED))
        if rc != EXIT_OK:
            written = result.get('written_before_failure') or []
            orvexctl.fail(rc, result, changed=bool(written), outcome=result.get('outcome'),
                          parts=result.get('differing') or [], written_before_failure=written,
                          backup=result.get('backup'), messages=result.get('messages') or [])

    changed = bool(result.get('changed'))
    outcome = result.get('outcome') or ('would_change' if rc == EXIT_WOULD_CHANGE else 'unchanged')
    parts = result.get('differing') or []
    output = dict(
        changed=changed,
        outcome=outcome,
        parts=parts,
        written=[write.get('what') for write in result.get('writes') or [] if write.get('ok')],
        backup=result.get('backup'),
        messages=result.get('messages') or [],
        msg=summary(outcome, parts),
    )
    if diff is not None and changed:
        output['diff'] = diff
    module.exit_json(**output)


if __name__ == '__main__':
    main()
