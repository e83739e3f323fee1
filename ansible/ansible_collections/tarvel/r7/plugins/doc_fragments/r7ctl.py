# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type


class ModuleDocFragment(object):
    DOCUMENTATION = r'''
options:
  r7ctl:
    description:
      - The r7ctl program the module runs, a path or a name looked up in C(PATH).
    type: path
    default: r7ctl
  port:
    description:
      - The gateway's serial device, for example a link under C(/dev/serial/by-id/).
      - Left out, r7ctl uses the one gateway attached, and fails when there is none or more than one.
    type: str
notes:
  - Every run opens the port afresh; r7ctl's message is the module's message when it fails.
requirements:
  - r7ctl (Debian package r7dashboard) on the managed host.
'''
