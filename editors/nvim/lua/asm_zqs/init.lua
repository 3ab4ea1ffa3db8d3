-- The Neovim client of zqs-lsp (Neovim 0.7 and later).
--
--   require('asm_zqs').setup({
--     cmd = { 'zqs-lsp' },                -- the server and its arguments
--     settings = { arch = 'zqs24-1', includeDirs = { 'inc' }, maxAddr = '0x17FC', inlayHints = false },
--     root_markers = { '.git' },          -- the root is the nearest folder holding one, else the file's folder
--   })
--
-- setup() starts the server for every buffer of filetype zqs, one server per root
-- folder, and puts the Vim syntax of asm-zqs on the runtime path when it lies beside.
local M = {}

local config = { cmd = { 'zqs-lsp' }, settings = {}, root_markers = { '.git' } }
local clients = {} -- root folder -> client id (Neovim 0.7, without vim.lsp.start)

-- The folder of this plugin's root: .../nvim (lua/asm_zqs/init.lua below it).
local function plugin_dir()
  local source = debug.getinfo(1, 'S').source:sub(2)
  return vim.fn.fnamemodify(source, ':p:h:h:h')
end

-- The nearest folder from DIR upwards that holds one of the markers, else DIR.
local function find_root(dir)
  local d = dir
  while true do
    for _, marker in ipairs(config.root_markers) do
      if vim.loop.fs_stat(d .. '/' .. marker) then
        return d
      end
    end
    local parent = vim.fn.fnamemodify(d, ':h')
    if parent == d then
      return dir
    end
    d = parent
  end
end

local function client_config(root)
  local section = { asmZqs = config.settings }
  return {
    name = 'zqs-lsp',
    cmd = config.cmd,
    root_dir = root,
    init_options = section,
    settings = section,
  }
end

-- Starts (or reuses) the server of the buffer's root folder and attaches the buffer.
function M.start(bufnr)
  bufnr = (bufnr == nil or bufnr == 0) and vim.api.nvim_get_current_buf() or bufnr
  local name = vim.api.nvim_buf_get_name(bufnr)
  if name == '' then
    return nil
  end
  local root = find_root(vim.fn.fnamemodify(name, ':p:h'))
  if vim.lsp.start then
    return vim.lsp.start(client_config(root), { bufnr = bufnr })
  end
  local id = clients[root]
  if not id or not vim.lsp.get_client_by_id(id) then
    id = vim.lsp.start_client(client_config(root))
    if not id then
      return nil
    end
    clients[root] = id
  end
  vim.lsp.buf_attach_client(bufnr, id)
  return id
end

-- Sends changed settings to the running servers (they assemble their documents again).
function M.update_settings(settings)
  config.settings = vim.tbl_extend('force', config.settings, settings)
  for _, client in ipairs(vim.lsp.get_active_clients()) do
    if client.name == 'zqs-lsp' then
      client.config.settings = { asmZqs = config.settings }
      client.notify('workspace/didChangeConfiguration', { settings = client.config.settings })
    end
  end
end

function M.setup(opts)
  config = vim.tbl_extend('force', config, opts or {})
  if type(config.cmd) == 'string' then
    config.cmd = { config.cmd }
  end
  local vimdir = vim.fn.fnamemodify(plugin_dir(), ':h') .. '/vim'
  if vim.fn.filereadable(vimdir .. '/syntax/zqs.vim') == 1 then
    vim.opt.runtimepath:append(vimdir)
  end
  local group = vim.api.nvim_create_augroup('asm_zqs', { clear = true })
  vim.api.nvim_create_autocmd('FileType', {
    group = group,
    pattern = 'zqs',
    callback = function(args)
      M.start(args.buf)
    end,
  })
  for _, b in ipairs(vim.api.nvim_list_bufs()) do
    if vim.api.nvim_buf_is_loaded(b) and vim.bo[b].filetype == 'zqs' then
      M.start(b)
    end
  end
end

return M
