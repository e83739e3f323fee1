#!/usr/bin/python3
"""Builds the tarvel.r7 collection and runs it with ansible-playbook against the simulated gateway:
a check run sends no change, the first run changes the gateway, the second changes nothing,
and the SIM's PIN never shows in Ansible's output.

usage: playbook_test.py R7SIM R7CTL COLLECTIONS_DIR PLAYBOOK SIM_DATA_DIR WORK_DIR"""

import os
import re
import shutil
import subprocess
import sys
import time

R7SIM, R7CTL, COLLECTIONS, PLAYBOOK, SIM_DATA, WORK = map(os.path.abspath, sys.argv[1:7])
PIN = '4711'
# What a run may send without changing the gateway: the wake-up, the settings and state
# queries, the program list, the digest query, the announcement of a request document, and the
# IMSI that names the SIM's network.
READS = ('query_setting', 'query_state', '<ls ', 'usbinterface=41', 'usbinterface=22', 'AT+CIMI')


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
            if kind != 'other' and body.strip() != 'AT' and not any(r in body for r in READS)]
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


def play(link, *options, playbook=PLAYBOOK):
    environment = dict(os.environ,
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
    variables = ('{"r7ctl": "%s", "ports": ["%s"], "program": "%s", "backup_dir": "%s"}'
                 % (R7CTL, link, os.path.join(WORK, 'tank.py'), WORK))
    run = subprocess.run(['ansible-playbook', '-v', '-i', 'localhost,', playbook, '-e', variables]
                         + list(options), env=environment, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, universal_newlines=True, timeout=120)
    if run.returncode != 0:
        fail('ansible-playbook %s exited %d:\n%s' % (' '.join(options), run.returncode, run.stdout))
    if PIN in run.stdout:
        fail('the PIN shows in the output:\n' + run.stdout)
    changed = re.search(r'localhost\s+: ok=\d+\s+changed=(\d+)', run.stdout)
    return int(changed.group(1)), run.stdout


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
        changed, output = play(link, '--check', '--diff')
        sent, end = changes_sent(transcript, 0)
        if sent:
            fail('the check run sent changes: %r' % sent)
        if changed != 3 or '+mobile_simple/apn: fleet.example' not in output:
            fail('the check run should report 3 changes and the APN diff:\n' + output)
        if os.path.exists(backup):
            fail('the check run wrote the backup')
        changed, output = play(link)
        sent, end = changes_sent(transcript, end)
        if changed != 3 or not any('set_setting' in body for _, body in sent) or \
                not any(kind == 'data' for kind, _ in sent):
            fail('the first run should change 3 things on the gateway: %r\n%s' % (sent, output))
        changed, output = play(link)
        sent, _ = changes_sent(transcript, end)
        if changed != 0 or sent:
            fail('the second run changed something: %r\n%s' % (sent, output))
        with open(backup) as document:
            if 'fleet.example' not in document.read():
                fail('the backup lacks the new APN')
        check_apn_preset(link, transcript, end)
    finally:
        gateway.terminate()
        gateway.wait()
    print('1 passed, 0 failed')


main()
