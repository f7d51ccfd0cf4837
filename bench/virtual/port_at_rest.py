#!/usr/bin/env python3
"""What an open serial port costs at rest, and under a status stream at line rate.

The virtual device serves a named port whose other end is a pseudo-terminal held here: on Linux
`r5200tx-virtual --port /dev/pts/N`; under Wine `r5200tx-virtual.exe --port COM7`, the COM port
linked to the pseudo-terminal in a Wine prefix of the benchmark's own. For each, one after another:
  rest, before       the port open, the line quiet
  rest, after        the same, after one status exchange
  stream             status requests paced to 115200 baud (5 bytes out, 51 back per exchange)
  rest, after stream the line quiet again
With --paused PROGRAM (bench_comport_paused.exe from the cross build) the Win32 port is also
measured while its holder has stopped reading: more than its 1 MiB limit is sent, never read.
CPU is the kernel's account (utime + stime) of the device's process and, under Wine, of every
process of the prefix (wineserver and Wine's own services). A reference is measured in the same
run: the CPU time of a fixed loop, so that a figure reads as loops per second as well as a share
of a core. Only a pseudo-terminal is used: no network.

Usage: bench/virtual/port_at_rest.py [--linux build/bin] [--wine build-win/bin --dlls DIR:DIR]
                                     [--seconds 10] [--stream-seconds 10] [--paused EXE]
"""
import argparse, os, pty, re, select, shutil, subprocess, sys, tempfile, termios, time, tty

TICK = os.sysconf("SC_CLK_TCK")
REQUEST = bytes([0x7E, 0x05, 0x41, 0x50, 0xFE])
ANSWER = 51
# One exchange on a 115200-baud line: 56 bytes of 10 bits each.
SLOT = (len(REQUEST) + ANSWER) * 10 / 115200


def reference_loop():
    """CPU seconds of a fixed loop, the yardstick of the run."""
    t0 = time.process_time()
    x = 0
    for i in range(3_000_000):
        x = (x * 31 + i) & 0xFFFFFFFF
    return time.process_time() - t0


def cpu_ticks(pid):
    try:
        with open(f"/proc/{pid}/stat") as f:
            fields = f.read().rsplit(")", 1)[1].split()
        return int(fields[11]) + int(fields[12])
    except (OSError, IndexError):
        return 0


def name_of(pid):
    try:
        with open(f"/proc/{pid}/comm") as f:
            return f.read().strip()
    except OSError:
        return "?"


def prefix_pids(prefix):
    """Every process whose environment names this Wine prefix (wineserver included)."""
    needle = b"WINEPREFIX=" + prefix.encode() + b"\0"
    out = []
    for d in os.listdir("/proc"):
        if not d.isdigit():
            continue
        try:
            with open(f"/proc/{d}/environ", "rb") as f:
                env = f.read() + b"\0"
        except OSError:
            continue
        if needle in env:
            out.append(int(d))
    return out


class Pty:
    def __init__(self):
        self.master, self.slave = pty.openpty()
        tty.setraw(self.slave)
        self.path = os.ttyname(self.slave)

    def exchange(self, timeout=5.0):
        os.write(self.master, REQUEST)
        got = b""
        deadline = time.monotonic() + timeout
        while len(got) < ANSWER and time.monotonic() < deadline:
            r, _, _ = select.select([self.master], [], [], 0.5)
            if r:
                got += os.read(self.master, 4096)
        return len(got) >= ANSWER

    def drain(self):
        while select.select([self.master], [], [], 0)[0]:
            os.read(self.master, 65536)


def measure(pids_of, seconds):
    """Share of one core used by the processes pids_of() names, over `seconds`, per name."""
    before = {p: cpu_ticks(p) for p in pids_of()}
    time.sleep(seconds)
    return shares_since(before, pids_of(), seconds)


def shares_since(before, pids, seconds):
    """Per process name; a process that ended meanwhile takes its account with it."""
    shares = {}
    for p in pids:
        used = max(0, cpu_ticks(p) - before.get(p, 0)) / TICK
        shares[name_of(p)] = shares.get(name_of(p), 0.0) + used / seconds * 100
    return shares


def stream(port, seconds):
    """Requests at the pace of a 115200-baud line that carries their answers too, whether or not
    the answers keep up; the count of answers that came."""
    received = 0
    end = time.monotonic() + seconds
    nxt = time.monotonic()
    while time.monotonic() < end:
        os.write(port.master, REQUEST)
        nxt += SLOT
        while True:
            wait = nxt - time.monotonic()
            r, _, _ = select.select([port.master], [], [], max(wait, 0))
            if r:
                received += len(os.read(port.master, 65536))
            if wait <= 0:
                break
    time.sleep(0.5)
    while select.select([port.master], [], [], 0.2)[0]:
        received += len(os.read(port.master, 65536))
    return received // ANSWER


def run(label, cmd, env, pids_of, port, args, ready):
    log = tempfile.NamedTemporaryFile(prefix="r5-rest-", suffix=".log", delete=False)
    p = subprocess.Popen(cmd, env=env, stdout=log, stderr=subprocess.STDOUT)
    rows = []
    try:
        if not ready(p, log.name):
            sys.exit(f"{label}: the device did not start; see {log.name}")
        port.drain()
        time.sleep(2)  # start-up settles
        rows.append(("rest, before", measure(pids_of, args.seconds), None))
        if not port.exchange():
            sys.exit(f"{label}: no answer to a status request")
        time.sleep(1)
        rows.append(("rest, after one exchange", measure(pids_of, args.seconds), None))
        t0 = time.monotonic()
        before = {q: cpu_ticks(q) for q in pids_of()}
        count = stream(port, args.stream_seconds)
        shares = shares_since(before, pids_of(), time.monotonic() - t0)
        rows.append((f"status stream ({count / args.stream_seconds:.0f} exchanges/s)", shares, None))
        port.drain()
        time.sleep(1)
        rows.append(("rest, after the stream", measure(pids_of, args.seconds), None))
    finally:
        p.terminate()
        try:
            p.wait(10)
        except subprocess.TimeoutExpired:
            p.kill()
    return rows


def report(label, rows, ref):
    print(f"\n{label}")
    print("| Phase | CPU, share of a core (by process) | Total | × reference loop per s |")
    print("|---|---|---|---|")
    for phase, shares, _ in rows:
        total = sum(shares.values())
        parts = ", ".join(f"{n} {v:.1f} %" for n, v in sorted(shares.items(), key=lambda kv: -kv[1]) if v >= 0.05)
        print(f"| {phase} | {parts or '–'} | {total:.1f} % | {total / 100 / ref:.3f} |")


def wait_started(p, log, timeout=60):
    """The device names its port once it has opened it."""
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        if p.poll() is not None:
            return False
        with open(log, "rb") as f:
            if b"Serial port: " in f.read():
                return True
        time.sleep(0.1)
    return False


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--linux", help="folder of the Linux build's programs")
    ap.add_argument("--wine", help="folder of the Windows build's programs")
    ap.add_argument("--dlls", default="", help="':'-separated folders of the Windows DLLs (Qt, MinGW)")
    ap.add_argument("--plugins", default="", help="the SDK's Qt plug-in folder")
    ap.add_argument("--seconds", type=float, default=10)
    ap.add_argument("--stream-seconds", type=float, default=10)
    ap.add_argument("--paused", help="bench_comport_paused.exe, for the port while reading is paused")
    args = ap.parse_args()

    ref = reference_loop()
    print(f"reference loop: {ref * 1000:.0f} ms of CPU")
    device_args = ["--tcp-port", "0", "--pulse-rate", "0", "--rssi-drift", "0"]

    if args.linux:
        port = Pty()
        cmd = [os.path.join(args.linux, "r5200tx-virtual"), "--port", port.path] + device_args
        holder = {}

        def ready(p, log):
            holder["pid"] = p.pid
            return wait_started(p, log)

        rows = run("Linux", cmd, os.environ.copy(), lambda: [holder["pid"]], port, args, ready)
        report("Linux, r5200tx-virtual on a pseudo-terminal", rows, ref)

    if args.wine:
        work = tempfile.mkdtemp(prefix="r5-rest-wine-")
        prefix = os.path.join(work, "prefix")
        env = os.environ.copy()
        env.update(WINEPREFIX=prefix, WINEDEBUG="-all", WINEPATH=args.dlls.replace(":", ";"),
                   WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d")
        if args.plugins:
            env["WINEQT_PLUGIN_PATH"] = args.plugins
        try:
            subprocess.run(["wineboot", "-i"], env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            port = Pty()
            os.symlink(port.path, os.path.join(prefix, "dosdevices", "com7"))
            # The prefix's own processes at rest, before any program of ours: the floor.
            time.sleep(3)
            floor = measure(lambda: prefix_pids(prefix), args.seconds)
            cmd = ["wine", os.path.join(args.wine, "r5200tx-virtual.exe"), "--port", "COM7"] + device_args
            rows = run("Wine", cmd, env, lambda: prefix_pids(prefix), port, args,
                       wait_started)
            rows.insert(0, ("Wine alone (its services, no program)", floor, None))
            if args.paused:
                p = subprocess.Popen(["wine", args.paused, "COM7"], env=env, stdout=subprocess.PIPE)
                assert p.stdout.readline().startswith(b"open")
                os.set_blocking(port.master, False)
                left, deadline = 17 * 65536, time.monotonic() + 20  # beyond the 1 MiB it may hold
                while left > 0 and time.monotonic() < deadline:
                    try:
                        left -= os.write(port.master, bytes(min(left, 65536)))
                    except BlockingIOError:
                        time.sleep(0.05)
                time.sleep(2)
                sent = (17 * 65536 - left) / 1048576
                rows.append((f"reading paused ({sent:.2f} MiB sent, none read)",
                             measure(lambda: prefix_pids(prefix), args.seconds), None))
                p.terminate()
                p.wait()
            report("Wine, r5200tx-virtual.exe on COM7 (a pseudo-terminal)", rows, ref)
        finally:
            subprocess.run(["wineserver", "-k"], env=env, stderr=subprocess.DEVNULL)
            shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
