// problem_matcher.js PACKAGE_JSON ASM_ZQS FAULTY_DIR SCRATCH GNU_SAMPLE GNU_EXPECTED:
// applies the extension's problem matcher, as VS Code does, to the report lines of real
// asm-zqs runs on faulty sources (FAULTY_DIR/runs.json) and checks that each one names
// the faulty line; applies the matcher asm-zqs-gnu to the --diagnostics gnu lines of
// GNU_SAMPLE and checks its problems against the entries with a file of GNU_EXPECTED
// ("FILE|LINE|COLUMN|e or w|TEXT", the Vim compiler test's list).
'use strict';
const fs = require('fs');
const path = require('path');
const { execFileSync } = require('child_process');

const [pkgFile, tool, faultyDir, scratch, gnuSample, gnuExpected] = process.argv.slice(2);
const matchers = JSON.parse(fs.readFileSync(pkgFile, 'utf8')).contributes.problemMatchers;
const matcher = matchers[0];
const p = matcher.pattern;
const re = new RegExp(p.regexp);
const plan = JSON.parse(fs.readFileSync(path.join(faultyDir, 'runs.json'), 'utf8'));

fs.rmSync(scratch, { recursive: true, force: true });
fs.cpSync(faultyDir, scratch, { recursive: true });
for (const [to, from] of Object.entries(plan.copies)) {
  fs.mkdirSync(path.dirname(path.join(scratch, to)), { recursive: true });
  fs.copyFileSync(path.join(faultyDir, from), path.join(scratch, to));
}

const failedRuns = new Set();
const fail = (run, text) => { failedRuns.add(run); console.log(`FAIL [${run.args.join(' ')}] ${text}`); };
for (const run of plan.runs) {
  let out;
  try {
    out = execFileSync(tool, run.args, { cwd: scratch, encoding: 'utf8' });
  } catch (e) {
    out = e.stdout;  // a run with errors ends with status 1
  }
  const reports = out.split('\n').filter(l => /^(FATAL ERROR|ERROR|WARNING|INFO)[ >]/.test(l));
  if (reports.length === 0) fail(run, 'no report line');
  let problems = 0;
  for (const line of reports) {
    const m = re.exec(line);
    if (!m) {
      if (/^[A-Z ]+ .*:\d+> /.test(line)) fail(run, `not matched: ${line}`);
      continue;
    }
    problems++;
    const file = path.resolve(scratch, m[p.file]);
    const severity = m[p.severity].toLowerCase();
    const lineNo = Number(m[p.line]);
    if (m[p.message] !== line.slice(line.indexOf('> ') + 2)) fail(run, `message cut: ${line}`);
    if (!fs.existsSync(file)) { fail(run, `no such file ${file}: ${line}`); continue; }
    const text = fs.readFileSync(file, 'utf8').split('\n')[lineNo - 1] || '';
    if (!text.includes(`; expect: ${severity}`))
      fail(run, `${m[p.file]}:${lineNo} is not marked "; expect: ${severity}": ${line}`);
  }
  if (problems !== run.problems) fail(run, `${problems} problems matched, expected ${run.problems}`);
}
console.log(`problem matcher: ${plan.runs.length - failedRuns.size} runs passed, ${failedRuns.size} failed`);

// Every line of the sample through the gnu matcher; VS Code reads "fatal error" as an
// error (the matcher's default severity), the others by name.
const gnu = matchers.find(m => m.name === 'asm-zqs-gnu').pattern;
const gnuRe = new RegExp(gnu.regexp);
const lines = fs.readFileSync(gnuSample, 'utf8').split('\n');
const got = lines.map(l => gnuRe.exec(l)).filter(m => m).map(m =>
  [m[gnu.file], m[gnu.line], m[gnu.column], m[gnu.severity][0], m[gnu.message]].join('|'));
const want = fs.readFileSync(gnuExpected, 'utf8').split('\n').filter(l => l && !l.startsWith('|'));
const gnuOk = JSON.stringify(got) === JSON.stringify(want);
console.log(gnuOk ? `gnu problem matcher: ${got.length} problems as expected`
  : `FAIL gnu matcher:\n${got.join('\n')}\nexpected:\n${want.join('\n')}`);
process.exit(failedRuns.size || !gnuOk ? 1 : 0);
