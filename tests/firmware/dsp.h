#ifndef DSP_H
#define DSP_H
#ifdef __cplusplus
extern "C" {
#endif
int dsp_first_cosine(void);
#ifdef __cplusplus
}
#endif
#endif
