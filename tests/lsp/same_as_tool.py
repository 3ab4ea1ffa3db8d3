#!/usr/bin/env python3
"""same_as_tool.py SERVER TOOL GOLDEN_CASES: for every golden case whose
arguments the server's settings can express (-arch, -I, -adrmax and one
source file), the server's diagnostics of the source, opened as it is on
disk, are the messages of `TOOL --diagnostics json` on it: same file, place
(UTF-8 columns), code, severity and text. Each case runs in a private copy.
"""
import json, os, shutil, subprocess, sys, tempfile
from run_session import frame, read_answers

SETTING = {"-arch": "arch", "-I": "includeDirs", "-adrmax": "maxAddr"}


def settings_of(args):
    """The settings and the source file of the arguments, or None."""
    settings, i = {}, 0
    while i < len(args) - 1:
        if args[i] not in SETTING:
            return None
        key, value = SETTING[args[i]], args[i + 1]
        settings[key] = settings.get(key, []) + [value] if key == "includeDirs" else value
        i += 2
    return (settings, args[-1]) if i == len(args) - 1 and not args[-1].startswith("-") else None


def tool_view(tool, folder, args):
    source = args[-1]
    out = subprocess.run([tool, "--diagnostics", "json"] + args, cwd=folder, capture_output=True, timeout=120)
    text = out.stderr.decode(errors="replace")
    found = []
    for d in json.loads(text[text.index("{"):])["diagnostics"]:
        path = os.path.normpath(os.path.join(folder, d["file"] or source))
        place = [d["line"] - 1, d["column"] - 1, d["end_line"] - 1, d["end_column"]] if "column" in d else \
            [d["line"] - 1, None] if d.get("line") else [0, 0, 0, 0]
        found.append((path, place, d["code"], 1 if d["level"] in ("error", "fatal") else 2, d["message"]))
    return found


def server_view(server, folder, source, settings):
    path = os.path.join(folder, source)
    uri = "file://" + path
    text = open(path, encoding="utf-8", newline="").read()
    msgs = [{"jsonrpc": "2.0", "id": 1, "method": "initialize", "params": {
        "capabilities": {"general": {"positionEncodings": ["utf-8"]}}, "rootUri": "file://" + folder,
        "initializationOptions": {"asmZqs": settings}}},
        {"jsonrpc": "2.0", "method": "textDocument/didOpen", "params": {"textDocument": {
            "uri": uri, "languageId": "zqs", "version": 1, "text": text}}}]
    data = b"".join(frame(json.dumps(m)) for m in msgs)
    out = subprocess.run([server], input=data, capture_output=True, timeout=120).stdout
    found = []
    for a in read_answers(out):
        if a.get("method") != "textDocument/publishDiagnostics":
            continue
        for d in a["params"]["diagnostics"]:
            r = d["range"]
            place = [r["start"]["line"], r["start"]["character"], r["end"]["line"], r["end"]["character"]]
            found.append((os.path.normpath(a["params"]["uri"][len("file://"):]), place, d.get("code"),
                          d["severity"], d["message"]))
    return found


def main():
    server, tool, cases = (os.path.abspath(a) for a in sys.argv[1:4])
    checked, failed = 0, 0
    for group in sorted(os.listdir(cases)):
        for case in sorted(os.listdir(os.path.join(cases, group))):
            case_dir = os.path.join(cases, group, case)
            if group in ("dis", "hostile") or any(os.path.exists(os.path.join(case_dir, f)) for f in ("setup", "stdin")):
                continue
            args = open(os.path.join(case_dir, "args")).read().splitlines()
            parsed = settings_of(args)
            if not parsed or not os.path.isfile(os.path.join(case_dir, "in", parsed[1])):
                continue
            try:  # a client's text is Unicode
                open(os.path.join(case_dir, "in", parsed[1]), encoding="utf-8").read()
            except UnicodeDecodeError:
                continue
            with tempfile.TemporaryDirectory() as tmp:
                folder = os.path.join(tmp, "in")
                shutil.copytree(os.path.join(case_dir, "in"), folder)
                want = tool_view(tool, folder, args)
                got = server_view(server, folder, parsed[1], parsed[0])
            # A message with a line and no columns: the server marks the whole line.
            lines_only = {(p, pl[0], c, m) for p, pl, c, s, m in want if pl[1] is None}
            got = [(p, [pl[0], None] if (p, pl[0], c, m) in lines_only else pl, c, s, m)
                   for p, pl, c, s, m in got]
            checked += 1
            if sorted(got, key=str) != sorted(want, key=str):
                failed += 1
                print("%s/%s:\n  tool:   %s\n  server: %s" % (group, case, want, got))
    print("%d cases checked, %d differ" % (checked, failed))
    return 1 if failed or checked < 20 else 0


if __name__ == "__main__":
    sys.exit(main())
