// The pass driver: one object per run, owning the parameters, the program
// and every pass. Its methods are spread over the files of this directory
// by concern (command line, front end, expressions, statements, encoding,
// one file per back-end).
#ifndef ASM_PASSES_H
#define ASM_PASSES_H

#include <cstdio>
#include <list>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "asm_arch.h"
#include "asm_ir.h"
#include "asm_objects.h"
#include "asm_utils.h"

class asm_passes {
 public:
  asm_passes() = default;
  ~asm_passes();  // hands the allocator settings back when the run changed them
  // Location shared by scanner, grammar and front end.
  struct lny_var_type {
    unsigned int line = 0;
    std::string file;
    asm_file* parsed_file = nullptr;
    asm_node_pool* pool = nullptr;  // where new nodes go while a parse runs (the heap if null)
  };
  static lny_var_type lny_var;

  unsigned int adr_ctr = 0;
  bool adr_wrapped = false;  // the counter ran past 0xFFFFFFFC in this pass
  asm_ir ir{nullptr};
  asm_arch arch;

  // Parameter record.
  bool flag_version = false;
  bool flag_help = false;
  bool flag_warn = false;
  bool flag_xml_dump = false;
  unsigned int max_addr = 0x17FC;
  bool case_sens_sym = false;
  bool c_header_inc = false;
  bool c_extern_stmt = false;
  std::string c_output_type;
  std::string input_file_name;
  std::string output_file_name;
  std::string arch_name;
  std::string output_label;
  std::string output_format;
  std::string def_file_name;
  std::string log_file_name;
  std::vector<std::string> inc_file_list;
  std::string md_file_name;  // --MD: make rule of the run's outputs and the files it read
  // Not an option: false when a host takes the words instead of a memory image.
  bool write_image = true;

  // --- command line (cmdline.cpp)
  void reset_cmd_line_param();
  void parse_cmd_line(int argc, char const** argv, std::string file, unsigned int line);
  void print_version();
  void print_usage(char const* program_name);
  std::string version_text();
  std::string usage_text(char const* program_name);

  // --- front end (frontend.cpp)
  void run_frontend();
  size_t parsed_labels = 0;  // label statements seen by the front end: sizes the symbol table
  size_t source_bytes = 0;   // bytes of source the front end has opened
  size_t heap_reserved = 0;  // heap marked for huge pages for them
  FILE* open_src_file(std::string name);
  std::string opened_path;              // path under which open_src_file found its file
  std::vector<std::string> read_paths;  // every source the front end parsed, as opened
  void prepare_heap(unsigned long long size);

  // --- files of a run (files.cpp)
  // Identity (device, inode) of every source file the run has read.
  // A set: a program may include tens of thousands of files.
  std::set<std::pair<unsigned long long, unsigned long long>> source_ids;
  unsigned long long note_source(FILE* f);  // gives the size of the file, 0 if unknown
  bool is_source_file(std::string const& name);
  // Fatal when an output of the run would replace one of its sources.
  void check_output_names();
  // Deletes the run's output, definitions and log file: regular files only, never a source.
  void remove_outputs();
  void remove_output(std::string const& name);
  // Opens a generated file for binary writing; fatal "Unable to create <what> file '...'." on failure.
  FILE* create_output(std::string const& name, char const* what);
  // Flushes and closes it; fatal "Unable to write <what> file '...'." on a write error.
  void close_output(FILE* f, std::string const& name, char const* what);
  typedef std::pair<std::string const, sym_type> sym_entry;
  // Entries of the symbol table by value, then name (the order of every listing).
  std::vector<sym_entry const*> sorted_symbols(bool labels_only);
  // Labels as first written (the table keys are lower case); -syzqs prints these.
  std::unordered_map<std::string, std::string> label_spelling;
  std::string label_name(std::string const& key);

  // --- expressions (expr.cpp)
  unsigned int expression_walker(asm_expr* expr, bool& valid, std::string const& file,
                                 unsigned int line, unsigned int arg_idx, bool reg_allowed,
                                 bool report_undefined, bool first_pass);

  // --- statements and passes (stmt_walker.cpp)
  void run_assemble_pass1();
  void run_assemble_pass2();
  void stmt_walker(asm_file* file, std::unordered_map<std::string, int> include_chain,
                   bool second_pass);
  arch_type& sel_arch();
  arch_type* pass_arch = nullptr;  // sel_arch() while a pass runs (the name cannot change then)
  void advance_adr_ctr(std::string const& file, unsigned int line, bool check_range);
  size_t words_placed = 0;  // words the current pass has placed so far
  void define_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void register_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void org_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void var_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void str_stmt(asm_stmt* s, std::string const& file, bool second_pass);

  // --- instruction encoding (encode.cpp)
  void instr_walker(asm_stmt* stmt, std::string const& file, bool second_pass);
  std::vector<unsigned int> arg_vals_scratch;  // operand values, reused by every instruction
  // Memo of the running pass: a mnemonic and a register operand that resolved
  // once resolve to the same result for the rest of the pass (the instruction
  // table cannot change, and a register symbol, the architecture's or a user
  // defined one, cannot be redefined), so each is looked up once.
  // Direct-mapped by name; only successful look-ups are kept.
  static size_t const MEMO_SIZE = 256;
  struct instr_memo_type {
    std::string name;
    instr_type const* instr = nullptr;
  };
  struct reg_memo_type {
    std::string name;
    std::string regtype;  // the register set of the operand template
    unsigned int value = 0;
    bool used = false;
  };
  // Empty (and unused) for small programs, where it would not pay.
  std::vector<instr_memo_type> instr_memo;
  std::vector<reg_memo_type> reg_memo;
  void clear_memo();  // at the start of each pass

  // --- back-ends (backend_*.cpp)
  void run_c_backend_pass();
  void run_c_def_backend_pass();
  void run_ifs_backend_pass();
  void run_ifs_def_backend_pass();
  void run_mif_backend_pass();
  void run_log_backend_pass();
  void run_xml_dump_pass();
  void run_md_backend_pass();
  // Writes one expression tree at the given indentation, without recursion.
  void xml_dump_expr_walker(FILE* out, asm_expr* expr, std::string const& indent);
  // Lists one source file from asm_list[rec] on; returns the first record it did not list.
  size_t log_file_walker(FILE* log, size_t rec, asm_file* file,
                         std::unordered_map<std::string, int> include_chain);
};

#endif
