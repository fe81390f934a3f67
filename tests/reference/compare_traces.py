#!/usr/bin/env python3
"""Plays the same headless match with the game's runner and with the Python model, and
compares the two traces line by line and field by field.

    compare_traces.py SPINVALE_SIM [--expect-status N] [runner options...]

The runner options (--settings, --script, --frame-ms, --max-frames, --seed) go to both
sides unchanged; --trace is added. Both runs must end with exit status N (default 0).
Exit status 0 when the traces are identical, 1 when they differ (the first differing
frame is reported with both values of every differing field and the previous frame's
state), 2 on bad usage.
"""

import json
import os
import subprocess
import sys

MODEL = os.path.join(os.path.dirname(os.path.abspath(__file__)), "match_model.py")


def flatten(record, prefix=""):
    """Field name -> value text, nested records as "paddle1.x"; values kept as written."""
    out = {}
    for key, value in record:
        name = prefix + key
        if isinstance(value, list) and value and isinstance(value[0], tuple):
            out.update(flatten(value, name + "."))
        else:
            out[name] = value
    return out


def parse_line(line):
    # Numbers are kept as their text: equal text is equal bits for the shortest form.
    pairs = json.loads(line, object_pairs_hook=lambda p: p, parse_float=str, parse_int=str,
                       parse_constant=str)
    return flatten(pairs)


def show(value):
    return json.dumps(value) if isinstance(value, list) else str(value)


def run(command):
    proc = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
    return proc.returncode, proc.stdout.splitlines(), proc.stderr


def describe_state(fields):
    return " ".join(f"{k}={show(v)}" for k, v in fields.items())


def compare(sim_lines, model_lines):
    """Returns a report of the first difference, or None when the traces agree."""
    previous = None
    for index, (a, b) in enumerate(zip(sim_lines, model_lines)):
        if a == b:
            previous = a
            continue
        try:
            fa, fb = parse_line(a), parse_line(b)
        except ValueError as e:
            return f"line {index + 1}: not a trace line ({e})\n  game:  {a}\n  model: {b}"
        frame = fa.get("frame", fb.get("frame", "?"))
        report = [f"frame {frame} (trace line {index + 1}) differs:"]
        if list(fa) != list(fb):
            report.append(f"  keys differ\n    game:  {list(fa)}\n    model: {list(fb)}")
        for key in fa:
            if key in fb and fa[key] != fb[key]:
                report.append(f"  {key}: game {show(fa[key])}  model {show(fb[key])}")
        if previous is not None:
            report.append("  previous frame (both agree): " + describe_state(parse_line(previous)))
        return "\n".join(report)
    if len(sim_lines) != len(model_lines):
        longer, name = (sim_lines, "game") if len(sim_lines) > len(model_lines) else (
            model_lines, "model")
        return (f"the {name} trace goes on after line {min(len(sim_lines), len(model_lines))}: "
                f"game {len(sim_lines)} lines, model {len(model_lines)} lines\n"
                f"  next {name} line: {longer[min(len(sim_lines), len(model_lines))]}")
    return None


def main(argv):
    if len(argv) < 1 or argv[0] in ("-h", "--help"):
        print(__doc__.strip(), file=sys.stderr)
        return 2
    sim, options = argv[0], [a for a in argv[1:] if a != "--trace"]
    expected_status = 0
    if options[:1] == ["--expect-status"] and len(options) > 1 and options[1].isdigit():
        expected_status = int(options[1])
        options = options[2:]
    sim_status, sim_lines, sim_err = run([sim, "--trace"] + options)
    model_status, model_lines, model_err = run([sys.executable, MODEL, "--trace"] + options)
    difference = compare(sim_lines, model_lines)
    if difference is None and sim_status != model_status:
        difference = (f"exit status differs: game {sim_status}, model {model_status}\n"
                      f"  game stderr: {sim_err.strip()}\n  model stderr: {model_err.strip()}")
    if difference is None and sim_status != expected_status:
        difference = (f"both runs ended with status {sim_status}, not {expected_status}:\n"
                      f"  {sim_err.strip()}")
    if difference is not None:
        print("Traces differ for: " + " ".join(options))
        print(difference)
        return 1
    print(f"{len(sim_lines)} trace lines identical ({' '.join(options)})")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
