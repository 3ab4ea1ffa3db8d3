" ZQS assembler sources (written by zqs-gen: do not edit).
autocmd BufNewFile,BufRead *.zqs setfiletype zqs
