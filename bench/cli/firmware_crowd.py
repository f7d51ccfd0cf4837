#!/usr/bin/env python3
"""`r5200tx-cli firmware` against the virtual device while slow peers crowd its server, on 127.0.0.1 only.

Starts r5200tx-virtual (serial side only, state in a temporary folder) and runs the firmware command
twice per round, each time with a new image so that the device really updates:
  alone    nobody else talks to the server (the reference, in the same run)
  crowd    once the server listens (the device takes ANSWER_AFTER ms to answer, so the order goes out
           after the crowd came), PEERS peers connect to it and each feeds it one header line
           every DRIP seconds, never ending its header; a peer whose connection is closed
           connects again at once (with --once it stays away)
and prints, per run, the exit code, the CLI's last line, the wall time and the time from the order to
the file sent whole (what the crowd can delay; the rest is the device's reboot and the status
requests every 1.5 s), then the crowd/alone ratios.
The CLI's stdout and stderr of the last crowd run are kept in the printed folder with --keep.

Usage: bench/cli/firmware_crowd.py build/bin [--peers 40] [--drip 5] [--rounds 1] [--once]
       [--cli PATH]   (another r5200tx-cli, for example one built from an older tree)
"""
import argparse, itertools, os, re, socket, subprocess, sys, tempfile, threading, time


def image(size, seed):
    return bytes((((i + seed) * 2654435761) >> 24) & 0xFF for i in range(size))


def free_port():
    s = socket.socket()
    s.bind(("127.0.0.1", 0))
    port = s.getsockname()[1]
    s.close()
    return port


def start_device(bin_dir, state, answer_after_ms):
    # Every answer comes in two pieces, the second one answer_after_ms later: the crowd is in place
    # before the order goes out, as when the installer's device is slower than a LAN's peers.
    slow = ["--fault-pieces", "10,41", "--piece-gap", str(answer_after_ms), "--fault-answers", "0"]
    p = subprocess.Popen([os.path.join(bin_dir, "r5200tx-virtual"), "--no-tcp", "--state", state] + slow,
                         stdout=subprocess.PIPE, stderr=subprocess.STDOUT)
    line = p.stdout.readline().decode()
    m = re.match(r"Serial port: (\S+)", line)
    if not m:
        p.kill()
        sys.exit("the device did not start: " + line)
    threading.Thread(target=lambda: [None for _ in p.stdout], daemon=True).start()
    return p, m.group(1)


class Crowd:
    """PEERS slow peers, each on its own thread, dripping one header line every DRIP seconds."""

    def __init__(self, port, peers, drip, again):
        self.port, self.drip, self.again = port, drip, again
        self.stop = threading.Event()
        self.connects = 0
        self.closed = 0
        self.lock = threading.Lock()
        self.threads = [threading.Thread(target=self.peer, args=(i,), daemon=True) for i in range(peers)]

    def start(self):
        for t in self.threads:
            t.start()

    def peer(self, i):
        while not self.stop.is_set():
            try:
                s = socket.create_connection(("127.0.0.1", self.port), timeout=2)
            except OSError:
                self.stop.wait(0.2)
                continue
            with self.lock:
                self.connects += 1
            s.settimeout(self.drip)
            try:
                s.sendall(b"GET / HTTP/1.1\r\n")
                for n in itertools.count(1):
                    try:
                        s.recv(4096)
                        break  # an answer (408, 503) or the end: the server gave up on this one
                    except socket.timeout:
                        pass
                    if self.stop.is_set():
                        break
                    s.sendall(b"X-Slow-%d: %d\r\n" % (i, n))
            except OSError:
                pass
            with self.lock:
                self.closed += 1
            s.close()
            if not self.again:
                return

    def end(self):
        self.stop.set()
        for t in self.threads:
            t.join(self.drip + 3)


def run(cli, port, folder, name, serve_port, crowd_args):
    t0 = time.monotonic()
    p = subprocess.Popen([cli, "--port", port, "firmware", name, "--serve", "127.0.0.1:%d" % serve_port],
                         cwd=folder, stdout=subprocess.PIPE, stderr=subprocess.PIPE)
    crowd = None
    out = []

    def read():
        for raw in p.stdout:
            line = raw.decode(errors="replace").rstrip()
            out.append("%7.3f  %s" % (time.monotonic() - t0, line))
            if crowd_args and crowd is None and "HTTP Server listening" in line:
                start_crowd()

    def start_crowd():
        nonlocal crowd
        crowd = Crowd(serve_port, *crowd_args)
        crowd.start()

    reader = threading.Thread(target=read, daemon=True)
    reader.start()
    err = p.stderr.read().decode(errors="replace")
    p.wait()
    wall = time.monotonic() - t0
    reader.join(5)
    if crowd:
        crowd.end()
    last = next((l[9:] for l in reversed(out) if l[9:].startswith("Firmware")), "")
    return p.returncode, wall, last, err.strip(), crowd, out


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("bin_dir")
    ap.add_argument("--cli", default=None)
    ap.add_argument("--peers", type=int, default=40)
    ap.add_argument("--drip", type=float, default=5.0)
    ap.add_argument("--rounds", type=int, default=1)
    ap.add_argument("--once", action="store_true")
    ap.add_argument("--keep", action="store_true")
    ap.add_argument("--answer-after", type=int, default=1200, help="ms the device takes to answer")
    a = ap.parse_args()
    a.bin_dir = os.path.abspath(a.bin_dir)
    cli = os.path.abspath(a.cli) if a.cli else os.path.join(a.bin_dir, "r5200tx-cli")
    work = tempfile.mkdtemp(prefix="fwcrowd-")
    device, port = start_device(a.bin_dir, os.path.join(work, "device.json"), a.answer_after)
    minor = 6
    try:
        for r in range(a.rounds):
            results = {}
            for kind in ("alone", "crowd"):
                minor += 1
                name = "R5200TX_v1.%02d.bin" % minor
                with open(os.path.join(work, name), "wb") as f:
                    f.write(image(300 * 1024, minor))
                crowd_args = (a.peers, a.drip, not a.once) if kind == "crowd" else None
                code, wall, last, err, crowd, out = run(cli, port, work, name, free_port(), crowd_args)
                results[kind] = wall
                ordered = [float(l[:7]) for l in out if "download of" in l and "ordered" in l]
                sent = [float(l[:7]) for l in out if "sent whole" in l]
                served = sent[0] - ordered[0] if ordered and sent else None
                results[kind + " served"] = served
                extra = "; order to file sent %s" % ("%.3f s" % served if served is not None else "never")
                if crowd:
                    extra += "; peers connected %d times, closed %d times" % (crowd.connects, crowd.closed)
                    refused = sum(1 for l in out if "refused" in l)
                    extra += "; %d refusal lines" % refused
                    if a.keep:
                        with open(os.path.join(work, "crowd-%d.out" % r), "w") as f:
                            f.write("\n".join(out) + "\n--- stderr\n" + err + "\n")
                print("round %d %-5s exit %d in %6.2f s: %s%s%s" %
                      (r + 1, kind, code, wall, last or "(no Firmware line)", " | " + err if err else "", extra),
                      flush=True)
            line = "round %d crowd/alone: %.2f (whole run)" % (r + 1, results["crowd"] / results["alone"])
            if results["crowd served"] is not None and results["alone served"]:
                line += ", %.2f (order to file sent)" % (results["crowd served"] / results["alone served"])
            print(line, flush=True)
    finally:
        device.terminate()
        device.wait(10)
    print("folder: " + work)


if __name__ == "__main__":
    main()
