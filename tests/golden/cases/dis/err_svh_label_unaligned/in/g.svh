package p;
  localparam bit [31:0] LABEL_X = 32'h00000002;
endpackage
