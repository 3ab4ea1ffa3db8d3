#!/usr/bin/env python3
"""same_as_tool.py SERVER TOOL GOLDEN_CASES: for every golden case of the
assembler with one source file that a client can open (UTF-8 text) and whose
report has no syntax error, the server's diagnostics of the source, opened as
it is on disk, are the messages of `TOOL --diagnostics json` on it with the
options the server's settings express (-arch, -I, -adrmax; the others only
name outputs): same file, place (UTF-8 columns), code, severity and text.
Each case runs in a private copy (after its setup script); one server session
takes them all, its settings changed before each.
"""
import json, os, shutil, subprocess, sys, tempfile
from run_session import frame, read_answers

SETTING = {"-arch": "arch", "-I": "includeDirs", "-adrmax": "maxAddr"}
VALUED = {"-o", "-ofmt", "-odef", "-otyp", "-olbl", "-log", "--MD", "--diagnostics", "--diagnostics-file"}
SYNTAX = {"ZQS2001", "ZQS2002"}  # the server reports every syntax error, the tool the first


def settings_of(args):
    """The settings, the tool's options for them and the source file, or None."""
    settings, options, sources, i = {}, [], [], 0
    while i < len(args):
        a = args[i]
        if a.startswith("-I") and len(a) > 2:
            a, args = "-I", args[:i] + ["-I", a[2:]] + args[i + 1:]
        if a in SETTING or a in VALUED:
            if i + 1 == len(args) or not args[i + 1]:
                return None  # a missing or empty value: no setting says that
            if a in SETTING:
                key = SETTING[a]
                settings[key] = settings.get(key, []) + [args[i + 1]] if key == "includeDirs" else args[i + 1]
                options += [a, args[i + 1]]
            i += 2
        elif a.startswith("-"):
            i += 1  # a switch about outputs or warnings
        else:
            sources.append(a)
            i += 1
    return (settings, options, sources[0]) if len(sources) == 1 else None


def tool_view(tool, folder, options, source):
    # A MIF image to nowhere: its size is that of the words, not of the address space.
    out = subprocess.run([tool, "--diagnostics", "json", "-ofmt", "mif", "-o", os.devnull] + options + [source],
                         cwd=folder, capture_output=True, timeout=120)
    text = out.stderr.decode(errors="replace")
    found = []
    for d in json.loads(text[text.index("{"):])["diagnostics"]:
        path = os.path.normpath(os.path.join(folder, d["file"] or source))
        place = [d["line"] - 1, d["column"] - 1, d["end_line"] - 1, d["end_column"]] if "column" in d else \
            [d["line"] - 1, None] if d.get("line") else [0, 0, 0, 0]
        found.append((path, place, d["code"], 1 if d["level"] in ("error", "fatal") else 2, d["message"]))
    return found


def server_views(server, root, cases):
    """The diagnostics of each case's source: one session, a case at a time."""
    msgs = [{"jsonrpc": "2.0", "id": 0, "method": "initialize", "params": {
        "capabilities": {"general": {"positionEncodings": ["utf-8"]}}, "rootUri": "file://" + root}},
        {"jsonrpc": "2.0", "method": "initialized", "params": {}}]
    for k, (folder, source, settings, text) in enumerate(cases):
        s = {"arch": settings.get("arch", ""), "maxAddr": settings.get("maxAddr"),
             "includeDirs": [os.path.join(folder, d) for d in settings.get("includeDirs", [])]}
        uri = "file://" + os.path.join(folder, source)
        msgs += [{"jsonrpc": "2.0", "method": "workspace/didChangeConfiguration", "params": {"settings": {"asmZqs": s}}},
                 {"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
                     "uri": uri, "languageId": "zqs", "version": 1, "text": text}}},
                 {"jsonrpc": "2.0", "id": k + 1, "method": "workspace/symbol", "params": {"query": "\x01"}},
                 {"jsonrpc": "2.0", "method": "textDocument/didClose", "params": {"textDocument": {"uri": uri}}}]
    msgs += [{"jsonrpc": "2.0", "id": 0, "method": "shutdown"}, {"jsonrpc": "2.0", "method": "exit"}]
    data = b"".join(frame(json.dumps(m)) for m in msgs)
    run = subprocess.run([server], input=data, capture_output=True, cwd=root, timeout=600)
    if run.returncode != 0:  # a sanitizer's report too
        sys.exit("the server ended with status %d: %s" % (run.returncode, run.stderr.decode(errors="replace")[-2000:]))
    out = run.stdout
    views, latest = [], {}
    for a in read_answers(out):
        if a.get("method") == "textDocument/publishDiagnostics":
            latest[a["params"]["uri"]] = a["params"]["diagnostics"]
        elif isinstance(a.get("id"), int) and a["id"] > 0:  # the case's answers are in
            folder = cases[a["id"] - 1][0]
            views.append([(os.path.normpath(uri[len("file://"):]), [r["start"]["line"], r["start"]["character"],
                           r["end"]["line"], r["end"]["character"]], d.get("code"), d["severity"], d["message"])
                          for uri, diags in latest.items() if uri.startswith("file://" + folder + "/")
                          for d in diags for r in [d["range"]]])
            latest = {}
    return views


def main():
    server, tool, golden = (os.path.abspath(a) for a in sys.argv[1:4])
    with tempfile.TemporaryDirectory() as root:
        cases, wants, skipped = [], [], []
        for group in sorted(os.listdir(golden)):
            for case in sorted(os.listdir(os.path.join(golden, group))):
                case_dir = os.path.join(golden, group, case)
                args = open(os.path.join(case_dir, "args")).read().splitlines()
                parsed = settings_of(args) if group != "dis" and not os.path.exists(os.path.join(case_dir, "stdin")) \
                    else None
                folder = os.path.join(root, "%s.%s" % (group, case))
                if not parsed:
                    skipped.append("%s/%s" % (group, case))
                    continue
                if os.path.isdir(os.path.join(case_dir, "in")):
                    shutil.copytree(os.path.join(case_dir, "in"), folder, symlinks=True)
                else:
                    os.mkdir(folder)
                if os.path.exists(os.path.join(case_dir, "setup")):
                    subprocess.run(["bash", os.path.join(case_dir, "setup")], cwd=folder, check=True,
                                   stdout=subprocess.DEVNULL)
                path = os.path.join(folder, parsed[2])
                try:  # a client's text is Unicode
                    text = open(path, encoding="utf-8", newline="").read() if os.path.isfile(path) else None
                except UnicodeDecodeError:
                    text = None
                want = tool_view(tool, folder, parsed[1], parsed[2]) if text is not None else None
                if want is None or any(w[2] in SYNTAX for w in want):
                    skipped.append("%s/%s" % (group, case))
                    continue
                cases.append((folder, parsed[2], parsed[0], text))
                wants.append(("%s/%s" % (group, case), want))
        gots = server_views(server, root, cases)
    failed = 0
    for (name, want), got in zip(wants, gots):
        # A message with a line and no columns: the server marks the whole line.
        lines_only = {(p, pl[0], c, m) for p, pl, c, s, m in want if pl[1] is None}
        got = [(p, [pl[0], None] if (p, pl[0], c, m) in lines_only else pl, c, s, m) for p, pl, c, s, m in got]
        if sorted(got, key=str) != sorted(want, key=str):
            failed += 1
            print("%s:\n  tool:   %s\n  server: %s" % (name, want, got))
    print("%d cases checked, %d differ; %d without one UTF-8 source or with a syntax error" % (
        len(cases), failed, len(skipped)))
    return 1 if failed or len(gots) != len(cases) or len(cases) < 100 else 0


if __name__ == "__main__":
    sys.exit(main())
