#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: reader_info
short_description: Identify an Orvex RFID reader
version_added: 1.0.0
description:
  - Connects to the reader with C(orvexctl identify) and returns its model, type code, firmware
    version and capability flags. Nothing is written to the reader.
extends_documentation_fragment:
  - orvex.readers.connection
attributes:
  check_mode:
    support: full
    description: The module only reads; it runs the same in check mode.
author:
  - Orvex ReaderSetup developers
"""

EXAMPLES = r"""
- name: Identify the reader on the first USB serial port
  orvex.readers.reader_info:
    port: /dev/ttyUSB0
  register: info

- name: Show its model
  ansible.builtin.debug:
    msg: "{{ info.reader.model }} firmware {{ info.reader.version_answer }}"
"""

RETURN = r"""
reader:
  description: What the reader told about itself.
  returned: success
  type: dict
  contains:
    model:
      description: Model name.
      type: str
      sample: Alder-4
    type_code:
      description: Type code, three hexadecimal digits.
      type: str
      sample: "124"
    version:
      description: Firmware version digit.
      type: int
      sample: 5
    version_answer:
      description: The reader's four-character version answer.
      type: str
      sample: "1245"
    capabilities:
      description: Capability flags as a number.
      type: int
      sample: 17
    title:
      description: The title line the desktop program shows for this reader.
      type: str
    port:
      description: The port the reader was found at.
      type: str
      sample: /dev/ttyUSB0
"""

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvex.readers.plugins.module_utils.orvexctl import CONNECTION_ARGS, Orvexctl


def main():
    module = AnsibleModule(argument_spec=dict(CONNECTION_ARGS), supports_check_mode=True)
    _rc, identity = Orvexctl(module).run(['identify'])
    reader = dict(
        model=identity.get('model'),
        type_code=identity.get('type_code'),
        version=identity.get('version_digit'),
        version_answer=identity.get('version_answer'),
        capabilities=identity.get('capabilities'),
        title=identity.get('title'),
        port=identity.get('port'),
    )
    module.exit_json(changed=False, reader=reader)


if __name__ == '__main__':
    main()
