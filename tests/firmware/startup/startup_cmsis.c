/* Start-up code in the style of Arm's CMSIS (startup_<device>.c with
   cmsis_gcc.h's __cmsis_start): the vector table in C, SystemInit, then
   the copy table and the zero table that the linker script (cmsis.ld)
   lays out, then main. */
#include <stdint.h>

typedef struct {
  uint32_t const *src;
  uint32_t *dest;
  uint32_t wlen;
} __copy_table_t;

typedef struct {
  uint32_t *dest;
  uint32_t wlen;
} __zero_table_t;

extern const __copy_table_t __copy_table_start__;
extern const __copy_table_t __copy_table_end__;
extern const __zero_table_t __zero_table_start__;
extern const __zero_table_t __zero_table_end__;
extern uint32_t __StackTop;

void SystemInit(void);
int main(void);
void Reset_Handler(void);
void Default_Handler(void);

typedef void (*VECTOR_TABLE_Type)(void);

__attribute__((used, section(".vectors"))) const VECTOR_TABLE_Type __VECTOR_TABLE[16] = {
    (VECTOR_TABLE_Type)(&__StackTop), Reset_Handler, Default_Handler, Default_Handler,
    Default_Handler, Default_Handler, Default_Handler, 0, 0, 0, 0, Default_Handler,
    Default_Handler, 0, Default_Handler, Default_Handler};

void Reset_Handler(void) {
  SystemInit();
  for (__copy_table_t const *p = &__copy_table_start__; p < &__copy_table_end__; ++p) {
    for (uint32_t i = 0u; i < p->wlen; ++i) p->dest[i] = p->src[i];
  }
  for (__zero_table_t const *p = &__zero_table_start__; p < &__zero_table_end__; ++p) {
    for (uint32_t i = 0u; i < p->wlen; ++i) p->dest[i] = 0u;
  }
  main();
  for (;;) {
  }
}

void Default_Handler(void) {
  for (;;) {
  }
}
