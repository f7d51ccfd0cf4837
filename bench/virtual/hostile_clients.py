#!/usr/bin/env python3
"""Hostile clients against the virtual device's TCP side, on 127.0.0.1 only.

Starts r5200tx-virtual (serial side on its own pseudo-terminal, TCP side on a free loopback
port) and runs, one after another:
  flood    one client pipelines "NREQ" and never reads; a polite client asks once every
           20 ms and the longest wait for its answer is taken, during and after the flood
  garbage  one client sends bytes that are no command at all
  sigterm  SIGTERM sent while the flood runs; the time until the process is gone
and prints peak RSS and console log size next to the bytes sent. A reference is measured in
the same run: the polite client's answer time with nobody else connected.

Usage: bench/virtual/hostile_clients.py build/bin [--mib N] [--garbage-mib N]
"""
import argparse, os, re, signal, socket, subprocess, sys, tempfile, threading, time


def start(bin_dir, log_path):
    log = open(log_path, "wb")
    p = subprocess.Popen([os.path.join(bin_dir, "r5200tx-virtual"), "--tcp-port", "0", "--pulse-rate", "0",
                          "--rssi-drift", "0"], stdout=log, stderr=subprocess.STDOUT)
    deadline = time.time() + 10
    while time.time() < deadline:
        with open(log_path, "rb") as f:
            m = re.search(rb"TCP status server: 127\.0\.0\.1:(\d+)", f.read())
        if m:
            return p, int(m.group(1))
        time.sleep(0.05)
    p.kill()
    sys.exit("the device did not start")


def peak_rss_kb(pid):
    try:
        with open(f"/proc/{pid}/status") as f:
            for line in f:
                if line.startswith("VmHWM:"):
                    return int(line.split()[1])
    except OSError:
        pass
    return 0


class Polite(threading.Thread):
    """Asks for a report every 20 ms and keeps the longest wait."""

    def __init__(self, port):
        super().__init__(daemon=True)
        self.s = socket.create_connection(("127.0.0.1", port))
        self.s.settimeout(60)
        self.worst = 0.0
        self.stop = False
        self.timeouts = 0

    def run(self):
        while not self.stop:
            t0 = time.monotonic()
            try:
                self.s.sendall(b"NREQ")
                got = b""
                while len(got) < 33:
                    chunk = self.s.recv(64)
                    if not chunk:
                        return
                    got += chunk
            except OSError:
                self.timeouts += 1
                return
            self.worst = max(self.worst, time.monotonic() - t0)
            time.sleep(0.02)


def flood(port, mib, payload):
    """Writes `mib` MiB of `payload` repeated, never reading; returns seconds spent."""
    s = socket.create_connection(("127.0.0.1", port))
    s.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
    chunk = payload * (65536 // len(payload))
    total = mib * 1024 * 1024
    sent = 0
    t0 = time.monotonic()
    s.settimeout(1.0)
    stalled = 0.0
    while sent < total:
        try:
            sent += s.send(chunk[: min(len(chunk), total - sent)])
        except socket.timeout:
            # The device stopped reading this client: that is the bound at work.
            stalled += 1.0
            if stalled >= 5:
                break
    return s, sent, time.monotonic() - t0


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin_dir")
    ap.add_argument("--mib", type=int, default=8)
    ap.add_argument("--garbage-mib", type=int, default=20)
    a = ap.parse_args()
    tmp = tempfile.mkdtemp()

    # Reference: one polite client alone.
    log = os.path.join(tmp, "ref.log")
    p, port = start(a.bin_dir, log)
    polite = Polite(port)
    polite.start()
    time.sleep(2)
    polite.stop = True
    polite.join()
    ref = polite.worst
    p.terminate(); p.wait()
    print(f"reference: polite client alone, longest answer {ref * 1000:.1f} ms")

    # Flood of NREQ never read.
    log = os.path.join(tmp, "flood.log")
    p, port = start(a.bin_dir, log)
    rss0 = peak_rss_kb(p.pid)
    polite = Polite(port)
    polite.start()
    hostile, sent, secs = flood(port, a.mib, b"NREQ")
    time.sleep(2)  # the hostile client stays connected, unread
    polite.stop = True
    polite.join(timeout=60)
    rss1 = peak_rss_kb(p.pid)
    t = time.monotonic()
    p.send_signal(signal.SIGTERM)
    try:
        p.wait(timeout=30)
        term = time.monotonic() - t
    except subprocess.TimeoutExpired:
        term = float("inf"); p.kill(); p.wait()
    hostile.close()
    print(f"flood: {sent / 1048576:.1f} MiB NREQ in {secs:.1f} s (sender stalled: "
          f"{'yes' if sent < a.mib * 1048576 else 'no'}); polite client longest answer "
          f"{polite.worst * 1000:.1f} ms = {polite.worst / max(ref, 1e-6):.0f}x reference"
          f"{' (timed out)' if polite.timeouts else ''}; peak RSS {rss0 // 1024} -> "
          f"{rss1 // 1024} MB; console {os.path.getsize(log) / 1e6:.2f} MB; "
          f"SIGTERM while flooded: gone after {term * 1000:.0f} ms")

    # Garbage.
    log = os.path.join(tmp, "garbage.log")
    p, port = start(a.bin_dir, log)
    hostile, sent, secs = flood(port, a.garbage_mib, bytes(range(256)).replace(b"N", b"x"))
    hostile.close()
    time.sleep(1)
    rss = peak_rss_kb(p.pid)
    p.terminate(); p.wait()
    size = os.path.getsize(log)
    longest = max((len(l) for l in open(log, "rb")), default=0)
    print(f"garbage: {sent / 1048576:.1f} MiB -> console {size / 1e6:.2f} MB "
          f"({size / max(sent, 1):.3f} bytes per byte sent), longest line {longest} characters, "
          f"peak RSS {rss // 1024} MB")


if __name__ == "__main__":
    main()
