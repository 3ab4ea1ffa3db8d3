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
#include "parser_iface.h"
#include "source_file.h"

class asm_passes;

// One option of the tool's command line, which a .cmdline directive takes as well.
struct cmd_option_type {
  std::vector<char const*> names;  // its spellings ("-h", "--help")
  bool takes_value;                // the next word is its value ("-I" also takes it joined: -Idir)
  char const* usage_head;          // its left column in the usage text; nullptr: not shown there
  std::vector<char const*> usage_lines;  // its lines in the right column of the usage text
  // Stores the value in the parameters; returns the text of the fatal message
  // that rejects it, "" when accepted.
  std::string (*apply)(asm_passes& p, std::string const& value);
};

// Every option, in the order of the usage text (those it does not show last).
std::vector<cmd_option_type> const& cmd_options();
// An option's usage lines on one line, "" when the usage text does not show it.
std::string cmd_option_description(cmd_option_type const& o);

class asm_passes {
 public:
  // Location shared by scanner, grammar and front end (parser_iface.h).
  typedef ::lny_var_type lny_var_type;
  static lny_var_type& lny_var;

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
  // Not an option: false for an analysis that must leave the file system
  // alone (the language server): no output, definitions, log, dependency or
  // dump file is written or removed, whatever a .cmdline directive asks.
  bool write_files = true;
  // Not an option: texts that stand in for source files (an editor's unsaved
  // buffers), by absolute, lexically normal path (on Windows with the drive
  // letter in capitals). When a path that the source search tries is a key,
  // the text is read instead of the file, whether or not the file exists.
  // The map must outlive the run.
  std::unordered_map<std::string, std::string> const* source_overlay = nullptr;

  // --- command line (cmdline.cpp)
  void reset_cmd_line_param();
  void parse_cmd_line(int argc, char const** argv, std::string file, unsigned int line);
  void print_version();
  void print_usage(char const* program_name);
  std::string version_text();
  std::string usage_text(char const* program_name);

  // --- front end (frontend.cpp)
  void run_frontend();
  source_file open_src_file(std::string name);
  // Opens one path of the source search: its overlay text, else the file
  // (anything readable that is not a folder).
  source_file open_source_path(std::string const& path);
  std::string opened_path;              // path under which open_src_file found its file
  std::vector<std::string> read_paths;  // every source the front end parsed, as opened
  // The same by the name the file goes by in the program and its messages.
  std::unordered_map<std::string, std::string> source_path;
  // Gives every message of the list the file as opened, relative to the
  // working directory when it lies below it, in path and in its include chain.
  void locate_messages();

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
  arch_type& sel_arch();  // the architecture named by arch_name
  // The .include statements the walk is inside, outermost first.
  std::vector<include_site> walk_sites;
  // where: the statement that places the word (its line and keyword).
  void advance_adr_ctr(std::string const& file, src_range const& where, bool check_range);
  // One statement of a file's walk.
  void walk_stmt(asm_stmt* s, std::string const& file, std::unordered_map<std::string, int> const& include_chain,
                 bool second_pass);
  void define_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void register_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void org_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void var_stmt(asm_stmt* s, std::string const& file, bool second_pass);
  void str_stmt(asm_stmt* s, std::string const& file, bool second_pass);

  // --- instruction encoding (encode.cpp)
  void instr_walker(asm_stmt* stmt, std::string const& file, bool second_pass);
  // The steps of instr_walker; each posts its own messages. The operand steps
  // give the value for the code word, 0 for an operand that failed.
  instr_type const* find_instr(asm_stmt* stmt, std::string const& file);
  bool check_arg_count(instr_type const& instr, asm_stmt* stmt, std::string const& file);
  // where: the operand's place (the mnemonic's for an omitted one); its line is the statement's.
  unsigned int reg_operand(arg_type const& tmpl, asm_expr* arg, size_t n, std::string const& file,
                           src_range const& where);
  // A null arg is an omitted optional operand.
  unsigned int num_operand(arg_type const& tmpl, asm_expr* arg, size_t n, std::string const& file,
                           src_range const& where, bool second_pass);

  // --- back-ends (backend_*.cpp)
  void run_c_backend_pass();
  void run_c_def_backend_pass();
  void run_ifs_backend_pass();
  void run_ifs_def_backend_pass();
  void run_mif_backend_pass();
  void run_vmem_backend_pass();
  void run_svh_def_backend_pass();
  // The four comment lines and the empty line that open most generated files.
  void write_comment_head(FILE* f, char const* open, char const* close);
  void run_log_backend_pass();
  void run_xml_dump_pass();
  void run_md_backend_pass();
  // Writes one expression tree at the given indentation, without recursion.
  void xml_dump_expr_walker(FILE* out, asm_expr* expr, std::string const& indent);
  // Lists one source file from asm_list[rec] on; returns the first record it did not list.
  size_t log_file_walker(FILE* log, size_t rec, asm_file* file,
                         std::unordered_map<std::string, int> include_chain);
  // Words of each .str of pass 2, by the index in asm_list of its first word.
  std::unordered_map<size_t, size_t> str_words;

  struct pass_state;  // pass_state.h

 private:
  pass_state* pass = nullptr;  // the running pass's state, null between passes
  size_t words_placed = 0;     // words placed so far by the running pass (pass 1's count sizes asm_list)
};

#endif
