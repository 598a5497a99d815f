#!/usr/bin/env python3
"""Measures what Voltrim's display costs and prints the benchmark's tables.

Run by scripts/bench.sh inside the faked battery's mount namespace, with a
virtual screen and one persistent wineserver up (WINEPREFIX and DISPLAY set).
Every CPU figure is the kernel's own count of the time that the processes
ran, read from /proc (the scheduler's nanosecond counter of each thread):
the program's, the prefix's wineserver's and the X server's. In order:

1. Warm-up: waits until the fresh prefix's server has gone quiet.
2. Traced: one instance of the real program, driven through its dialog by
   voltrim_bench.exe, under Wine's trace of registry queries (+reg), screen
   device contexts (+win) and power-status calls (+powermgnt); each worker
   cycle's store reads, battery readings and device contexts are counted
   from it and set beside the design's counts.
3. Measured: another instance, untraced, in rounds whose order turns every
   other time. For each period and style the display runs on, then the same
   instance has "&Active" cleared and runs off; the display's own cost is
   the window on less the mean of the windows off on either side of it.
   Cycles are counted in each window from the program's battery readings
   (the faked supply's files opened, seen through inotify), divided by the
   readings per cycle of the traced run. Each round also measures:
   - the native peer, xbattbar, on the same screen with the same battery:
     its own process, its helpers (their time shows in its children's
     counters once reaped, and live ones are read where they run), and what
     the X server spends beyond its idle;
   - voltrim_percall.exe repeating one platform call or drawer operation at
     a time: the three processes' time over the loop, less what they spend
     in a loop that only sleeps, divided by the calls made.
4. xbattbar once more, with its default poll every 10 s, over a longer
   window.
5. Tables: the display's cost per period and style beside the floor that
   the design's calls make (its call counts times the per-call costs), the
   per-call costs, and the peer with Voltrim's cost at 1000 ms as a ratio.
"""
import argparse
import collections
import ctypes
import math
import os
import re
import select
import shutil
import statistics
import struct
import subprocess
import sys
import threading
import time

PERIODS = (100, 600, 1000, 2000)
# "changed" is the solid line with the battery's level changing every cycle;
# "unknown" the solid line with no battery, whose level Wine reports as
# unknown (255), as in the figures before this benchmark. Both are measured
# at the shortest period only: their calls do not change with the period.
STYLES = ("solid", "dotted", "blinking", "changed", "unknown")
ONCE_STYLES = ("changed", "unknown")
LEVEL = 73
CHANGED_LEVELS = (73, 72)

# Calls of one worker cycle in the design: store reads, battery readings,
# screen device contexts; and those of a worker's first cycle, whose level
# differs from the worker's initial 0.
DESIGN = {"solid": (9, 2, 1), "dotted": (9, 2, 1), "blinking": (10, 2, 2), "changed": (9, 3, 2),
          "unknown": (9, 2, 1)}
DESIGN_FIRST = (9, 3, 2)
# The same cycle in the per-call program's units: the worker's own store
# reads and battery readings, and the drawer's operations, each of which
# makes its own "Position" read, device context, two GetDeviceCaps and
# read-back, and the draws their own battery reading. The watchdog adds one
# store read a second.
FLOOR_CALLS = {
    "solid": {"read": 8, "battery": 1, "solid": 1},
    "dotted": {"read": 8, "battery": 1, "dotted": 1},
    "blinking": {"read": 8, "battery": 1, "erase": 1, "solid": 1},
    "changed": {"read": 7, "battery": 2, "erase": 1, "solid": 1},
    "unknown": {"read": 8, "nobattery": 2, "solid": 1, "battery": -1},
}
PER_CALLS = (
    ("read", "store read (create-or-open, query, close)"),
    ("caps", "GetDeviceCaps on the screen's context"),
    ("dc", "GetDC + ReleaseDC"),
    ("pixel", "read-back GetPixel"),
    ("battery", "battery reading (GetSystemPowerStatusEx2)"),
    ("nobattery", "the same, no battery (level unknown)"),
    ("solid", "solid draw (CLineDrawer::drawLine)"),
    ("dotted", "dotted draw (CLineDrawer::drawDotted)"),
    ("erase", "erase (CLineDrawer::erase)"),
)
# Figures measured before the dotted draw asked the screen's size once per
# drawing: program + Wine server + X with the display on, % of one core,
# battery unknown.
OLD_SOLID = {100: 1.80, 600: 0.545, 2000: 0.309}
# What the Wine server spent anyway in each of those figures.
OLD_BASELINE = 0.12
DOTTED_LIMIT = 1.3

PEER_HELPER = "/usr/lib/xbattbar/xbattbar-check-sys"
# -t is the bar's thickness (one pixel, like Voltrim's line) and -p the
# poll interval: every second is what a 1000 ms period compares with; with
# -t 1 alone xbattbar polls every 10 s, its default.
PEER_COMMANDS = {
    "1 s poll": ["xbattbar", "-t", "1", "-p", "1", "-s", PEER_HELPER],
    "10 s poll": ["xbattbar", "-t", "1", "-s", PEER_HELPER],
}

BATTERY_DIR = "/sys/class/power_supply/BAT0"
MAINS_DIR = "/sys/class/power_supply/AC"
# Files that one reading opens once: Wine's power status reads the mains'
# state, with a battery or without; xbattbar's helper the battery's energy.
WINE_READ_FILE = "online"
PEER_READ_FILE = "energy_full"

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")
PROCS = ("program", "server", "x")


def say(text):
    print(text, file=sys.stderr, flush=True)


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


# ---------------------------------------------------------------- processes


def ours(pid, prefix):
    return ("WINEPREFIX=" + prefix).encode() in read("/proc/%d/environ" % pid).split(b"\0")


def find_pids(pattern, prefix):
    """Processes of this Wine prefix whose program's name matches pattern."""
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        pid = int(name)
        program = read("/proc/%d/cmdline" % pid).split(b"\0")[0].decode(errors="replace")
        if re.search(pattern, program) and ours(pid, prefix):
            found.append(pid)
    return found


def wait_pid(pattern, prefix, timeout=30):
    deadline = time.monotonic() + timeout
    while time.monotonic() < deadline:
        pids = find_pids(pattern, prefix)
        if len(pids) == 1:
            return pids[0]
        time.sleep(0.1)
    sys.exit("expected one process %s of this prefix, found %r" % (pattern, find_pids(pattern, prefix)))


def thread_ns(pid):
    """Nanoseconds run by each live thread of a process."""
    result = {}
    try:
        tids = os.listdir("/proc/%d/task" % pid)
    except OSError:
        return result
    for tid in tids:
        fields = read("/proc/%d/task/%s/schedstat" % (pid, tid)).split()
        if fields:
            result[tid] = int(fields[0])
    return result


def stat_fields(pid):
    """/proc/PID/stat after the command name: [state, ppid, ...]."""
    return read("/proc/%d/stat" % pid).rsplit(b")", 1)[-1].split()


def children(pid):
    kids = []
    try:
        for tid in os.listdir("/proc/%d/task" % pid):
            kids += [int(k) for k in read("/proc/%d/task/%s/children" % (pid, tid)).split()]
    except OSError:
        pass
    return kids


def tree_ns(pid):
    """A process's descendants' time: those reaped (its children's
    counters, in clock ticks) and those still running. The running ones are
    read first: one reaped meanwhile then shows in the counters read after."""
    live = 0
    for kid in children(pid):
        own = sum(thread_ns(kid).values())
        if not own:
            fields = stat_fields(kid)
            own = (int(fields[11]) + int(fields[12])) * 1e9 / CLOCK_TICKS if len(fields) > 12 else 0
        live += own + tree_ns(kid)
    fields = stat_fields(pid)
    reaped = (int(fields[13]) + int(fields[14])) * 1e9 / CLOCK_TICKS if len(fields) > 14 else 0
    return live + reaped


class Sample:
    """CPU nanoseconds of each measured process at one moment."""

    def __init__(self, pids, peer=None):
        self.time = time.monotonic()
        self.threads = {name: thread_ns(pid) for name, pid in pids.items() if pid}
        self.peer_own = sum(thread_ns(peer).values()) if peer else 0
        self.peer_kids = tree_ns(peer) if peer else 0


class Window:
    """What each process ran between two samples. Threads that ended
    inside the window took their time with them: they are counted, and the
    measured windows are placed so that none ends (the worker runs through
    a window with the display on, and has ended before one with it off)."""

    def __init__(self, a, b):
        self.seconds = b.time - a.time
        self.ns = {}
        self.ended = 0
        for name, after in b.threads.items():
            before = a.threads.get(name, {})
            self.ns[name] = sum(v - before.get(tid, 0) for tid, v in after.items())
            self.ended += len(set(before) - set(after))
        self.ns["peer_own"] = b.peer_own - a.peer_own
        self.ns["peer_kids"] = b.peer_kids - a.peer_kids

    def percent(self, name):
        return 100.0 * self.ns.get(name, 0) / 1e9 / self.seconds


def measure(pids, seconds, peer=None):
    a = Sample(pids, peer)
    time.sleep(seconds)
    return Window(a, Sample(pids, peer))


def wait_quiet(pids, limit_percent=1.0, quiet_slices=3, timeout=90):
    """Waits until the server and X together use under limit_percent of a
    core for quiet_slices seconds in a row; returns the seconds waited."""
    start = time.monotonic()
    quiet = 0
    while quiet < quiet_slices and time.monotonic() - start < timeout:
        w = measure(pids, 1.0)
        quiet = quiet + 1 if w.percent("server") + w.percent("x") < limit_percent else 0
    return time.monotonic() - start


# ---------------------------------------------------------------- battery


class OpenCounter:
    """Counts the opens of each file of the faked battery, as inotify
    reports them: every power-status reading opens the files it reads. The
    kernel queues the events; each count takes in those queued so far."""

    IN_OPEN = 0x20
    IN_NONBLOCK = 0o4000

    def __init__(self, *folders):
        self.libc = ctypes.CDLL(None, use_errno=True)
        self.fd = self.libc.inotify_init1(self.IN_NONBLOCK)
        if self.fd < 0:
            sys.exit("no inotify: errno %d" % ctypes.get_errno())
        for folder in folders:
            self.watch(folder)
        self.counts = collections.Counter()

    def watch(self, folder):
        """Also again for a folder made anew."""
        if self.libc.inotify_add_watch(self.fd, folder.encode(), self.IN_OPEN) < 0:
            sys.exit("cannot watch %s: errno %d" % (folder, ctypes.get_errno()))

    def count(self, name):
        while True:
            try:
                data = os.read(self.fd, 65536)
            except BlockingIOError:
                return self.counts[name]
            i = 0
            while i < len(data):
                _, _, _, length = struct.unpack_from("iIII", data, i)
                self.counts[data[i + 16:i + 16 + length].rstrip(b"\0").decode(errors="replace")] += 1
                i += 16 + length

    def wait_next(self, name, timeout):
        """Waits for the next open of a file; true when it came in time."""
        before = self.count(name)
        deadline = time.monotonic() + timeout
        while self.count(name) == before:
            remaining = deadline - time.monotonic()
            if remaining <= 0:
                return False
            select.select([self.fd], [], [], remaining)
        return True

    def close(self):
        os.close(self.fd)


def write_file(path, value):
    """Written beside and renamed over, so that no reader meets it half
    written."""
    with open(path + ".new", "w") as f:
        f.write("%d\n" % value)
    os.replace(path + ".new", path)


class Battery:
    """The faked battery, as scripts/battery.sh made it: its level written
    the same way, and the battery taken out and put back whole. Its files
    are read once, before anything is counted."""

    def __init__(self):
        self.files = {name: read(os.path.join(BATTERY_DIR, name)) for name in os.listdir(BATTERY_DIR)}
        self.charge_full = int(self.files["charge_full"])
        self.energy_full = int(self.files["energy_full"])

    def remove(self):
        shutil.rmtree(BATTERY_DIR)

    def restore(self):
        os.mkdir(BATTERY_DIR)
        for name, data in self.files.items():
            with open(os.path.join(BATTERY_DIR, name), "wb") as f:
                f.write(data)

    def set_level(self, percent):
        write_file(os.path.join(BATTERY_DIR, "charge_now"), self.charge_full * percent // 100)
        write_file(os.path.join(BATTERY_DIR, "energy_now"), self.energy_full * percent // 100)


class LevelFlipper:
    """Moves the battery between two levels once a cycle: half a period
    after each cycle's first battery reading, while the worker sleeps, so
    that every cycle reads a level other than the last one's."""

    def __init__(self, period_ms, battery):
        self.period = period_ms / 1000.0
        self.battery = battery
        self.readings = OpenCounter(MAINS_DIR)
        self.stopped = threading.Event()
        self.thread = threading.Thread(target=self.run, daemon=True)
        self.thread.start()

    def run(self):
        i = 0
        while not self.stopped.is_set():
            # Short waits, so that a stop is seen soon.
            if not self.readings.wait_next(WINE_READ_FILE, 0.2):
                continue
            if self.stopped.wait(self.period / 2):
                break
            i += 1
            self.battery.set_level(CHANGED_LEVELS[i % 2])

    def stop(self):
        self.stopped.set()
        self.thread.join()
        self.readings.close()
        self.battery.set_level(LEVEL)


class StyleBattery:
    """What a style does to the battery while the display runs: changes its
    level every period, or takes it out. end() puts it back as it was."""

    def __init__(self, style, period, battery, counter=None):
        self.flipper = LevelFlipper(period, battery) if style == "changed" else None
        self.removed = battery if style == "unknown" else None
        self.counter = counter
        if self.removed:
            self.removed.remove()

    def end(self):
        if self.flipper:
            self.flipper.stop()
        if self.removed:
            self.removed.restore()
            if self.counter:
                self.counter.watch(BATTERY_DIR)


# ---------------------------------------------------------------- programs


class WineProgram:
    """A Wine program of the bench, answering one line per command."""

    def __init__(self, exe, env=None, stderr=subprocess.DEVNULL):
        self.proc = subprocess.Popen(["wine", exe], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=stderr,
                                     env=env)

    def ask(self, command, timeout=120):
        self.proc.stdin.write((command + "\n").encode())
        self.proc.stdin.flush()
        ready, _, _ = select.select([self.proc.stdout], [], [], timeout)
        line = self.proc.stdout.readline().decode(errors="replace").strip() if ready else ""
        if not line.startswith("OK"):
            sys.exit("%s: %r answered %r" % (self.proc.args[1], command, line or "nothing"))
        return line.split()[1:]

    def close(self):
        self.proc.stdin.close()
        try:
            self.proc.wait(timeout=60)
        except subprocess.TimeoutExpired:
            self.proc.kill()


class Driver(WineProgram):
    """voltrim_bench.exe and the instance of Voltrim.exe that it drives."""

    def start(self, prefix):
        """Starts the program; its Windows id and the id of its process here."""
        win_pid = int(self.ask("start")[0])
        return win_pid, wait_pid(r"Voltrim\.exe", prefix)

    def style(self, period, style):
        self.ask("style %d %s" % (period, "solid" if style in ONCE_STYLES else style))

    def exit(self):
        code = self.ask("exit")[0]
        self.close()
        return code


def start_window(counter, period):
    """After the display is switched on (its first cycle drawn): waits for
    the next cycle's first battery reading, then a quarter period, so that
    a window of whole periods starts and ends between two cycles' calls and
    holds each cycle's calls whole."""
    if not counter.wait_next(WINE_READ_FILE, 2.0 * period / 1000.0 + 1.0):
        sys.exit("the worker made no battery reading")
    time.sleep(period / 4000.0)


def window_seconds(window, period):
    """A whole number of periods, at least the window asked for and four
    periods, so that every window holds about as many cycles as it can."""
    n = max(4, math.ceil(window * 1000.0 / period))
    return n * period / 1000.0


# ---------------------------------------------------------------- phases


class PerCall:
    """voltrim_percall.exe: each slot loops over every call once."""

    NAMES = ["idle"] + [name for name, _ in PER_CALLS]

    def __init__(self, exe, pids_base, prefix, seconds, battery, counter):
        self.battery = battery
        self.counter = counter
        self.program = WineProgram(exe)
        self.program.ask("idle 0.2")
        self.pids = dict(pids_base, program=wait_pid(r"voltrim_percall\.exe", prefix))
        self.seconds = seconds
        self.runs = collections.defaultdict(list)

    def slot(self, reverse):
        for name in (self.NAMES[::-1] if reverse else self.NAMES):
            taken_out = StyleBattery("unknown" if name == "nobattery" else "solid", 0, self.battery, self.counter)
            call = "battery" if name == "nobattery" else name
            a = Sample(self.pids)
            count = int(self.program.ask("%s %.2f" % (call, self.seconds))[1])
            self.runs[name].append((Window(a, Sample(self.pids)), count))
            taken_out.end()

    def costs(self):
        """Per call, µs: each loop less what the processes spend anyway (the
        loops that only sleep), divided by the calls it made."""
        self.program.close()
        if not self.runs:
            return None
        idle = {p: statistics.median(w.ns[p] / w.seconds for w, _ in self.runs["idle"]) for p in PROCS}
        costs = {}
        for name, _ in PER_CALLS:
            runs = self.runs[name]
            extra = lambda w, p: (w.ns[p] - idle[p] * w.seconds) / 1000.0
            costs[name] = {p: statistics.median(extra(w, p) / count for w, count in runs) for p in PROCS}
            costs[name]["total"] = statistics.median(sum(extra(w, p) for p in PROCS) / count for w, count in runs)
            costs[name]["calls"] = statistics.median(count for _, count in runs)
        return costs


def trace_events(path, win_pid):
    """Segments of the trace, one per configuration the bench marked: for
    each, per thread, the worker's calls in order with their kinds."""
    pid = "%04x" % win_pid
    line_re = re.compile(r"^\d+\.\d+:" + pid + r":([0-9a-f]{4}):trace:(\w+):(\S+) (.*)$")
    segments = {}
    current = None
    with open(path, "r", errors="replace") as f:
        for line in f:
            if line.startswith("bench:segment "):
                key = line.split()[1:]
                current = None if key == ["end"] else (int(key[0]), key[1])
                if current:
                    segments[current] = []
                continue
            if current is None:
                continue
            m = line_re.match(line)
            if not m:
                continue
            tid, channel, func, rest = m.groups()
            if channel == "reg" and func == "RegQueryValueExW":
                name = re.search(r'L"([^"]*)"', rest)
                segments[current].append((tid, "read", name.group(1) if name else "?"))
            elif channel == "win" and func == "NtUserGetDCEx" and rest.startswith("hwnd "):
                segments[current].append((tid, "getdc", ""))
            elif channel == "win" and func == "release_dc":
                segments[current].append((tid, "releasedc", ""))
            elif channel == "powermgnt" and func == "GetSystemPowerStatus":
                segments[current].append((tid, "battery", ""))
    return segments


def count_cycles(events):
    """The worker's cycles, each from its "Speed" read: store reads, battery
    readings, device contexts got and released. The worker is the thread
    that reads "Speed"; the last cycle is cut short by the display's end."""
    speed = collections.Counter(tid for tid, kind, name in events if kind == "read" and name == "Speed")
    if not speed:
        return None
    worker = speed.most_common(1)[0][0]
    cycles = []
    for tid, kind, name in events:
        if tid != worker:
            continue
        if kind == "read" and name == "Speed":
            cycles.append(collections.Counter())
        if cycles:
            cycles[-1][kind] += 1
    complete = cycles[:-1]
    if len(complete) < 2:
        return None
    steady = complete[1:]
    mean = lambda kind: sum(c[kind] for c in steady) / len(steady)
    mix = lambda kind: "/".join(str(k) for k, _ in collections.Counter(c[kind] for c in steady).most_common())
    first = complete[0]
    return {
        "cycles": len(steady),
        "reads": mix("read"), "battery": mix("battery"), "dcs": mix("getdc"),
        "battery_mean": mean("battery"),
        "first": (first["read"], first["battery"], first["getdc"]),
        "unreleased": sum(c["getdc"] - c["releasedc"] for c in complete),
    }


def traced_phase(exe, prefix, configs, trace_path, battery):
    env = dict(os.environ, WINEDEBUG="+pid,+timestamp,+reg,+win,+powermgnt")
    # Appended to by the bench's markers and Wine's trace alike.
    trace = open(trace_path, "ab", buffering=0)
    driver = Driver(exe, env=env, stderr=trace)
    win_pid, _ = driver.start(prefix)
    counts = {}
    for period, style in configs:
        say("  traced %5d ms %s" % (period, style))
        driver.style(period, style)
        trace.write(b"bench:segment %d %s\n" % (period, style.encode()))
        style_battery = StyleBattery(style, period, battery)
        driver.ask("on")
        time.sleep(max(3.0, 6 * period / 1000.0))
        driver.ask("off")
        style_battery.end()
        trace.write(b"bench:segment end\n")
    exit_code = driver.exit()
    trace.close()
    segments = trace_events(trace_path, win_pid)
    for config in configs:
        counts[config] = count_cycles(segments.get(config, []))
    return counts, exit_code



def peer_slot(pids, variant, idle_seconds, seconds, counter):
    """The X server idle, then the peer running: its process, its helpers
    and what X spends beyond the idle window's rate."""
    idle = measure(pids, idle_seconds)
    proc = subprocess.Popen(PEER_COMMANDS[variant], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    # Its start-up (connecting, the first poll and paint) is not measured.
    time.sleep(1.5)
    if proc.poll() is not None:
        sys.exit("%s ended at once (exit code %d)" % (" ".join(PEER_COMMANDS[variant]), proc.returncode))
    c0 = counter.count(PEER_READ_FILE)
    busy = measure(pids, seconds, peer=proc.pid)
    polls = counter.count(PEER_READ_FILE) - c0
    proc.terminate()
    proc.wait()
    x_share = busy.percent("x") - idle.percent("x")
    total = busy.percent("peer_own") + busy.percent("peer_kids") + x_share
    return {"own": busy.percent("peer_own"), "kids": busy.percent("peer_kids"), "x": x_share, "total": total,
            "polls_per_s": polls / busy.seconds,
            "us_per_poll": total / 100.0 * busy.seconds * 1e6 / polls if polls else None, "idle": idle}


def measured_phase(exe, prefix, pids_base, configs, args, counter, run_peer, per_call, battery):
    """Rounds over every configuration, the peer and the per-call loops. The
    display's windows on alternate with its windows off, so that each window
    on has one off on either side: the baseline is their mean."""
    driver = Driver(exe)
    _, pid = driver.start(prefix)
    pids = dict(pids_base, program=pid)
    # The instance warmed: its first display and its first stop.
    driver.style(100, "solid")
    driver.ask("on")
    time.sleep(3.0)
    driver.ask("off")
    time.sleep(1.0)
    last_off = measure(pids, args.window)
    runs = collections.defaultdict(list)
    peer_runs = []
    items = list(configs) + (["peer"] if run_peer else []) + ["per call"]
    for r in range(args.rounds):
        for item in (items if r % 2 == 0 else items[::-1]):
            say("  round %d: %s" % (r + 1, item if isinstance(item, str) else "%5d ms %s" % item))
            if item == "per call":
                per_call.slot(reverse=r % 2 == 1)
                continue
            if item == "peer":
                peer = peer_slot(pids, "1 s poll", args.window, args.window, counter)
                last_off = peer.pop("idle")
                peer_runs.append(peer)
                continue
            period, style = item
            driver.style(period, style)
            style_battery = StyleBattery(style, period, battery, counter)
            driver.ask("on")
            start_window(counter, period)
            seconds = window_seconds(args.window, period)
            r0 = counter.count(WINE_READ_FILE)
            on = measure(pids, seconds)
            readings = counter.count(WINE_READ_FILE) - r0
            stop_ms = int(driver.ask("off")[0])
            style_battery.end()
            time.sleep(0.3)
            off = measure(pids, seconds)
            runs[item].append({"on": on, "offs": (last_off, off), "readings": readings, "stop_ms": stop_ms})
            last_off = off
    status = read("/proc/%d/status" % pid).decode(errors="replace")
    memory = {key: int(re.search(r"^%s:\s+(\d+) kB" % key, status, re.M).group(1)) / 1024.0
              for key in ("VmHWM", "VmRSS")}
    exit_code = driver.exit()
    return runs, peer_runs, memory, exit_code


# ---------------------------------------------------------------- report


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def fmt(value, pattern="%.3f"):
    return "-" if value is None else pattern % value


def summarise(config, config_runs, traced, costs):
    period, style = config
    t = traced.get(config)
    per_cycle = t["battery_mean"] if t and t["battery_mean"] else None
    rows = []
    for run in config_runs:
        on, offs = run["on"], run["offs"]
        off = {p: statistics.mean(w.percent(p) for w in offs) for p in PROCS}
        own = {p: on.percent(p) - off[p] for p in PROCS}
        own_ns = sum(own.values()) / 100.0 * 1e9 * on.seconds
        cycles = run["readings"] / per_cycle if per_cycle else None
        rows.append({
            "own": own, "own_sum": sum(own.values()),
            "on": sum(on.percent(p) for p in PROCS), "off": sum(off.values()),
            "rate": cycles / on.seconds if cycles else None,
            "us_cycle": own_ns / cycles / 1000.0 if cycles else None,
            "stop_ms": run["stop_ms"], "ended": on.ended + sum(w.ended for w in offs),
        })
    s = {p: median(r["own"][p] for r in rows) for p in PROCS}
    for key in ("own_sum", "on", "off", "rate", "us_cycle", "stop_ms"):
        s[key] = median(r[key] for r in rows)
    s["ended"] = sum(r["ended"] for r in rows)
    s["rounds"] = [r["own_sum"] for r in rows]
    s["floor"] = (sum(n * costs[call]["total"] for call, n in FLOOR_CALLS[style].items()) +
                  costs["read"]["total"] * period / 1000.0) if costs else None
    s["trace"] = t
    return s


def print_report(args, configs, costs, traced, traced_exit, runs, peer_runs, peer_default, memory, exit_code,
                 loads, started):
    print("## Display's own cost, per period and style")
    print()
    header = ("| Period ms | Style | Program % | Wine server % | X % | On % | Off % | Own % | Cycles/s (asked) "
              "| Own µs/cycle | Floor µs/cycle | Own ÷ floor | Reads/cycle (design) "
              "| Battery readings/cycle (design) | DCs/cycle (design) |")
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    summary = {}
    for config in configs:
        period, style = config
        s = summary[config] = summarise(config, runs[config], traced, costs)
        t = s["trace"] or {}
        reads, battery, dcs = DESIGN[style]
        print("| %d | %s | %s | %s | %s | %s | %s | %s | %s (%.2f) | %s | %s | %s | %s (%d) | %s (%d) | %s (%d) |" % (
            period, style, fmt(s["program"]), fmt(s["server"]), fmt(s["x"]), fmt(s["on"]), fmt(s["off"]),
            fmt(s["own_sum"]), fmt(s["rate"], "%.2f"), 1000.0 / period, fmt(s["us_cycle"], "%.0f"),
            fmt(s["floor"], "%.0f"),
            fmt(s["us_cycle"] / s["floor"] if s["us_cycle"] and s["floor"] else None, "%.2f"),
            t.get("reads", "-"), reads, t.get("battery", "-"), battery, t.get("dcs", "-"), dcs))
    print()
    print("Program, Wine server, X: each one's CPU with the display on less the same instance's with it off, "
          "%% of one core; On, Off: the three together, Off the mean of the windows off on either side of the "
          "window on; Own: the display's own cost. Medians of %d rounds, each column on its own, windows of about "
          "%.0f s. Cycles counted in each window from the program's battery readings; Floor: the design's calls of "
          "one cycle (and the watchdog's store read for one period) times their cost in the table below."
          % (args.rounds, args.window))
    print()

    ratios = []
    for period in sorted(set(p for p, _ in configs)):
        solid, dotted = summary.get((period, "solid")), summary.get((period, "dotted"))
        if solid and dotted and solid["own_sum"] and dotted["own_sum"] is not None:
            rounds = [d / s for d, s in zip(dotted["rounds"], solid["rounds"]) if s > 0]
            ratios.append((period, dotted["own_sum"] / solid["own_sum"], min(rounds), max(rounds)))
    if ratios:
        print("Dotted ÷ solid, display's own cost, medians (each round's pair, lowest to highest): %s; within %.1f "
              "at every period: %s." % (", ".join("%d ms %.2f (%.2f to %.2f)" % r for r in ratios), DOTTED_LIMIT,
                                        "yes" if all(r[1] <= DOTTED_LIMIT for r in ratios) else "NO"))
    olds = []
    for period, old in sorted(OLD_SOLID.items()):
        for style, battery in (("unknown", "no battery, as then"), ("solid", "battery at %d %%" % LEVEL)):
            if (period, style) in summary:
                olds.append((period, battery, summary[(period, style)], old))
                break
    if olds:
        print("Solid against the figures before this benchmark (display on; own cost then taken as that figure less "
              "the Wine server's %.2f of periodic work): %s." % (OLD_BASELINE, "; ".join(
                  "%d ms, %s: on %.3f (was %.3f), own %.3f (was about %.3f)" % (
                      period, battery, row["on"], old, row["own_sum"], old - OLD_BASELINE)
                  for period, battery, row, old in olds)))
    firsts = collections.Counter(s["trace"]["first"] for s in summary.values() if s["trace"])
    print("First cycle of each worker, reads, battery readings, DCs: %s (design %s)." % (
        "; ".join("%d, %d, %d in %d configurations" % (k + (n,)) for k, n in firsts.items()) or "-",
        "%d, %d, %d" % DESIGN_FIRST))
    unreleased = sum(s["trace"]["unreleased"] for s in summary.values() if s["trace"])
    print("Device contexts got but not released in the traced cycles: %d. Threads that ended inside a measured "
          "window: %d." % (unreleased, sum(s["ended"] for s in summary.values())))
    stops = collections.defaultdict(list)
    for (period, _), s in summary.items():
        stops[period].append(s["stop_ms"])
    print("\"&Active\" cleared to the last worker's end, median ms: %s." % ", ".join(
        "%d ms period %.0f" % (p, median(v)) for p, v in sorted(stops.items())))
    print("Program's memory: peak %.1f MiB, at the end %.1f MiB. Exit codes: measured %s, traced %s." % (
        memory["VmHWM"], memory["VmRSS"], exit_code, traced_exit))
    print()

    if costs:
        print("## Where the time goes: one call")
        print()
        print("| Call | Program µs | Wine server µs | X µs | Total µs | Calls per loop |")
        print("|---|---|---|---|---|---|")
        for name, label in PER_CALLS:
            c = costs[name]
            print("| %s | %.1f | %.1f | %.1f | %.1f | %d |" % (label, c["program"], c["server"], c["x"], c["total"],
                                                        c["calls"]))
        print()
        print("CPU of the per-call program, the Wine server and X over a loop of %.1f s, less what they spend "
              "in a loop that only sleeps, per call; medians of %d loops, one a round. The draws and the erase "
              "each include a store read, a device context, two GetDeviceCaps and the read-back; the draws a "
              "battery reading." % (args.percall_seconds, args.rounds))
        print()

    if peer_runs or peer_default:
        print("## The native peer: xbattbar on the same screen and battery")
        print()
        solid = summary.get((1000, "solid"))
        print("| Peer | Process % | Helpers % | X share % | Total % | Polls/s | µs/poll "
              "| Voltrim 1000 ms solid ÷ peer |")
        print("|---|---|---|---|---|---|---|---|")
        peers = []
        if peer_runs:
            peers.append(("1 s poll", {k: median(r[k] for r in peer_runs) for k in peer_runs[0]}))
        if peer_default:
            peers.append(("10 s poll", peer_default))
        for variant, p in peers:
            print("| `%s` | %s | %s | %s | %s | %s | %s | %s |" % (
                " ".join(PEER_COMMANDS[variant]), fmt(p["own"]), fmt(p["kids"]), fmt(p["x"]), fmt(p["total"]),
                fmt(p["polls_per_s"], "%.2f"), fmt(p["us_per_poll"], "%.0f"),
                fmt(solid["own_sum"] / p["total"] if solid and p["total"] else None, "%.2f")))
        print()
        for variant, p in peers:
            ours = [(style, summary[(1000, style)]["own_sum"]) for style in STYLES if (1000, style) in summary]
            if ours and p["total"]:
                print("Voltrim at 1000 ms, display's own cost ÷ `%s`: %s." % (
                    " ".join(PEER_COMMANDS[variant]),
                    ", ".join("%s %.3f %% ÷ %.3f %% = %.2f" % (style, v, p["total"], v / p["total"])
                              for style, v in ours)))
        print("Helpers: the peer's reaped children (its children's counters) and those still running; X share: "
              "X while the peer runs less X idle just before. -t sets the bar's thickness; -p the poll interval "
              "(10 s unless given).")
        print()
    print("Load average before %s, after %s. Whole run: %.0f s." % (
        " ".join("%.2f" % v for v in loads[0]), " ".join("%.2f" % v for v in os.getloadavg()),
        time.monotonic() - started))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver", help="Wine path of voltrim_bench.exe")
    parser.add_argument("percall", help="Wine path of voltrim_percall.exe")
    parser.add_argument("--xvfb-pid", type=int, required=True, help="the virtual screen's X server")
    parser.add_argument("--window", type=float, default=6.0, help="seconds of each measured window")
    parser.add_argument("--rounds", type=int, default=3, help="rounds over every configuration")
    parser.add_argument("--periods", default=",".join(map(str, PERIODS)), help="periods in ms, comma-separated")
    parser.add_argument("--styles", default=",".join(STYLES),
                        help="styles, comma-separated; changed (a solid line, the level changing every cycle) and "
                             "unknown (a solid line, no battery) are measured at the shortest period only")
    parser.add_argument("--percall-seconds", type=float, default=1.0, help="seconds of each per-call loop")
    parser.add_argument("--peer", action=argparse.BooleanOptionalAction, default=None,
                        help="measure xbattbar too (by default when 1000 ms is measured)")
    parser.add_argument("--peer-default-window", type=float, default=30.0,
                        help="seconds of xbattbar with its default poll every 10 s")
    parser.add_argument("--trace-dir", default="/tmp", help="where the traced run writes Wine's trace")
    args = parser.parse_args()

    started = time.monotonic()
    loads = [os.getloadavg()]
    prefix = os.environ["WINEPREFIX"]
    periods = [int(p) for p in args.periods.split(",")]
    styles = [st for st in args.styles.split(",") if st in DESIGN]
    configs = [(period, style) for period in periods for style in styles if style not in ONCE_STYLES]
    configs += [(min(periods), style) for style in styles if style in ONCE_STYLES]
    run_peer = args.peer if args.peer is not None else 1000 in periods
    servers = find_pids(r"wineserver", prefix)
    if not servers:
        sys.exit("no wineserver runs for " + prefix)
    pids_base = {"server": servers[0], "x": args.xvfb_pid}

    say("Warming up: waiting for the Wine server to go quiet")
    say("  quiet after %.0f s" % wait_quiet(pids_base))
    say("Traced: %d configurations" % len(configs))
    trace_path = os.path.join(args.trace_dir, "voltrim-bench-trace-%d.txt" % os.getpid())
    battery = Battery()
    traced, traced_exit = traced_phase(args.driver, prefix, configs, trace_path, battery)
    os.remove(trace_path)
    say("Measured: %d rounds of %d configurations (display on, then off), %sthe per-call loops (%d calls, %.1f s "
        "each); windows of about %.0f s" % (args.rounds, len(configs), "xbattbar, " if run_peer else "",
                                            len(PER_CALLS), args.percall_seconds, args.window))
    counter = OpenCounter(BATTERY_DIR, MAINS_DIR)
    per_call = PerCall(args.percall, pids_base, prefix, args.percall_seconds, battery, counter)
    runs, peer_runs, memory, exit_code = measured_phase(args.driver, prefix, pids_base, configs, args, counter,
                                                        run_peer, per_call, battery)
    costs = per_call.costs()
    peer_default = None
    if run_peer:
        say("xbattbar with its default poll every 10 s: %.0f s" % args.peer_default_window)
        # The program's end keeps X and the server busy for a moment.
        wait_quiet(pids_base)
        peer_default = peer_slot(pids_base, "10 s poll", args.window, args.peer_default_window, counter)
        peer_default.pop("idle")
    counter.close()
    print_report(args, configs, costs, traced, traced_exit, runs, peer_runs, peer_default, memory, exit_code, loads,
                 started)


if __name__ == "__main__":
    main()
