// A source as the front end reads it: a file opened for reading, or a text
// that stands in for the file (an editor's unsaved buffer, see
// asm_passes::source_overlay). Either way no file is written.
#ifndef SOURCE_FILE_H
#define SOURCE_FILE_H

#include <cstdio>
#include <string>
#include <utility>

class source_file {
 public:
  source_file() = default;
  explicit source_file(FILE* f) : file_(f) {}
  explicit source_file(std::string const& text) : text_(&text) {}  // text outlives this
  source_file(source_file&& o) noexcept { swap(o); }
  source_file& operator=(source_file&& o) noexcept {
    swap(o);
    return *this;
  }
  ~source_file() {
    if (file_) fclose(file_);
  }

  explicit operator bool() const { return file_ || text_; }
  FILE* file() const { return file_; }              // null for a text
  std::string const* text() const { return text_; }  // null for a file
  // The next byte, EOF at the end.
  int get() {
    if (file_) return getc(file_);
    return text_ && pos_ < text_->size() ? (unsigned char)(*text_)[pos_++] : EOF;
  }
  bool failed() const { return file_ && ferror(file_); }

 private:
  void swap(source_file& o) {
    std::swap(file_, o.file_);
    std::swap(text_, o.text_);
    std::swap(pos_, o.pos_);
  }
  FILE* file_ = nullptr;
  std::string const* text_ = nullptr;
  size_t pos_ = 0;
};

#endif
