#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: firmware
short_description: Brings a Linkhold R7 gateway to a firmware version
description:
  - When the gateway already reports C(version), nothing is uploaded. Otherwise the image is
    uploaded and installed, and the module fails unless the gateway then reports C(version)
    (C(r7ctl firmware --version)).
  - In check mode the gateway's version is only read.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  platform:
    platforms: posix
options:
  src:
    description: The firmware image on the managed host.
    type: path
    required: true
  version:
    description: The version the image installs, as the gateway reports it.
    type: str
    required: true
author: Tarvel
'''

EXAMPLES = r'''
- name: Update the firmware
  tarvel.r7.firmware:
    src: /srv/r7/firmware-2.4.1.dwl
    version: 2.4.1
'''

RETURN = r'''
firmware:
  description: The firmware version the gateway reports.
  returned: success
  type: str
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import R7CTL_OPTIONS, R7ctl


def main():
    arguments = dict(R7CTL_OPTIONS,
                     src=dict(type='path', required=True),
                     version=dict(type='str', required=True))
    module = AnsibleModule(arguments, supports_check_mode=True)
    args = ['firmware', module.params['src'], '--version', module.params['version']]
    answer = R7ctl(module).run_json(args + (['--check'] if module.check_mode else []))
    module.exit_json(changed=answer['changed'], firmware=answer.get('firmware'))


if __name__ == '__main__':
    main()
