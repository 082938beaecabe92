#!/usr/bin/env python3
"""Start-up trace breakdown: the median duration of each span over several
traces (scripts/bench-launch.sh ROUNDS FOLDER writes one per launcher start),
and the median working set at its end where the trace has it.

    bench/trace_breakdown.py FOLDER_OR_FILES...

Every file is checked against the trace-event format first (an object with a
"traceEvents" list of complete events: name, ph "X", numeric ts and dur, pid,
tid); a file that does not conform stops the script with its reason.
"""
import json
import statistics
import sys
from pathlib import Path


def check_trace(document):
    """The reason a document is not a trace of complete events, or None."""
    if not isinstance(document, dict) or not isinstance(document.get("traceEvents"), list):
        return "no traceEvents list"
    for index, event in enumerate(document["traceEvents"]):
        if not isinstance(event, dict):
            return f"event {index} is not an object"
        if not isinstance(event.get("name"), str) or event.get("ph") != "X":
            return f"event {index} has no name or is not a complete event"
        for key in ("ts", "dur", "pid", "tid"):
            if not isinstance(event.get(key), (int, float)) or isinstance(event.get(key), bool):
                return f"event {index} has no numeric {key}"
        if event["dur"] < 0:
            return f"event {index} has a negative duration"
        if "args" in event and not isinstance(event["args"], dict):
            return f"event {index} has args that are not an object"
    return None


def load(paths):
    traces = []
    for path in paths:
        document = json.loads(Path(path).read_text(encoding="utf-8"))
        reason = check_trace(document)
        if reason:
            sys.exit(f"{path}: not a trace-event document: {reason}")
        traces.append(document["traceEvents"])
    return traces


def main(arguments):
    paths = []
    for argument in arguments:
        path = Path(argument)
        paths += sorted(path.glob("*.json")) if path.is_dir() else [path]
    if not paths:
        sys.exit(__doc__)
    traces = load(paths)
    durations = {}  # (name, detail) -> [milliseconds], in the order first seen
    starts = {}
    memory = {}
    for events in traces:
        for event in events:
            key = (event["name"], event.get("args", {}).get("detail", ""))
            durations.setdefault(key, []).append(event["dur"] / 1000)
            starts.setdefault(key, []).append(event["ts"] / 1000)
            kib = event.get("args", {}).get("working_set_kib")
            if isinstance(kib, (int, float)) and not isinstance(kib, bool):
                memory.setdefault(key, []).append(kib)
    print(f"{len(traces)} trace(s); median start and duration of each span, in milliseconds,"
          " and the working set at its end, in KiB")
    for key in sorted(durations, key=lambda k: statistics.median(starts[k])):
        name, detail = key
        label = f"{name} [{detail}]" if detail else name
        kib = f"{statistics.median(memory[key]):8.0f}" if key in memory else " " * 8
        print(f"  {statistics.median(starts[key]):8.1f} {statistics.median(durations[key]):8.2f} {kib}  {label}")


if __name__ == "__main__":
    main(sys.argv[1:])
