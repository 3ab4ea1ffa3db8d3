" ZQS assembler sources: the filetype whose buffers the zqs-lsp client attaches to.
autocmd BufNewFile,BufRead *.zqs setfiletype zqs
