#!/usr/bin/env bash
# The shared library exports the public API and nothing else, and carries the
# major version in its SONAME.   check_exports.sh LIBRARY
set -u
lib=$1
expected='asm_zqs_main(int, char const**)
assemble_single_instr(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >, std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >)
disassemble_single_instr(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >, unsigned int)
get_reg_map_symbol(std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >, unsigned int)
zqs_architecture
zqs_assemble_file
zqs_assemble_line
zqs_disassemble_word
zqs_listing_text
zqs_program_arch
zqs_program_cover
zqs_program_coverage
zqs_program_coverage_summary
zqs_program_free
zqs_program_listing
zqs_program_listing_part
zqs_program_message
zqs_program_message_count
zqs_program_message_include
zqs_program_message_include_count
zqs_program_label
zqs_program_label_count
zqs_program_report
zqs_program_source
zqs_program_word
zqs_program_word_count
zqs_program_write_coverage
zqs_read_image
zqs_register_name'
actual=$(nm -DC --defined-only "$lib" | awk '$2 ~ /^[A-Za-z]$/ { $1 = ""; $2 = ""; sub(/^  /, ""); print }' | LC_ALL=C sort)
if [ "$actual" != "$(echo "$expected" | LC_ALL=C sort)" ]; then
  echo "exported symbols differ:"
  diff <(echo "$expected" | LC_ALL=C sort) <(echo "$actual")
  exit 1
fi
soname=$(readelf -d "$lib" | sed -n 's/.*(SONAME).*\[\(.*\)\]/\1/p')
[ "$soname" = libasm_zqs.so.0 ] || { echo "SONAME is '$soname'"; exit 1; }
echo "exports: ok"
