/* target architecture : zqs24-1 */

 zqs0_mem[1] = { 
    0x00000000
};
