// Files of a run: which sources were read, creating, closing and removing outputs.
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>

#include "asm_outfile.h"
#include "asm_passes.h"

#ifdef _WIN32
// Last, as it defines macros such as ERROR.
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <io.h>
#include <windows.h>
#endif

typedef std::pair<unsigned long long, unsigned long long> file_id;

#ifdef _WIN32
// Windows has no inodes (st_ino is always 0): a file is known by its volume
// serial number and file index, whatever spelling of its path was used.
static bool id_of_handle(HANDLE h, file_id& id, unsigned long long* size = nullptr) {
  BY_HANDLE_FILE_INFORMATION info;
  if (h == INVALID_HANDLE_VALUE || !GetFileInformationByHandle(h, &info)) return false;
  id = file_id(info.dwVolumeSerialNumber,
               ((unsigned long long)info.nFileIndexHigh << 32) | info.nFileIndexLow);
  if (size) *size = ((unsigned long long)info.nFileSizeHigh << 32) | info.nFileSizeLow;
  return id.second != 0;
}

static bool id_of_path(std::string const& name, file_id& id) {
  // No access rights asked for: opens also files others hold open or locked.
  HANDLE h = CreateFileA(name.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  bool known = id_of_handle(h, id);
  CloseHandle(h);
  return known;
}

static bool id_of_stream(FILE* f, file_id& id, unsigned long long& size) {
  return id_of_handle((HANDLE)_get_osfhandle(_fileno(f)), id, &size);
}
#else
// Device and inode of a path or stream; inode 0 means "unknown".
static bool id_of_path(std::string const& name, file_id& id) {
  struct stat st;
  if (stat(name.c_str(), &st) != 0) return false;
  id = file_id((unsigned long long)st.st_dev, (unsigned long long)st.st_ino);
  return id.second != 0;
}

static bool id_of_stream(FILE* f, file_id& id, unsigned long long& size) {
  struct stat st;
  if (fstat(fileno(f), &st) != 0) return false;
  id = file_id((unsigned long long)st.st_dev, (unsigned long long)st.st_ino);
  size = st.st_size > 0 ? (unsigned long long)st.st_size : 0;
  return id.second != 0;
}
#endif

unsigned long long asm_passes::note_source(FILE* f) {
  file_id id;
  unsigned long long size = 0;
  if (!f || !id_of_stream(f, id, size)) return size;
  source_ids.insert(id);
  return size;
}

bool asm_passes::is_source_file(std::string const& name) {
  if (name.empty()) return false;
  if (name == input_file_name || ir.file_map.count(name)) return true;
  file_id id, main_id;
  if (!id_of_path(name, id)) return false;
  if (!input_file_name.empty() && id_of_path(input_file_name, main_id) && main_id == id) return true;
  return source_ids.count(id) != 0;
}

// Stops the run instead of writing over a source; the refusal is reported once
// (the failure handler's XML dump may run into the same name again).
static void refuse_source(std::string const& name) {
  std::string text = "Refusing to overwrite source file '" + name + "'.";
  for (asm_module::msg_element const& m : asm_module::msg_lst)
    if (m.level == asm_module::MLV_FATAL && m.text == text) throw std::string(MSG_FATAL_THROW);
  asm_module::post_msg(text, asm_module::MLV_FATAL, "", 0);
}

// The file a name would write: the file itself when it exists, otherwise its
// folder and its last component, so that "a.c", "./a.c" and "sub/../a.c" are
// one file before as after it was created.
typedef std::pair<file_id, std::string> output_id;

static output_id output_id_of(std::string const& name) {
  file_id id;
  if (id_of_path(name, id)) return output_id(id, "");
#ifdef _WIN32
  size_t slash = name.find_last_of("/\\");
#else
  size_t slash = name.find_last_of('/');
#endif
  std::string dir = slash == std::string::npos ? "." : name.substr(0, slash + 1);
  std::string last = slash == std::string::npos ? name : name.substr(slash + 1);
  if (id_of_path(dir, id)) return output_id(id, last);
  return output_id(file_id(0, 0), name);  // the folder is missing: creating it fails anyway
}

void asm_passes::check_output_names() {
  // Each output name, and whether the run writes that file (MIF has no definitions).
  std::vector<std::pair<std::string, bool>> names;
  if (write_image) names.emplace_back(output_file_name, true);
  names.emplace_back(def_file_name, output_format != "mif");
  names.emplace_back(log_file_name, true);
  names.emplace_back(md_file_name, true);
  if (flag_xml_dump) names.emplace_back("dump.xml", true);
  for (auto const& n : names)
    if (is_source_file(n.first)) refuse_source(n.first);
  // One output file must not replace another: the run would leave only the last one.
  std::vector<output_id> written;
  for (auto const& n : names) {
    if (n.first.empty() || !n.second) continue;
    if (output_is_device(n.first)) continue;  // /dev/null takes any number of outputs
    output_id id = output_id_of(n.first);
    if (std::find(written.begin(), written.end(), id) != written.end())
      asm_module::post_msg("Refusing to write two outputs into file '" + n.first + "'.",
                           asm_module::MLV_FATAL, "", 0);
    written.push_back(id);
  }
}

void asm_passes::remove_output(std::string const& name) {
  if (name.empty() || is_source_file(name)) return;
  struct stat st;
  if (stat(name.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return;  // never a device or FIFO
  remove(name.c_str());
}

void asm_passes::remove_outputs() {
  if (write_image) remove_output(output_file_name);
  remove_output(md_file_name);
  remove_output(log_file_name);
  remove_output(def_file_name);
}

FILE* asm_passes::create_output(std::string const& name, char const* what) {
  if (is_source_file(name)) refuse_source(name);
  FILE* f = open_for_writing(name);
  if (!f)
    asm_module::post_msg(std::string("Unable to create ") + what + " file '" + name + "'.",
                         asm_module::MLV_FATAL, "", 0);
  return f;
}

void asm_passes::close_output(FILE* f, std::string const& name, char const* what) {
  bool bad = fflush(f) != 0 || ferror(f);
  if (fclose(f) != 0) bad = true;
  if (bad)
    asm_module::post_msg(std::string("Unable to write ") + what + " file '" + name + "'.",
                         asm_module::MLV_FATAL, "", 0);
}

std::vector<asm_passes::sym_entry const*> asm_passes::sorted_symbols(bool labels_only) {
  // The values sit next to the pointers, so only equal values need the entries.
  std::vector<std::pair<unsigned int, sym_entry const*>> order;
  order.reserve(ir.sym_tab.size());
  for (auto const& p : ir.sym_tab)
    if (!labels_only || p.second.type == STO_LABEL) order.emplace_back(p.second.value, &p);
  std::sort(order.begin(), order.end(), [](auto const& a, auto const& b) {
    if (a.first != b.first) return a.first < b.first;
    return a.second->first < b.second->first;
  });
  std::vector<sym_entry const*> v;
  v.reserve(order.size());
  for (auto const& e : order) v.push_back(e.second);
  return v;
}

std::string asm_passes::label_name(std::string const& key) {
  auto it = label_spelling.find(key);
  return it == label_spelling.end() ? key : it->second;
}
