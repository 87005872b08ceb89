/* -------------------------------------------------------------------- */
/*  Automatically generated twiddle-factor array.                       */
/*      Number of points:    16                                         */
/*      Scale factor:        32767.500000000                            */
/*      Appropriate FFTs:    QRV_fft_hw_a, QRV_ifft_hw_a                */
/*      Required alignment:  8 byte (double-word)                       */
/* -------------------------------------------------------------------- */
#pragma DATA_ALIGN(w, 8);
const short w[2 * 12] =
{
     0x0000,  0x7FFF,  0x0000,  0x7FFF,  0x0000,  0x7FFF,  0x30FB,  0x7641,
     0x5A82,  0x5A82,  0x7641,  0x30FB,  0x5A82,  0x5A82,  0x7FFF,  0x0000,
     0x5A82, -0x5A82,  0x7641,  0x30FB,  0x5A82, -0x5A82, -0x30FB, -0x7641
};
