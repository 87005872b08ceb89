/* Where a twiddle sits in a table, described independently of the programs.
 *
 * A table holds one block per radix-4 stage (stride j = 1, 4, 16, ... while
 * j < N/4); the block of stride j covers butterflies b = 0 .. N/(4j) - 1 with
 * six entries each, and the next block starts right after it. For butterfly b
 * and angle multiple r (1, 2 or 3: the angle is 2*pi*r*b*j/N) the sine sits at
 * the slot below and the cosine right after it. */
#ifndef WFAC_TEST_LAYOUT_H
#define WFAC_TEST_LAYOUT_H

/* layout: the entries of a group, 6 (one butterfly) or 12 (the twelve-entry
 * layout, where butterflies 2g and 2g + 1 share group g and, for each r, the
 * first one's pair comes before the second's). */
static inline int twiddle_slot(int stage_start, int b, int r, int layout) {
  if (layout == 12) return stage_start + 12 * (b / 2) + 4 * (r - 1) + 2 * (b % 2);
  return stage_start + 6 * b + 2 * (r - 1);
}

#endif
