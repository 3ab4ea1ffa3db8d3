#!/usr/bin/env python3
"""asm-zqs --diagnostics json and sarif on a few runs: every SARIF log is valid
against the SARIF 2.1.0 schema and its rules, regions and file URIs agree; every
JSON document parses and counts what it lists.
Usage: check_formats.py ASM_ZQS SARIF_SCHEMA"""
import json
import os
import subprocess
import sys
import tempfile
import urllib.parse

import jsonschema

tool, schema_file = os.path.abspath(sys.argv[1]), sys.argv[2]
with open(schema_file, encoding="utf-8") as f:
    validator = jsonschema.Draft7Validator(json.load(f))

SOURCES = {
    "main.zqs": ".include \"io.inc\"\n        nop\n        ld r1, UNDEFINED\n",
    "inc/io.inc": "\tnop\n\tbad_mnemonic r1\n",
    "dir a/x#1.zqs": "        nop\n        nop r9, r9\n",
    "ok.zqs": "        nop\n",
}
RUNS = [
    ["main.zqs", "-I", "inc"],
    ["dir a/x#1.zqs"],
    ["ok.zqs", "-ofmt", "ifs", "-otyp", "int", "-hinc"],
    ["missing.zqs"],
    ["-x"],
]


def run(args):
    p = subprocess.run([tool] + args, capture_output=True)
    assert p.stdout == b"", f"{args}: standard output {p.stdout!r}"
    return json.loads(p.stderr)


def check_sarif(args, log, cwd):
    errors = list(validator.iter_errors(log))
    assert not errors, f"{args}: " + "\n".join(e.message for e in errors[:5])
    (r,) = log["runs"]
    root = r["originalUriBaseIds"]["SRCROOT"]["uri"]
    assert root == "file://" + urllib.parse.quote(cwd) + "/", root
    rules = r["tool"]["driver"]["rules"]
    for res in r["results"]:
        assert rules[res["ruleIndex"]]["id"] == res["ruleId"], res
        for loc in res.get("locations", []):
            art = loc["physicalLocation"]["artifactLocation"]
            assert art.get("uriBaseId") == "SRCROOT", art
            assert os.path.isfile(urllib.parse.unquote(art["uri"])), art
            reg = loc["physicalLocation"].get("region", {})
            if "endColumn" in reg and reg["endLine"] == reg["startLine"]:
                assert reg["endColumn"] > reg["startColumn"], reg


def check_json(args, doc):
    d = doc["diagnostics"]
    assert doc["errors"] == sum(x["level"] in ("fatal", "error") for x in d), doc
    assert doc["warnings"] == sum(x["level"] == "warning" for x in d), doc
    assert all(("column" in x) == ("end_column" in x) for x in d), doc


with tempfile.TemporaryDirectory() as tmp:
    os.chdir(tmp)
    for name, text in SOURCES.items():
        os.makedirs(os.path.dirname(name) or ".", exist_ok=True)
        with open(name, "w") as f:
            f.write(text)
    for args in RUNS:
        check_sarif(args, run(args + ["--diagnostics", "sarif"]), os.getcwd())
        check_json(args, run(["--diagnostics", "json"] + args))
print(f"{len(RUNS)} runs: SARIF valid, JSON consistent")
