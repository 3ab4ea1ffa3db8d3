// Program coverage in simulation, through the DPI-C binding.
//
// Assembles a zqs24-1 program from its source, runs it on a small model of a
// core (MOVL, ADDL, SUBL, NOP, JMP, JBS, JBC, CALL, RET: enough for loops and
// subroutines) and counts every fetched address with zqs_dpi_cover. At the
// end it writes the counts as an lcov tracefile, which genhtml turns into a
// report, and prints the summary; each fetch can also be logged beside its
// source line, and the fetched addresses written for zqs-cov.
//
//   +source=FILE     the program; +asm=ARGS puts more asm-zqs arguments first
//   +coverage=FILE   the lcov tracefile to write (default cover.info)
//   +trace=FILE      write the fetched byte addresses, one a line (%h)
//   +lines           print "file:line: text" for each fetched word
//   +stop=LABEL      stop after the word at LABEL has run (default done)
//   +cycles=N        stop after N fetches at most (default 100000)
module cover_tb;
`include "zqs_dpi.svh"

  chandle prog;
  int unsigned r[16];          // the registers
  int unsigned ret_stack[$];   // return addresses of CALL
  int unsigned pc, stop_at;
  int cycles, limit, trace_fd = 0;
  bit show_lines;
  bit clk = 0;
  always #5 clk = ~clk;

  // One instruction: the next pc. The fields are those of zqs24-1.
  function automatic int unsigned execute(int unsigned at, int unsigned w);
    int unsigned next = at + 4, target = w & 32'h3FFC;
    int unsigned rd = (w >> 24) & 15, bitno = (w >> 20) & 15, imm = w & 32'hFFFFFF;
    case (w >> 28)
      0: ;                                            // NOP
      1: r[rd] = imm;                                 // MOVL
      2: r[rd] = (r[rd] + imm) & 32'hFFFFFF;          // ADDL
      3: r[rd] = (r[rd] - imm) & 32'hFFFFFF;          // SUBL
      14: case ((w >> 16) & 15)
        0: next = target;                             // JMP
        1: if (r[rd][bitno]) next = target;           // JBS
        2: if (!r[rd][bitno]) next = target;          // JBC
        3: begin ret_stack.push_back(next); next = target; end  // CALL
        4: next = ret_stack.pop_back();               // RET
        default: $fatal(1, "cover_tb: %s is not modelled", zqs_dpi_disassemble("zqs24-1", w));
      endcase
      default: $fatal(1, "cover_tb: %s is not modelled", zqs_dpi_disassemble("zqs24-1", w));
    endcase
    return next;
  endfunction

  function automatic void finish();
    string coverage;
    if ($value$plusargs("coverage=%s", coverage) == 0) coverage = "cover.info";
    if (zqs_dpi_write_coverage(prog, coverage) != 0) $fatal(1, "cover_tb: %s", zqs_dpi_error());
    $write("%s", zqs_dpi_coverage_summary(prog));
    if (trace_fd != 0) $fclose(trace_fd);
    zqs_dpi_image_free(prog);
    $finish;
  endfunction

  // Fetch, count, execute: one word a clock.
  always @(posedge clk) if (prog != null) begin
    int unsigned w;
    if (zqs_dpi_image_read(prog, pc, w) != 0) $fatal(1, "cover_tb: %s", zqs_dpi_error());
    void'(zqs_dpi_cover(prog, pc));
    if (trace_fd != 0) $fdisplay(trace_fd, "%h", pc);
    if (show_lines) begin
      string file;
      int unsigned line;
      void'(zqs_dpi_source(prog, pc, file, line));
      $display("%s:%0d: %s", file, line, zqs_dpi_source_text(prog, pc));
    end
    cycles++;
    if (pc == stop_at || cycles == limit) finish();
    else pc = execute(pc, w);
  end

  initial begin
    string source, args, stop, trace;
    int unsigned w;
    if ($value$plusargs("source=%s", source) == 0) $fatal(1, "cover_tb: +source=FILE missing");
    if ($value$plusargs("asm=%s", args) == 0) args = "";
    if ($value$plusargs("stop=%s", stop) == 0) stop = "done";
    if ($value$plusargs("cycles=%d", limit) == 0) limit = 100000;
    show_lines = $test$plusargs("lines") != 0;
    prog = zqs_dpi_program_load({args, " \"", source, "\""});
    if (prog == null) $fatal(1, "cover_tb: %s", zqs_dpi_error());
    if (zqs_dpi_image_arch(prog) != "zqs24-1") $fatal(1, "cover_tb: models zqs24-1 only");
    if (zqs_dpi_label_address(prog, stop, stop_at) != 0) $fatal(1, "cover_tb: %s", zqs_dpi_error());
    if ($value$plusargs("trace=%s", trace) != 0) begin
      trace_fd = $fopen(trace, "w");
      if (trace_fd == 0) $fatal(1, "cover_tb: %s cannot be written", trace);
    end
    if (zqs_dpi_image_word(prog, 0, pc, w) != 0) $fatal(1, "cover_tb: the program has no words");
  end
endmodule
