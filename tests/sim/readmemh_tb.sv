// Loads +vmem=FILE with $readmemh into a memory filled with ones and prints
// "ADDRESS WORD" for every word the file set; without +vmem it prints the
// labels of the packages (labels.svi, written by readmemh.sh).
module readmemh_tb;
  bit [31:0] mem[0:4095];
  string file;
  initial begin
    if ($value$plusargs("vmem=%s", file)) begin
      for (int i = 0; i < 4096; i++) mem[i] = 32'hFFFFFFFF;
      $readmemh(file, mem);
      for (int i = 0; i < 4096; i++) if (mem[i] != 32'hFFFFFFFF) $display("%08x %08x", i * 4, mem[i]);
    end else begin
`include "labels.svi"
    end
    $finish;
  end
endmodule
