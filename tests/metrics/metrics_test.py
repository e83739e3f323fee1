#!/usr/bin/python3
"""The monitoring path with the real programs: r7ctl metrics, node_exporter's textfile collector,
promtool and systemd-analyze.

usage: metrics_test.py CASE R7SIM R7CTL DIST_DIR WORK_DIR
CASE: exporter (the simulated gateway read through node_exporter, then unplugged),
      units (the systemd service and timer), rules (the alerting rules and the Grafana dashboard)."""

import json
import os
import re
import shutil
import socket
import stat
import subprocess
import sys
import time
import urllib.request

CASE = sys.argv[1]
R7SIM, R7CTL, DIST, WORK = map(os.path.abspath, sys.argv[2:6])
NODE_EXPORTER = '/usr/bin/prometheus-node-exporter'
# What r7ctl metrics writes; the dashboard and the rules may use no other.
FAMILIES = {'r7_up', 'r7_signal_dbm', 'r7_signal_csq', 'r7_registration_state', 'r7_info',
            'r7_scrape_duration_seconds', 'r7_last_success_timestamp_seconds'}


def fail(message):
    print('FAIL: ' + message)
    sys.exit(1)


def tool(name):
    path = shutil.which(name) or (name if os.access(name, os.X_OK) else None)
    if path is None:
        fail(f'{name} is missing: run scripts/install-deps')
    return path


def run(command, stdin=None, umask=None):
    return subprocess.run(command, input=stdin, capture_output=True, text=True, timeout=60,
                          preexec_fn=None if umask is None else lambda: os.umask(umask))


def free_port():
    with socket.socket() as probe:
        probe.bind(('127.0.0.1', 0))
        return probe.getsockname()[1]


def scrape(port):
    """The exporter's /metrics, once it answers."""
    for _ in range(100):
        try:
            with urllib.request.urlopen(f'http://127.0.0.1:{port}/metrics', timeout=5) as reply:
                return reply.read().decode()
        except OSError:
            time.sleep(0.1)
    fail('node_exporter never answered')


def write_metrics(link, textfile, expected_status):
    # node_exporter's user reads the file whatever the umask of whoever wrote it.
    result = run([R7CTL, 'metrics', '--port', link, '--textfile', textfile], umask=0o077)
    if result.returncode != expected_status:
        fail(f'r7ctl metrics exited {result.returncode}: {result.stderr}')
    mode = stat.S_IMODE(os.stat(textfile).st_mode)
    if mode != 0o644:
        fail(f'{textfile} has mode {mode:o}')
    leftovers = [name for name in os.listdir(os.path.dirname(textfile)) if name != 'r7.prom']
    if leftovers:
        fail(f'left beside the textfile: {leftovers}')
    with open(textfile) as written:
        text = written.read()
    check = run([tool('promtool'), 'check', 'metrics'], stdin=text)
    if check.returncode != 0 or check.stdout.strip() or check.stderr.strip():
        fail(f'promtool check metrics: {check.stdout}{check.stderr}\n{text}')
    return text


def exporter_case():
    textfiles = os.path.join(WORK, 'textfiles')
    os.makedirs(textfiles)
    link = os.path.join(WORK, 'r7')
    textfile = os.path.join(textfiles, 'r7.prom')
    sim = subprocess.Popen([R7SIM, '--link', link, '--time-scale', '0.02'],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    port = free_port()
    exporter = subprocess.Popen([tool(NODE_EXPORTER), f'--web.listen-address=127.0.0.1:{port}',
                                 '--collector.disable-defaults', '--collector.textfile',
                                 f'--collector.textfile.directory={textfiles}'],
                                stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        for _ in range(100):
            if os.path.exists(link):
                break
            time.sleep(0.05)
        series = re.escape(f'{{port="{link}"}}')
        write_metrics(link, textfile, 0)
        served = scrape(port)
        if not re.search(r'^r7_signal_dbm' + series + r' -79$', served, re.M):
            fail('node_exporter does not serve the gateway\'s signal:\n' + served)
        if 'node_textfile_scrape_error 0' not in served:
            fail('node_exporter could not read the textfile:\n' + served)
        last = re.search(r'^r7_last_success_timestamp_seconds' + series + r' (\S+)$', served, re.M)

        sim.terminate()
        sim.wait(timeout=10)
        text = write_metrics(link, textfile, 3)
        served = scrape(port)
        if not re.search(r'^r7_up\{port="' + re.escape(link) + r'",reason="absent"\} 0$',
                         served, re.M):
            fail('an unplugged gateway is not down:\n' + served)
        if 'r7_signal_dbm' in text or 'r7_info' in text:
            fail('an unplugged gateway still has values:\n' + text)
        if not last or last.group(0) not in served:
            fail('the last success was not carried over:\n' + served)
    finally:
        for process in (exporter, sim):
            process.terminate()
            process.wait(timeout=10)


def units_case():
    # The units as installed, but running the r7ctl just built.
    units = os.path.join(WORK, 'units')
    os.makedirs(units)
    names = ['r7dashboard-metrics.service', 'r7dashboard-metrics.timer']
    for name in names:
        with open(os.path.join(DIST, 'systemd', name)) as unit:
            text = unit.read().replace('/usr/bin/r7ctl ', R7CTL + ' ')
        with open(os.path.join(units, name), 'w') as copy:
            copy.write(text)
    # Unknown keys are only warned about: any word from systemd-analyze is a fault.
    result = run([tool('systemd-analyze'), 'verify', '--man=no'] +
                 [os.path.join(units, name) for name in names])
    if result.returncode != 0 or result.stdout.strip() or result.stderr.strip():
        fail(f'systemd-analyze verify: {result.stdout}{result.stderr}')


def rules_case():
    rules = os.path.join(DIST, 'prometheus', 'r7-alerts.yml')
    result = run([tool('promtool'), 'check', 'rules', rules])
    if result.returncode != 0:
        fail(f'promtool check rules: {result.stdout}{result.stderr}')
    with open(rules) as text:
        used = set(re.findall(r'\br7_[a-z_]+', text.read()))
    with open(os.path.join(DIST, 'grafana', 'r7-fleet.json')) as text:
        dashboard = json.load(text)
    for panel in dashboard['panels']:
        for target in panel.get('targets', []):
            used |= set(re.findall(r'\br7_[a-z_]+', target['expr']))
    if used - FAMILIES:
        fail(f'metrics r7ctl does not write: {sorted(used - FAMILIES)}')


shutil.rmtree(WORK, ignore_errors=True)
os.makedirs(WORK)
{'exporter': exporter_case, 'units': units_case, 'rules': rules_case}[CASE]()
print('ok')
