# -*- coding: utf-8 -*-
# Copyright © 2026 Tarvel. All rights reserved.
"""Runs r7ctl for the tarvel.r7 modules: every module talks to the gateway
through r7ctl, so the gateway's rules (secrets hidden, only changed values
sent, values read back) live in one program and not in each module."""

from __future__ import absolute_import, division, print_function

__metaclass__ = type

import json
import os
import re

# The options every module takes.
R7CTL_OPTIONS = dict(
    r7ctl=dict(type='path', default='r7ctl'),
    port=dict(type='str'),
)

# r7ctl hides a setting's value when the last segment of its path is one of these.
SECRET_SEGMENTS = ('password', 'pin')


def is_secret_path(path):
    return path.rstrip('/').rsplit('/', 1)[-1].lower() in SECRET_SEGMENTS


# The content of a secret element in a settings document.
SECRET_ELEMENT = re.compile(r'(<(%s)(\s[^>]*)?>)(.*?)(</\2\s*>)' % '|'.join(SECRET_SEGMENTS),
                            re.IGNORECASE | re.DOTALL)


def hide_secret_elements(document):
    """A settings document as a diff may show it: every password and PIN
    replaced by (hidden)."""
    return SECRET_ELEMENT.sub(r'\1(hidden)\5', document)


def settings_text(settings):
    """The PATH=VALUE lines r7ctl apply reads. Values go through standard
    input, so that no secret stands in a process list."""
    return ''.join('%s=%s\n' % (path, value) for path, value in settings.items())


def find_r7ctl(module):
    """A name is looked up in PATH, a path taken as it is."""
    given = module.params['r7ctl']
    if '/' not in given:
        return module.get_bin_path(given, required=True)
    if not os.access(given, os.X_OK) or os.path.isdir(given):
        module.fail_json(msg='cannot run r7ctl: %s is not an executable file' % given)
    return given


class R7ctl(object):
    def __init__(self, module):
        self.module = module
        self.executable = find_r7ctl(module)
        self.port = module.params['port']

    def run(self, args, data=None):
        """Runs r7ctl with args; returns its standard output, or fails the module
        with r7ctl's own message when it exits non-zero."""
        command = [self.executable, '--quiet'] + list(args)
        if self.port:
            command += ['--port', self.port]
        rc, out, err = self.module.run_command(command, data=data, binary_data=True,
                                               encoding='utf-8', errors='surrogate_or_strict')
        if rc != 0:
            message = err.strip() or out.strip() or 'r7ctl exited with status %d' % rc
            self.module.fail_json(msg=message, rc=rc, cmd=command)
        return out

    def run_json(self, args, data=None):
        out = self.run(list(args) + ['--json'], data=data)
        try:
            return json.loads(out)
        except ValueError:
            self.module.fail_json(msg='r7ctl printed no JSON: %s' % out.strip())

    def apply_settings(self, settings, check):
        """Makes the gateway's settings hold these values (path -> text);
        with check, only reads and reports what would change. Returns r7ctl's
        answer: {"changed", "changes": [{"path", "old", "new"}]}."""
        args = ['apply', '-'] + (['--check'] if check else [])
        return self.run_json(args, data=settings_text(settings))


    def set_apn_preset(self, preset, check):
        """Makes the gateway's APN, username and password those of a preset from
        the providers' database: "auto" for the SIM's network's one access
        point, else "PROVIDER" or "PROVIDER/NAME". Returns r7ctl's answer, as
        apply_settings does."""
        args = ['apn', '--set'] + (['--check'] if check else [])
        if preset != 'auto':
            provider, _, name = preset.partition('/')
            args.append('--provider=' + provider)
            if name:
                args.append('--name=' + name)
        return self.run_json(args)


def settings_diff(changes):
    """Ansible's before/after texts for the changed paths. r7ctl shows a
    secret as "(hidden)" both before and after: the after side says that it
    changes, so that the diff does not show it as the same."""
    before = ''.join('%s: %s\n' % (c['path'], c['old']) for c in changes)
    after = ''.join('%s: %s\n' % (c['path'], c['new'] if c['new'] != c['old'] else
                                   c['new'] + ' (changed)') for c in changes)
    return dict(before=before, after=after)
