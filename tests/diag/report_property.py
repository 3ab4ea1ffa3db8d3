#!/usr/bin/env python3
"""For every golden case of the assembler: a run with --diagnostics json lists
exactly the messages of the report of the same run with -W (level, file,
line, text, in order), plus only further syntax errors of a file after its
first; and the two runs leave the same files and exit with the same status.

usage: report_property.py TOOL CASES_DIR"""
import json
import os
import re
import shutil
import subprocess
import sys
import tempfile

REPORT_LINE = re.compile(rb"^(FATAL ERROR|ERROR|WARNING|INFO)(?: (.*):(\d+))?> (.*)$")
LEVELS = {b"FATAL ERROR": "fatal", b"ERROR": "error", b"WARNING": "warning"}
PARSE_TEXTS = {"syntax error", "memory exhausted", "Invalid escape sequence in string.",
               "Detected line break within string of .cmdline directive.",
               "Detected end of file within string of .cmdline directive."}
STAMP = re.compile(rb"build on .* at .*")
FLAG_WARN = re.compile(rb'<option flag_warn="(true|false)"/>')  # -W in the dump


def run(case, scratch, extra):
    """Runs the case's command in a fresh copy of its inputs; returns status, stdout, files."""
    if os.path.isdir(os.path.join(case, "in")):
        shutil.copytree(os.path.join(case, "in"), scratch, symlinks=True, dirs_exist_ok=True)
    if os.path.exists(os.path.join(case, "setup")):
        subprocess.run(["bash", os.path.join(case, "setup")], cwd=scratch, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    with open(os.path.join(case, "args"), "rb") as f:
        args = [a.decode("utf-8", "surrogateescape") for a in f.read().split(b"\n")]
    if args and args[-1] == "":
        args.pop()
    stdin = open(os.path.join(case, "stdin"), "rb") if os.path.exists(os.path.join(case, "stdin")) else subprocess.DEVNULL
    p = subprocess.run([TOOL] + extra + args, cwd=scratch, stdin=stdin, capture_output=True, timeout=300)
    files = {}
    for root, _, names in os.walk(scratch):
        for n in names:
            path = os.path.join(root, n)
            if os.path.isfile(path) and not os.path.islink(path):
                with open(path, "rb") as f:
                    files[os.path.relpath(path, scratch)] = FLAG_WARN.sub(b"", STAMP.sub(b"", f.read()))
    return p.returncode, p.stdout, files


def level_of(d):
    return "fatal" if d["level"].startswith("fatal") else d["level"]


def same_file(scratch, report_name, json_name):
    if report_name == json_name:
        return True
    try:
        return os.path.samefile(os.path.join(scratch, report_name), os.path.join(scratch, json_name))
    except OSError:
        return False


def check(case, work):
    a, b = os.path.join(work, "a"), os.path.join(work, "b")
    os.mkdir(a)
    os.mkdir(b)
    diag = os.path.join(work, "diagnostics.json")
    # -W: the report lists the warnings of a successful run too, as the formats do
    status_a, out_a, files_a = run(case, a, ["-W"])
    status_b, out_b, files_b = run(case, b, ["--diagnostics", "json", "--diagnostics-file", diag])
    problems = []
    if status_a != status_b:
        problems.append("status %d, with the option %d" % (status_a, status_b))
    if files_a != files_b:
        problems.append("files differ: %s" % sorted({n for n, _ in set(files_a.items()) ^ set(files_b.items())}))
    if b"finished with" in out_b:
        problems.append("the report is on standard output")
    if not os.path.exists(diag):
        return problems + ["no diagnostics written (status %d)" % status_b], False
    with open(diag, "rb") as f:
        diags = json.loads(f.read())["diagnostics"]
    if any("\n" in d["message"] or "\r" in d["message"] for d in diags):
        return problems, False  # a text with a line end: the report cannot be split into lines
    report = []
    for line in out_a.split(b"\n"):
        m = REPORT_LINE.match(line)
        if m:
            report.append(m)
    j = 0
    failed_files = set()
    for d in diags:
        m = report[j] if j < len(report) else None
        if m and LEVELS.get(m.group(1)) == level_of(d) and m.group(4).decode("utf-8", "replace") == d["message"]:
            name = (m.group(2) or b"").decode("utf-8", "surrogateescape")
            line = int(m.group(3) or 0)
            json_line = d.get("line", 0)
            if d["message"] == "syntax error" and json_line == line - 1:
                json_line = line  # at a line end the report names the next line
            if name and not same_file(a, name, d.get("file", "")):
                problems.append("file %r, report %r" % (d.get("file"), name))
            if json_line != line:
                problems.append("line %r, report %d: %s" % (d.get("line"), line, d["message"]))
            if d["message"] == "syntax error":
                failed_files.add(d.get("file"))
            j += 1
        elif d["message"] in PARSE_TEXTS and d.get("file") in failed_files:
            pass  # a further syntax error of a file that failed
        else:
            problems.append("not in the report: %r" % d["message"][:120])
            break
    if j != len(report):
        problems.append("missing from the diagnostics: %r" % report[j].group(0)[:120])
    return problems, True


def main():
    global TOOL
    TOOL, cases_dir = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
    cases = sorted(os.path.dirname(os.path.join(r, "args")) for r, _, f in os.walk(cases_dir) if "args" in f)
    checked, failures = 0, 0
    for case in cases:
        group = os.path.relpath(case, cases_dir).split(os.sep)[0]
        if group in ("dis", "diag") or os.path.exists(os.path.join(case, "stderr")):
            continue  # another tool; the options themselves; a case about standard error
        with tempfile.TemporaryDirectory(prefix="report_property.") as work:
            problems, compared = check(case, work)
        checked += compared
        if problems:
            failures += 1
            print("%s:\n  %s" % (os.path.relpath(case, cases_dir), "\n  ".join(problems)))
    print("%d cases, %d with messages compared, %d failed" % (len(cases), checked, failures))
    sys.exit(1 if failures or checked < 100 else 0)


if __name__ == "__main__":
    main()
