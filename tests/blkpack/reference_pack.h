#ifndef REFERENCE_PACK_H
#define REFERENCE_PACK_H
/* The block encoder written step by step as the format describes it, with no care for
 * speed: the library's packed bytes must equal these on every input. Returns what
 * compress_buffer returns. */

#include <stdint.h>
#include <string.h>

static int reference_pack(const unsigned char *in, unsigned char *out, int L) {
  static unsigned table[16384];
  if (L <= 0)
    return 0;
  for (int i = 0; i < 16384; ++i)
    table[i] = 0xFFFF;
  int p = 0, o = 0;
  while (p < L) {
    const unsigned b = in[p];
    if (b == 252 || b == 253 || b == 254) {
      if (o > L - 4)
        goto store;
      out[o++] = 0xFC;
      out[o++] = (unsigned char)b;
      out[o++] = 1;
      p += 1;
      continue;
    }
    int r = 0;
    while (r < 255 && p + r < L && in[p + r] == b)
      ++r;
    if (r >= 4) {
      if (o > L - 4)
        goto store;
      out[o++] = 0xFC;
      out[o++] = (unsigned char)b;
      out[o++] = (unsigned char)r;
      p += r;
      continue;
    }
    if (p > 0 && p < L - 8) {
      unsigned v[8];
      for (int i = 0; i < 8; ++i)
        v[i] = in[p + i];
      const unsigned A = (v[2] << 7) | (v[3] >> 6);
      const unsigned B = (v[4] << 5) | (v[5] >> 4);
      const unsigned C = v[6] * 16 + v[7];
      const unsigned D = (v[0] << 7) | (v[1] >> 5);
      const unsigned h = ((A * B + C) ^ D) & 0x3FFF;
      const unsigned q = table[h];
      table[h] = (unsigned)p;
      if (q != 0xFFFF && memcmp(in + q, in + p, 4) == 0) {
        const int d = p - (int)q;
        if (d >= 5 && d <= 4095) {
          if (o > L - 4)
            goto store;
          out[o++] = 0xFD;
          int k = 0;
          while (k < 19 && p + k < L && k < d && in[q + k] == in[p + k])
            ++k;
          const unsigned w = ((unsigned)d << 4) | (unsigned)(k - 4);
          out[o++] = (unsigned char)(w & 0xFF);
          out[o++] = (unsigned char)(w >> 8);
          p += k;
          continue;
        }
      }
    }
    if (o >= L)
      goto store;
    out[o++] = (unsigned char)b;
    p += 1;
  }
  return o;
store:
  memcpy(out, in, (size_t)L);
  return -L;
}

#endif
