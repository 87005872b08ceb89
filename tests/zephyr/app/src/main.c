/* Prints every entry of both tables, one a line after the table's name,
   then "done", and resets the board, which ends qemu -no-reboot. */
#include <stddef.h>
#include <stdint.h>

#include <zephyr/sys/printk.h>

#include "w_data.h"
#include "w_rom.h"

int main(void)
{
	size_t i;

	for (i = 0; i < sizeof w_data / sizeof w_data[0]; ++i) {
		printk("w_data %d\n", w_data[i]);
	}
	for (i = 0; i < sizeof w_rom / sizeof w_rom[0]; ++i) {
		printk("w_rom %d\n", w_rom[i]);
	}
	printk("done\n");
	/* SYSRESETREQ in the Cortex-M's AIRCR. */
	*(volatile uint32_t *)0xE000ED0CUL = 0x05FA0004UL;
	return 0;
}
