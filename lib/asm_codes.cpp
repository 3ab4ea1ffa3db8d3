// The stable codes of the messages, and the look-up of the code of a message text.
//
// Groups: ZQS1xxx command line and the files a run writes, ZQS2xxx source front
// end, ZQS3xxx expressions and symbols, ZQS4xxx statements and directives,
// ZQS5xxx instruction encoding. A released code keeps its meaning: new messages
// take free numbers, a message that goes leaves its number unused.
#include "asm_codes.h"

#include <string_view>

std::vector<msg_code_type> const& message_codes() {
  static std::vector<msg_code_type> const rows = {
      // Command line and .cmdline options.
      {"ZQS1001", "Missing source file name.",
       "The command line names no assembler source file: give exactly one."},
      {"ZQS1002", "Multiple source files are not supported.",
       "A second argument that is not an option was taken for another source file: give one source file, "
       "and check that every option that takes a value has it."},
      {"ZQS1010", "Command line option '{option}' not available.",
       "The option is misspelt or belongs to another program: see asm-zqs -h for the options."},
      {"ZQS1011", "Command line option '{option}' requires argument.",
       "The option is the last argument but needs a value after it: add the value."},
      {"ZQS1020", "Bad argument of command line option '-ofmt'.",
       "The output format must be c, ifs, mif or vmem, in lower case."},
      {"ZQS1021", "Bad argument of command line option '-olbl'.",
       "The array label must be an identifier: a letter followed by letters, digits or underscores."},
      {"ZQS1022", "Bad argument of command line option '-arch'.",
       "The architecture is not built in: use one of the names that asm-zqs -h lists."},
      {"ZQS1023", "Bad argument of command line option '-adrmax':Constant must contain at least one digit.",
       "The maximum address is empty or only a prefix such as 0x: write its digits."},
      {"ZQS1024", "Bad argument of command line option '-adrmax':Constant cannot be represented by 32 bits.",
       "The maximum address is 2^32 or more: give a byte address below that."},
      {"ZQS1025", "Bad argument of command line option '-adrmax':Found bad character '{char}' in {radix} constant.",
       "The maximum address holds a character that is no digit of its radix (a sign, a blank, an upper-case "
       "prefix): write it as 0x1FFC, h#1FFC, $1FFC or 8188."},
      {"ZQS1026", "Bad argument of command line option '--diagnostics'.",
       "The diagnostics format must be gnu, json or sarif, in lower case."},
      // Options that do not fit the output format: warnings only.
      {"ZQS1030", "Command line option '-odef' ignored for output format MIF.",
       "A MIF file has no definitions file: drop -odef or choose -ofmt c, ifs or vmem."},
      {"ZQS1031", "Command line option '-otyp' ignored for output formats other than C.",
       "The array type is used only in a C array file: drop -otyp or choose -ofmt c."},
      {"ZQS1032", "Command line option '-hinc' only applicable for value c of option -ofmt in conjunction with option -odef.",
       "The include statement names the C header, which is written only with -ofmt c and -odef: add -odef or drop -hinc."},
      {"ZQS1033", "Command line option '-xtern' only applicable for value c of option -ofmt in conjunction with option -odef.",
       "The extern statement goes into the C header, which is written only with -ofmt c and -odef: add -odef or drop -xtern."},
      // The files a run writes.
      {"ZQS1100", "Refusing to overwrite source file '{file}'.",
       "An output, log, definitions, dependency or dump file names a source file of the run: choose another output name."},
      {"ZQS1101", "Refusing to write two outputs into file '{file}'.",
       "Two outputs of the run name the same file (under any spelling): give each output its own name."},
      {"ZQS1110", "Unable to create output file '{file}'.",
       "The memory-image file cannot be opened for writing: check that its folder exists and is writable."},
      {"ZQS1111", "Unable to write output file '{file}'.",
       "Writing the memory-image file failed, usually because the disk is full: free space and run again."},
      {"ZQS1120", "Unable to create definition file '{file}'.",
       "The definitions file of -odef cannot be opened for writing: check that its folder exists and is writable."},
      {"ZQS1121", "Unable to write definition file '{file}'.",
       "Writing the definitions file failed, usually because the disk is full: free space and run again."},
      {"ZQS1130", "Unable to create log file '{file}'.",
       "The log file of -log cannot be opened for writing: check that its folder exists and is writable."},
      {"ZQS1131", "Unable to write log file '{file}'.",
       "Writing the log file failed, usually because the disk is full: free space and run again."},
      {"ZQS1140", "Unable to create XML-dump file '{file}'.",
       "The dump file of --xmldump cannot be created in the current directory: run where you may write."},
      {"ZQS1141", "Unable to write XML-dump file '{file}'.",
       "Writing the dump file failed, usually because the disk is full: free space and run again."},
      {"ZQS1150", "Unable to create dependency file '{file}'.",
       "The make rule file of --MD cannot be opened for writing: check that its folder exists and is writable."},
      {"ZQS1151", "Unable to write dependency file '{file}'.",
       "Writing the make rule file failed, usually because the disk is full: free space and run again."},
      {"ZQS1152", "File name '{file}' cannot be written into a make rule.",
       "The name holds what make reads otherwise (a line break, ; or =, a leading ~, a tab in a target, an "
       "archive member with parentheses): rename the file or drop --MD."},
      // Scanner and grammar.
      {"ZQS2001", "syntax error",
       "The line does not follow the source grammar (a stray character, a missing operand, a label before a "
       "directive other than .var or .str): the position shows where the parser stopped."},
      {"ZQS2002", "memory exhausted",
       "Parentheses or prefix operators are nested too deeply for the parser: split the expression."},
      {"ZQS2010", "Invalid escape sequence in string.",
       "A backslash in a string literal starts none of the escapes \\\\ \\\" \\' \\r \\n \\a \\b \\f \\t \\xHH: "
       "write \\\\ for a backslash."},
      {"ZQS2011", "Detected line break within string of .cmdline directive.",
       "A double quote in a .cmdline directive is not closed on its line: add the closing quote."},
      {"ZQS2012", "Detected end of file within string of .cmdline directive.",
       "A double quote in a .cmdline directive is not closed before the end of the file: add the closing quote."},
      // Source files.
      {"ZQS2100", "Unable to read file '{file}'.",
       "The source or an included file is missing or unreadable: check the name, and for an include the -I "
       "directories."},
      // The .cmdline directive.
      {"ZQS2200", "Command line directive is only allowed as a first statement of the first source file.",
       "A .cmdline directive stands after another statement or in an included file: move it to the top of the "
       "main source."},
      {"ZQS2201", "Too many command line arguments.",
       "A .cmdline directive holds more than 99 words: move options to the real command line."},
      {"ZQS2210", "Option --version is ignored in .cmdline directive.",
       "A .cmdline directive cannot print the version: give --version on the command line."},
      {"ZQS2211", "Option --help is ignored in .cmdline directive.",
       "A .cmdline directive cannot print the usage: give -h on the command line."},
      // Constants, symbols and operators in expressions.
      {"ZQS3001", "Argument {n}: Constant must contain at least one digit.",
       "A number is only a prefix such as 0x, h#, $, d# or b#: write its digits."},
      {"ZQS3002", "Argument {n}: Constant cannot be represented by 32 bits.",
       "A number is 2^32 or more: all values are unsigned 32-bit, so write a smaller one."},
      {"ZQS3003", "Argument {n}: Found bad character '{char}' in {radix} constant.",
       "A number holds a character that is no digit of its radix (such as 1e5 or b#102; 0x and h# are the "
       "hexadecimal prefixes): correct the digits or the prefix."},
      {"ZQS3010", "Found undefined symbol '{name}' in argument {n}.",
       "The name is not defined at this point: variables must be defined above their first use, only "
       "labels may come later; check the spelling."},
      {"ZQS3011", "Register symbol '{name}' cannot be used as variable expressions in argument {n}.",
       "A register name stands where a number is expected: write a number, a variable or a label."},
      {"ZQS3020", "Division by zero in argument {n}.",
       "The divisor of / or % is 0, or a label defined further down, which counts as 0 in the first pass: "
       "use a divisor known at this point."},
      {"ZQS3030", "Addition operator causes unsigned 32-bit overflow.",
       "The sum is 2^32 or more and wraps around: check the operands if the wrap was not meant."},
      {"ZQS3031", "Subtratcion operator causes unsigned 32-bit underflow.",
       "The difference is negative and wraps around to a large unsigned value: check the operands if that was "
       "not meant."},
      {"ZQS3032", "Multiplication operator causes unsigned 32-bit overflow.",
       "The product is 2^32 or more and wraps around: check the operands if the wrap was not meant."},
      {"ZQS3033", "Power operator causes unsigned 32-bit overflow.",
       "The power is 2^32 or more, or 0, and yields only its low 32 bits: check the operands."},
      // Symbols defined by labels, .define and .register.
      {"ZQS3100", "Symbol '{name}' already defined.",
       "A label or .register name is taken already (symbols ignore case, and a file included twice defines "
       "its labels twice): rename one of them."},
      {"ZQS3101", "Symbol '{name}' already defined as register, label, or user defined register.",
       "A .define names a register, a label or a .register alias: choose another variable name."},
      {"ZQS3110", "Overwriting previous value of variable '{name}'.",
       "A .define gives an existing variable a new value, which is allowed: rename one if that was not meant."},
      {"ZQS3120", "Expression for variable '{name}' cannot be evaluated during second assembling pass.",
       "The value of the .define uses an undefined name or a variable defined further down: define it above."},
      {"ZQS3121", "Expression for register '{name}' cannot be evaluated during first assembling pass.",
       "The value of the .register is no plain register number: give a number or another .register alias, "
       "not a register name or a label."},
      // .include
      {"ZQS4001", "Detected recursive inluding of file '{file}'.",
       "The file includes itself, directly or through other files: remove the .include that closes the cycle."},
      // .org
      {"ZQS4100", "Expression of org directive cannot be devaluated during first assembling pass.",
       "The .org address uses a label defined further down or an undefined name: use values known at this point."},
      {"ZQS4101", "Relocation of address counter overwrites previously assembled results.",
       "The .org address lies below the current address: .org only moves forward, so reorder the code or "
       "raise the address."},
      {"ZQS4102", "Address counter relocation is only supported for integer multiples of 4.",
       "Words are 4 bytes and .org takes a byte address: give a multiple of 4."},
      {"ZQS4103", "Address counter relocation leaves valid address range.",
       "The .org address is above the maximum address: lower it or raise -adrmax."},
      // .var
      {"ZQS4200", "Variable directive requires 1 or 2 arguments.",
       "A .var takes a value and optionally a width in bits: one word per .var."},
      {"ZQS4201", "First expression of variable directive cannot be devaluated during second assembling pass.",
       "The value of the .var uses an undefined name or a variable defined further down: define it above."},
      {"ZQS4202", "Second expression of variable directive cannot be devaluated during second assembling pass.",
       "The width of the .var uses an undefined name or a variable defined further down: define it above."},
      {"ZQS4203", "Expression value {width} of argument 2 must be less than or equal to the instruction width, which is {max}.",
       "The width of the .var is larger than a word of the architecture: give at most the word width."},
      // .str
      {"ZQS4300", "Second expression of string directive cannot be devaluated during first assembling pass.",
       "The characters per word of the .str use a label defined further down or an undefined name: use a "
       "number known at this point."},
      {"ZQS4301", "Second expression of string directive cannot be devaluated during second assembling pass.",
       "The characters per word of the .str use an undefined name: define it above."},
      {"ZQS4302", "Second parameter of string directive must be in the range 1 to {max}.",
       "A word holds at most this many characters: give a count from 1 to the maximum."},
      // Placing words.
      {"ZQS4400", "Address counter exceeds address range.",
       "The program does not fit below the maximum address: shorten it, move it with .org, or raise -adrmax."},
      // Instructions and their operands.
      {"ZQS5001", "Instruction '{name}' is not available in selected architecture.",
       "The mnemonic is misspelt, a directive without its dot, or belongs to another instruction set: check "
       "-arch and the instruction-set reference."},
      {"ZQS5002", "Instruction '{name}' expects {n} argument(s).",
       "The instruction has a fixed number of operands: give exactly that many."},
      {"ZQS5003", "Instruction '{name}' expects {min} to {max} argument(s).",
       "The instruction has optional trailing operands: give at least the smaller and at most the larger number."},
      {"ZQS5004", "Assembling obsolete instruction '{name}'.",
       "The instruction set marks the instruction obsolete (the instruction-set reference shows the mark): "
       "prefer another instruction in new code."},
      {"ZQS5100", "Expecting a register symbol of type '{regtype}' or a user defined register symbol as argument {n} but found an expression.",
       "A register operand is written as a number, in parentheses or with operators: write a register name or "
       "a .register alias."},
      {"ZQS5101", "Expecting a register symbol of type '{regtype}' or a user defined register symbol as argument {n} but found a variable.",
       "A register operand names a variable or a label: write a register name or a .register alias."},
      {"ZQS5102", "Expecting register symbol of type '{regtype}' or a user defined register symbol as argument {n} but found a register symbol of another type.",
       "The register belongs to another register set than this operand takes: see the instruction-set reference."},
      {"ZQS5103", "Undefined symbol '{name}' in argument {n}.",
       "A register operand names nothing known at this point: check the spelling, and define a .register "
       "alias above its first use."},
      {"ZQS5104", "User defined register symbol '{name}' has unexpected value {value} in argument {n}.",
       "The .register alias holds a number that is no register of the set this operand takes: give it "
       "another number or use another register."},
      {"ZQS5200", "Expression value {value} of argument {n} cannot be represented with {width} bits.",
       "The value of an operand or .var does not fit its field (negative values in two's complement): use a "
       "smaller value or a wider .var."},
      {"ZQS5201", "Expression value {value} of argument {n} is out of range [{low}, {high}].",
       "The value fits the field but lies outside the values the operand allows: give one within the range."},
      {"ZQS5202", "Expression value {value} of argument {n} must be an inter multiple of {align}.",
       "The operand drops its low bits, so the value must be aligned, usually a word address: give a multiple "
       "of the number."},
  };
  return rows;
}

namespace {

// Whether text is templ with each {placeholder} replaced by any text, quotes and
// braces included; literal gets the number of literal bytes of templ. The
// pieces between placeholders are taken leftmost: since a placeholder matches
// any text, an earlier choice never loses a match a later one would find.
bool matches(std::string_view templ, std::string_view text, size_t& literal) {
  size_t const open = templ.find('{');
  if (open == std::string_view::npos) {
    literal = templ.size();
    return text == templ;
  }
  size_t const last = templ.rfind('}');
  std::string_view const head = templ.substr(0, open), tail = templ.substr(last + 1);
  literal = head.size() + tail.size();
  if (text.size() < literal || text.substr(0, head.size()) != head ||
      text.substr(text.size() - tail.size()) != tail)
    return false;
  std::string_view rest = text.substr(head.size(), text.size() - literal);
  for (size_t t = templ.find('}', open) + 1; t <= last; t = templ.find('}', t) + 1) {
    size_t const next = templ.find('{', t);
    std::string_view const piece = templ.substr(t, next - t);
    size_t const at = rest.find(piece);
    if (at == std::string_view::npos) return false;
    rest.remove_prefix(at + piece.size());
    literal += piece.size();
    t = next;
  }
  return true;
}

}  // namespace

msg_code_type const* message_code(std::string const& text) {
  msg_code_type const* best = nullptr;
  size_t best_literal = 0;
  for (msg_code_type const& row : message_codes()) {
    size_t literal;
    if (matches(row.templ, text, literal) && (!best || literal > best_literal)) {
      best = &row;
      best_literal = literal;
    }
  }
  return best;
}
