// The VS Code client of zqs-lsp: starts the language server for the zqs documents on disk
// and hands it the settings of the section asmZqs, at its start (initializationOptions)
// and on every change (workspace/didChangeConfiguration). Plain JavaScript: no build step.
'use strict';
const vscode = require('vscode');
const { LanguageClient } = require('vscode-languageclient/node');

let client;

// The settings the server reads, with the defaults of package.json.
function serverSettings(config) {
  return {
    arch: config.get('arch'),
    includeDirs: config.get('includeDirs'),
    maxAddr: config.get('maxAddr'),
    inlayHints: config.get('inlayHints'),
  };
}

function activate() {
  const config = vscode.workspace.getConfiguration('asmZqs');
  const server = { command: config.get('serverPath') || 'zqs-lsp', args: [] };
  client = new LanguageClient('asmZqs', 'ZQS assembler (zqs-lsp)', server, {
    // The server assembles files: untitled documents have no folder to find includes in.
    documentSelector: [{ scheme: 'file', language: 'zqs' }],
    initializationOptions: { asmZqs: serverSettings(config) },
    synchronize: { configurationSection: 'asmZqs' },
  });
  return client.start();
}

function deactivate() {
  return client ? client.stop() : undefined;
}

module.exports = { activate, deactivate };
