#!/usr/bin/python
# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.

from __future__ import absolute_import, division, print_function

__metaclass__ = type

DOCUMENTATION = r'''
module: backup
short_description: Keeps a backup of a Linkhold R7 gateway's settings in a file
description:
  - Reads the gateway's settings document (C(r7ctl backup -)) and writes it to C(dest) on the
    managed host when it differs from what the file holds; C(changed) only then.
  - The backup holds the gateway's secrets, so a new file is made readable by its owner only
    unless C(mode) says otherwise.
  - In check mode the gateway is read and nothing is written.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.files
options:
  dest:
    description: The backup file on the managed host.
    type: path
    required: true
author: Tarvel
'''

EXAMPLES = r'''
- name: Back up each gateway of the bench
  tarvel.r7.backup:
    port: "{{ item }}"
    dest: "/var/backups/r7/{{ item | basename }}.xml"
  loop: "{{ query('fileglob', '/dev/serial/by-id/*') }}"
'''

RETURN = r'''
dest:
  description: The backup file.
  returned: success
  type: str
'''

import os
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import R7CTL_OPTIONS, R7ctl


def current_content(path):
    try:
        with open(path, 'rb') as existing:
            return existing.read()
    except (IOError, OSError):
        return None


def write(module, dest, content):
    directory = os.path.dirname(os.path.abspath(dest))
    try:
        descriptor, temporary = tempfile.mkstemp(dir=directory, prefix='.r7backup.')
        with os.fdopen(descriptor, 'wb') as out:
            out.write(content)
    except (IOError, OSError) as error:
        module.fail_json(msg='cannot write %s: %s' % (dest, error.strerror))
    module.atomic_move(temporary, dest)


def main():
    arguments = dict(R7CTL_OPTIONS, dest=dict(type='path', required=True))
    module = AnsibleModule(arguments, supports_check_mode=True,
                           add_file_common_args=True)
    dest = module.params['dest']
    content = R7ctl(module).run(['backup', '-']).encode('utf-8', 'surrogateescape')
    changed = current_content(dest) != content
    if changed and not module.check_mode:
        is_new = not os.path.exists(dest)
        write(module, dest, content)
        if is_new and module.params['mode'] is None:
            os.chmod(dest, 0o600)
    file_args = module.load_file_common_arguments(module.params, path=dest)
    if os.path.exists(dest):
        changed = module.set_fs_attributes_if_different(file_args, changed)
    module.exit_json(changed=changed, dest=dest)


if __name__ == '__main__':
    main()
