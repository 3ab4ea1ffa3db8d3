package p;
  localparam int OFFSET = 0;
endpackage
