#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: keytable
short_description: Set the key table of an Orvex reader in USB keyboard mode
version_added: 1.0.0
description:
  - Writes the C(HID_KEYS) section of I(src) into a reader in USB keyboard (HID) mode with
    C(orvexctl keytable set). Only the keys that differ are written; a reader that already holds
    the table reports C(changed=false).
  - orvexctl keeps a backup of the reader's table before it writes; its path is returned.
extends_documentation_fragment:
  - orvex.readers.connection
options:
  src:
    description:
      - A C(.mkr) file on the managed host whose C(HID_KEYS) section holds the table.
      - When absent, the managed host's own keyboard layout is written.
    type: path
  allow_partial:
    description:
      - Write a C(HID_KEYS) section that holds fewer keys than the table (orvexctl refuses it otherwise).
    type: bool
    default: false
attributes:
  check_mode:
    support: full
    description: Runs C(orvexctl keytable compare); nothing is written; C(keys) is the number of keys that differ.
author:
  - Orvex ReaderSetup developers
"""

EXAMPLES = r"""
- name: The USB reader types with the site's keyboard layout
  orvex.readers.keytable:
    port: "USB: 73011234 HID"
    src: /etc/orvex/keys-us.mkr
"""

RETURN = r"""
keys:
  description: The number of keys written (in check mode, the number that differ).
  returned: success
  type: int
  sample: 31
differences:
  description: In check mode, the keys that differ as orvexctl names them.
  returned: check mode
  type: list
  elements: str
backup:
  description: The backup of the reader's table taken before the first write, when orvexctl made one.
  returned: success
  type: str
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvex.readers.plugins.module_utils.orvexctl import (
    CONNECTION_ARGS, EXIT_FAILED, EXIT_OK, Orvexctl)


def main():
    argument_spec = dict(CONNECTION_ARGS)
    argument_spec.update(src=dict(type='path'), allow_partial=dict(type='bool', default=False))
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    orvexctl = Orvexctl(module)
    src = [module.params['src']] if module.params['src'] else []

    if module.check_mode:
        # compare exits 1 both for "differs" and for a failure; the document tells which.
        rc, result = orvexctl.run(['keytable', 'compare'] + src, accept=(EXIT_OK, EXIT_FAILED))
        if 'differences' not in result:
            orvexctl.fail(rc, result)
        keys = int(result['differences'])
        module.exit_json(changed=keys > 0, keys=keys, differences=result.get('details') or [], backup=None)

    options = ['--allow-partial'] if module.params['allow_partial'] else []
    rc, result = orvexctl.run(['keytable', 'set'] + options + src, accept=(EXIT_OK, EXIT_FAILED))
    keys = int(result.get('changed') or 0)
    if rc != EXIT_OK or not result.get('ok'):
        # Keys written before a failure did change the reader.
        orvexctl.fail(rc, result, changed=keys > 0, keys=keys, backup=result.get('backup'))
    module.exit_json(changed=keys > 0, keys=keys, backup=result.get('backup'))


if __name__ == '__main__':
    main()
