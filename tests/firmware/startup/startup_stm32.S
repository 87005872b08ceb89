/* Start-up code of the kind a vendor's tool generates for an STM32F4:
   the stack from the vector table, .data copied from flash, .bss
   cleared, SystemInit, then main. With COPY_CCMRAM it also copies
   .ccmram, as the vendor's linker script says a user must add. */
  .syntax unified
  .cpu cortex-m4
  .thumb

  .section .isr_vector, "a", %progbits
  .type g_pfnVectors, %object
g_pfnVectors:
  .word _estack
  .word Reset_Handler
  .word Default_Handler /* NMI */
  .word Default_Handler /* HardFault */
  .word Default_Handler /* MemManage */
  .word Default_Handler /* BusFault */
  .word Default_Handler /* UsageFault */
  .size g_pfnVectors, . - g_pfnVectors

  .text
  .global Reset_Handler
  .type Reset_Handler, %function
Reset_Handler:
  ldr sp, =_estack
  ldr r0, =_sdata
  ldr r1, =_edata
  ldr r2, =_sidata
  bl copy_words
#ifdef COPY_CCMRAM
  ldr r0, =_sccmram
  ldr r1, =_eccmram
  ldr r2, =_siccmram
  bl copy_words
#endif
  ldr r2, =_sbss
  ldr r4, =_ebss
  movs r3, #0
  b 2f
1:
  str r3, [r2], #4
2:
  cmp r2, r4
  bcc 1b
  bl SystemInit
  bl main
  b .
  .size Reset_Handler, . - Reset_Handler

/* Copies the words from r2 to r0 up to r1. */
  .type copy_words, %function
copy_words:
  b 2f
1:
  ldr r3, [r2], #4
  str r3, [r0], #4
2:
  cmp r0, r1
  bcc 1b
  bx lr
  .size copy_words, . - copy_words

  .type Default_Handler, %function
Default_Handler:
  b .
  .size Default_Handler, . - Default_Handler
