// language_client.js NODE_MODULES EXTENSION_DIR SERVER: activates extension.js on stubs of the
// editor's API and of LanguageClient, then drives the server it names, with the options it
// builds, through the client's own protocol stack: diagnostics, hover, shutdown, exit.
'use strict';
const [Module, cp, fs, os, path, assert] = ['module', 'child_process', 'fs', 'os', 'path', 'assert/strict'].map(require);
const [modules, extDir, serverPath] = process.argv.slice(2);
setTimeout(() => { console.error('timed out'); process.exit(1); }, 10000).unref();

let made;
const settings = { serverPath: path.resolve(serverPath), arch: 'zqs16-1', includeDirs: [], maxAddr: null, inlayHints: false };
const stubs = { vscode: { workspace: { getConfiguration: s => ({ get: k => s === 'asmZqs' ? settings[k] : undefined }) } },
  'vscode-languageclient/node': { LanguageClient: class { constructor(...a) { made = a; } start() {} } } };
const load = Module._load;
Module._load = function (request, ...rest) { return stubs[request] || load.call(this, request, ...rest); };
require(path.resolve(extDir, require(path.resolve(extDir, 'package.json')).main)).activate();
Module._load = load;
const [, , server, options] = made;
assert.deepEqual(options.documentSelector, [{ scheme: 'file', language: 'zqs' }]);
assert.equal(options.synchronize.configurationSection, 'asmZqs');

async function session(dir) {
  const lsp = require(path.resolve(modules, 'vscode-languageserver-protocol', 'node'));
  const uri = 'file://' + dir + '/main.zqs', text = '\tmovl r9, 1\n';
  fs.writeFileSync(path.join(dir, 'main.zqs'), text);
  const proc = cp.spawn(server.command, server.args, { cwd: dir, stdio: ['pipe', 'pipe', 'inherit'] });
  const exited = new Promise(resolve => proc.on('exit', resolve));
  const conn = lsp.createProtocolConnection(new lsp.StreamMessageReader(proc.stdout), new lsp.StreamMessageWriter(proc.stdin));
  const published = new Promise(resolve => conn.onNotification(lsp.PublishDiagnosticsNotification.type, resolve));
  conn.listen();
  await conn.sendRequest(lsp.InitializeRequest.type, { processId: process.pid, rootUri: 'file://' + dir,
    capabilities: {}, initializationOptions: options.initializationOptions });
  conn.sendNotification(lsp.InitializedNotification.type, {});
  conn.sendNotification(lsp.DidOpenTextDocumentNotification.type, { textDocument: { uri, languageId: 'zqs', version: 1, text } });
  const [d] = (await published).diagnostics;
  assert.deepEqual([d.range, d.code, d.source, d.severity], [{ start: { line: 0, character: 6 }, end: { line: 0, character: 8 } },
    'ZQS5103', 'asm-zqs', lsp.DiagnosticSeverity.Error]);
  const hover = await conn.sendRequest(lsp.HoverRequest.type, { textDocument: { uri }, position: { line: 0, character: 2 } });
  assert.match(hover.contents.value, /^`MOVL oreg, 0x0\.\.0xFFFF`\n\nbase code 0x100000 \(zqs16-1\)\n/);
  await conn.sendRequest(lsp.ShutdownRequest.type);
  conn.sendNotification(lsp.ExitNotification.type);
  assert.equal(await exited, 0);
}
const dir = fs.mkdtempSync(path.join(os.tmpdir(), 'zqs-vscode-'));
session(dir).then(() => console.log('vscode client: the extension\'s server answers as expected'),
                  e => { console.error(e); process.exitCode = 1; }).finally(() => fs.rmSync(dir, { recursive: true }));
