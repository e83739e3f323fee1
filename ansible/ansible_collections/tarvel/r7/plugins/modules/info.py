#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: info
short_description: Reads a Linkhold R7 gateway's device information
description:
  - Runs C(r7ctl info) and returns what it reports as C(info), which C(register) keeps for each
    gateway of a loop, and as the fact C(r7_info), which holds the last gateway read.
  - Reads only, so it runs in check mode as well.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.action_common_attributes
  - ansible.builtin.action_common_attributes.facts
attributes:
  check_mode:
    support: full
  diff_mode:
    support: none
  facts:
    support: full
  platform:
    platforms: posix
author: Tarvel
'''

EXAMPLES = r'''
- name: Read the gateway
  tarvel.r7.info:
    port: /dev/serial/by-id/usb-Linkhold_R7_0042-if00

- ansible.builtin.debug:
    msg: "{{ r7_info.product }} runs firmware {{ r7_info.firmware }}"

- name: Read every gateway of the bench
  tarvel.r7.info:
    port: "{{ item }}"
  loop: "{{ query('fileglob', '/dev/serial/by-id/*') }}"
  register: gateways

- ansible.builtin.debug:
    msg: "{{ item.item }}: IMSI {{ item.info.imsi }}"
  loop: "{{ gateways.results }}"
'''

RETURN = r'''
info:
  description: The device information (port, product, firmware, imsi, iccid, phone_number,
    modem_*, signal, signal_dbm, registration, registration_stat, ip_address); a value the
    gateway did not give is null.
  returned: success
  type: dict
ansible_facts:
  description: C(r7_info), the device information (port, product, firmware, sim, imsi, iccid,
    phone_number, modem_*, signal, signal_dbm, registration, registration_stat, ip_address).
    C(sim) is C(ready), C(absent), C(pin-required), C(puk-required) or C(unknown); without a
    ready SIM, C(imsi) and C(phone_number) are null and the task still succeeds.
  returned: success
  type: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import R7CTL_OPTIONS, R7ctl


def main():
    module = AnsibleModule(dict(R7CTL_OPTIONS), supports_check_mode=True)
    info = R7ctl(module).run_json(['info'])
    module.exit_json(changed=False, info=info, ansible_facts=dict(r7_info=info))


if __name__ == '__main__':
    main()
