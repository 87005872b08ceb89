/* -------------------------------------------------------------------- */
/*  Automatically generated twiddle-factor array.                       */
/*      Number of points:    32                                         */
/*      Scale factor:        2147483647.500000000                       */
/*      Appropriate FFTs:    QRV_fft_ww_a, QRV_fft_ww_ab, QRV_ifft_ww_a */
/*      Required alignment:  8 byte (double-word)                       */
/* -------------------------------------------------------------------- */
#pragma DATA_ALIGN(w, 8);
const int w[2 * 30] =
{
     0x00000000,  0x7FFFFFFF,  0x00000000,  0x7FFFFFFF,
     0x00000000,  0x7FFFFFFF,  0x18F8B83C,  0x7D8A5F3F,
     0x30FBC54D,  0x7641AF3C,  0x471CECE6,  0x6A6D98A3,
     0x30FBC54D,  0x7641AF3C,  0x5A827999,  0x5A827999,
     0x7641AF3C,  0x30FBC54D,  0x471CECE6,  0x6A6D98A3,
     0x7641AF3C,  0x30FBC54D,  0x7D8A5F3F, -0x18F8B83C,
     0x5A827999,  0x5A827999,  0x7FFFFFFF,  0x00000000,
     0x5A827999, -0x5A827999,  0x6A6D98A3,  0x471CECE6,
     0x7641AF3C, -0x30FBC54D,  0x18F8B83C, -0x7D8A5F3F,
     0x7641AF3C,  0x30FBC54D,  0x5A827999, -0x5A827999,
    -0x30FBC54D, -0x7641AF3C,  0x7D8A5F3F,  0x18F8B83C,
     0x30FBC54D, -0x7641AF3C, -0x6A6D98A3, -0x471CECE6,
     0x00000000,  0x7FFFFFFF,  0x00000000,  0x7FFFFFFF,
     0x00000000,  0x7FFFFFFF,  0x5A827999,  0x5A827999,
     0x7FFFFFFF,  0x00000000,  0x5A827999, -0x5A827999
};
