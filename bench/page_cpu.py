#!/usr/bin/env python3
"""The browser page's cost in headless Chromium, as scripts/bench reports it: the page opened from
disk in a 1280 by 720 window, started with "Start with sound" when it has that button, and
measured from 2 s after the start for the given seconds: processor time of the renderer's main thread (the thread whose id is
the renderer process's) and of every thread of every process of the browser, from
/proc/PID/task/TID/schedstat, as shares of one core; and the page's WebAssembly memory.
Prints 'name value' lines.
    page_cpu.py PAGE [SECONDS]"""
import glob
import os
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e',
                                'browser'))
from common import DevTools  # noqa: E402

page = os.path.abspath(sys.argv[1])
seconds = float(sys.argv[2]) if len(sys.argv) > 2 else 10


def descendants(root):
    parents = {}
    for stat in glob.glob('/proc/[0-9]*/stat'):
        try:
            fields = open(stat).read().rsplit(')', 1)[1].split()
        except OSError:
            continue
        parents.setdefault(int(fields[1]), []).append(int(stat.split('/')[2]))
    found, todo = [], [root]
    while todo:
        pid = todo.pop()
        found.append(pid)
        todo += parents.get(pid, [])
    return found


def cpu_ns(pid, tid='*'):
    total = 0
    for path in glob.glob('/proc/%d/task/%s/schedstat' % (pid, tid)):
        try:
            total += int(open(path).read().split()[0])
        except OSError:
            pass
    return total


def renderer(pids):
    for pid in pids:
        try:
            if b'--type=renderer' in open('/proc/%d/cmdline' % pid, 'rb').read():
                return pid
        except OSError:
            pass
    sys.exit('no renderer process')


def measure(browser):
    pids = descendants(browser.process.pid)
    main = renderer(pids)
    before = (cpu_ns(main, str(main)), sum(cpu_ns(p) for p in pids), time.monotonic())
    time.sleep(seconds)
    pids = descendants(browser.process.pid)
    after = (cpu_ns(main, str(main)), sum(cpu_ns(p) for p in pids), time.monotonic())
    elapsed = after[2] - before[2]
    return [100 * (after[k] - before[k]) / 1e9 / elapsed for k in (0, 1)]


browser = DevTools('--window-size=1280,720')
try:
    browser.open('file://%s' % page)
    while browser.evaluate('document.readyState') != 'complete':
        time.sleep(0.05)
    if browser.evaluate("!!document.getElementById('start-sound')"):
        while not browser.evaluate("!!document.getElementById('start-sound').offsetParent"):
            time.sleep(0.05)
        browser.click('start-sound')
    time.sleep(2)
    main, whole = measure(browser)
    print('main-thread %.1f%%' % main)
    print('browser %.1f%%' % whole)
    print('wasm-memory %s' % browser.evaluate(
        "typeof wasmMemory == 'object' ? wasmMemory.buffer.byteLength : 'none'"))
finally:
    browser.close()
