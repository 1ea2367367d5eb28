#!/usr/bin/env python3
"""Splits one callgrind profile of Tarvo into the cost of one frame (1/64 s tick).

    callgrind_split.py callgrind.out.PID

Frames are counted as the calls of the graph's timer handler (one per tick). Printed, in
instructions (Ir) per frame: the inclusive costs of the animation and graph handlers and
of presenting (the X presenter's frame end, or Qt's repaint and backing-store flush);
the handlers yield, so what runs inside their yields (Qt's repaint, for one) counts in
them too. Then the same frame split by library (each function's own cost, no overlap).
"""
import re
import sys
from collections import defaultdict

# part name -> patterns of functions whose inclusive cost is that part
PARTS = [
    ("animation handler (Timer3)", [r"tarvo::form1::Timer3_Timer\(\)"]),
    ("graph handler (Timer4)", [r"tarvo::form1::Timer4_Timer\(\)"]),
    ("presenting", [r"tarvo::platform::XLink::endFrame\(\)",
                    r"^QWidgetRepaintManager::sync\(\)$",
                    r"^QWidgetRepaintManager::sync\(QWidget\*, QRegion const&\)$"]),
]
FRAME = r"tarvo::form1::Timer4_Timer\(\)"


def parse(path):
    names = {"ob": {}, "fn": {}}  # callgrind numbers objects and functions apart
    self_cost = defaultdict(int)
    inclusive_calls = defaultdict(int)   # callee -> inclusive cost of calls to it
    call_counts = defaultdict(int)
    fn = None
    cfn = None
    ob = None
    by_object = defaultdict(int)
    object_of = {}
    pending_call = None
    total = 0

    def name(kind, value):
        m = re.match(r"\((\d+)\)(?: (.*))?", value)
        if not m:
            return value
        if m.group(2):
            names[kind][m.group(1)] = m.group(2)
        return names[kind].get(m.group(1), m.group(1))

    with open(path, errors="replace") as f:
        for line in f:
            line = line.rstrip("\n")
            if line.startswith("ob="):
                ob = name("ob", line[3:])
            elif line.startswith("cob="):
                name("ob", line[4:])
            elif line.startswith("fn="):
                fn = name("fn", line[3:])
                object_of[fn] = ob
            elif line.startswith("cfn="):
                cfn = name("fn", line[4:])
            elif line.startswith("calls="):
                pending_call = int(line[6:].split()[0])
            elif line and (line[0].isdigit() or line[0] in "+-*"):
                parts = line.split()
                cost = int(parts[1]) if len(parts) > 1 else 0
                if pending_call is not None:
                    inclusive_calls[cfn] += cost
                    call_counts[cfn] += pending_call
                    pending_call = None
                else:
                    self_cost[fn] += cost
                    by_object[object_of.get(fn)] += cost
                    total += cost
            elif line.startswith("summary:") or line.startswith("totals:"):
                total = max(total, int(line.split()[1]))
    return total, inclusive_calls, call_counts, by_object


def main():
    total, inclusive, calls, by_object = parse(sys.argv[1])
    frame_fns = [n for n in calls if re.search(FRAME, n)]
    frames = sum(calls[n] for n in frame_fns)
    if not frames:
        print("no frames (the graph handler never ran)")
        return
    print(f"frames: {frames}, instructions per frame: {total / frames:,.0f}")
    print("inclusive (they overlap where a handler's yield runs other work):")
    for part, patterns in PARTS:
        cost = sum(v for n, v in inclusive.items() if any(re.search(p, n) for p in patterns))
        print(f"  {part:<28} {cost / frames:>12,.0f}")
    print("by library (own cost, no overlap):")
    for ob, cost in sorted(by_object.items(), key=lambda kv: -kv[1])[:8]:
        label = (ob or "?").rsplit("/", 1)[-1]
        print(f"  {label:<28} {cost / frames:>12,.0f}")


if __name__ == "__main__":
    main()
