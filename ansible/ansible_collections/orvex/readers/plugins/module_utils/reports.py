# -*- coding: utf-8 -*-
# The before/after texts of diff mode: the read-content report of what the
# reader holds and of what a configuration file would put there.
from __future__ import absolute_import, division, print_function

__metaclass__ = type


def _lines(report):
    # The report keeps the files' CR LF line ends; a diff wants plain lines.
    return '\n'.join(line.rstrip() for line in (report or '').replace('\r\n', '\n').split('\n')) + '\n'


def configuration_diff(orvexctl, src):
    """{'before', 'after', 'before_header', 'after_header'} for SRC against the reader."""
    _rc, held = orvexctl.run(['report'])
    _rc, wanted = orvexctl.run(['show', src])
    return dict(before=_lines(held.get('report')), after=_lines(wanted.get('report')),
                before_header='reader', after_header=src)
