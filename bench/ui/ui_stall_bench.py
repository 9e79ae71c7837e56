#!/usr/bin/env python3
"""How long the window stops responding while it works with its devices.

Runs the real program offscreen on its virtual devices (1 ms per report, like a 1000 Hz USB
endpoint) and drives it through the script socket, phase by phase:

  startup   start with keyboard, mouse and pad plugged in, until all three are read
  profiles  switch keyboard and mouse profiles 20 times
  dpi       drag every DPI slider of the mouse across its range
  upload    upload a keyboard macro image that fills the keyboard's macro memory
  wedged    the same upload while the keyboard stops answering

The script socket is served on the UI thread, so while the phases run a second connection sends
a trivial command ("get closebtn") every few milliseconds; its round trip is how late the UI
thread is. The largest round trip of each phase is printed. When the program has the "stats"
command its own heartbeat figure is printed beside it.

  bench/ui/ui_stall_bench.py BUILD_BIN [BUILD_BIN ...]

Each BUILD_BIN is a folder holding the corvane executable with its skin/ and defaults/; giving
two (say a build of an older commit and the current one) measures both in one run, one after the
other, on the same machine. Not a test: nothing is asserted.
"""

import argparse
import json
import os
import shutil
import socket
import subprocess
import sys
import tempfile
import threading
import time

INSTANCE_NAME = "TORVLINKDRVER"
PROBE_COMMAND = "get closebtn"
PROBE_PAUSE_S = 0.003
LATENCY_US = 1000
KEYBOARD_MACRO_MEMORY = 4096   # the virtual keyboard's macro memory
MACRO_FIXED_BYTES = 16 + 2 + 4  # image header, one offset entry, one record header
MACRO_STEP_BYTES = 4
PROFILE_SWITCHES = 20
GOAL_MS = 50


class Channel:
    """One connection to the script socket: a command line out, a reply line back."""

    def __init__(self, path, timeout_s=60.0):
        self.sock = socket.socket(socket.AF_UNIX, socket.SOCK_STREAM)
        self.sock.settimeout(timeout_s)
        self.sock.connect(path)
        self.buffer = b""

    def call(self, line):
        self.sock.sendall(line.encode() + b"\n")
        while b"\n" not in self.buffer:
            chunk = self.sock.recv(65536)
            if not chunk:
                raise ConnectionError("the program closed the connection")
            self.buffer += chunk
        reply, self.buffer = self.buffer.split(b"\n", 1)
        return reply.decode(errors="replace")

    def close(self):
        self.sock.close()


class Probe(threading.Thread):
    """Samples the UI thread's latency until stopped; samples are (start time, round trip)."""

    def __init__(self, path):
        super().__init__(daemon=True)
        self.channel = Channel(path)
        self.samples = []
        self.stopping = threading.Event()

    def run(self):
        while not self.stopping.is_set():
            start = time.monotonic()
            try:
                self.channel.call(PROBE_COMMAND)
            except (OSError, ConnectionError):
                return
            self.samples.append((start, time.monotonic() - start))
            time.sleep(PROBE_PAUSE_S)

    def worst_between(self, begin, end):
        # A sample still open when the phase ended counts with the time it had waited so far.
        rounds = [rt for (t, rt) in self.samples if begin <= t <= end]
        return max(rounds, default=0.0) * 1000.0

    def stop(self):
        self.stopping.set()
        self.join(timeout=30)
        self.channel.close()


def must(channel, line):
    reply = channel.call(line)
    if not reply.startswith("ok"):
        raise RuntimeError(f"{line!r} -> {reply}")
    return reply


def prepare_home(home, defaults):
    """Two profiles in each keyboard and mouse family, and a macro that fills the keyboard."""
    data = os.path.join(home, "Documents", "Gaming Keyboard")
    kb, ms = os.path.join(data, "kb"), os.path.join(data, "ms")
    os.makedirs(kb)
    os.makedirs(ms)

    def index(sections):
        text = ""
        for count, names, select in sections:
            text += f"[{count}]\ncount=2\n[{names}]\n0=p0\n1=p1\n[{select}]\nselect=0\n"
        return text

    lighting = ("PROFILEDENGCOUNT", "PROFILEDENGNAME", "PROFILEDENGSELECT")
    keys = ("PROFILECOUNT", "PROFILENAME", "PROFILESELECT")
    device = ("PROFILEDEVICECOUNT", "PROFILEDEVICENAME", "PROFILEDEVICESELECT")
    with open(os.path.join(kb, "kbProfile.ini"), "w") as f:
        f.write(index([lighting, keys]))
    with open(os.path.join(ms, "msProfile.ini"), "w") as f:
        f.write(index([device, lighting, keys]))
    for folder, default, ext in [(kb, "kbdengdefault.led", ".led"), (kb, "kbkeydefault.pro", ".pro"),
                                 (ms, "msdevicedefault.config", ".config"), (ms, "msdengdefault.led", ".led"),
                                 (ms, "mskeydefault.pro", ".pro")]:
        for name in ("p0", "p1"):
            shutil.copyfile(os.path.join(defaults, default), os.path.join(folder, name + ext))

    steps = (KEYBOARD_MACRO_MEMORY - MACRO_FIXED_BYTES) // MACRO_STEP_BYTES
    with open(os.path.join(kb, "kbMacro.ini"), "w") as f:
        f.write("[MACROCOUNT]\ncount=1\n[MACRONAME]\n0=full\n")
    with open(os.path.join(kb, "full.mac"), "w") as f:
        f.write(f"[MACROACTIONCOUNT]\ncount={steps}\n[MACROACTION]\n")
        for i in range(steps):
            f.write(f"{i}=10,0,1,4,1,a\n")


def run_build(bin_dir, label):
    root = tempfile.mkdtemp(prefix="corvane-bench-")
    home = os.path.join(root, "home")
    runtime = os.path.join(root, "run")
    os.makedirs(home)
    os.makedirs(runtime, mode=0o700)
    prepare_home(home, os.path.join(bin_dir, "defaults"))
    env = dict(os.environ, HOME=home, XDG_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="offscreen")
    env.pop("CORVANE_HOME", None)
    env.pop("XDG_DOCUMENTS_DIR", None)
    socket_path = os.path.join(runtime, INSTANCE_NAME)

    results = {}
    marks = []
    started = time.monotonic()
    proc = subprocess.Popen([os.path.join(bin_dir, "corvane"), "--virtual-devices",
                             f"--virtual-latency-us={LATENCY_US}", "--no-screenshots"],
                            env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    probe = None
    try:
        while not os.path.exists(socket_path):
            if proc.poll() is not None or time.monotonic() - started > 30:
                raise RuntimeError("the program did not start")
            time.sleep(0.002)
        ctl = None
        while ctl is None:
            try:
                ctl = Channel(socket_path)
            except OSError:
                time.sleep(0.002)
        probe = Probe(socket_path)
        probe.start()
        has_stats = not ctl.call("stats reset").startswith("error")

        def phase(name, body):
            if has_stats:
                must(ctl, "stats reset")
            begin = time.monotonic()
            body()
            must(ctl, "wait idle 60000")
            end = time.monotonic()
            heartbeat = None
            if has_stats:
                heartbeat = json.loads(must(ctl, "stats")[3:])["uiMaxStallMs"]
            results[name] = (probe.worst_between(begin, end), heartbeat, end - begin)

        def startup():
            for kind in ("kb", "ms", "mp"):
                must(ctl, f"wait connected {kind} 30000")

        def profiles():
            for i in range(PROFILE_SWITCHES):
                n = (i + 1) % 2
                must(ctl, "select kb_tab on")
                must(ctl, f"item kb_deng_profile_combo {n}")
                must(ctl, "select ms_tab on")
                must(ctl, f"item ms_device_profile_combo {n}")
                must(ctl, f"item ms_deng_profile_combo {n}")
                must(ctl, f"item ms_key_profile_combo {n}")

        def dpi():
            must(ctl, "select ms_tab on")
            must(ctl, "select ms_rich_Op_tab on")
            level = 1
            while True:
                reply = ctl.call(f"get ms_DPI{level}_slider")
                if not reply.startswith("ok"):
                    break
                slider = json.loads(reply[3:])
                if slider.get("visible", True) and slider.get("enabled", True):
                    for value in range(slider["min"], slider["max"] + 1):
                        must(ctl, f"value ms_DPI{level}_slider {value} drag")
                    must(ctl, f"value ms_DPI{level}_slider {slider['max']}")
                level += 1

        def upload():
            must(ctl, "select kb_tab on")
            must(ctl, "select kb_key_Op_tab on")
            must(ctl, "click kb_key_butt_prosave")

        def wedged():
            reply = ctl.call("virtual kb fault no-answer 1 0")
            if not reply.startswith("ok"):
                raise RuntimeError(f"no fault hook in this build ({reply})")
            try:
                upload()
            finally:
                must(ctl, "wait idle 60000")
                ctl.call("virtual kb fault clear")

        must(ctl, "boxes auto confirm")
        for name, body in [("startup", startup), ("profiles", profiles), ("dpi", dpi), ("upload", upload),
                           ("wedged", wedged)]:
            if name == "startup":
                begin = started
                body()
                must(ctl, "wait idle 60000")
                end = time.monotonic()
                results[name] = (probe.worst_between(begin, end), None, end - begin)
                continue
            try:
                phase(name, body)
            except RuntimeError as error:
                results[name] = None
                print(f"  {label}: {name} skipped: {error}", file=sys.stderr)
        quit_at = time.monotonic()
        ctl.call("quit")
        proc.wait(timeout=30)
        results["quit"] = (None, None, time.monotonic() - quit_at)
    finally:
        if probe:
            probe.stop()
        if proc.poll() is None:
            proc.kill()
            proc.wait()
        shutil.rmtree(root, ignore_errors=True)
    return results


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("bins", nargs="+", help="folders holding corvane, skin/ and defaults/")
    args = parser.parse_args()
    table = {}
    for bin_dir in args.bins:
        # build/bin of a worktree: named after the worktree
        label = os.path.basename(os.path.dirname(os.path.dirname(os.path.abspath(bin_dir).rstrip("/")))) or bin_dir
        print(f"running {bin_dir} ...", file=sys.stderr)
        table[label] = run_build(os.path.abspath(bin_dir), label)

    phases = ["startup", "profiles", "dpi", "upload", "wedged", "quit"]
    print(f"largest UI stall per phase, ms (probe round trip; [heartbeat] where the build has stats); "
          f"goal < {GOAL_MS} ms")
    print(f"{'phase':10}" + "".join(f"{label:>28}" for label in table))
    for phase in phases:
        row = f"{phase:10}"
        for results in table.values():
            r = results.get(phase)
            if r is None:
                cell = "skipped"
            elif phase == "quit":
                cell = f"ends in {r[2]*1000:.0f} ms"
            else:
                probe_ms, heartbeat, seconds = r
                cell = f"{probe_ms:.0f}" + (f" [{heartbeat}]" if heartbeat is not None else "") + f" ({seconds:.1f} s)"
            row += f"{cell:>28}"
        print(row)


if __name__ == "__main__":
    main()
