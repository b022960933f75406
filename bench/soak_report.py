# SPDX-License-Identifier: GPL-3.0-or-later
"""The figures of a soak run (bench/soak.sh), from its work folder:

  soak_report.py WORK

WORK holds the programs' port traces (chaser.trace, panel.trace), the frames
of universe 1 for each life of olad (frames-N), the events of the run
(events: "<CLOCK_MONOTONIC ns> <event> [ARGS]") and the programs' output.
"""
import bisect
import os
import sys

STEP_MS = 100  # "Løpelys 1" with the example intervals: step k of a cycle at k * 100 ms
STEPS = 8
NS_PER_MS = 1_000_000
STEP_NS = STEP_MS * NS_PER_MS
# A step due this long before a stall began may not have been written yet.
STALL_LEAD_NS = 5 * NS_PER_MS


def read_rows(path):
    if not os.path.exists(path):
        return []
    with open(path) as lines:
        return [line.split() for line in lines if line.strip()]


def writes(path):
    return [(int(row[0]), int(row[3])) for row in read_rows(path) if row[1] == "out"]


def percentile(values, share):
    ordered = sorted(values)
    return ordered[min(len(ordered) - 1, int(share * len(ordered)))] if ordered else 0.0


def next_start(start, due, stamp):
    """The start of the cycle after one whose step 8 was due at due and written
    at stamp: due, or stamp when it was more than a step late (the chaser's
    countdowns then count from the late instant)."""
    return stamp if stamp - due > STEP_NS else due


def step_dues(steps, click):
    """The due instant of each step written: step k of a cycle is due k * 100 ms
    after the cycle's start; the first cycle starts at the click."""
    dues = []
    start = click
    for index, (stamp, _) in enumerate(steps):
        position = index % STEPS + 1
        dues.append(start + position * STEP_NS)
        if position == STEPS:
            start = next_start(start, dues[-1], stamp)
    return dues


def steps_due_by(steps, dues, end):
    """How many steps were due by end: those written, and those the cascade
    would have written after the last one, on time."""
    count = len(steps)
    position = (count - 1) % STEPS + 1
    start = dues[-1] - position * STEP_NS
    if position == STEPS:
        start, position = next_start(start, dues[-1], steps[-1][0]), 0
    while start + (position + 1) * STEP_NS <= end:
        count += 1
        position += 1
        if position == STEPS:
            start, position = start + STEPS * STEP_NS, 0
    return count


def report_steps(chaser, stalls, end):
    first = next((i for i, (_, byte) in enumerate(chaser) if byte == 1), None)
    if first is None or first == 0:
        print("The chaser wrote no step.")
        return
    click = chaser[first - 1][0]
    steps = [write for write in chaser[first:] if write[0] <= end]
    dues = step_dues(steps, click)
    next_byte = lambda byte: 1 if byte == 128 else byte * 2
    out_of_order = sum(1 for (_, before), (_, byte) in zip(steps, steps[1:]) if byte != next_byte(before))
    early = sum(1 for (stamp, _), due in zip(steps, dues) if stamp < due)
    stalled = lambda due: any(start - STALL_LEAD_NS <= due <= stop for start, stop in stalls)
    late = [(stamp - due) / NS_PER_MS for (stamp, _), due in zip(steps, dues) if not stalled(due)]
    print('Chaser steps ("Løpelys 1", a step every 100 ms):')
    print("  written %d of %d due; out of order %d; early %d" %
          (len(steps), steps_due_by(steps, dues, end), out_of_order, early))
    print("  lateness outside the stalls, %d steps (ms): p50 %.3f  p99 %.3f  max %.3f" %
          (len(late), percentile(late, 0.5), percentile(late, 0.99), max(late, default=0)))


def frame_byte(channels):
    values = [int(value) for value in channels.split(",")[:8]]
    return sum(1 << line for line, value in enumerate(values) if value == 255)


def latest_write(all_writes, stamp):
    """The byte of the last write at or before stamp."""
    index = bisect.bisect_right(all_writes, (stamp, 256))
    return all_writes[index - 1][1] if index else None


def first_frame_of_now(frames_path, since, all_writes):
    """The instant of the first frame since since that carries the byte last
    written, or None."""
    for row in read_rows(frames_path):
        stamp = int(row[0])
        if stamp >= since and frame_byte(row[1]) == latest_write(all_writes, stamp):
            return stamp
    return None


def report_outages(events, all_writes, work):
    print("\nolad outages: how long olad was away (from its end to listening again), then")
    print("until it had the universe (a client registered) and until the first frame with")
    print("the lines of now (s):")
    print("  %3s %5s %8s %12s %12s" % ("#", "end", "away", "universe", "lines of now"))
    registered = {int(args[0]): int(args[1]) for _, event, args in events if event == "registered"}
    down = None
    firsts = []
    for stamp, event, args in events:
        if event == "olad-down":
            down = (stamp, args[0])
        elif event == "olad-up" and down:
            epoch = int(args[0]) + 1
            first = first_frame_of_now(os.path.join(work, "frames-%d" % epoch), stamp, all_writes)
            after = lambda later: "%.3f" % ((later - stamp) / 1e9) if later else "none"
            print("  %3d %5s %8.3f %12s %12s" % (len(firsts) + 1, down[1], (stamp - down[0]) / 1e9,
                                                 after(registered.get(epoch)), after(first)))
            firsts.append((first - stamp) / 1e9 if first else float("inf"))
            down = None
    if firsts:
        print("  lines of now after olad listened again: median %.3f s, max %.3f s" %
              (percentile(firsts, 0.5), max(firsts)))


def count_lines(path, text):
    if not os.path.exists(path):
        return 0
    with open(path, errors="replace") as lines:
        return sum(1 for line in lines if text in line)


def report_programs(work, samples, both_running):
    print("\nLines printed, lost / back:")
    for program in ("chaser", "switchpanel"):
        out = os.path.join(work, program + ".out")
        print("  %-12s %d / %d" %
              (program, count_lines(out, ": Output lost: "), count_lines(out, ": Output back: ")))
    print("\nOpen descriptors and resident memory (KiB) from start to end, every 10 min:")
    for index, program in enumerate(("chaser", "switchpanel")):
        figures = [args[2 * index:2 * index + 2] for _, args in samples]
        print("  %-12s descriptors %s" % (program, " ".join(figure[0] for figure in figures)))
        print("  %-12s resident    %s" % ("", " ".join(figure[1] for figure in figures)))
    print("\nBoth programs ran to the end." if both_running else "\nThe run ENDED EARLY: see above.")


def main(work):
    events = [(int(row[0]), row[1], row[2:]) for row in read_rows(os.path.join(work, "events"))]
    named = lambda name: [(stamp, args) for stamp, event, args in events if event == name]
    end = named("end")[0][0] if named("end") else events[-1][0]
    stalls = [(start, stop) for (start, _), (stop, _) in zip(named("stall-start"), named("stall-end"))]
    stall_ms = [(stop - start) / NS_PER_MS for start, stop in stalls]
    clicks, failed = len(named("click")), len(named("click-failed"))
    print("Soak run of %.1f min: olad restarted %d times, the chaser stopped %d times (%.0f to %.0f"
          % ((end - events[0][0]) / 60e9, len(named("olad-down")), len(stalls),
             min(stall_ms, default=0), max(stall_ms, default=0)))
    print("ms), the register's folder made anew %d times, %d load bursts on both cores, %d clicks"
          % (len(named("folder-made")), len(named("load")), clicks + failed))
    print("on the panel through the bus (%d failed).\n" % failed)

    chaser = writes(os.path.join(work, "chaser.trace"))
    report_steps(chaser, stalls, end)
    report_outages(events, sorted(chaser + writes(os.path.join(work, "panel.trace"))), work)
    report_programs(work, named("resources"), bool(named("both-running")))


if __name__ == "__main__":
    main(sys.argv[1])
