/* Bare-metal RISC-V start-up as board support packages write it: the
   global pointer and stack, .data copied from flash, .bss cleared, then
   main. Nothing else is copied. */
  .section .text.init, "ax", %progbits
  .global _start
  .type _start, %function
_start:
  .option push
  .option norelax
  la gp, __global_pointer$
  .option pop
  la sp, _stack_top
  la a0, _sidata
  la a1, _sdata
  la a2, _edata
1:
  bgeu a1, a2, 2f
  lw t0, 0(a0)
  sw t0, 0(a1)
  addi a0, a0, 4
  addi a1, a1, 4
  j 1b
2:
  la a1, _sbss
  la a2, _ebss
3:
  bgeu a1, a2, 4f
  sw zero, 0(a1)
  addi a1, a1, 4
  j 3b
4:
  call main
5:
  j 5b
  .size _start, . - _start
