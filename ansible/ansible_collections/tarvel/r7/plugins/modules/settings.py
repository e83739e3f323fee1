#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: settings
short_description: Makes a Linkhold R7 gateway's settings hold given values
description:
  - Reads the gateway's settings and, when a value differs, sends one apply holding only the
    changed values, then reads them back (C(r7ctl apply)).
  - In check mode the settings are read and nothing is sent that changes the gateway.
  - With C(--diff) each changed path is shown with its old and new value; values of
    C(password) and C(pin) paths are shown as C((hidden)) and never logged.
  - With C(apn_preset) the APN, username and password come from the mobile providers' database
    (C(r7ctl apn --set)), before the C(settings) are applied.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
    details: Secrets are shown as C((hidden)).
  platform:
    platforms: posix
options:
  settings:
    description:
      - Setting paths as C(r7ctl get --list) prints them, each mapped to its value.
      - Every value must reach the gateway as the text written, so it must be a YAML string.
        Quote values that YAML would read otherwise (C("0042"), which is the number 34 unquoted,
        C("1.10"), C("0x1F"), C("on"), C("off"), C("")); the module refuses an unquoted one.
    type: dict
    default: {}
  apn_preset:
    description:
      - C(auto) takes the one internet access point that the providers' database gives for the
        SIM's network; C(PROVIDER) or C(PROVIDER/NAME) chooses among several (names equal, else
        contained, ignoring case).
      - Fails, listing the candidates, when the choice leaves more than one access point.
    type: str
author: Tarvel
'''

EXAMPLES = r'''
- name: Set the APN
  tarvel.r7.settings:
    port: "{{ item }}"
    settings:
      mobile_simple/apn: internet.example
      mobile_simple/pin: "{{ vault_sim_pin }}"
  loop: "{{ query('fileglob', '/dev/serial/by-id/*') }}"

- name: Take the APN that the SIM's provider publishes
  tarvel.r7.settings:
    apn_preset: auto
'''

RETURN = r'''
changes:
  description: The paths that changed (or would change in check mode), with old and new value.
  returned: success
  type: list
  elements: dict
'''

from ansible.module_utils.basic import AnsibleModule
from ansible.module_utils.six import string_types
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import (
    R7CTL_OPTIONS, R7ctl, is_secret_path, settings_diff)


def hide_secrets(module):
    """Every secret is masked before anything can fail, so that no message
    or logged invocation shows one."""
    for path, value in module.params['settings'].items():
        if is_secret_path(path) and value is not None:
            module.no_log_values.add(str(value))


def yaml_kind(value):
    if isinstance(value, bool):
        return 'a boolean'
    if value is None:
        return 'null (nothing, or ~)'
    if isinstance(value, (int, float)):
        return 'a number'
    return 'a %s' % type(value).__name__


def setting_values(module):
    """The wanted values as the texts the user wrote. YAML turns unquoted
    0042 into 34, 1.10 into 1.1 and on into true: such a value is refused
    (without showing it), since its text is already lost."""
    hide_secrets(module)
    values = {}
    for path, value in module.params['settings'].items():
        if not isinstance(value, string_types):
            module.fail_json(msg='%s: YAML read the value as %s, not as the text written; quote '
                                 'it (for example "0042" or "on") so that it reaches the gateway '
                                 'as written' % (path, yaml_kind(value)))
        values[path] = value
        # r7ctl reads one PATH=VALUE a line: a line break would start another setting.
        if '\n' in values[path] or '\r' in values[path]:
            module.fail_json(msg='%s: a value cannot hold a line break' % path)
    return values


def main():
    arguments = dict(R7CTL_OPTIONS, settings=dict(type='dict', default={}),
                     apn_preset=dict(type='str'))
    module = AnsibleModule(arguments, supports_check_mode=True,
                           required_one_of=[('settings', 'apn_preset')])
    values = setting_values(module)
    answers = []
    if module.params['apn_preset']:
        answers.append(R7ctl(module).set_apn_preset(module.params['apn_preset'],
                                                    module.check_mode))
    if values:
        answers.append(R7ctl(module).apply_settings(values, module.check_mode))
    result = dict(changed=any(answer['changed'] for answer in answers),
                  changes=[change for answer in answers for change in answer.get('changes', [])])
    if module._diff:
        result['diff'] = settings_diff(result['changes'])
    module.exit_json(**result)


if __name__ == '__main__':
    main()
