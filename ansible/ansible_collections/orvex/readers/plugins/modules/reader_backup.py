#!/usr/bin/python
# -*- coding: utf-8 -*-
from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r"""
module: reader_backup
short_description: Save an Orvex RFID reader's configuration to a file
version_added: 1.0.0
description:
  - Reads the reader's whole configuration with C(orvexctl read-config) and saves it in I(dest)
    (C(.mkr) for character readers, C(.mkp) for keyboard-wedge readers).
  - A read that is not complete fails the task and leaves I(dest) as it was.
  - Sections of I(dest) that orvexctl does not write are kept.
extends_documentation_fragment:
  - orvex.readers.connection
options:
  dest:
    description:
      - The file on the managed host. Its folder must exist.
    type: path
    required: true
attributes:
  check_mode:
    support: full
    description: The reader is read and compared with I(dest); I(dest) is not written.
author:
  - Orvex ReaderSetup developers
"""

EXAMPLES = r"""
- name: Keep what the reader holds before anything is programmed
  orvex.readers.reader_backup:
    port: /dev/ttyUSB0
    dest: /var/backups/orvex/till1.mkr
"""

RETURN = r"""
dest:
  description: The file written.
  returned: success
  type: str
  sample: /var/backups/orvex/till1.mkr
model:
  description: The reader's model, as noted in the file.
  returned: success
  type: str
  sample: Alder-4
"""

import os
import shutil
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.orvex.readers.plugins.module_utils.orvexctl import CONNECTION_ARGS, Orvexctl


def content_of(path):
    """The file's bytes, or None when there is no file."""
    try:
        with open(path, 'rb') as f:
            return f.read()
    except (IOError, OSError):
        return None


def read_into(orvexctl, path):
    _rc, result = orvexctl.run(['read-config', path])
    return result


def main():
    argument_spec = dict(CONNECTION_ARGS)
    argument_spec.update(dest=dict(type='path', required=True))
    module = AnsibleModule(argument_spec=argument_spec, supports_check_mode=True)
    orvexctl = Orvexctl(module)
    dest = module.params['dest']
    before = content_of(dest)

    if module.check_mode:
        # Read into a copy of DEST (same name, so the same kind and the same
        # foreign sections) and compare; DEST itself is not touched.
        scratch = tempfile.mkdtemp(prefix='orvex-backup-')
        try:
            copy = os.path.join(scratch, os.path.basename(dest))
            if before is not None:
                shutil.copyfile(dest, copy)
            result = read_into(orvexctl, copy)
            after = content_of(copy)
        finally:
            shutil.rmtree(scratch, ignore_errors=True)
    else:
        result = read_into(orvexctl, dest)
        after = content_of(dest)

    module.exit_json(changed=after != before, dest=dest, model=result.get('model'))


if __name__ == '__main__':
    main()
