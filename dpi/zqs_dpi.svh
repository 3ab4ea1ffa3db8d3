// ASM-ZQS for SystemVerilog testbenches: DPI-C imports of the assembler
// library (C side: zqs_dpi.c, compiled with the testbench and linked with
// libasm_zqs). `include it inside a module or package.
//
// Functions returning int give 0 on success and 1 on failure; functions
// returning a string give "" on failure. zqs_dpi_error() then tells why
// (the library's text). An image handle lives until zqs_dpi_image_free.
// A returned string stays valid until the next call of the same function.
`ifndef ZQS_DPI_SVH
`define ZQS_DPI_SVH

import "DPI-C" function string zqs_dpi_error();

// A memory image (C array, IFS, MIF or vmem) of architecture arch ("zqs24-1"
// ...; "" is a failure), with the labels of the definitions file defs ("" for
// none); null on failure.
import "DPI-C" function chandle zqs_dpi_image_load(input string image, input string defs,
                                                   input string arch);
import "DPI-C" function void zqs_dpi_image_free(input chandle image);

// A program assembled from its source: the arguments of asm-zqs in one
// string ("-arch zqs24-2 -I inc prog.zqs"; "..." keeps blanks in one
// argument); no image is written. null on failure. The handle is an image
// with source lines: every function that takes an image takes it.
import "DPI-C" function chandle zqs_dpi_program_load(input string args);
import "DPI-C" function string zqs_dpi_image_arch(input chandle image);

// The source file, line and line text of the word at a byte address (an
// image has none: 1 and "").
import "DPI-C" function int zqs_dpi_source(input chandle image, input int unsigned address,
                                           output string file, output int unsigned line);
import "DPI-C" function string zqs_dpi_source_text(input chandle image,
                                                   input int unsigned address);

// Coverage: count one execution at a byte address (1: no word there, counted
// apart), write the counts as an lcov tracefile, and their summary text.
import "DPI-C" function int zqs_dpi_cover(input chandle image, input int unsigned address);
import "DPI-C" function int zqs_dpi_write_coverage(input chandle image, input string path);
import "DPI-C" function string zqs_dpi_coverage_summary(input chandle image);

// Words by position (0 .. count-1, in address order) and by byte address.
import "DPI-C" function int zqs_dpi_image_word_count(input chandle image);
import "DPI-C" function int zqs_dpi_image_word(input chandle image, input int index,
                                               output int unsigned address,
                                               output int unsigned word);
import "DPI-C" function int zqs_dpi_image_read(input chandle image, input int unsigned address,
                                               output int unsigned word);

// Labels by position (address order, then name; "" past the end) and by name.
import "DPI-C" function int zqs_dpi_label_count(input chandle image);
import "DPI-C" function string zqs_dpi_label(input chandle image, input int index,
                                             output int unsigned address);
import "DPI-C" function int zqs_dpi_label_address(input chandle image, input string name,
                                                  output int unsigned address);

// Single words: assemble a line, disassemble a word, name a register address.
import "DPI-C" function int zqs_dpi_assemble(input string arch, input string line,
                                             output int unsigned word);
import "DPI-C" function string zqs_dpi_disassemble(input string arch, input int unsigned word);
import "DPI-C" function string zqs_dpi_register_name(input string arch,
                                                     input int unsigned address);

// The text of a word in a listing of the image, as dis-zqs prints it: no
// trailing blank, address operands (jumps, calls, memory addresses) that
// equal a label's address written as its name, and a comment where the
// text assembles to another word; "" when the word is no instruction.
import "DPI-C" function string zqs_dpi_listing_text(input chandle image, input string arch,
                                                          input int unsigned word);

// The image's listing as dis-zqs prints it, and the lines of it that belong
// to the word at an address (gap line, label lines, the word's line; after
// the last word the labels past it), each line ending with a line feed:
// write them with $write. "" when no word is there.
import "DPI-C" function string zqs_dpi_listing(input chandle image);
import "DPI-C" function string zqs_dpi_listing_lines(input chandle image,
                                                     input int unsigned address);

`endif
