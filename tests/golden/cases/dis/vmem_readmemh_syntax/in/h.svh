// a package written by hand
package rom_pkg;
  localparam bit [31:0] OFFSET = 32'h00000004;
  localparam bit [31:0] SIZE = 32'h100000000;  // not read
  localparam bit [31:0] LABEL_Loop_2 = 32'h00000100;
endpackage
