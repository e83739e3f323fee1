#!/usr/bin/python3
"""Builds the tarvel.r7 collection and runs it with ansible-playbook against the simulated gateway:
a check run sends no change, the first run changes the gateway, the second changes nothing,
the SIM's PIN never shows in Ansible's output (even at -vvv, which shows every module's
arguments and result), the backup is private even where an older file was not, values YAML
turned into numbers and settings groups are refused, and ansible-doc documents every module.

usage: playbook_test.py R7SIM R7CTL COLLECTIONS_DIR PLAYBOOK SIM_DATA_DIR WORK_DIR"""

import json
import os
import re
import shutil
import stat
import subprocess
import sys
import time

R7SIM, R7CTL, COLLECTIONS, PLAYBOOK, SIM_DATA, WORK = map(os.path.abspath, sys.argv[1:7])
PIN = '80471147'
# What a run may send without changing the gateway: the wake-up, the settings and state
# queries, the program list, the digest query, and the announcement of a request document,
# and the modem's queries (AT+CSQ, AT+CREG?: no value given).
READS = ('query_setting', 'query_state', '<ls ', 'usbinterface=41', 'usbinterface=22')
MODEM_QUERY = re.compile(r'AT\+\w+\??\r\n$', re.IGNORECASE)


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)


def records(transcript, start):
    """(kind, bytes) of each transcript record from byte offset start on."""
    with open(transcript, 'rb') as log:
        data = log.read()
    position = max(start, data.index(b'\n') + 1)
    found = []
    while position < len(data):
        header_end = data.index(b'\n', position)
        _, kind, length = data[position:header_end].split(b' ')
        body = data[header_end + 1:header_end + 1 + int(length)]
        found.append((kind.decode(), body.decode('utf-8', 'replace')))
        position = header_end + 1 + int(length) + 1
    return found, len(data)


def changes_sent(transcript, start):
    found, end = records(transcript, start)
    sent = [(kind, body) for kind, body in found
            if kind != 'other' and body.strip() != 'AT' and not MODEM_QUERY.match(body) and
            not any(r in body for r in READS)]
    return sent, end


def start_gateway():
    config = os.path.join(WORK, 'config')
    os.makedirs(config)
    # The gateway already starts the meter at boot: the first run then needs one settings
    # apply (and its 20 s pause) instead of two.
    with open(os.path.join(SIM_DATA, 'settings.xml')) as stock:
        settings = stock.read()
    settings = settings.replace('<state>off</state>\n    <command>blink.py</command>',
                                '<state>on</state>\n    <command>tank.py --quiet</command>')
    with open(os.path.join(config, 'settings.xml'), 'w') as seeded:
        seeded.write(settings)
    link = os.path.join(WORK, 'r7')
    gateway = subprocess.Popen([R7SIM, '--link', link, '--config', config, '--transcript',
                                os.path.join(WORK, 'transcript.log'), '--time-scale', '0.02'],
                               stdout=subprocess.DEVNULL)
    for _ in range(100):
        if os.path.exists(link):
            return gateway, link
        time.sleep(0.05)
    gateway.kill()
    fail('r7sim did not publish its port')


def ansible_environment():
    return dict(os.environ,
                       ANSIBLE_HOME=os.path.join(WORK, 'ansible-home'),
                       ANSIBLE_LOCAL_TEMP=os.path.join(WORK, 'ansible-tmp'),
                       ANSIBLE_REMOTE_TEMP=os.path.join(WORK, 'ansible-tmp'),
                       ANSIBLE_CONFIG=os.path.join(WORK, 'none.cfg'),
                       ANSIBLE_COLLECTIONS_PATH=COLLECTIONS,
                       ANSIBLE_PYTHON_INTERPRETER='auto_silent',
                       ANSIBLE_RETRY_FILES_ENABLED='false',
                       ANSIBLE_NOCOLOR='1',
                       ANSIBLE_PIPELINING='true',
                       HOME=os.path.join(WORK, 'home'))


def play(link, *options, playbook=PLAYBOOK):
    environment = ansible_environment()
    variables = ('{"r7ctl": "%s", "ports": ["%s"], "program": "%s", "backup_dir": "%s"}'
                 % (R7CTL, link, os.path.join(WORK, 'tank.py'), WORK))
    run = subprocess.run(['ansible-playbook', '-vvv', '-i', 'localhost,', playbook, '-e', variables]
                         + list(options), env=environment, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, universal_newlines=True, timeout=120)
    if run.returncode != 0:
        fail('ansible-playbook %s exited %d:\n%s' % (' '.join(options), run.returncode, run.stdout))
    if PIN in run.stdout:
        fail('the PIN shows in the output:\n' + run.stdout)
    changed = re.search(r'localhost\s+: ok=\d+\s+changed=(\d+)', run.stdout)
    return int(changed.group(1)), run.stdout


def refused_settings(link, settings, said):
    """Runs the settings module alone with arguments given as JSON (so that a value keeps its
    type); it must fail saying so."""
    arguments = json.dumps(dict(r7ctl=R7CTL, port=link, settings=settings))
    run = subprocess.run(['ansible', 'localhost', '-c', 'local', '-i', 'localhost,', '-m',
                          'tarvel.r7.settings', '-a', arguments], env=ansible_environment(),
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                         universal_newlines=True, timeout=60)
    if run.returncode == 0 or said not in run.stdout:
        fail('the settings %r should fail saying %r:\n%s' % (settings, said, run.stdout))


def check_documentation():
    for module in ('info', 'settings', 'backup', 'python_program', 'firmware'):
        run = subprocess.run(['ansible-doc', 'tarvel.r7.' + module], env=ansible_environment(),
                             stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                             universal_newlines=True, timeout=60)
        if run.returncode != 0 or run.stderr.strip() or \
                not all(word in run.stdout for word in ('ATTRIBUTES', 'check_mode', 'diff_mode')):
            fail('ansible-doc tarvel.r7.%s:\n%s%s' % (module, run.stderr, run.stdout))


def private(path):
    return stat.S_IMODE(os.stat(path).st_mode) == 0o600


APN_PLAYBOOK = """- hosts: localhost
  connection: local
  gather_facts: false
  tasks:
    - name: Take the APN that the SIM's provider publishes
      tarvel.r7.settings:
        r7ctl: "{{ r7ctl }}"
        port: "{{ item }}"
        apn_preset: Mint Mobile
      loop: "{{ ports }}"
"""


def check_apn_preset(link, transcript, end):
    """An APN preset from the providers' database: checked, applied, then already held."""
    playbook = os.path.join(WORK, 'apn.yml')
    with open(playbook, 'w') as written:
        written.write(APN_PLAYBOOK)
    changed, output = play(link, '--check', '--diff', playbook=playbook)
    sent, end = changes_sent(transcript, end)
    if changed != 1 or sent or '+mobile_simple/apn: wholesale' not in output:
        fail('the preset check should report the APN and send nothing: %r\n%s' % (sent, output))
    changed, output = play(link, playbook=playbook)
    sent, end = changes_sent(transcript, end)
    if changed != 1 or not any('<apn>wholesale</apn>' in body for _, body in sent):
        fail('the preset was not applied: %r\n%s' % (sent, output))
    changed, output = play(link, playbook=playbook)
    if changed != 0 or changes_sent(transcript, end)[0]:
        fail('the preset applied again:\n' + output)


def main():
    shutil.rmtree(WORK, ignore_errors=True)
    os.makedirs(os.path.join(WORK, 'home'))
    with open(os.path.join(WORK, 'tank.py'), 'w') as program:
        program.write("print('tank level')\n")
    build = subprocess.run(['ansible-galaxy', 'collection', 'build', '--output-path', WORK,
                            os.path.join(COLLECTIONS, 'ansible_collections', 'tarvel', 'r7')],
                           env=dict(os.environ, ANSIBLE_HOME=os.path.join(WORK, 'ansible-home')),
                           stdout=subprocess.PIPE, stderr=subprocess.STDOUT,
                           universal_newlines=True)
    if build.returncode != 0:
        fail('ansible-galaxy collection build failed:\n' + build.stdout)
    gateway, link = start_gateway()
    transcript = os.path.join(WORK, 'transcript.log')
    backup = os.path.join(WORK, 'r7.xml')
    try:
        check_documentation()
        changed, output = play(link, '--check', '--diff')
        sent, end = changes_sent(transcript, 0)
        if sent:
            fail('the check run sent changes: %r' % sent)
        if changed != 4 or '+mobile_simple/apn: fleet.example' not in output or \
                '+blink.py: absent' not in output or '+tank.py: 20 bytes, md5 ' not in output:
            fail('the check run should report 4 changes and their diffs:\n' + output)
        if os.path.exists(backup):
            fail('the check run wrote the backup')
        changed, output = play(link)
        sent, end = changes_sent(transcript, end)
        if changed != 4 or not any('set_setting' in body for _, body in sent) or \
                not any(kind == 'data' for kind, _ in sent) or \
                not any('<rm ' in body for _, body in sent):
            fail('the first run should change 4 things on the gateway: %r\n%s' % (sent, output))
        if not private(backup):
            fail('the new backup can be read by others')
        changed, output = play(link)
        sent, end = changes_sent(transcript, end)
        if changed != 0 or sent:
            fail('the second run changed something: %r\n%s' % (sent, output))
        with open(backup) as document:
            if 'fleet.example' not in document.read():
                fail('the backup lacks the new APN')
        # An older backup that others could read is replaced by a private one; its diff
        # shows the new settings with the PIN hidden.
        with open(backup, 'w') as older:
            older.write('<rci_request/>\n')
        os.chmod(backup, 0o644)
        changed, output = play(link, '--tags', 'backup', '--diff')
        if changed != 1 or not private(backup) or '+      <pin>(hidden)</pin>' not in output:
            fail('the backup over an older readable file should be private:\n' + output)
        refused_settings(link, {'mobile_simple/pin': 34}, 'quote it')
        refused_settings(link, {'mobile_simple/apn': True}, 'quote it')
        refused_settings(link, {'mobile_simple': 'x'}, 'settings group')
        sent, end = changes_sent(transcript, end)
        if sent:
            fail('refused settings were sent: %r' % sent)
        check_apn_preset(link, transcript, end)
    finally:
        gateway.terminate()
        gateway.wait()
    print('1 passed, 0 failed')


main()
