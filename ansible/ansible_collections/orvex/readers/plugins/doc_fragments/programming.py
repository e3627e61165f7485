# -*- coding: utf-8 -*-
# The options of the modules that program configuration files: orvexctl's
# safeguards and the answer to its one question.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  src:
    description:
      - The configuration file (C(.mkr) or C(.mkp)) on the managed host.
    type: path
    required: true
  backup:
    description:
      - Save the reader's configuration as a backup file before its first write
        (orvexctl refuses to write when it cannot). The path is returned.
    type: bool
    default: true
  verify:
    description:
      - Read the configuration back after the last write and compare it with the file.
    type: bool
    default: true
  power_on_reader_mode:
    description:
      - The answer to the question whether a reader left in programming mode is switched back to
        reader mode at power-on.
    type: bool
    default: false
"""
