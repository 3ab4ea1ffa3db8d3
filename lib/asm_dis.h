// Disassembly of whole images: a listing, or assembler source that assembles
// back to the identical image. Built on the registry's decoded words (decode,
// print_decoded, reencodes in asm_arch.h).
#ifndef ASM_DIS_H
#define ASM_DIS_H

#include <string>
#include <vector>

#include "asm_arch.h"
#include "asm_image.h"

// The registered architecture of that name (the registry filled on first
// use); throws "ASM-ZQS architecture \"NAME\" is not available.".
arch_type& find_arch(std::string const& arch);
// The disassembler's text of one word, or a thrown std::string with the
// reason (also for bits above the architecture's instruction width). The
// single-instruction function is this under the library lock.
std::string disassemble_word(arch_type& arch, unsigned int code);

// Label names usable in address operands: the first name of each address.
using dis_names_type = label_names_type;

// What a listing shows after a word's address and value: the text with its
// address operands named by `names`, and a note where the text assembles to
// another word; ".var 0x........  ; reason" for a word that is no instruction.
std::string dis_listing_text(arch_type& arch, unsigned int code, dis_names_type const& names);

// Listing of an image: "ADDRESS  WORD  TEXT" lines, labels, gaps. Line ends "\n".
std::string dis_listing(image_type const& img);

// Source that asm-zqs turns back into the same image. Throws image_error for
// what a source cannot express (a label name that is no symbol, an array type
// that a .cmdline word cannot hold).
std::string dis_source(image_type const& img);

// A waveform viewer's translate filter, one line: the listing text of the
// value on it (hexadecimal, with or without 0x, at most 32 bits; blanks
// around it pass); any other line, such as a value with x or z bits, as it is.
std::string dis_filter_text(arch_type& arch, std::string const& line, dis_names_type const& names);

// Listing lines of single words, at addresses 0, 4, 8 ...; throws a
// std::string for an unknown architecture.
std::string dis_words(std::string const& arch, std::vector<unsigned int> const& words);

#endif
