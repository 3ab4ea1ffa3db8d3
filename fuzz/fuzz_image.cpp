// Image reading and disassembly with fuzzed files. Byte 0 picks the
// architecture (one of the five, or the image's own) and the format (forced or
// recognised); the rest is the image text, then, after the first zero byte,
// the text of a definitions file. Every fault must arrive as an image_error;
// a listing and, where the image allows one, a source must always be made.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "asm_dis.h"
#include "asm_image.h"

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
  if (size == 0) return 0;
  static char const* const archs[] = {"", "zqs24-1", "zqs24-2", "zqs24-3", "zqs24-4", "zqs16-1"};
  static char const* const formats[] = {"", "c", "ifs", "mif", "vmem"};
  image_read_options opt;
  opt.arch = archs[data[0] % 6];
  opt.format = formats[(data[0] / 6) % 5];
  opt.base_set = data[0] >= 128;
  opt.base = 0x40;
  std::string rest(reinterpret_cast<char const*>(data) + 1, size - 1);
  size_t zero = rest.find('\0');
  std::string image = rest.substr(0, zero);
  try {
    image_type img;
    if (zero == std::string::npos) {
      img = parse_image("image", image, opt);
    } else {
      image_defs_type defs = parse_image_defs("defs", rest.substr(zero + 1));
      img = parse_image("image", image, opt, &defs);
    }
    for (size_t i = 1; i < img.words.size(); ++i)
      if (img.words[i].address <= img.words[i - 1].address) abort();  // must ascend
    dis_listing(img);
    dis_source(img);
  } catch (image_error const&) {
  }
  return 0;
}
