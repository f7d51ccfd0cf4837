#!/usr/bin/env python3
"""What the virtual fleet costs at rest: its devices listening on loopback, nobody connected, its
console input open and silent (the reader waits on it), then after a `stop`/`start` on the console.
On Linux and, with --wine, the Windows build under Wine (every process of a prefix of its own,
wineserver included, the prefix's own floor measured first). A reference loop is timed in the same
run. Loopback only: the fleet listens on 127.0.0.1 and up, nothing connects.

Usage: bench/virtual/fleet_at_rest.py [--linux build/bin] [--wine build-win/bin --dlls DIR:DIR]
                                      [--devices 4] [--port 34810] [--seconds 10]
"""
import argparse
import os
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from port_at_rest import measure, prefix_pids, reference_loop  # noqa: E402


def run(label, cmd, env, pids_of, seconds):
    """pids_of(process) names the processes to account: the fleet's own, or its Wine prefix's."""
    p = subprocess.Popen(cmd, env=env, stdin=subprocess.PIPE, stdout=subprocess.PIPE,
                         stderr=subprocess.STDOUT, text=True)
    pids_of = (lambda account: lambda: account(p))(pids_of)
    try:
        line = p.stdout.readline()
        if not line.startswith("Fleet:"):
            raise SystemExit(f"{label}: the fleet did not start: {line.strip()}")
        time.sleep(2)
        rest = measure(pids_of, seconds)
        p.stdin.write("stop 1\nstart 1\n")
        p.stdin.flush()
        time.sleep(1)
        after = measure(pids_of, seconds)
        return rest, after
    finally:
        p.stdin.close()
        p.terminate()
        p.wait(10)


def show(label, rows, ref, floor=None):
    rest, after = rows
    total = lambda d: sum(d.values())
    line = f"{label}: at rest {total(rest):.2f} % of a core ({total(rest) / 100 / ref:.3f} reference loops/s)"
    line += f", after stop/start {total(after):.2f} %"
    if floor is not None:
        line += f" (the prefix alone: {total(floor):.2f} %)"
    print(line)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--linux")
    ap.add_argument("--wine")
    ap.add_argument("--dlls", default="")
    ap.add_argument("--devices", type=int, default=4)
    ap.add_argument("--port", type=int, default=34810)
    ap.add_argument("--seconds", type=float, default=10)
    args = ap.parse_args()
    ref = reference_loop()
    print(f"reference loop: {ref:.3f} s of CPU")
    fleet = ["--fleet", str(args.devices), "--tcp-address", "127.0.0.1", "--tcp-port", str(args.port)]
    if args.linux:
        cmd = [os.path.join(args.linux, "r5200tx-virtual")] + fleet
        show("Linux", run("Linux", cmd, os.environ.copy(), lambda p: [p.pid], args.seconds), ref)
    if args.wine:
        work = tempfile.mkdtemp(prefix="r5-fleet-wine-")
        prefix = os.path.join(work, "prefix")
        env = os.environ.copy()
        env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEPATH=args.dlls.replace(":", ";"),
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        try:
            subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            time.sleep(3)
            floor = measure(lambda: prefix_pids(prefix), args.seconds)
            cmd = ["wine", os.path.join(args.wine, "r5200tx-virtual.exe")] + fleet
            show("Wine", run("Wine", cmd, env, lambda p: prefix_pids(prefix), args.seconds), ref, floor)
        finally:
            subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
    print(f"reference loop again: {reference_loop():.3f} s of CPU")


if __name__ == "__main__":
    main()
