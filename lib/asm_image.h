// Reading memory images back: the C array, IFS command, MIF and Verilog memory
// files that the assembler writes, and its definitions files (C header, IFS
// definitions, SystemVerilog package) for the label names. Used by the
// disassembler program and by host tools.
#ifndef ASM_IMAGE_H
#define ASM_IMAGE_H

#include <stdexcept>
#include <string>
#include <vector>

// One word of an image at its byte address; line is where the image holds it
// (for a C array: its entry line).
struct image_word_type {
  unsigned int address = 0;
  unsigned int code = 0;
  unsigned int line = 0;
};

// One label of a definitions file; line is its line there.
struct image_label_type {
  std::string name;
  unsigned int address = 0;
  unsigned int line = 0;
};

// A definitions file as read: the label names (as the file spells them) with
// their byte addresses, and the code offset when the file states one.
struct image_defs_type {
  std::string format;           // "c" (C header), "ifs" (IFS definitions) or "svh" (SV package)
  std::string output_label;     // the label part of OFFSET_<label>, as spelt there
  bool has_offset = false;
  unsigned int offset = 0;      // byte address of the first word
  unsigned int offset_line = 0;
  std::vector<image_label_type> labels;  // in file order
  std::string name;             // the file's name, as given to parse_image_defs
};

// What the caller knows beyond the image itself.
struct image_read_options {
  std::string arch;          // architecture the words must fit; empty: the one the
                             // image's head names, else zqs24-1
  std::string format;        // "c", "ifs", "mif" or "vmem" forces the format; empty: recognised
  std::string def_file;      // definitions file to read (read_image only); empty: none
  bool base_set = false;     // C array: base address when the definitions give no offset
  unsigned int base = 0;
};

// A whole image.
struct image_type {
  std::string format;        // "c", "ifs", "mif" or "vmem"
  std::string arch_name;     // architecture the words were checked against
  std::string image_arch;    // architecture named in the image's head, empty if none
  unsigned int image_arch_line = 0;
  std::string output_label;  // array name (C) or memory label (IFS); empty if the image has none
  std::string output_type;   // element type of a C array, empty for the other formats
  std::vector<image_word_type> words;    // strictly ascending addresses
  std::string def_format;    // format of the definitions file, empty without one
  std::string def_name;      // name of the definitions file, empty without one
  std::vector<image_label_type> labels;  // ascending addresses, file order among equals
  std::vector<std::string> warnings;     // "FILE:LINE: text", for the user to see
};

// A fault of an input file: file and line (0: no line; an empty file: none).
// what() is "FILE:LINE: text", "FILE: text" or "text".
class image_error : public std::runtime_error {
 public:
  image_error(std::string file, unsigned int line, std::string text);
  std::string file;
  unsigned int line;
  std::string text;
};

// The whole content of a file; throws image_error "file cannot be read.".
std::string read_image_file_text(std::string const& file);

// Recognises and reads a definitions file's text; name is used in errors.
image_defs_type parse_image_defs(std::string const& name, std::string const& text);

// Reads an image's text (name used in errors) with optional definitions.
image_type parse_image(std::string const& name, std::string const& text,
                       image_read_options const& opt, image_defs_type const* defs = nullptr);

// Reads an image's text (name used in errors) and, if opt.def_file is set,
// the definitions file.
image_type read_image_text(std::string const& name, std::string const& text,
                           image_read_options const& opt);

// Reads the image file and, if opt.def_file is set, the definitions file.
image_type read_image(std::string const& file, image_read_options const& opt);

#endif
