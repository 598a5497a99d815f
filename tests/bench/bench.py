#!/usr/bin/env python3
"""Runs the benchmark of Voltrim.exe under Wine and prints its table.

Called by scripts/bench.sh inside a running virtual screen and wineserver
(WINEPREFIX, DISPLAY set). For each period and style it runs the driver
voltrim_bench.exe twice:

- a plain run: CPU time of the program and of the wineserver over a measured
  window, the program's peak and steady memory, then (driver) the time from
  clearing "&Active" to the worker's end and from a second instance's start to
  the first one's end;
- a traced run (WINEDEBUG +reg,+win): every RegQueryValueExW and every screen
  device context acquired and released, per thread with time stamps, from
  which the worker's cycles, their rate, and the store reads and device
  contexts of each cycle are counted.

Nothing in the program is changed or instrumented; all of it is read from
/proc and from Wine's own trace.
"""
import argparse
import collections
import os
import re
import subprocess
import sys
import time

PERIODS = (100, 600, 2000)
STYLES = ("solid", "dotted", "blinking")
# Store reads and screen device contexts that one cycle of the worker makes:
# a steady cycle of each style, and the first cycle, whose level differs from
# the worker's initial 0.
EXPECTED = {"solid": (9, 1), "dotted": (9, 1), "blinking": (10, 2)}
EXPECTED_FIRST = (9, 2)

CLOCK_TICKS = os.sysconf("SC_CLK_TCK")


def read(path):
    try:
        with open(path, "rb") as f:
            return f.read()
    except OSError:
        return b""


def ours(pid, prefix):
    return ("WINEPREFIX=" + prefix).encode() in read("/proc/%d/environ" % pid).split(b"\0")


def find_pids(pattern, prefix):
    """Processes of this Wine prefix whose command line matches pattern."""
    found = []
    for name in os.listdir("/proc"):
        if not name.isdigit():
            continue
        pid = int(name)
        cmdline = read("/proc/%d/cmdline" % pid).replace(b"\0", b" ").decode(errors="replace")
        if re.search(pattern, cmdline) and ours(pid, prefix):
            found.append(pid)
    return found


def cpu_seconds(pid):
    """CPU time of all of a process's threads: from the scheduler's
    nanosecond counters where the kernel has them, else utime + stime."""
    total_ns = 0
    have = False
    try:
        for tid in os.listdir("/proc/%d/task" % pid):
            fields = read("/proc/%d/task/%s/schedstat" % (pid, tid)).split()
            if fields:
                total_ns += int(fields[0])
                have = True
    except OSError:
        pass
    if have:
        return total_ns / 1e9
    fields = read("/proc/%d/stat" % pid).rsplit(b")", 1)[-1].split()
    return (int(fields[11]) + int(fields[12])) / CLOCK_TICKS


def memory_kib(pid, key):
    m = re.search(rb"^" + key.encode() + rb":\s+(\d+) kB", read("/proc/%d/status" % pid), re.M)
    return int(m.group(1)) if m else 0


class Driver:
    """One run of voltrim_bench.exe, talking over its standard streams."""

    def __init__(self, exe, period, style, latencies=False, trace_path=None):
        env = dict(os.environ)
        stderr = subprocess.DEVNULL
        if trace_path:
            env["WINEDEBUG"] = "+pid,+timestamp,+reg,+win"
            stderr = open(trace_path, "wb")
        args = ["wine", exe, str(period), style] + (["--latencies"] if latencies else [])
        self.proc = subprocess.Popen(args, stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=stderr, env=env)
        self.results = {}

    def read_until(self, key, timeout=120):
        deadline = time.monotonic() + timeout
        while time.monotonic() < deadline:
            line = self.proc.stdout.readline()
            if not line:
                break
            parts = line.decode(errors="replace").strip().split(" ", 1)
            if len(parts) == 2 or parts[0]:
                self.results[parts[0]] = parts[1] if len(parts) == 2 else ""
            if parts[0] == key:
                return True
            if parts[0] == "ERROR":
                break
        return False

    def finish(self):
        self.proc.stdin.write(b"go\n")
        self.proc.stdin.flush()
        self.read_until("DONE")
        self.proc.wait(timeout=120)


def trace_counts(trace_path, win_pid):
    """Per worker cycle, from the traced run: reads, device contexts, and
    the cycle's start time. A cycle begins with the worker's "Speed" read."""
    pid = "%04x" % win_pid
    line_re = re.compile(r"^(\d+\.\d+):" + pid + r":([0-9a-f]{4}):trace:(\w+):(\S+) (.*)$")
    events = []
    speed_reads = collections.Counter()
    with open(trace_path, "r", errors="replace") as f:
        for line in f:
            m = line_re.match(line)
            if not m:
                continue
            stamp, tid, channel, func, rest = m.groups()
            if channel == "reg" and func == "RegQueryValueExW":
                name = re.search(r'L"([^"]*)"', rest)
                name = name.group(1) if name else "?"
                events.append((float(stamp), tid, "read", name))
                if name == "Speed":
                    speed_reads[tid] += 1
            elif channel == "win" and func == "NtUserGetDCEx" and rest.startswith("hwnd "):
                events.append((float(stamp), tid, "getdc", ""))
            elif channel == "win" and func == "release_dc":
                events.append((float(stamp), tid, "releasedc", ""))
    if not speed_reads:
        return None
    worker = speed_reads.most_common(1)[0][0]
    cycles = []
    for stamp, tid, kind, name in events:
        if tid != worker:
            continue
        if kind == "read" and name == "Speed":
            cycles.append({"start": stamp, "reads": 0, "getdc": 0, "releasedc": 0})
        if not cycles:
            continue
        if kind == "read":
            cycles[-1]["reads"] += 1
        else:
            cycles[-1][kind] += 1
    # The last cycle is cut short by the program's end.
    complete = cycles[:-1]
    dialog_actif = [e for e in events if e[1] != worker and e[2] == "read" and e[3] == "Actif"]
    return {"cycles": complete, "dialog_actif_reads": len(dialog_actif)}


def summarise_cycles(counts):
    cycles = counts["cycles"]
    first = cycles[0] if cycles else None
    steady = cycles[1:]
    result = {"first": None, "steady_reads": None, "steady_dcs": None, "rate": None, "unreleased": 0}
    if first:
        result["first"] = (first["reads"], first["getdc"])
    if steady:
        reads = collections.Counter(c["reads"] for c in steady)
        dcs = collections.Counter(c["getdc"] for c in steady)
        result["steady_reads"] = reads
        result["steady_dcs"] = dcs
        result["unreleased"] = sum(c["getdc"] - c["releasedc"] for c in cycles)
    if len(steady) >= 2:
        span = steady[-1]["start"] - steady[0]["start"]
        result["rate"] = (len(steady) - 1) / span if span > 0 else None
    return result


def counter_text(counter):
    """9, or 9/10 when cycles differed (the most frequent first)."""
    if not counter:
        return "-"
    return "/".join(str(k) for k, _ in counter.most_common())


def fmt(value, pattern="%.1f"):
    return "-" if value is None else pattern % value


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("driver", help="Wine path of voltrim_bench.exe")
    parser.add_argument("--window", type=float, default=10.0, help="seconds of display measured per run")
    parser.add_argument("--trace-dir", default="/tmp", help="where the traced runs write Wine's trace")
    parser.add_argument("--periods", default=",".join(map(str, PERIODS)), help="periods in ms, comma-separated")
    parser.add_argument("--styles", default=",".join(STYLES), help="styles, comma-separated")
    args = parser.parse_args()
    prefix = os.environ["WINEPREFIX"]
    periods = [int(p) for p in args.periods.split(",")]
    styles = [st for st in args.styles.split(",") if st in EXPECTED]

    servers = find_pids(r"wineserver", prefix)
    if not servers:
        sys.exit("no wineserver runs for " + prefix)
    server = servers[0]

    def plain_run(period, style, latencies):
        driver = Driver(args.driver, period, style, latencies)
        if not driver.read_until("READY"):
            sys.exit("the driver did not start the program: %r" % driver.results)
        pids = find_pids(r"Voltrim\.exe", prefix)
        if len(pids) != 1:
            sys.exit("expected one Voltrim.exe of this prefix, found %r" % pids)
        pid = pids[0]
        # A moment for the first cycles and the dialog's painting to pass.
        time.sleep(2.0)
        t0, p0, s0 = time.monotonic(), cpu_seconds(pid), cpu_seconds(server)
        time.sleep(args.window)
        t1, p1, s1 = time.monotonic(), cpu_seconds(pid), cpu_seconds(server)
        row = {
            "cpu_prog": 100.0 * (p1 - p0) / (t1 - t0),
            "cpu_server": 100.0 * (s1 - s0) / (t1 - t0),
            "peak": memory_kib(pid, "VmHWM") / 1024.0,
            "steady": memory_kib(pid, "VmRSS") / 1024.0,
        }
        driver.finish()
        row.update(driver.results)
        return row

    def traced_run(period, style):
        path = os.path.join(args.trace_dir, "voltrim-trace-%d-%s.txt" % (period, style))
        driver = Driver(args.driver, period, style, trace_path=path)
        if not driver.read_until("READY"):
            sys.exit("the traced driver did not start the program")
        win_pid = int(driver.results["READY"])
        time.sleep(max(6.0, 4.0 * period / 1000.0))
        driver.finish()
        counts = trace_counts(path, win_pid)
        os.remove(path)
        return summarise_cycles(counts) if counts else None

    started = time.monotonic()
    print("Measuring: display off, then %d periods x %d styles (%.0f s of display each, plus a traced run)"
          % (len(periods), len(styles), args.window), file=sys.stderr)
    idle = plain_run(600, "off", False)
    rows = []
    for period in periods:
        for style in styles:
            print("  %5d ms %-8s" % (period, style), file=sys.stderr, flush=True)
            row = plain_run(period, style, True)
            row["trace"] = traced_run(period, style)
            row["period"], row["style"] = period, style
            rows.append(row)

    header = ("| Period ms | Style | CPU program % | CPU wineserver % | CPU together % | Peak MiB | Steady MiB "
              "| Cycles/s (asked) | Reads/cycle (expected) | DCs/cycle (expected) | First cycle reads, DCs (expected) "
              "| Active cleared to worker's end ms | Second start to first's exit ms |")
    print(header)
    print("|" + "---|" * (header.count("|") - 1))
    print("| - | display off | %.2f | %.2f | %.2f | %.1f | %.1f | - | - | - | - | - | - |"
          % (idle["cpu_prog"], idle["cpu_server"], idle["cpu_prog"] + idle["cpu_server"], idle["peak"],
             idle["steady"]))
    unreleased = 0
    for row in rows:
        t = row["trace"] or {}
        exp_reads, exp_dcs = EXPECTED[row["style"]]
        first = t.get("first")
        unreleased += t.get("unreleased", 0) or 0
        print("| %d | %s | %.2f | %.2f | %.2f | %.1f | %.1f | %s (%.2f) | %s (%d) | %s (%d) | %s (%d, %d) | %s | %s |" % (
            row["period"], row["style"], row["cpu_prog"], row["cpu_server"], row["cpu_prog"] + row["cpu_server"],
            row["peak"], row["steady"], fmt(t.get("rate"), "%.2f"), 1000.0 / row["period"],
            counter_text(t.get("steady_reads")), exp_reads, counter_text(t.get("steady_dcs")), exp_dcs,
            "%d, %d" % first if first else "-", EXPECTED_FIRST[0], EXPECTED_FIRST[1],
            row.get("STOP_MS", "-"), row.get("TAKEOVER_MS", "-")))
    print()
    print("CPU: share of one core over %.0f s of display, program and wineserver (which serves every registry "
          "access); memory: VmHWM (peak) and VmRSS (steady) of the program's process." % args.window)
    print("Reads and DCs: per worker cycle, from Wine's trace of RegQueryValueExW and of screen device contexts "
          "acquired; a/b means cycles of both counts, the first more often. Device contexts acquired but not "
          "released over all traced cycles: %d." % unreleased)
    exits = sorted(set(r.get("EXIT_CODE", "?") for r in rows) | set(r.get("FIRST_EXIT_CODE", "?") for r in rows))
    print("Exit codes seen: %s. Whole run: %.0f s." % (", ".join(exits), time.monotonic() - started))


if __name__ == "__main__":
    main()
