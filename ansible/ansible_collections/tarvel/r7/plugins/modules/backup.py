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
  - The backup holds the gateway's secrets, so the file is made readable by its owner only
    (also an older file found there) unless C(mode) says otherwise.
  - In check mode the gateway is read and nothing is written.
extends_documentation_fragment:
  - tarvel.r7.r7ctl
  - ansible.builtin.files
  - ansible.builtin.action_common_attributes
attributes:
  check_mode:
    support: full
  diff_mode:
    support: full
    details: The old and new file are shown with every password and PIN as C((hidden)).
  platform:
    platforms: posix
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
import stat
import tempfile

from ansible.module_utils.basic import AnsibleModule
from ansible_collections.tarvel.r7.plugins.module_utils.r7ctl import (
    R7CTL_OPTIONS, R7ctl, hide_secret_elements)

# The settings hold the APN password and the SIM PIN.
PRIVATE_MODE = '0600'


def current_content(module, path):
    """What dest holds, or None when there is no file. Anything but a regular
    file is refused: reading a named pipe would wait for ever."""
    try:
        if not stat.S_ISREG(os.stat(path).st_mode):
            module.fail_json(msg='%s is not a regular file' % path)
        with open(path, 'rb') as existing:
            return existing.read()
    except (IOError, OSError):
        return None


def write(module, dest, content):
    """Replaces dest whole. atomic_move gives the new file the old one's mode,
    so an older file readable by others is made private first."""
    directory = os.path.dirname(os.path.abspath(dest))
    if os.path.exists(dest):
        try:
            os.chmod(dest, 0o600)
        except OSError as error:
            module.fail_json(msg='cannot make %s private: %s' % (dest, error.strerror))
    try:
        descriptor, temporary = tempfile.mkstemp(dir=directory, prefix='.r7backup.')
        with os.fdopen(descriptor, 'wb') as out:
            out.write(content)
    except (IOError, OSError) as error:
        module.fail_json(msg='cannot write %s: %s' % (dest, error.strerror))
    module.atomic_move(temporary, dest)


def diff(dest, old, new):
    """Ansible's diff of the file, its secrets hidden."""
    def text(content):
        return hide_secret_elements(content.decode('utf-8', 'replace'))
    return dict(before='' if old is None else text(old), after=text(new),
                before_header=dest if old is not None else '%s (absent)' % dest,
                after_header=dest)


def main():
    arguments = dict(R7CTL_OPTIONS, dest=dict(type='path', required=True))
    module = AnsibleModule(arguments, supports_check_mode=True,
                           add_file_common_args=True)
    dest = module.params['dest']
    content = R7ctl(module).run(['backup', '-']).encode('utf-8', 'surrogateescape')
    old = current_content(module, dest)
    changed = old != content
    mode = module.params['mode'] if module.params['mode'] is not None else PRIVATE_MODE
    if changed and not module.check_mode:
        write(module, dest, content)
    file_args = module.load_file_common_arguments(dict(module.params, mode=mode), path=dest)
    if os.path.exists(dest):
        changed = module.set_fs_attributes_if_different(file_args, changed)
    result = dict(changed=changed, dest=dest)
    if module._diff and old != content:
        result['diff'] = diff(dest, old, content)
    module.exit_json(**result)


if __name__ == '__main__':
    main()
