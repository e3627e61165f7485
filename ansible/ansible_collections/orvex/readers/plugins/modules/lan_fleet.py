#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: lan_fleet
short_description: Program every Orvex LAN reader on the managed host's network
version_added: 1.0.0
description:
  - Searches the managed host's LAN for the maker's readers and programs I(src) into each of them
    in parallel with C(orvexctl program --each-lan), each with the safeguards of
    M(orvex.readers.reader_config) (backup, no write when unchanged, read-back).
  - A reader of another model than the file's is skipped. The task fails when any reader fails,
    naming them.
extends_documentation_fragment:
  - orvex.readers.connection
  - orvex.readers.programming
options:
  only:
    description:
      - Work only on these readers (addresses as orvexctl lists them, for example C(192.168.1.31)).
    type: list
    elements: str
  jobs:
    description:
      - At most this many readers at once (orvexctl's default is one job per reader, at most 32).
    type: int
attributes:
  check_mode:
    support: full
    description: Runs C(orvexctl program --check --each-lan); nothing is written.
author:
  - Orvex ReaderSetup developers
"""

EXAMPLES = r"""
- name: Every LAN reader of the site holds site.mkr
  orvex.readers.lan_fleet:
    src: /etc/orvex/site.mkr
    jobs: 8
"""

RETURN = r"""
readers:
  description: One entry per reader, as orvexctl reports it.
  returned: always
  type: list
  elements: dict
  contains:
    address:
      description: The reader's address and TCP port.
      type: str
      sample: 192.168.1.30-10001
    model:
      description: The reader's model.
      type: str
    result:
      description: C(done), C(unchanged), C(would_change), C(skipped), C(failed), ...
      type: str
    changed:
      description: Whether parts of this reader changed (or would change).
      type: bool
    differing:
      description: The parts that differ.
      type: list
      elements: str
    backup:
      description: This reader's backup, when one was taken.
      type: str
    error:
      description: Why this reader failed.
      type: str
failed_readers:
  description: The addresses of the readers that failed.
  returned: failure
  type: list
  elements: str
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvex.readers.plugins.module_utils.orvexctl import (
    CONNECTION_ARGS, EXIT_FAILED, EXIT_OK, EXIT_WOULD_CHANGE, PROGRAMMING_ARGS, Orvexctl, program_command)

# Results that count as success (orvexctl's own rule).
SUCCEEDED = ('done', 'unchanged', 'would_change', 'skipped')


def main():
    argument_spec = dict(CONNECTION_ARGS, **PROGRAMMING_ARGS)
    argument_spec.update(only=dict(type='list', elements='str'), jobs=dict(type='int'))
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    orvexctl = Orvexctl(module)
    params = module.params

    args = program_command(params, module.check_mode) + ['--each-lan']
    if params['only']:
        args += ['--only', ','.join(params['only'])]
    if params['jobs'] is not None:
        args += ['--jobs', str(params['jobs'])]
    rc, readers = orvexctl.run(args + [params['src']], accept=(EXIT_OK, EXIT_WOULD_CHANGE, EXIT_FAILED))
    if not isinstance(readers, list):
        orvexctl.fail(rc, readers)

    changed = any(reader.get('changed') for reader in readers)
    failed = [reader.get('address') for reader in readers if reader.get('result') not in SUCCEEDED]
    if rc == EXIT_FAILED or failed:
        reasons = ['%s: %s' % (r.get('address'), r.get('error') or r.get('result')) for r in readers
                   if r.get('address') in failed]
        orvexctl.fail(rc, readers, msg='failed: ' + '; '.join(reasons) if reasons else None,
                      changed=changed and not module.check_mode, readers=readers, failed_readers=failed)
    module.exit_json(changed=changed, readers=readers,
                     msg='%d of %d readers succeeded' % (len(readers) - len(failed), len(readers)))


if __name__ == '__main__':
    main()
