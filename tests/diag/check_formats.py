#!/usr/bin/env python3
"""check_formats.py ASM_ZQS SARIF_SCHEMA: on a few runs, every --diagnostics sarif
log is valid against the SARIF 2.1.0 schema and its rules, regions and file URIs
agree; every --diagnostics json document counts what it lists."""
import json
import os
import subprocess
import sys
import tempfile
import urllib.parse

import jsonschema

tool = os.path.abspath(sys.argv[1])
with open(sys.argv[2], encoding="utf-8") as f:
    validator = jsonschema.Draft7Validator(json.load(f))
SOURCES = {"main.zqs": '.include "io.inc"\n        nop\n        ld r1, UNDEFINED\n',
           "inc/io.inc": "\tnop\n\tbad_mnemonic r1\n",
           "dir a/x#1.zqs": "        nop\n        nop r9, r9\n", "ok.zqs": "        nop\n"}
RUNS = [["main.zqs", "-I", "inc"], ["dir a/x#1.zqs"], ["ok.zqs", "-ofmt", "ifs", "-otyp", "int"],
        ["missing.zqs"], ["-x"]]


def run(args):
    p = subprocess.run([tool] + args, capture_output=True)
    assert p.stdout == b"", f"{args}: standard output {p.stdout!r}"
    return json.loads(p.stderr)


def check_sarif(args, log):
    errors = list(validator.iter_errors(log))
    assert not errors, f"{args}: " + "\n".join(e.message for e in errors[:5])
    (r,) = log["runs"]
    root = r["originalUriBaseIds"]["SRCROOT"]["uri"]
    assert root == "file://" + urllib.parse.quote(os.getcwd()) + "/", root
    rules = r["tool"]["driver"]["rules"]
    for res in r["results"]:
        assert rules[res["ruleIndex"]]["id"] == res["ruleId"], res
        for loc in res.get("locations", []):
            art, reg = loc["physicalLocation"]["artifactLocation"], loc["physicalLocation"].get("region", {})
            assert art["uriBaseId"] == "SRCROOT" and os.path.isfile(urllib.parse.unquote(art["uri"])), art
            assert reg.get("endLine") != reg["startLine"] or reg["endColumn"] > reg["startColumn"], reg


with tempfile.TemporaryDirectory() as tmp:
    os.chdir(tmp)
    for name, text in SOURCES.items():
        os.makedirs(os.path.dirname(name) or ".", exist_ok=True)
        with open(name, "w") as f:
            f.write(text)
    for args in RUNS:
        check_sarif(args, run(args + ["--diagnostics", "sarif"]))
        doc = run(["--diagnostics", "json"] + args)
        d = doc["diagnostics"]
        assert doc["errors"] == sum(x["level"] in ("fatal", "error") for x in d), doc
        assert doc["warnings"] == sum(x["level"] == "warning" for x in d), doc
print(f"{len(RUNS)} runs: SARIF valid, JSON consistent")
