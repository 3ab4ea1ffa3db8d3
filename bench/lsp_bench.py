#!/usr/bin/env python3
"""Measures the language server with a scripted client and prints a table.

Usage: bench/lsp_bench.py SERVER [--edits N] [--requests N] [--memory-edits N] [--check]

Two programs from bench/gen_program.py, each in a server of its own: 1,600
lines in a main file and its includes (the default address limit), and
20,000 lines in one file. For each: the time from sending a didChange (one
line of the main file replaced) to reading its publishDiagnostics, over N
edits that cycle through a comment added (diagnostics unchanged), an
undefined name (a new error), another undefined name and the line restored;
then hover on the words of instruction lines and completion (the full list,
and after a letter typed: the list of what begins with it), one request at a time. Besides the latencies, the server's processor time
per message (from /proc: a busy machine stretches the latencies, not that).
Last, the resident size of the small program's server (VmRSS) after a
warm-up and after --memory-edits more edits. Exits 1 when a target is missed
(with --check, only when the client finds a wrong answer).
"""
import argparse, json, os, re, statistics, subprocess, sys, tempfile, time

HERE = os.path.dirname(os.path.abspath(__file__))
TARGETS = {"small": 10.0, "big": 150.0, "request": 2.0, "memory": 1024}  # ms, ms, ms, KiB


def frame(message):
    body = json.dumps(message).encode()
    return b"Content-Length: %d\r\n\r\n" % len(body) + body


class Client:
    def __init__(self, server, options):
        self.proc = subprocess.Popen([server], stdin=subprocess.PIPE, stdout=subprocess.PIPE)
        self.next_id = 0
        self.request("initialize", {"capabilities": {}, "initializationOptions": {"asmZqs": options}})
        self.notify("initialized", {})

    def send(self, message):
        self.proc.stdin.write(frame(message))
        self.proc.stdin.flush()

    def read(self):
        """The next message's body, unparsed (parsing is the client's time)."""
        length = None
        while True:
            line = self.proc.stdout.readline()
            if not line:
                sys.exit("the server ended")
            if line.lower().startswith(b"content-length:"):
                length = int(line.split(b":")[1])
            elif line == b"\r\n" and length is not None:
                return self.proc.stdout.read(length)

    def notify(self, method, params):
        self.send({"jsonrpc": "2.0", "method": method, "params": params})

    def request(self, method, params):
        self.next_id += 1
        self.send({"jsonrpc": "2.0", "id": self.next_id, "method": method, "params": params})
        while True:
            body = self.read()
            self.received = time.perf_counter()
            message = json.loads(body)
            if message.get("id") == self.next_id and "method" not in message:
                return message

    def wait_diagnostics(self, uri):
        key = b'"uri":' + json.dumps(uri).encode()
        while True:
            body = self.read()
            if b"publishDiagnostics" in body and key in body.replace(b'": "', b'":"'):
                return body

    def cpu_ms(self):
        fields = open("/proc/%d/stat" % self.proc.pid).read().rsplit(")", 1)[1].split()
        return (int(fields[11]) + int(fields[12])) * 1e3 / os.sysconf("SC_CLK_TCK")

    def rss_kib(self):
        status = open("/proc/%d/status" % self.proc.pid).read()
        return int(re.search(r"VmRSS:\s+(\d+)", status).group(1))

    def close(self):
        self.send({"jsonrpc": "2.0", "id": 0, "method": "shutdown"})
        self.send({"jsonrpc": "2.0", "method": "exit"})
        self.proc.stdin.close()
        return self.proc.wait(timeout=60)


def make_program(work, lines, one_file):
    folder = os.path.join(work, "p%d" % lines)
    subprocess.run([sys.executable, os.path.join(HERE, "gen_program.py"), "zqs", str(lines), folder],
                   check=True, stdout=subprocess.DEVNULL)
    main = os.path.join(folder, "main.zqs")
    text = open(main).read()
    if one_file:  # the includes written in place
        text = re.sub(r'^\.include "(m_\d+\.zqs)"\n', lambda m: open(os.path.join(folder, m.group(1))).read(),
                      text, flags=re.M)
        open(main, "w").write(text)
    return main, text.split("\n")


class Session:
    """One program open in a server, and the edits of one line of it."""

    def __init__(self, server, main, lines, options):
        self.uri = "file://" + main
        self.lines = lines
        self.client = Client(server, options)
        self.version = 1
        self.client.notify("textDocument/didOpen", {"textDocument": {
            "uri": self.uri, "languageId": "zqs", "version": 1, "text": "\n".join(lines)}})
        first = json.loads(self.client.wait_diagnostics(self.uri))
        if first["params"]["diagnostics"]:
            sys.exit("the program has errors: %s" % first["params"]["diagnostics"][:3])
        # The instruction lines of the main file: the edited one is among them.
        self.code = [i for i, l in enumerate(lines) if re.match(r"\s+[a-z]", l) and not l.strip().startswith(".")]
        self.at = self.code[len(self.code) // 2]
        self.current = lines[self.at]

    def edit(self, k):
        """The k-th edit; its latency in ms and whether it had errors."""
        original = self.lines[self.at]
        new = [original + " ; edit %d" % k, "        addl r1, undefined_%d" % k,
               "        addl r2, undefined_%d" % k, original][k % 4]
        self.version += 1
        change = {"range": {"start": {"line": self.at, "character": 0},
                            "end": {"line": self.at, "character": len(self.current)}}, "text": new}
        t0 = time.perf_counter()
        self.client.notify("textDocument/didChange", {"textDocument": {"uri": self.uri, "version": self.version},
                                                      "contentChanges": [change]})
        body = self.client.wait_diagnostics(self.uri)
        ms = (time.perf_counter() - t0) * 1e3
        self.current = new
        errors = bool(json.loads(body)["params"]["diagnostics"])
        if errors != (k % 4 in (1, 2)):
            sys.exit("edit %d: unexpected diagnostics %s" % (k, body[:300]))
        return ms

    def timed(self, method, params):
        t0 = time.perf_counter()
        answer = self.client.request(method, params)
        ms = (self.client.received - t0) * 1e3
        if "error" in answer:
            sys.exit("%s failed: %s" % (method, answer["error"]))
        return ms, answer

    def hovers(self, n):
        times, answered = [], 0
        for k in range(n):
            line = self.code[k * 7919 % len(self.code)]
            word = re.search(r"\S+", self.lines[line])
            ms, a = self.timed("textDocument/hover", {"textDocument": {"uri": self.uri},
                                                      "position": {"line": line, "character": word.start() + 1}})
            times.append(ms)
            answered += a["result"] is not None
        if answered < n:
            sys.exit("hover answered %d of %d mnemonics" % (answered, n))
        return times

    def completions(self, n, typed):
        """Completion on the edited line's mnemonic: before it (the full list) or after its first letter."""
        pos = {"line": self.at, "character": 8 + typed}
        return [self.timed("textDocument/completion", {"textDocument": {"uri": self.uri}, "position": pos})[0]
                for _ in range(n)]


def stats(times):
    s = sorted(times)
    return statistics.median(s), s[int(len(s) * 0.9)], s[-1]


def main():
    ap = argparse.ArgumentParser(description="language server bench")
    ap.add_argument("server")
    ap.add_argument("--edits", type=int, default=1000)
    ap.add_argument("--requests", type=int, default=1000)
    ap.add_argument("--memory-edits", type=int, default=10000)
    ap.add_argument("--check", action="store_true", help="figures are not compared with the targets")
    a = ap.parse_args()
    server = os.path.abspath(a.server)
    print("server: %s\nmachine: %d cores, load average %.2f" % (server, os.cpu_count(), os.getloadavg()[0]))
    missed = []
    with tempfile.TemporaryDirectory() as work:
        programs = [("small", "1600 lines, 7 files", make_program(work, 1600, False), {}),
                    ("big", "20000 lines, 1 file", make_program(work, 20000, True), {"maxAddr": "0xFFFFFC"})]
        rows, mem = [], None
        for key, label, (main_path, lines), options in programs:
            s = Session(server, main_path, lines, options)
            cpu = s.client.cpu_ms()
            edits = stats([s.edit(k) for k in range(a.edits)]) + ((s.client.cpu_ms() - cpu) / a.edits,)
            cpu = s.client.cpu_ms()
            hover = stats(s.hovers(a.requests)) + ((s.client.cpu_ms() - cpu) / a.requests,)
            completion = []
            for typed in (0, 1):
                cpu = s.client.cpu_ms()
                completion.append(stats(s.completions(a.requests, typed)) + ((s.client.cpu_ms() - cpu) / a.requests,))
            rows.append((label, edits, hover, *completion))
            for what, figure, target in (("%s: edit" % label, edits[0], TARGETS[key]),
                                         ("%s: hover" % label, hover[0], TARGETS["request"]),
                                         ("%s: completion, a letter typed" % label, completion[1][0],
                                          TARGETS["request"])):
                if figure >= target:
                    missed.append("%s median %.2f ms >= %.0f ms" % (what, figure, target))
            if key == "small":
                warm = s.client.rss_kib()
                for k in range(a.memory_edits):
                    s.edit(a.edits + k)
                mem = (warm, s.client.rss_kib())
            if s.client.close() != 0:
                sys.exit("the server did not end with status 0")
    print("\n%-20s %28s %28s %28s %28s" % ("program", "didChange -> diagnostics", "hover", "completion, full list",
                                           "completion, a letter typed"))
    print("%-20s %28s %28s %28s %28s" % ("", *["median/p90/max, cpu (ms)"] * 4))
    for label, *figures in rows:
        print("%-20s %28s %28s %28s %28s" % (label, *["%.2f/%.2f/%.2f, %.2f" % f for f in figures]))
    grown = mem[1] - mem[0]
    print("\nresident size (1600 lines): %d KiB after warm-up, %d KiB after %d more edits (%+d KiB)"
          % (mem[0], mem[1], a.memory_edits, grown))
    if abs(grown) > TARGETS["memory"]:
        missed.append("resident size grew by %d KiB" % grown)
    print("targets: edit median < %.0f ms (1600 lines), < %.0f ms (20000 lines); hover, completion"
          " (a letter typed) < %.0f ms;"
          " resident size within %d KiB" % (TARGETS["small"], TARGETS["big"], TARGETS["request"], TARGETS["memory"]))
    print("\n".join("MISSED: " + m for m in missed) or "all targets met")
    return 1 if missed and not a.check else 0


if __name__ == "__main__":
    sys.exit(main())
