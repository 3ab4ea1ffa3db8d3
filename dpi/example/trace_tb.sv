// Instruction-fetch trace of a ZQS program image, through the DPI-C binding.
//
// Loads the image into a memory model, then a program counter walks it one
// word per clock, like the fetch stage of a core running straight-line code,
// and prints one trace line per fetched word in the listing format of
// dis-zqs: "0xADDRESS  0xWORD  TEXT" with address operands named by their
// labels, ".var" and the reason for a word that is no instruction, a line
// "NAME:" before a labelled word, and a "; gap" line where the addresses jump.
//
//   +image=FILE   the memory image (C array, IFS or MIF)
//   +defs=FILE    its definitions file (optional: label names)
//   +arch=ARCH    the architecture (default zqs24-1)
module trace_tb;
`include "zqs_dpi.svh"

  string arch;
  chandle image;
  int unsigned mem[int unsigned];     // the memory model: byte address -> word
  string label_name[$];               // labels in address order
  int unsigned label_addr[$];
  int next_label = 0;                 // the first label not yet printed

  bit clk = 0;
  bit running = 0;
  int unsigned pc, last;

  // "0x" and eight upper-case hexadecimal digits.
  function automatic string hex8(int unsigned v);
    string s = "0x";
    for (int i = 7; i >= 0; i--) begin
      int unsigned d = (v >> (4 * i)) & 15;
      byte c = byte'(d < 10 ? 48 + d : 55 + d);
      s = {s, string'(c)};
    end
    return s;
  endfunction

  function automatic void load();
    string image_name, defs_name;
    int n;
    if ($value$plusargs("image=%s", image_name) == 0) $fatal(1, "trace_tb: +image=FILE missing");
    if ($value$plusargs("defs=%s", defs_name) == 0) defs_name = "";
    if ($value$plusargs("arch=%s", arch) == 0) arch = "zqs24-1";
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
      label_name.push_back(zqs_dpi_label(image, i, a));
      label_addr.push_back(a);
    end
  endfunction

  // The labels up to an address; those not on a word say so.
  function automatic void print_labels(longint unsigned upto, bit at_word);
    while (next_label < label_name.size() && longint'(label_addr[next_label]) <= upto) begin
      if (at_word && longint'(label_addr[next_label]) == upto)
        $display("%s:", label_name[next_label]);
      else
        $display("%s:  ; %s, no word there", label_name[next_label], hex8(label_addr[next_label]));
      next_label++;
    end
  endfunction

  // The other imports against what load() read: words by address, labels by
  // name, and every disassembled word assembled back to a word with the same
  // text. Silent unless something disagrees.
  function automatic void check_binding();
    foreach (mem[a]) begin
      int unsigned w, again;
      string text;
      if (zqs_dpi_image_read(image, a, w) != 0 || w != mem[a])
        $fatal(1, "trace_tb: zqs_dpi_image_read(%s)", hex8(a));
      text = zqs_dpi_disassemble(arch, w);
      if (text != "") begin
        // One call per statement: in one expression, Verilator 5.006 may make
        // the second call before the first has set its output argument.
        if (zqs_dpi_assemble(arch, text, again) != 0)
          $fatal(1, "trace_tb: '%s' does not assemble: %s", text, zqs_dpi_error());
        if (zqs_dpi_disassemble(arch, again) != text)
          $fatal(1, "trace_tb: '%s' assembles to %s", text, hex8(again));
      end
    end
    if (zqs_dpi_image_read(image, 2, pc) == 0) $fatal(1, "trace_tb: a word at address 2");
    foreach (label_name[i]) begin
      int unsigned a;
      if (zqs_dpi_label_address(image, label_name[i], a) != 0 || a != label_addr[i])
        $fatal(1, "trace_tb: zqs_dpi_label_address(%s)", label_name[i]);
    end
    if (arch == "zqs24-1" && zqs_dpi_register_name(arch, 12) != "tbu_ts0")
      $fatal(1, "trace_tb: zqs_dpi_register_name(12): %s", zqs_dpi_error());
  endfunction

  // One fetched word as a listing line.
  function automatic string trace_line(int unsigned address, int unsigned word);
    string text = zqs_dpi_listing_text(image, arch, word);
    if (text == "") text = {".var ", hex8(word), "  ; ", zqs_dpi_error()};
    return {hex8(address), "  ", hex8(word), "  ", text};
  endfunction

  always #5 clk = ~clk;

  // Fetch: the word at pc, then the next address; past a gap, the next word.
  always @(posedge clk) if (running) begin
    print_labels(longint'(pc), 1);
    $display("%s", trace_line(pc, mem[pc]));
    last = pc;
    if (mem.next(pc) != 0) begin
      if (pc > last + 4)
        $display("; gap: %0d words, %s to %s", (pc - last - 4) / 4, hex8(last + 4), hex8(pc - 4));
    end else begin
      running = 0;
      print_labels(64'hFFFFFFFF, 0);
      zqs_dpi_image_free(image);
      $finish;
    end
  end

  initial begin
    load();
    check_binding();
    if (mem.first(pc) != 0) running = 1;
    else begin
      print_labels(64'hFFFFFFFF, 0);
      $finish;
    end
  end
endmodule
