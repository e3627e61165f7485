# -*- coding: utf-8 -*-
# The options every module of the collection shares: where orvexctl is and
# which reader it talks to.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r"""
options:
  port:
    description:
      - "Port of the reader as orvexctl's C(--port) takes it, with its kind prefix
        (for example C(/dev/ttyUSB0), C(USB: 6401-1234 HID), C(LAN: 192.168.1.30-10001))."
      - When absent, the interface stored on the managed host (C(orvexctl use)) is used.
    type: str
  baud:
    description:
      - Baud rate; its last two digits select the framing (as orvexctl's C(--baud)).
      - When absent, the stored interface's rate is used.
    type: int
  address:
    description:
      - Device (bus) address of the reader, 1-255.
    type: int
  timeout:
    description:
      - Answer timeout in milliseconds, 10-300000.
    type: int
  orvexctl:
    description:
      - Path of the orvexctl program on the managed host.
      - When absent, C(orvexctl) is looked up in C(PATH).
    type: path
notes:
  - The modules run orvexctl with C(--json) on the managed host and read only its JSON output.
  - orvexctl keeps programming backups under C($XDG_STATE_HOME/orvex-readersetup/backups) of the
    user the task runs as.
requirements:
  - orvexctl (Debian package C(orvexctl)) on the managed host
"""
