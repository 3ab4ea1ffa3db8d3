// Instruction-fetch trace of a ZQS program image, through the DPI-C binding.
//
// Loads the image into a memory model, then a program counter walks it one
// word per clock, like the fetch stage of a core running straight-line code,
// and prints for each fetched word its lines of the library's listing, as
// dis-zqs prints it: "0xADDRESS  0xWORD  TEXT" with address operands named by
// their labels, ".var" and the reason for a word that is no instruction, a
// line "NAME:" before a labelled word, and a "; gap" line where the addresses
// jump. The whole trace is the listing.
//
//   +image=FILE   the memory image (C array, IFS, MIF or vmem)
//   +defs=FILE    its definitions file (optional: label names)
//   +arch=ARCH    the architecture (default zqs24-1, or the program's)
//   +source=FILE  instead of an image: the program's source, assembled when
//                 the simulation starts; each word's line then has its source
//                 line beside it: "    file:line: text"
module trace_tb;
`include "zqs_dpi.svh"

  string arch;
  chandle image;
  int unsigned mem[int unsigned];     // the memory model: byte address -> word
  string label_name[$];               // labels in address order
  int unsigned label_addr[$];

  bit clk = 0;
  bit running = 0;
  int unsigned pc;

  bit from_source = 0;

  function automatic void load();
    string image_name, defs_name, source;
    int n;
    if ($value$plusargs("source=%s", source) != 0) begin
      from_source = 1;
      if ($value$plusargs("arch=%s", arch) == 0) arch = "";
      image = zqs_dpi_program_load({arch == "" ? "" : {"-arch ", arch, " "}, "\"", source, "\""});
    end else begin
      if ($value$plusargs("image=%s", image_name) == 0) $fatal(1, "trace_tb: +image=FILE missing");
      if ($value$plusargs("defs=%s", defs_name) == 0) defs_name = "";
      if ($value$plusargs("arch=%s", arch) == 0) arch = "zqs24-1";
      image = zqs_dpi_image_load(image_name, defs_name, arch);
    end
    if (image == null) $fatal(1, "trace_tb: %s", zqs_dpi_error());
    arch = zqs_dpi_image_arch(image);
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

  // The other imports against what load() read: words by address, labels by
  // name, and every disassembled word assembled back to a word with the same
  // text. Silent unless something disagrees.
  function automatic void check_binding();
    foreach (mem[a]) begin
      int unsigned w, again;
      string text;
      if (zqs_dpi_image_read(image, a, w) != 0 || w != mem[a])
        $fatal(1, "trace_tb: zqs_dpi_image_read(%h)", a);
      text = zqs_dpi_disassemble(arch, w);
      if (text != "") begin
        // One call per statement: in one expression, Verilator 5.006 may make
        // the second call before the first has set its output argument.
        if (zqs_dpi_assemble(arch, text, again) != 0)
          $fatal(1, "trace_tb: '%s' does not assemble: %s", text, zqs_dpi_error());
        if (zqs_dpi_disassemble(arch, again) != text)
          $fatal(1, "trace_tb: '%s' assembles to %h", text, again);
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

  always #5 clk = ~clk;

  // The lines of the word at pc with its source line beside the word's own.
  function automatic string with_source(string lines);
    string out = "", line = "", file, head;
    int unsigned n;
    head = $sformatf("%08h", pc);
    head = {"0x", head.toupper(), "  "};
    if (zqs_dpi_source(image, pc, file, n) != 0) $fatal(1, "trace_tb: %s", zqs_dpi_error());
    for (int i = 0; i < lines.len(); i++) begin
      if (lines[i] != 8'h0A) line = {line, lines.substr(i, i)};
      else begin
        if (line.substr(0, head.len() - 1) == head)
          line = $sformatf("%s    %s:%0d: %s", line, file, n, zqs_dpi_source_text(image, pc));
        out = {out, line, "\n"};
        line = "";
      end
    end
    return out;
  endfunction

  // Fetch: the word at pc, then the next address; past a gap, the next word.
  // The lines of a word hold the gap and label lines before it (and after the
  // last word the labels past it).
  always @(posedge clk) if (running) begin
    string lines;
    lines = zqs_dpi_listing_lines(image, pc);
    if (lines == "") $fatal(1, "trace_tb: %s", zqs_dpi_error());
    if (from_source) lines = with_source(lines);  // an if: Verilator 5 runs both arms of ?:
    $write("%s", lines);
    if (mem.next(pc) == 0) begin
      running = 0;
      zqs_dpi_image_free(image);
      $finish;
    end
  end

  initial begin
    load();
    check_binding();
    if (mem.first(pc) != 0) running = 1;
    else begin
      $write("%s", zqs_dpi_listing(image));  // labels only
      zqs_dpi_image_free(image);
      $finish;
    end
  end
endmodule
