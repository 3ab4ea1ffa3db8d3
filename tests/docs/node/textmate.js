// textmate.js NODE_MODULES EXTENSION_DIR SAMPLE EXPECTED: loads the extension's grammar
// into the TextMate engine of VS Code (vscode-textmate with the Oniguruma regular
// expressions of vscode-oniguruma), tokenises the sample and checks the innermost scope
// of every character of each expected token.
'use strict';
const fs = require('fs');
const path = require('path');

const [modules, extDir, sampleFile, expectedFile] = process.argv.slice(2);
const vsctm = require(path.join(modules, 'vscode-textmate'));
const onig = require(path.join(modules, 'vscode-oniguruma'));

async function main() {
  const wasm = fs.readFileSync(path.join(modules, 'vscode-oniguruma', 'release', 'onig.wasm'));
  await onig.loadWASM(wasm.buffer.slice(wasm.byteOffset, wasm.byteOffset + wasm.byteLength));
  const pkg = JSON.parse(fs.readFileSync(path.join(extDir, 'package.json'), 'utf8'));
  const lang = pkg.contributes.languages[0];
  const config = JSON.parse(fs.readFileSync(path.join(extDir, lang.configuration), 'utf8'));
  const faults = [];
  if (!lang.extensions.includes('.zqs')) faults.push('the language does not claim *.zqs');
  if (config.comments.lineComment !== ';') faults.push('line comments do not start with ";"');
  const g = pkg.contributes.grammars.find(x => x.language === lang.id);
  const grammarFile = path.join(extDir, g.path);
  const registry = new vsctm.Registry({
    onigLib: Promise.resolve({
      createOnigScanner: patterns => new onig.OnigScanner(patterns),
      createOnigString: s => new onig.OnigString(s),
    }),
    loadGrammar: async scope => scope === g.scopeName
      ? vsctm.parseRawGrammar(fs.readFileSync(grammarFile, 'utf8'), grammarFile) : null,
  });
  const grammar = await registry.loadGrammar(g.scopeName);

  // Innermost scope of every character, line by line.
  const lines = fs.readFileSync(sampleFile, 'utf8').split('\n');
  let state = vsctm.INITIAL;
  const scopes = lines.map(text => {
    const r = grammar.tokenizeLine(text, state);
    state = r.ruleStack;
    const at = [];
    for (const t of r.tokens)
      for (let c = t.startIndex; c < t.endIndex; c++) at[c] = t.scopes[t.scopes.length - 1];
    return at;
  });

  let checked = 0;
  for (const row of fs.readFileSync(expectedFile, 'utf8').split('\n')) {
    if (/^\s*(#|$)/.test(row)) continue;
    const [lnum, tokenRef, , scope] = row.trim().split(/\s+/);
    const m = /^(.+)@(\d+)$/.exec(tokenRef);
    const [token, nth] = m ? [m[1], Number(m[2])] : [tokenRef, 1];
    const text = lines[lnum - 1];
    let col = -1;
    for (let i = 0; i < nth; i++) col = text.indexOf(token, col + 1);
    if (col < 0) { faults.push(`${row}: token not found`); continue; }
    const want = scope === '-' ? g.scopeName : scope;
    for (let c = col; c < col + token.length; c++) {
      const got = scopes[lnum - 1][c];
      if (got !== want) { faults.push(`${row}: column ${c + 1} is "${got}"`); break; }
    }
    checked++;
  }
  for (const f of faults) console.log('FAIL ' + f);
  console.log(`textmate: ${checked - faults.length} tokens as expected, ${faults.length} faults`);
  process.exit(faults.length ? 1 : 0);
}

main().catch(e => { console.log(e.stack || String(e)); process.exit(1); });
