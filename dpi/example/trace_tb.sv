// Instruction-fetch trace of a ZQS program image, through the DPI-C binding.
//
// Loads the image into a memory model, then a program counter walks it one
// word per clock, like the fetch stage of a core running straight-line code,
// and prints one trace line per fetched word in the listing format of
// dis-zqs: label lines "NAME:", "0xADDRESS  0xWORD  TEXT" with address
// operands named by their labels, ".var" for a word that is no instruction,
// and one line where the addresses leave a gap.
//
//   +image=FILE   the memory image (C array, IFS or MIF)
//   +defs=FILE    its definitions file (optional: label names)
//   +arch=ARCH    the architecture (default zqs24-1)
module trace_tb;
`include "zqs_dpi.svh"

  string image_name, defs_name, arch;
  chandle image;
  int unsigned mem[int unsigned];      // the memory model: byte address -> word
  string labels[int unsigned][$];      // byte address -> label names, in order

  bit clk = 0;
  int unsigned pc, last;
  localparam string GAP_LINE = "...";
  bit running = 0;

  // "0x" and eight upper-case hexadecimal digits.
  function automatic string hex8(int unsigned v);
    string s = "0x";
    for (int i = 7; i >= 0; i--) begin
      int unsigned d = (v >> (4 * i)) & 15;
      s = {s, string'(d < 10 ? 8'h30 + d : 8'h37 + d)};
    end
    return s;
  endfunction

  function automatic void load();
    int n;
    if (!$value$plusargs("image=%s", image_name)) $fatal(1, "trace_tb: +image=FILE missing");
    if (!$value$plusargs("defs=%s", defs_name)) defs_name = "";
    if (!$value$plusargs("arch=%s", arch)) arch = "zqs24-1";
    image = zqs_dpi_image_load(image_name, defs_name, arch);
    if (image == null) $fatal(1, "trace_tb: %s", zqs_dpi_error());
    n = zqs_dpi_image_word_count(image);
    for (int i = 0; i < n; i++) begin
      int unsigned a, w;
      void'(zqs_dpi_image_word(image, i, a, w));
      mem[a] = w;
    end
    n = zqs_dpi_label_count(image);
    for (int i = 0; i < n; i++) begin
      int unsigned a;
      string name = zqs_dpi_label(image, i, a);
      labels[a].push_back(name);
    end
  endfunction

  // One fetched word as a listing line.
  function automatic string trace_line(int unsigned address, int unsigned word);
    string text = zqs_dpi_disassemble_labels(image, arch, word);
    if (text == "")
      text = {".var ", hex8(word), "  ; ", zqs_dpi_error()};
    return {hex8(address), "  ", hex8(word), "  ", text};
  endfunction

  always #5 clk = ~clk;

  // Fetch: the word at pc, then the next address; past a gap, the next word.
  always @(posedge clk) if (running) begin
    if (labels.exists(pc))
      foreach (labels[pc][i]) $display("%s:", labels[pc][i]);
    $display("%s", trace_line(pc, mem[pc]));
    last = pc;
    if (mem.next(pc)) begin
      if (pc != last + 4) $display("%s", GAP_LINE);
    end else begin
      running = 0;
      zqs_dpi_image_free(image);
      $finish;
    end
  end

  initial begin
    load();
    if (mem.first(pc)) running = 1;
    else $finish;
  end
endmodule
