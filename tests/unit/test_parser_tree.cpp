// Grammar and front end: source text in temporary files, run_frontend, then
// the trees, line numbers, parse order and messages.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <memory_resource>
#include <string>

#include "asm_passes.h"

namespace {

// Compact form of a tree: leaves as their data, operators as (op a b).
std::string expr_text(asm_expr* e) {
  if (!e) return "null";
  if (!e->left) return text_is(e->opcode, "string") ? "\"" + e->data + "\"" : e->data;
  std::string s = "(" + std::string(e->opcode) + " " + expr_text(e->left);
  if (e->right) s += " " + expr_text(e->right);
  return s + ")";
}

std::string stmt_text(asm_stmt* s) {
  std::string out = s->opcode + "@" + std::to_string(s->line);
  for (asm_expr* e : *s->args) out += " " + expr_text(e);
  for (std::string const& w : *s->cmdline_args) out += " [" + w + "]";
  return out;
}

class FrontEnd : public ::testing::Test {
 protected:
  std::string dir;
  asm_passes p;

  void SetUp() override {
    char tmpl[] = "/tmp/asm_zqs_fe_XXXXXX";
    ASSERT_TRUE(mkdtemp(tmpl));
    dir = tmpl;
    asm_module::clear_msg_list();
    p.reset_cmd_line_param();
    // Included names are found through the include list.
    p.inc_file_list.push_back(dir);
  }
  void TearDown() override {
    std::filesystem::remove_all(dir);
    asm_module::clear_msg_list();
  }

  void write(std::string const& name, std::string const& text) {
    FILE* f = fopen((dir + "/" + name).c_str(), "wb");
    ASSERT_TRUE(f);
    fwrite(text.data(), 1, text.size(), f);
    fclose(f);
  }

  // Parses text (as m.zqs) alone into mem; yyparse's result.
  int parse_into(std::pmr::memory_resource* mem, std::string const& text) {
    write("m.zqs", text);
    FILE* f = fopen((dir + "/m.zqs").c_str(), "rb");
    if (!f) return -1;
    parse_position.line = 0;
    parse_position.parsed_file = nullptr;
    parse_position.memory = mem;
    scanner_begin(f);
    int failed = yyparse();
    scanner_end();
    fclose(f);
    parse_position.memory = std::pmr::new_delete_resource();
    return failed;
  }

  // Runs the front end on main (written with text) and tells how it ended.
  std::string run(std::string const& text, std::string const& main = "main.zqs") {
    write(main, text);
    return run_only(main);
  }
  std::string run_only(std::string const& main) {
    p.input_file_name = dir + "/" + main;
    try {
      p.run_frontend();
      return "ok";
    } catch (std::string const& e) {
      return e == PASS_ERROR_THROW ? "error" : e == MSG_FATAL_THROW ? "fatal" : e;
    }
  }

  // Messages with the temporary directory taken out of the file names.
  std::string messages() {
    std::string m = asm_module::print_msg_list();
    for (size_t at; (at = m.find(dir + "/")) != std::string::npos;) m.erase(at, dir.size() + 1);
    return m;
  }

  // The statements of the main file, one per line.
  std::string stmts(size_t file = 0) {
    if (p.ir.file_list->size() <= file) return "no file";
    auto it = p.ir.file_list->begin();
    std::advance(it, file);
    std::string out;
    for (asm_stmt* s : *(*it)->stmts) out += stmt_text(s) + "\n";
    return out;
  }

  std::string file_order() {
    std::string out;
    for (asm_file* f : *p.ir.file_list) {
      std::string n = f->name.find(dir + "/") == 0 ? f->name.substr(dir.size() + 1) : f->name;
      out += (out.empty() ? "" : " ") + n;
      EXPECT_EQ(p.ir.file_map[f->name], f);
    }
    EXPECT_EQ(p.ir.file_map.size(), p.ir.file_list->size());
    return out;
  }

  // Parses one line as an instruction and gives its arguments.
  std::string args_of(std::string const& line) {
    asm_module::clear_msg_list();
    for (asm_file* f : *p.ir.file_list) delete_file(p.ir.tree_memory(), f);
    p.ir.file_list->clear();
    p.ir.file_map.clear();
    std::string r = run(line);
    if (r != "ok") return r + ": " + messages();
    asm_stmt* s = p.ir.file_list->front()->stmts->front();
    std::string out;
    for (asm_expr* e : *s->args) out += (out.empty() ? "" : ", ") + expr_text(e);
    return out;
  }
};

TEST_F(FrontEnd, EmptyAndCommentOnlyFiles) {
  EXPECT_EQ(run(""), "ok");
  EXPECT_EQ(stmts(), "");
  EXPECT_EQ(file_order(), "main.zqs");
  EXPECT_EQ(p.ir.file_list->front()->name, dir + "/main.zqs");
  EXPECT_EQ(run("; only\n\n  # comments\r\n\r\n", "b.zqs"), "ok");
  EXPECT_EQ(stmts(1), "");
}

TEST_F(FrontEnd, LabelsAndLines) {
  EXPECT_EQ(run("L:\nL: NOP\nL: .var 1, 2\n\n  M:   .str \"s\"\nNOP\n.var\nlast 1"), "ok");
  EXPECT_EQ(stmts(),
            ".label@1 L\n"
            ".label@2 L\nNOP@2\n"
            ".label@3 L\n.var@3 1 2\n"
            ".label@5 M\n.str@5 \"s\"\n"
            "NOP@6\n.var@7\nlast@8 1\n");
  EXPECT_EQ(messages(), "");
}

TEST_F(FrontEnd, Directives) {
  EXPECT_EQ(run(".define A 1\n.set B, 2\n.set C 3\n.register R 4+1\n.org 0x10\n"
                ".include \"a\" + \"b.inc\"\n.str \"ab\" + \"cd\", 5\n.str \"ab\" + \"cd\" 5\n"
                ".str \"x\" +5\n.str \"x\" -5\n.defineX 5\nmOv a, b"),
            "fatal");
  EXPECT_EQ(messages(), "FATAL ERROR main.zqs:6> Unable to read file 'ab.inc'.\n");
  EXPECT_EQ(stmts(),
            ".define@1 A 1\n.define@2 B 2\n.define@3 C 3\n.register@4 R (add 4 1)\n.org@5 0x10\n"
            ".include@6 \"ab.inc\"\n.str@7 \"abcd\" 5\n.str@8 \"abcd\" 5\n"
            ".str@9 \"x\" 5\n.str@10 \"x\" (neg 5)\n.define@11 X 5\nmOv@12 a b\n");
}

TEST_F(FrontEnd, CharacterLiteralsAreNumbers) {
  EXPECT_EQ(args_of("X 'A', 0x41, '\\xFF'"), "65, 0x41, 255");
  asm_file* f = p.ir.file_list->front();
  asm_expr* c = (*f->stmts->front()->args)[0];
  EXPECT_STREQ(c->opcode, "num");
  EXPECT_EQ(c->parse_num(), 65u);
}

TEST_F(FrontEnd, Precedence) {
  EXPECT_EQ(args_of("X -a ** b"), "(neg (pow a b))");
  EXPECT_EQ(args_of("X ~a ** b"), "(pow (not a) b)");
  EXPECT_EQ(args_of("X a ** b ** c"), "(pow a (pow b c))");
  EXPECT_EQ(args_of("X -a * b"), "(mul (neg a) b)");
  EXPECT_EQ(args_of("X a * b ** c"), "(mul a (pow b c))");
  EXPECT_EQ(args_of("X a + b & c"), "(and (add a b) c)");
  EXPECT_EQ(args_of("X a | b ^ c & d"), "(or a (xor b (and c d)))");
  EXPECT_EQ(args_of("X a - b - c / d % e"), "(sub (sub a b) (mod (div c d) e))");
  EXPECT_EQ(args_of("X +(a) - --b"), "(sub a (neg (neg b)))");
  EXPECT_EQ(args_of("X ~~a + ~b"), "(add (not (not a)) (not b))");
}

TEST_F(FrontEnd, ArgumentsWithoutCommas) {
  EXPECT_EQ(args_of("X a - b"), "(sub a b)");
  EXPECT_EQ(args_of("X a, -b"), "a, (neg b)");
  EXPECT_EQ(args_of("X a -b"), "(sub a b)");
  EXPECT_EQ(args_of("X a b * c + d"), "a, (mul b (add c d))");
  EXPECT_EQ(args_of("X a, b * c + d"), "a, (add (mul b c) d)");
  EXPECT_EQ(args_of("X a b - c - d"), "a, (sub b (sub c d))");
  EXPECT_EQ(args_of("X a ~b"), "a, (not b)");
  EXPECT_EQ(args_of("X a ~b + c"), "error: ERROR main.zqs:1> syntax error\n");
  EXPECT_EQ(args_of("X a, ~b + c"), "a, (add (not b) c)");
  EXPECT_EQ(args_of("X a (b) c"), "a, b, c");
  EXPECT_EQ(args_of("X a + b (c)"), "(add a b), c");
  EXPECT_EQ(args_of("X a +b"), "(add a b)");
  EXPECT_EQ(args_of("X a b ** c ** d"), "a, (pow b (pow c d))");
  EXPECT_EQ(args_of(".var 1 2, 3 (4)"), "1, 2, 3, 4");
}

TEST_F(FrontEnd, SyntaxErrors) {
  struct {
    char const* src;
    unsigned int line;
  } cases[] = {
      {".org\nNOP", 2},           // the offending token is the line end
      {"NOP\nX a ? b\nY", 2},     // a stray byte inside the line
      {".define X, 5", 1},        // .define takes no comma
      {".register R, 5", 1},
      {"L: .org 5", 1},           // a label only before instructions and .var/.str
      {"L: .define A 1", 1},
      {".include \"a\" + 1", 1},  // string expressions hold strings only
      {".str 5", 1},
      {"X \"s\"", 1},
      {"\n\nX (a", 4},            // end of input is counted like a line end
      {"X (a\n", 2},
      {".str \"open\nY", 2},      // an open string yields the line end only
      {"a b: c", 1},
      {".DEFINE A 1", 1},
      {"L: .cmdline -W", 1},
      {"_x", 1},
  };
  for (auto const& c : cases) {
    asm_module::clear_msg_list();
    p.ir.file_list->clear();  // the failed parses leave nothing to free
    EXPECT_EQ(run(c.src), "error") << c.src;
    EXPECT_EQ(messages(), "ERROR main.zqs:" + std::to_string(c.line) + "> syntax error\n") << c.src;
    EXPECT_TRUE(p.ir.file_list->empty()) << c.src;
    EXPECT_TRUE(p.ir.file_map.empty()) << c.src;
  }
}

TEST_F(FrontEnd, OneSyntaxErrorPerFileOthersStillParsed) {
  write("b.inc", "X ?\n?\n?");
  write("c.inc", "Y 1\n");
  EXPECT_EQ(run(".include \"b.inc\"\n.include \"c.inc\"\n"), "error");
  EXPECT_EQ(messages(), "ERROR b.inc:1> syntax error\n");
  EXPECT_EQ(file_order(), "main.zqs c.inc");
}

TEST_F(FrontEnd, IncludesBreadthFirstAndOnce) {
  write("b.inc", ".include \"c.inc\"\n.include \"d.inc\"\n.include \"b.inc\"\n");
  write("c.inc", ".include \"b.inc\"\n");
  write("d.inc", "");
  EXPECT_EQ(run(".include \"b.inc\"\n.include \"c.inc\"\n"), "ok");
  EXPECT_EQ(file_order(), "main.zqs b.inc c.inc d.inc");
  EXPECT_EQ(messages(), "");
}

TEST_F(FrontEnd, IncludeOfFailedFileIsNotFollowed) {
  write("b.inc", ".include \"c.inc\"\n?");
  write("c.inc", "");
  EXPECT_EQ(run(".include \"b.inc\""), "error");
  EXPECT_EQ(file_order(), "main.zqs");
}

TEST_F(FrontEnd, IncludeSearchOrder) {
  std::filesystem::create_directories(dir + "/i1");
  std::filesystem::create_directories(dir + "/i2");
  write("i2/x.inc", "FROM2\n");
  write("i1/y.inc", "FROM1\n");
  write("i2/y.inc", "FROM2\n");
  write("i1/x.inc", "");  // a directory of that name does not count
  std::filesystem::remove(dir + "/i1/x.inc");
  std::filesystem::create_directories(dir + "/i1/x.inc");
  p.inc_file_list = {dir + "/i1", dir + "/i2"};
  EXPECT_EQ(run(".include \"x.inc\"\n.include \"y.inc\""), "ok");
  EXPECT_EQ(stmts(1), "FROM2@1\n");
  EXPECT_EQ(stmts(2), "FROM1@1\n");
  // Directories never open as sources, so the empty name finds nothing.
  EXPECT_FALSE(p.open_src_file(""));
}

TEST_F(FrontEnd, CmdlineDirective) {
  std::filesystem::create_directories(dir + "/inc");
  write("inc/x.inc", "INC\n");
  p.inc_file_list.clear();
  std::string inc = dir + "/inc";
  EXPECT_EQ(run("; head\n\n.cmdline -W -I \"" + inc + "\" -arch zqs16-1 --xmldump\n.include \"x.inc\""),
            "ok");
  EXPECT_EQ(stmts(), ".cmdline@3 [-W] [-I] [" + inc + "] [-arch] [zqs16-1] [--xmldump]\n"
                     ".include@4 \"x.inc\"\n");
  EXPECT_EQ(file_order(), "main.zqs x.inc");
  EXPECT_TRUE(p.flag_warn);
  EXPECT_TRUE(p.flag_xml_dump);
  EXPECT_EQ(p.arch_name, "zqs16-1");
  EXPECT_EQ(p.inc_file_list, std::vector<std::string>{inc});
}

TEST_F(FrontEnd, CmdlineOnFirstLineAndAtEnd) {
  EXPECT_EQ(run(".cmdline -W"), "ok");
  EXPECT_EQ(stmts(), ".cmdline@1 [-W]\n");
  EXPECT_EQ(run(".cmdline\r\n", "b.zqs"), "ok");
  EXPECT_EQ(stmts(1), ".cmdline@1\n");
}

TEST_F(FrontEnd, OddBytes) {
  EXPECT_EQ(run(std::string("NOP\0X\n", 6)), "error");
  EXPECT_EQ(messages(), "ERROR main.zqs:1> syntax error\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(run("A\rB\r\rC\xff", "b.zqs"), "error");
  EXPECT_EQ(messages(), "ERROR b.zqs:4> syntax error\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(run(".str \"\x80\xfe\"\rNOP", "c.zqs"), "ok");
  EXPECT_EQ(stmts(), ".str@1 \"\x80\xfe\"\nNOP@2\n");
}

TEST_F(FrontEnd, DeepNestingExhaustsTheStack) {
  EXPECT_EQ(run("X " + std::string(20000, '(') + "a"), "error");
  EXPECT_EQ(messages(), "ERROR main.zqs:1> memory exhausted\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(run("X " + std::string(20000, '-') + "a", "b.zqs"), "error");
  EXPECT_EQ(messages(), "ERROR b.zqs:1> memory exhausted\n");
  asm_module::clear_msg_list();
  EXPECT_EQ(run("X " + std::string(20000, '~') + "a", "c.zqs"), "error");
  EXPECT_EQ(messages(), "ERROR c.zqs:1> memory exhausted\n");
  // Deep, but within the limit: the stack grows from 200 entries.
  asm_module::clear_msg_list();
  EXPECT_EQ(run("X " + std::string(4000, '(') + "a" + std::string(4000, ')'), "d.zqs"), "ok");
  EXPECT_EQ(stmts(), "X@1 a\n");
}

TEST_F(FrontEnd, HugeInputs) {
  std::string chain = "X a";
  chain.reserve(4000010);
  for (int i = 1; i < 1000000; ++i) chain += "+a";
  std::string id(1 << 20, 'q');
  std::string line(10 << 20, ' ');
  line += "Y 1";
  EXPECT_EQ(run(chain + "\n" + id + "\n" + line + "\n;" + std::string(1 << 20, 'c')), "ok");
  asm_file* f = p.ir.file_list->front();
  ASSERT_EQ(f->stmts->size(), 3u);
  asm_expr* e = (*f->stmts->front()->args)[0];
  unsigned int depth = 0;
  for (; e->left; e = e->left) {
    ASSERT_STREQ(e->opcode, "add");
    ++depth;
  }
  EXPECT_EQ(depth, 999999u);
  EXPECT_EQ((*++f->stmts->begin())->opcode.size(), id.size());
  EXPECT_EQ(f->stmts->back()->line, 3u);
  // The million-node tree goes with the asm_passes, without recursion.
}

TEST_F(FrontEnd, RepeatedParsesAfterFailures) {
  // Failures in every scanner mode, then a good file: nothing carries over.
  for (char const* bad : {".cmdline \"a", "L: .cmdline a ; c", ".str \"s", "X (a, b"}) {
    asm_module::clear_msg_list();
    EXPECT_EQ(run(bad, "bad.zqs"), "error") << bad;
  }
  asm_module::clear_msg_list();
  for (int i = 0; i < 300; ++i) {
    p.ir.file_list->clear();
    p.ir.file_map.clear();
    p.reset_cmd_line_param();
    EXPECT_EQ(run(i % 2 ? "L: X 1, \"s\"" : ".cmdline -W\nY"), i % 2 ? "error" : "ok");
    asm_module::clear_msg_list();
    delete_file(p.ir.tree_memory(), p.ir.file_list->empty() ? nullptr : p.ir.file_list->front());
  }
  p.ir.file_list->clear();
  EXPECT_EQ(run("a: b 1\n"), "ok");
  EXPECT_EQ(stmts(), ".label@1 a\nb@1 1\n");
}

// Memory that counts what it hands out and checks what comes back.
struct counted_memory : std::pmr::memory_resource {
  std::map<void*, size_t> out;  // block -> size
  size_t blocks = 0;
  void* do_allocate(size_t n, size_t align) override {
    void* p = std::pmr::new_delete_resource()->allocate(n, align);
    out[p] = n;
    ++blocks;
    return p;
  }
  void do_deallocate(void* p, size_t n, size_t align) override {
    EXPECT_EQ(out.count(p) ? out[p] : 0, n);
    out.erase(p);
    std::pmr::new_delete_resource()->deallocate(p, n, align);
  }
  bool do_is_equal(memory_resource const& o) const noexcept override { return this == &o; }
};

TEST_F(FrontEnd, TreeMemoryGoesBackWhole) {
  // Every kind of node and vector, a long text, and a parse that fails
  // half-way: what the parser makes in the tree memory, it or the tree's
  // release gives back, block by block.
  std::string const src = std::string(".cmdline -W\nL: NOP\n.var 1, 2\n.str \"a\" + \"") +
                          std::string(100, 'b') + "\" 2\n.define A -(1 + B) ** 2\nX a b, ~c\n";
  counted_memory mem;
  for (std::string const& text : {src, src + "Y (1\nZ 2\n"}) {
    EXPECT_EQ(parse_into(&mem, text) != 0, text != src);
    EXPECT_GT(mem.blocks, 20u);
    delete_file(&mem, parse_position.parsed_file);
    EXPECT_TRUE(mem.out.empty()) << mem.out.size() << " blocks kept";
  }
}

TEST_F(FrontEnd, NamesTakenAsTextMakeNoNode) {
  // An instruction without arguments costs its statement and its (empty)
  // argument vector in the tree memory, nothing for its mnemonic.
  size_t blocks[2];
  for (int n = 1; n <= 2; ++n) {
    counted_memory mem;
    EXPECT_EQ(parse_into(&mem, n == 1 ? "L: NOP\n" : "L: NOP\nNOP\n"), 0);
    blocks[n - 1] = mem.blocks;
    delete_file(&mem, parse_position.parsed_file);
  }
  EXPECT_EQ(blocks[1] - blocks[0], 2u);
  // A million lines make over two million expression nodes: 8 bytes a node
  // count. The node's columns take the last 8 that the bar of 400 bytes a
  // line leaves room for.
  EXPECT_LE(sizeof(asm_expr), 72u);
}

TEST_F(FrontEnd, OutputsNeverReplaceSources) {
  write("b.inc", "NOP\n");
  EXPECT_EQ(run(".include \"b.inc\"\n"), "ok");
  // The included file is known by its identity, whatever name reaches it.
  std::string other = dir + "/./b.inc";
  for (int i = 0; i < 2; ++i) {
    try {
      p.create_output(other, "log");
      FAIL() << "created";
    } catch (std::string const& e) {
      EXPECT_EQ(e, MSG_FATAL_THROW);
    }
  }
  // Reported once, however often the name comes up.
  EXPECT_EQ(messages(), "FATAL ERROR> Refusing to overwrite source file './b.inc'.\n");
  p.log_file_name = other;
  p.remove_outputs();
  EXPECT_TRUE(std::filesystem::exists(dir + "/b.inc"));
}

}  // namespace
