#!/usr/bin/env python3
"""hostile.py SERVER: the language server under hostile input. A group sends
its input at once (the huge document: a message at a time) and reads every
answer; the server must end by itself with the expected status, within a
time bound, and answer what the group expects. The malformed frames of
cases/malformed are not repeated here.
"""
import json, os, random, subprocess, sys, tempfile, threading, time
from run_session import frame, read_answers

INIT = {"jsonrpc": "2.0", "id": 0, "method": "initialize",
        "params": {"capabilities": {}, "initializationOptions": {"asmZqs": {"maxAddr": "0xFFFFFC"}}}}
# Seconds an answer about the huge document may take (scripts/sanitize-tests
# sets ASAN_OPTIONS: a sanitized server is slower).
STEP = 40 if "ASAN_OPTIONS" in os.environ else 10
END = [{"jsonrpc": "2.0", "id": "end", "method": "shutdown"}, {"jsonrpc": "2.0", "method": "exit"}]


def run(server, messages, folder, seconds):
    """Answers by id (publishDiagnostics under "diag", in order) and the exit status."""
    data = b"".join(m if isinstance(m, bytes) else frame(json.dumps(m)) for m in messages)
    answers = {"diag": []}
    try:
        p = subprocess.run([server], input=data, capture_output=True, cwd=folder, timeout=seconds)
    except subprocess.TimeoutExpired:
        return answers, "timeout"
    for a in read_answers(p.stdout):
        if a.get("method") == "textDocument/publishDiagnostics":
            answers["diag"].append(a["params"])
        else:
            answers[json.dumps(a.get("id"))] = a
    return answers, p.returncode


def req(id, method, uri, **params):
    return {"jsonrpc": "2.0", "id": id, "method": method, "params": dict(textDocument={"uri": uri}, **params)}


def note(method, uri, **params):
    return {"jsonrpc": "2.0", "method": method, "params": dict(textDocument={"uri": uri}, **params)}


def opened(uri, text):
    return {"jsonrpc": "2.0", "method": "textDocument/didOpen",
            "params": {"textDocument": {"uri": uri, "languageId": "zqs", "version": 1, "text": text}}}


def frames(server, folder):
    """Broken frames: the input ends inside a header; a length far beyond the
    input; a length too long in mid stream; invalid UTF-8; scalars; deep nesting."""
    problems = []
    cases = [
        (b"Content-Len", 1),
        (b"Content-Length: 999999999999\r\n\r\n{}", 1),
        (b"Content-Length: 60\r\n\r\n" + frame('{"jsonrpc":"2.0","id":1,"method":"shutdown"}') +
         frame('{"jsonrpc":"2.0","id":2,"method":"shutdown"}') + frame('{"jsonrpc":"2.0","method":"exit"}'), 0),
        (b'Content-Length: 38\r\n\r\n{"jsonrpc":"2.0","id":1,"method":"a\xff"}', 1),
        (b"".join(frame(s) for s in ("5", '"x"', "null", "true")), 1),
        (frame("[" * 200000 + "]" * 200000) + frame("{" * 100000), 1),
    ]
    for k, (data, status) in enumerate(cases):
        answers, code = run(server, [INIT, data], folder, 20)
        errors = [a["error"]["code"] for a in answers.values() if isinstance(a, dict) and "error" in a]
        if code != status or "result" not in answers["0"] or (k == 2 and "result" not in answers["2"]):
            problems.append("frames %d: status %s, answers %s" % (k, code, list(answers.values())[:4]))
        if k >= 3 and not errors:
            problems.append("frames %d: no error answer" % k)
    return problems


def unopened_and_past_end(server, folder):
    """Requests for a document that is not open, and positions past the end of
    a line, of the document and of every integer type."""
    uri = "file://%s/p.zqs" % folder
    ghost = "file://%s/ghost.zqs" % folder
    methods = ["hover", "completion", "definition", "references", "documentHighlight", "prepareRename",
               "rename", "documentSymbol", "documentLink", "semanticTokens/full", "semanticTokens/range",
               "inlayHint"]
    positions = [(0, 500), (1, 2 ** 31), (7, 3), (2 ** 32 - 1, 0), (2 ** 40, 2 ** 40), (-1, -1)]
    msgs = [INIT, opened(uri, "start: addl r1, 5 ; \U0001F600\r\n\tjmp start\n"),
            note("textDocument/didChange", ghost, contentChanges=[{"text": "x"}]),
            note("textDocument/didClose", ghost)]
    n = 0
    for doc in (uri, ghost):
        for line, char in positions:
            pos = {"line": line, "character": char}
            rng = {"start": pos, "end": {"line": line + 1, "character": char}}
            for m in methods:
                n += 1
                msgs.append(req(n, "textDocument/" + m, doc, position=pos, range=rng, newName="b",
                                context={"includeDeclaration": True}))
    msgs.append(note("textDocument/didChange", uri, contentChanges=[
        {"range": {"start": {"line": 9, "character": 9}, "end": {"line": 1, "character": 99}}, "text": "; end"}]))
    msgs.append(req("final", "textDocument/semanticTokens/full", uri))
    answers, code = run(server, msgs + END, folder, 30)
    wrong = [a for a in answers.values() if isinstance(a, dict) and a.get("error", {}).get("code", -32803)
             not in (-32803, -32602)]
    problems = ["past end: %s" % w for w in wrong[:3]]
    if code != 0 or len(answers) != n + 4:
        problems.append("past end: status %s, %d answers of %d" % (code, len(answers) - 1, n + 3))
    return problems


def huge_document(server, folder):
    """A 10 MB document of 400,000 lines opened, edited and asked about, then
    replaced by 50,000 lines with an error each: every step is answered within
    STEP seconds (one message at a time, each answer awaited)."""
    uri = "file://%s/huge.zqs" % folder
    text = "".join("l%d: nop ; a label\n" % i if i % 10 == 0 else "  addl r%d, %d ; comment %d\n" % (i % 8, i % 999, i)
                   for i in range(400000))
    edit = {"range": {"start": {"line": 200005, "character": 0}, "end": {"line": 200005, "character": 99}},
            "text": "  addl r1, missing"}
    at = {"line": 399950, "character": 1}
    steps = [(INIT, lambda a: a.get("result")),
             (opened(uri, text), lambda a: a["diagnostics"] == []),
             (note("textDocument/didChange", uri, contentChanges=[edit]),
              lambda a: [d["range"]["start"]["line"] for d in a["diagnostics"]] == [200005]),
             (req(1, "textDocument/hover", uri, position=at), lambda a: a["result"]),
             (req(2, "textDocument/semanticTokens/full", uri), lambda a: len(a["result"]["data"]) >= 5 * 800000),
             (req(3, "textDocument/documentSymbol", uri), lambda a: len(a["result"]) == 40000),
             (req(4, "textDocument/completion", uri, position=at), lambda a: len(a["result"]["items"]) > 40000),
             (req(5, "textDocument/references", uri, position=at, context={"includeDeclaration": True}),
              lambda a: len(a["result"]) == 1),
             (note("textDocument/didChange", uri, contentChanges=[{"text": "  addl r1, nope\n" * 50000}]),
              lambda a: len(a["diagnostics"]) == 50000)] + [(m, lambda a: True) for m in END]
    p = subprocess.Popen([server], stdin=subprocess.PIPE, stdout=subprocess.PIPE, cwd=folder)
    watchdog = threading.Timer(STEP * len(steps), p.kill)
    watchdog.start()
    problems = []
    for k, (message, good) in enumerate(steps):
        t0 = time.monotonic()
        p.stdin.write(frame(json.dumps(message)))
        p.stdin.flush()
        a = next_answer(p.stdout, message.get("id", "diagnostics")) if message["method"] != "exit" else {}
        if a is None or not good(a) or time.monotonic() - t0 > STEP:
            problems.append("huge: step %d (%s) failed after %.1f s" % (k, message["method"], time.monotonic() - t0))
            break
    watchdog.cancel()
    p.stdin.close()
    if p.wait() != 0:
        problems.append("huge: status %d" % p.returncode)
    return problems


def next_answer(out, id):
    """The next response with the id (diagnostics: the next publishDiagnostics), None at the end."""
    while True:
        head = out.readline()
        if not head:
            return None
        length = int(head.split(b":")[1])
        out.readline()
        a = json.loads(out.read(length))
        if a.get("id") == id or (id == "diagnostics" and a.get("method") == "textDocument/publishDiagnostics"):
            return a.get("params", a)


CHUNKS = ["addl r1, 5", "lbl: ", "\tjmp lbl\r\n", "; ü€ \U0001F600 comment", '.str "\U0001F600é"', "\n",
          "\r\n", "x", "0x1F", " ", "\U0001F47D", "é", ".define k 3\n", "movl r2, k ; ünï\n"]


def offset(text, line, char):
    """The client's offset of a position: line ends are LF or CR LF; units UTF-16."""
    starts = [0] + [i + 1 for i, c in enumerate(text) if c == "\n"]
    if line >= len(starts):
        return len(text)
    end = text.find("\n", starts[line])
    end = len(text) if end < 0 else end
    if end > starts[line] and text[end - 1] == "\r":
        end -= 1
    i, units = starts[line], 0
    while i < end and units < char:
        units += 2 if ord(text[i]) > 0xFFFF else 1
        i += 1
    return i


def position(rng, text, near=None):
    """A random position (near: on that line or the next), on a character boundary or past the end."""
    lines = text.split("\n")
    line = rng.randrange(len(lines) + 1) if near is None else near + (rng.random() < 0.2)
    body = lines[line].rstrip("\r") if line < len(lines) else ""
    units = sum(2 if ord(c) > 0xFFFF else 1 for c in body)
    cut = rng.randint(0, len(body)) if rng.random() < 0.9 else len(body) + 5
    return {"line": line, "character": sum(2 if ord(c) > 0xFFFF else 1 for c in body[:cut]) if cut <= len(body)
            else units + 5}


def random_edits(server, folder):
    """10,000 random incremental edits in batches; then the edited document and
    a fresh one with the client's text get the same answers."""
    rng = random.Random(25)
    uri, fresh = "file://%s/e.zqs" % folder, "file://%s/f.zqs" % folder
    text = "start: addl r1, 5 ; é\r\n\tjmp start\n"
    msgs = [INIT, opened(uri, text)]
    for batch in range(1000):
        changes = []
        for _ in range(10):
            a = position(rng, text)
            b = position(rng, text, a["line"])
            oa, ob = offset(text, a["line"], a["character"]), offset(text, b["line"], b["character"])
            if oa > ob:
                a, b, oa, ob = b, a, ob, oa
            new = "".join(rng.choice(CHUNKS) for _ in range(rng.randrange(4 if len(text) < 3000 else 1)))
            changes.append({"range": {"start": a, "end": b}, "text": new})
            text = text[:oa] + new + text[ob:]
        msgs.append({"jsonrpc": "2.0", "method": "textDocument/didChange",
                     "params": {"textDocument": {"uri": uri, "version": batch + 2}, "contentChanges": changes}})
    msgs += [req(1, "textDocument/semanticTokens/full", uri), req(2, "textDocument/documentSymbol", uri),
             opened(fresh, text), req(3, "textDocument/semanticTokens/full", fresh),
             req(4, "textDocument/documentSymbol", fresh)]
    answers, code = run(server, msgs + END, folder, 120)
    diags = {d["uri"]: d["diagnostics"] for d in answers["diag"]}
    problems = []
    if code != 0:
        problems.append("edits: status %s" % code)
    for x, y in (("1", "3"), ("2", "4")):
        if answers.get(x, {}).get("result") != answers.get(y, {}).get("result"):
            problems.append("edits: answers %s and %s differ" % (x, y))
    if json.dumps(diags.get(uri)).replace("e.zqs", "f.zqs") != json.dumps(diags.get(fresh)):
        problems.append("edits: diagnostics differ")
    return problems


def main():
    server = os.path.abspath(sys.argv[1])
    problems = []
    for group in (frames, unopened_and_past_end, huge_document, random_edits):
        with tempfile.TemporaryDirectory() as folder:
            t0 = time.monotonic()
            found = group(server, folder)
            print("%s: %s (%.1f s)" % (group.__name__, "; ".join(found) or "ok", time.monotonic() - t0))
            problems += found
    return 1 if problems else 0


if __name__ == "__main__":
    sys.exit(main())
