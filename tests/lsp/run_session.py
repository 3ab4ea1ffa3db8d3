#!/usr/bin/env python3
"""run_session.py SERVER CASE [--update] [--windows]: replays CASE/session
against the language server and compares what it answers with CASE/expected.

The files of CASE/files are copied into a private temporary folder, which
the session and the answers name through a symbolic link ($DIR); the server
runs in another, empty folder. Both
must hold afterwards exactly what they held before: the server writes no file.

Lines of a session: a JSON message (sent framed), "raw TEXT" (TEXT with
Python escapes, sent as it is), "# ..." (comment). Input ends after the last
line. expected: one answer per line, then "exit N" with the status.

--windows: the server is a Windows program under Wine, which sees the folder
as Z:\tmp\...: the session names it file:///z%3A/tmp/... as VS Code does
("file://$DIR" there; a session may spell a drive itself, as in file:///Z:$DIR),
and the answers' drive-letter URIs and paths are read back as $DIR.
"""
import json, os, re, shutil, subprocess, sys, tempfile


def frame(body):
    data = body.encode()
    return b"Content-Length: %d\r\n\r\n" % len(data) + data


def read_answers(out):
    answers = []
    while out:
        head, _, rest = out.partition(b"\r\n\r\n")
        length = int(head.split(b":")[1])
        answers.append(json.loads(rest[:length].decode()))
        out = rest[length:]
    return answers


def listing(folder):
    return sorted((os.path.relpath(os.path.join(d, f), folder), open(os.path.join(d, f), "rb").read())
                  for d, _, files in os.walk(folder) for f in files)


def unix_paths(value, link):
    """The answer with Wine's names of the folder (link) given as on Linux."""
    if isinstance(value, dict):
        return {unix_paths(k, link): unix_paths(v, link) for k, v in value.items()}
    if isinstance(value, list):
        return [unix_paths(v, link) for v in value]
    if not isinstance(value, str):
        return value
    value = value.replace("file:///z%3A" + link, "file://" + link).replace("file:///Z:" + link, "file://" + link)
    win = re.escape("Z:" + link.replace("/", "\\"))
    return re.sub(win + r"((?:\\[^\\\s,]+)*)", lambda m: link + m.group(1).replace("\\", "/"), value)


def main():
    server, case = os.path.abspath(sys.argv[1]), sys.argv[2]
    windows = "--windows" in sys.argv
    with tempfile.TemporaryDirectory() as tmp:
        src, cwd = os.path.join(tmp, "src"), os.path.join(tmp, "cwd")
        os.mkdir(cwd)
        if os.path.isdir(os.path.join(case, "files")):
            shutil.copytree(os.path.join(case, "files"), src)
        else:
            os.mkdir(src)
        link = os.path.join(tmp, "link")
        os.symlink(src, link)
        before = listing(src)
        data = b""
        for line in open(os.path.join(case, "session"), encoding="utf-8"):
            line = line.rstrip("\n")
            if windows:
                line = line.replace("file://$DIR", "file:///z%3A$DIR")
            line = line.replace("$DIR", link)
            if not line or line.startswith("#"):
                continue
            if line.startswith("raw "):
                data += line[4:].encode().decode("unicode_escape").encode("latin-1")
            else:
                data += frame(json.dumps(json.loads(line)))
        run = subprocess.run([server], input=data, capture_output=True, cwd=cwd, timeout=60)
        got = [json.dumps(unix_paths(a, link) if windows else a, sort_keys=True,
                          ensure_ascii=False).replace(link, "$DIR")
               for a in read_answers(run.stdout)]
        got.append("exit %d" % run.returncode)
        problems = []
        if listing(src) != before:
            problems.append("the server changed the source folder")
        if os.listdir(cwd):
            problems.append("the server wrote into its working folder: %s" % os.listdir(cwd))
    expected_file = os.path.join(case, "expected")
    if "--update" in sys.argv:
        open(expected_file, "w", encoding="utf-8").write("\n".join(got) + "\n")
    expected = open(expected_file, encoding="utf-8").read().splitlines()
    if got != expected:
        problems.append("answers differ:\n" + "\n".join(
            "%s expected: %s\n%s got:      %s" % (i, e, i, g)
            for i, (e, g) in enumerate(zip(expected + [""] * len(got), got + [""] * len(expected)))
            if e != g))
    if problems:
        print("\n".join(problems))
        if run.stderr:
            print("stderr:", run.stderr.decode(errors="replace"))
        return 1
    print("%s: %d answers as expected" % (os.path.basename(case), len(got) - 1))
    return 0


if __name__ == "__main__":
    sys.exit(main())
