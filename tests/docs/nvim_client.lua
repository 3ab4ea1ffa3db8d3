-- nvim --headless --clean -u nvim_client.lua, with ZQS_LSP (the server) and ZQS_EDITORS
-- (editors/): the client of editors/nvim opens a faulty file below a (private) root folder,
-- gets the server's diagnostic and a hover in the configured architecture; faults on stdout.
local faults = {}
local function expect(what, got, want)
  if got ~= want then table.insert(faults, ('%s: %s, not %s'):format(what, vim.inspect(got), vim.inspect(want))) end
end
vim.opt.runtimepath:prepend(os.getenv('ZQS_EDITORS') .. '/nvim')

local function run()
  local dir = vim.fn.tempname() -- in the private folder of this Neovim
  vim.fn.mkdir(dir .. '/.git', 'p') -- the root marker above the file's folder
  vim.fn.mkdir(dir .. '/src', 'p')
  vim.fn.writefile({ '\tmovl r9, 1' }, dir .. '/src/main.zqs')
  require('asm_zqs').setup({ cmd = os.getenv('ZQS_LSP'), settings = { arch = 'zqs16-1' } })
  vim.cmd('edit ' .. dir .. '/src/main.zqs')
  expect('filetype and syntax', vim.bo.filetype .. ' ' .. tostring(vim.b.current_syntax), 'zqs zqs')
  vim.wait(5000, function() return #vim.diagnostic.get(0) > 0 end, 20)
  local d = vim.diagnostic.get(0)[1] or {}
  expect('diagnostic', ('%s %s:%s-%s %s %s'):format(d.source, d.lnum, d.col, d.end_col, d.code, d.message),
         "asm-zqs 0:6-8 ZQS5103 Undefined symbol 'R9' in argument 1.")
  local client = vim.lsp.get_active_clients()[1] or { config = {} }
  expect('root', client.config.root_dir, dir)
  local answers = vim.lsp.buf_request_sync(0, 'textDocument/hover',
    { textDocument = { uri = vim.uri_from_bufnr(0) }, position = { line = 0, character = 2 } }, 5000) or {}
  local hover = (answers[client.id] or {}).result
  expect('hover', hover and hover.contents.value:match('^[^\n]*\n\n[^\n]*'), '`MOVL oreg, 0x0..0xFFFF`\n\nbase code 0x100000 (zqs16-1)')
end

vim.api.nvim_create_autocmd('VimEnter', { nested = true, callback = function()
  local ok, err = pcall(run)
  if not ok then table.insert(faults, err) end
  io.stdout:write(#faults == 0 and 'nvim: diagnostics and hover as expected\n' or table.concat(faults, '\n') .. '\n')
  vim.cmd(#faults == 0 and 'qall!' or 'cquit! 1')
end })
