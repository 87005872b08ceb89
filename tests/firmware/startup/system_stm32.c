/* SystemInit as vendor code writes it: the clock tree set up through the
   RCC registers, each step waiting for its ready bit. With WAIT_FOR_PLL it
   also waits until the clock switch reports the PLL, a two-bit field that
   no model of the peripheral can give; with USE_FPU it enables the FPU
   (CPACR) and computes with it, as code built for the hard-float ABI may
   before main. */
#include <stdint.h>

#define RCC_CR (*(volatile uint32_t *)0x40023800u)
#define RCC_PLLCFGR (*(volatile uint32_t *)0x40023804u)
#define RCC_CFGR (*(volatile uint32_t *)0x40023808u)
#define SCB_CPACR (*(volatile uint32_t *)0xE000ED88u)

uint32_t SystemCoreClock = 16000000u;
#ifdef USE_FPU
volatile float system_clock_mhz;
#endif

void SystemInit(void);

void SystemInit(void) {
#ifdef USE_FPU
  SCB_CPACR |= 0xFu << 20;
  __asm volatile("dsb\n\tisb");
#endif
  RCC_CR |= 1u << 16; /* HSEON */
  while ((RCC_CR & (1u << 17)) == 0) { /* HSERDY */
  }
  RCC_PLLCFGR = 0x24003010u;
  RCC_CR |= 1u << 24; /* PLLON */
  while ((RCC_CR & (1u << 25)) == 0) { /* PLLRDY */
  }
  RCC_CFGR = (RCC_CFGR & ~3u) | 2u; /* SW: PLL */
#ifdef WAIT_FOR_PLL
  while ((RCC_CFGR & (3u << 2)) != (2u << 2)) { /* SWS: PLL */
  }
#endif
  SystemCoreClock = 168000000u;
#ifdef USE_FPU
  /* The PLL's input divider, as the register reads back. */
  system_clock_mhz = 8.0f / (float)(RCC_PLLCFGR & 0x3Fu) * 336.0f / 2.0f;
#endif
}
