" Vim syntax file
" Language: ZQS assembler (asm-zqs)
" Written by zqs-gen from the instruction-set tables: do not edit.
if exists("b:current_syntax")
  finish
endif
let s:cpo_save = &cpo
set cpo&vim
syn case match

" Mnemonics and register names of all architectures, in any case.
syn match zqsMnemonic "\c\<\%(add\|addc\|addl\|and\|andl\|ard\|ardi\|asl\|asrs\|asru\|ats\|atsl\)\>"
syn match zqsMnemonic "\c\<\%(atu\|atul\|awr\|awri\|brd\|brdi\|bt\|btl\|bwr\|bwri\|call\|calli\)\>"
syn match zqsMnemonic "\c\<\%(clrb\|divs\|divu\|jbc\|jbci\|jbs\|jbsi\|jmp\|jmpi\|lit24\|lit32\|maxs\)\>"
syn match zqsMnemonic "\c\<\%(maxu\|mins\|minu\|mov\|movl\|mrd\|mrdi\|mrdio\|muls\|mulu\|mwr\|mwr24\)\>"
syn match zqsMnemonic "\c\<\%(mwri\|mwri24\|mwril\|mwrio\|mwrl\|nard\|nardi\|neg\|nop\|or\|orl\|pop\)\>"
syn match zqsMnemonic "\c\<\%(push\|ret\|setb\|shl\|shr\|sub\|subc\|subl\|wuce\|wurcx\|wurm\|wurmx\)\>"
syn match zqsMnemonic "\c\<\%(xchb\|xor\|xorl\)\>"
syn match zqsRegister "\c\<\%(acb\|aximi\|ctrg\|dsta\|dstax\|gmi0\|gmi1\|mhb\|msint\|r0\|r1\|r2\)\>"
syn match zqsRegister "\c\<\%(r3\|r4\|r5\|r6\|r7\|rs0\|rs1\|rs2\|rs3\|rs4\|rs5\|rs6\)\>"
syn match zqsRegister "\c\<\%(rs7\|sta\|strg\|tbu_ts0\|tbu_ts1\|tbu_ts2\|tioi\|tiosl\|trg\|xctrl0\|xctrl1\|xstat\)\>"
syn match zqsRegister "\c\<\%(zero\)\>"

" Numbers: decimal, 0x h# $ hexadecimal, d# decimal, b# binary.
syn match zqsNumber "\<\d\x*"
syn match zqsNumber "\<0x\x\+"
syn match zqsNumber "\<[hdb]#\x\+"
syn match zqsNumber "\$\x\+"
syn match zqsCharacter +'\%(\\\%([\\"'rnabft]\|x\x\x\)\|[^\\]\)'+

" Strings end at their quote or at the line end.
syn match zqsBadEscape +\\+ contained
syn match zqsEscape +\\\%([\\"'rnabft]\|x\x\x\)+ contained
syn region zqsString start=+"+ skip=+\\\\\|\\"+ end=+"\|$+ contains=zqsEscape,zqsBadEscape

" Directives are lower case and need no blank after them.
syn match zqsDirective "\.\%(define\|set\|register\|org\|include\|var\|str\)"
syn region zqsCmdline matchgroup=zqsDirective start="\.cmdline" end="\ze[;#]\|$" contains=zqsCmdlineQuoted
syn region zqsCmdlineQuoted start=+"+ end=+"\|$+ contained

syn match zqsComment "[;#].*$" contains=@Spell
syn match zqsLabel "^\s*\zs\a\w*\ze\s*:"

hi def link zqsMnemonic Statement
hi def link zqsRegister Identifier
hi def link zqsNumber Number
hi def link zqsCharacter Character
hi def link zqsString String
hi def link zqsEscape SpecialChar
hi def link zqsBadEscape Error
hi def link zqsDirective PreProc
hi def link zqsCmdline Special
hi def link zqsCmdlineQuoted String
hi def link zqsComment Comment
hi def link zqsLabel Label

let b:current_syntax = "zqs"
let &cpo = s:cpo_save
unlet s:cpo_save
