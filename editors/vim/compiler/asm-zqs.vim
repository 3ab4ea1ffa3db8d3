" Vim compiler file for asm-zqs (written by zqs-gen: do not edit).
" :compiler asm-zqs, then :make assembles the current file and lists the messages
" of --diagnostics gnu with their columns; :make ARGS puts ARGS before the file.
if exists("current_compiler")
  finish
endif
let current_compiler = "asm-zqs"

if exists(":CompilerSet") != 2
  command -nargs=* CompilerSet setlocal <args>
endif

let s:cpo_save = &cpo
set cpo&vim

CompilerSet makeprg=asm-zqs\ --diagnostics\ gnu\ $*\ %:S
CompilerSet errorformat=
      \%-GIn\ file\ included\ from\ %.%#
      \,asm-zqs:\ fatal\ %trror:\ %m
      \,asm-zqs:\ %trror:\ %m
      \,asm-zqs:\ %tarning:\ %m
      \,%f:%l:%c:\ fatal\ %trror:\ %m
      \,%f:%l:%c:\ %trror:\ %m
      \,%f:%l:%c:\ %tarning:\ %m
      \,%f:%l:\ fatal\ %trror:\ %m
      \,%f:%l:\ %trror:\ %m
      \,%f:%l:\ %tarning:\ %m
      \,%-G%.%#

let &cpo = s:cpo_save
unlet s:cpo_save
