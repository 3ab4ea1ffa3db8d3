" Sourced by check_vim in a headless Vim holding the sample: compares the syntax group
" of every character of each expected token ($EXPECTED) and writes the faults, or
" nothing, to $RESULT.
let s:faults = []
if &filetype !=# 'zqs'
  call add(s:faults, 'file type is "' . &filetype . '", not zqs')
endif
for s:row in readfile($EXPECTED)
  if s:row =~# '^\s*\%(#\|$\)'
    continue
  endif
  let [s:lnum, s:token, s:group; s:rest] = split(s:row)
  let s:nth = 1
  let s:m = matchlist(s:token, '^\(.\+\)@\(\d\+\)$')
  if !empty(s:m)
    let [s:token, s:nth] = [s:m[1], str2nr(s:m[2])]
  endif
  let s:col = -1
  for s:i in range(s:nth)
    let s:col = stridx(getline(s:lnum), s:token, s:col + 1)
  endfor
  if s:col < 0
    call add(s:faults, s:row . ': token not found')
    continue
  endif
  let s:want = s:group ==# '-' ? '' : s:group
  for s:c in range(s:col + 1, s:col + len(s:token))
    let s:got = synIDattr(synID(s:lnum, s:c, 1), 'name')
    if s:got !=# s:want
      call add(s:faults, s:row . ': column ' . s:c . ' is "' . s:got . '"')
      break
    endif
  endfor
endfor
call writefile(s:faults, $RESULT)
qall!
