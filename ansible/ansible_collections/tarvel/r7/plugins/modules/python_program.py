#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: python_program
short_description: Installs or removes a Python program on a Linkhold R7 gateway
description:
  - With C(state=present) the program is uploaded only when the gateway's digest of it differs
    from the local file's (C(r7ctl python put --if-changed)).
  - With C(autostart) the gateway is set to start that command line at boot.
  - In check mode the gateway is only read.
  - C(src) must be a regular file; a named pipe or a device is refused.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
    details: Shows whether the program is on the gateway (with its size and, after an upload,
      its digest) and the autostart settings that change.
  platform:
    platforms: posix
options:
  src:
    description:
      - The program on the managed host; it keeps its file name on the gateway.
      - Required with C(state=present).
    type: path
  name:
    description:
      - The program's file name on the gateway, for C(state=absent) (default the name of C(src)).
    type: str
  state:
    description: Whether the program is on the gateway.
    type: str
    choices: [present, absent]
    default: present
  autostart:
    description:
      - The command line the gateway starts at boot, for example C(tank.py --quiet);
        an empty text switches autostart off. Left out, autostart is left alone.
      - Only with C(state=present).
    type: str
author: Tarvel
'''

EXAMPLES = r'''
- name: Install the tank meter and start it at boot
  tarvel.r7.python_program:
    src: files/tank.py
    autostart: tank.py

- name: Remove an old program
  tarvel.r7.python_program:
    name: meter.py
    state: absent
'''

RETURN = r'''
name:
  description: The program's file name on the gateway.
  returned: success
  type: str
'''

import os

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import (
    R7CTL_OPTIONS, R7ctl, settings_diff)


def autostart_settings(command):
    if command == '':
        return {'python/state': 'off'}
    return {'python/command': command, 'python/state': 'on'}


def stored_program(r7ctl, name):
    """The gateway's line for the program, as r7ctl python ls gives it, or None."""
    return next((p for p in r7ctl.run_json(['python', 'ls']) if p['name'] == name), None)


def program_text(name, program):
    if program is None:
        return '%s: absent\n' % name
    return '%s: %s bytes\n' % (name, program['size'])


class Diff(object):
    """The before and after texts of a diff, collected only in diff mode."""

    def __init__(self):
        self.before = ''
        self.after = ''

    def add(self, before, after):
        self.before += before
        self.after += after

    def result(self):
        return dict(before=self.before, after=self.after)


def install(module, r7ctl, diff):
    check = ['--check'] if module.check_mode else []
    name = os.path.basename(module.params['src'])
    before = stored_program(r7ctl, name) if module._diff else None
    put = r7ctl.run_json(['python', 'put', module.params['src'], '--if-changed'] + check)
    changed = put['changed']
    if changed and module._diff:
        size = os.path.getsize(module.params['src'])
        diff.add(program_text(name, before), '%s: %d bytes, md5 %s\n' % (name, size, put['digest']))
    if module.params['autostart'] is not None:
        answer = r7ctl.apply_settings(autostart_settings(module.params['autostart']),
                                      module.check_mode)
        changed = changed or answer['changed']
        texts = settings_diff(answer.get('changes', []))
        diff.add(texts['before'], texts['after'])
    return changed, put['name']


def remove(module, r7ctl, name, diff):
    program = stored_program(r7ctl, name)
    if program is None:
        return False
    if not module.check_mode:
        r7ctl.run_json(['python', 'rm', name])
    diff.add(program_text(name, program), program_text(name, None))
    return True


def main():
    arguments = dict(R7CTL_OPTIONS,
                     src=dict(type='path'),
                     name=dict(type='str'),
                     state=dict(type='str', choices=['present', 'absent'], default='present'),
                     autostart=dict(type='str'))
    module = AnsibleModule(arguments, supports_check_mode=True,
                           required_if=[('state', 'present', ['src'])],
                           required_one_of=[('src', 'name')])
    r7ctl = R7ctl(module)
    diff = Diff()
    if module.params['state'] == 'present':
        if module.params['name'] and module.params['name'] != os.path.basename(module.params['src']):
            module.fail_json(msg='name must be the file name of src: the gateway keeps that name')
        changed, name = install(module, r7ctl, diff)
    else:
        if module.params['autostart'] is not None:
            module.fail_json(msg='autostart is only for state=present')
        name = module.params['name'] or os.path.basename(module.params['src'])
        changed = remove(module, r7ctl, name, diff)
    result = dict(changed=changed, name=name)
    if module._diff and changed:
        result['diff'] = diff.result()
    module.exit_json(**result)


if __name__ == '__main__':
    main()
