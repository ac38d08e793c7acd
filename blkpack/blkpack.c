/* The block packer. Three tokens: 0xFC value count (a run), 0xFD low high (a copy of
 * earlier output, 4 to 19 bytes from 1 to 4095 back) and any other byte as itself.
 * The encoder is greedy and its bytes are part of the exchange format, so every choice
 * it makes (escape, run, match against the one most recent position of the same hash,
 * literal, and the room checks that fall back to a stored block) is fixed; speed comes
 * only from doing each step cheaply. */

#include "blkpack.h"

#include <stdio.h>
#include <stdlib.h>
#include <string.h>

enum {
  RUN_TOKEN = 0xFC,
  COPY_TOKEN = 0xFD,
  HASH_SIZE = 16384,
  EMPTY_SLOT = 0xFFFF,
  MIN_COPY = 4,
  MAX_COPY = 19,
  MIN_DISTANCE = 5,
  MAX_DISTANCE = 4095,
  MAX_RUN = 255
};

static inline uint32_t load32(const unsigned char *p) {
  uint32_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

static inline uint64_t load64(const unsigned char *p) {
  uint64_t v;
  memcpy(&v, p, sizeof v);
  return v;
}

/* The format's hash of the eight bytes at each of count positions from in, worked out
 * ahead in 16-bit lanes (the low 14 bits of every step are the same in any width), which
 * lets the compiler do several positions at once. */
enum { HASH_BATCH = 256 };

static void hash_positions(const unsigned char *in, int32_t count, uint16_t *hashes) {
  for (int32_t i = 0; i < count; ++i) {
    const unsigned char *s = in + i;
    const uint16_t a = (uint16_t)((s[2] << 7) | (s[3] >> 6));
    const uint16_t b = (uint16_t)((s[4] << 5) | (s[5] >> 4));
    const uint16_t c = (uint16_t)(s[6] * 16 + s[7]);
    const uint16_t d = (uint16_t)((s[0] << 7) | (s[1] >> 5));
    hashes[i] = (uint16_t)((((uint16_t)(a * b) + c) ^ d) & (HASH_SIZE - 1));
  }
}

static inline void put_token(unsigned char *o, unsigned kind, unsigned x, unsigned y) {
  o[0] = (unsigned char)kind;
  o[1] = (unsigned char)x;
  o[2] = (unsigned char)y;
}

/* Packs in[0..len) into out; returns the packed length, or -1 when the block must be
 * stored. A token is written only when o <= len - 4 and a literal only when o < len, so
 * the output never passes len bytes. */
static int32_t pack_block(const unsigned char *in, unsigned char *out, int32_t len,
                          uint16_t *table) {
  const int32_t token_room = len - 3;  /* a token needs o < this */
  const int32_t match_end = len - 8;   /* copies start before this position */
  int32_t p = 0;
  int32_t o = 0;
  uint16_t hashes[HASH_BATCH];
  int32_t batch_start = 0, batch_end = 0; /* positions whose hashes are in hashes[] */

  while (p < len) {
    const unsigned b = in[p];

    if (b - 252u < 3u) { /* 252, 253 and 254 never stand as literals */
      if (o >= token_room)
        return -1;
      put_token(out + o, RUN_TOKEN, b, 1);
      o += 3;
      ++p;
      continue;
    }

    if (len - p >= 4 && load32(in + p) == b * 0x01010101u) {
      const int32_t stop = len - p > MAX_RUN ? p + MAX_RUN : len;
      int32_t q = p + 4;
      while (q < stop && in[q] == b)
        ++q;
      if (o >= token_room)
        return -1;
      put_token(out + o, RUN_TOKEN, b, (unsigned)(q - p));
      o += 3;
      p = q;
      continue;
    }

    if (p > 0 && p < match_end) {
      if (p >= batch_end) {
        batch_start = p;
        batch_end = match_end - p > HASH_BATCH ? p + HASH_BATCH : match_end;
        hash_positions(in + p, batch_end - p, hashes);
      }
      const unsigned h = hashes[p - batch_start];
      const unsigned candidate = table[h];
      table[h] = (uint16_t)p;
      /* An empty slot (0xFFFF) gives a distance out of range. The candidate's bytes are
         read only for a distance in range, through a select rather than a branch. */
      const unsigned distance = (unsigned)p - candidate;
      const int in_range = distance - MIN_DISTANCE <= (unsigned)(MAX_DISTANCE - MIN_DISTANCE);
      const unsigned char *q = in + (in_range ? candidate : (unsigned)p);
      if (in_range & (load32(q) == load32(in + p))) {
        if (o >= token_room)
          return -1;
        unsigned limit = distance < MAX_COPY ? distance : MAX_COPY;
        if (limit > (unsigned)(len - p))
          limit = (unsigned)(len - p);
        unsigned k = MIN_COPY;
        while (k < limit && q[k] == in[p + k])
          ++k;
        const unsigned w = (distance << 4) | (k - MIN_COPY);
        put_token(out + o, COPY_TOKEN, w & 0xFF, w >> 8);
        o += 3;
        p += (int32_t)k;
        continue;
      }
    }

    if (o >= len)
      return -1;
    out[o++] = (unsigned char)b;
    ++p;
  }
  return o;
}

int16_t compress_buffer(const unsigned char *in, unsigned char *out, int16_t len) {
  if (len <= 0)
    return 0;
  uint16_t *table = malloc(HASH_SIZE * sizeof *table);
  if (!table)
    return 0;
  memset(table, 0xFF, HASH_SIZE * sizeof *table); /* every slot EMPTY_SLOT */
  int32_t packed = pack_block(in, out, len, table);
  free(table);
  if (packed < 0) {
    memcpy(out, in, (size_t)len);
    return (int16_t)-len;
  }
  return (int16_t)packed;
}

/* Writes count copies of value, exactly: short runs, the escapes above all, with a few
 * fixed-size stores that overlap instead of a call. */
static inline void fill(unsigned char *o, unsigned char value, size_t count) {
  if (count > 16) {
    memset(o, value, count);
  } else if (count >= 8) {
    const uint64_t v = 0x0101010101010101ull * value;
    memcpy(o, &v, 8);
    memcpy(o + count - 8, &v, 8);
  } else if (count >= 4) {
    const uint32_t v = 0x01010101u * value;
    memcpy(o, &v, 4);
    memcpy(o + count - 4, &v, 4);
  } else if (count > 0) {
    o[0] = value;
    o[count >> 1] = value;
    o[count - 1] = value;
  }
}

/* Copies length bytes (4 to 19) from src, which ends at or before o, exactly: loads and
 * stores of fixed size that overlap one another but never pass the copy. */
static inline void copy_apart(unsigned char *o, const unsigned char *src, size_t length) {
  if (length >= 8) {
    const size_t middle = length - 8 < 8 ? length - 8 : 8;
    const uint64_t a = load64(src), b = load64(src + middle), z = load64(src + length - 8);
    memcpy(o, &a, 8);
    memcpy(o + middle, &b, 8);
    memcpy(o + length - 8, &z, 8);
  } else {
    const uint32_t a = load32(src), z = load32(src + length - 4);
    memcpy(o, &a, 4);
    memcpy(o + length - 4, &z, 4);
  }
}

/* Marks the token bytes (0xFC, 0xFD) among eight: the lowest marked byte is exact. */
static inline uint64_t token_bytes(uint64_t x) {
  const uint64_t ones = 0x0101010101010101ull;
  const uint64_t t = (x & (0xFEull * ones)) ^ (0xFCull * ones);
  return (t - ones) & ~t & (0x80ull * ones);
}

/* Copies 1 to 15 literals exactly, with fixed-size moves that overlap one another. */
static inline void copy_literals(unsigned char *o, const unsigned char *p, size_t count) {
  if (count >= 8) {
    const uint64_t a = load64(p), z = load64(p + count - 8);
    memcpy(o, &a, 8);
    memcpy(o + count - 8, &z, 8);
  } else if (count >= 4) {
    const uint32_t a = load32(p), z = load32(p + count - 4);
    memcpy(o, &a, 4);
    memcpy(o + count - 4, &z, 4);
  } else {
    const unsigned char a = p[0], b = p[count >> 1], z = p[count - 1];
    o[0] = a;
    o[count >> 1] = b;
    o[count - 1] = z;
  }
}

/* Unpacks n packed bytes into out, which holds cap bytes; returns the decoded length or
 * -1 when the packed bytes are damaged or the block would pass cap. */
static int32_t unpack_block(const unsigned char *in, int32_t n, unsigned char *out,
                            int32_t cap) {
  const unsigned char *p = in;
  const unsigned char *const end = in + n;
  unsigned char *o = out;
  unsigned char *const limit = out + cap;

  while (p < end) {
    /* Literals sixteen at a time, up to the next token. */
    if ((*p & 0xFE) != RUN_TOKEN && end - p >= 16 && limit - o >= 16) {
      for (;;) {
        const uint64_t x = load64(p), y = load64(p + 8);
        const uint64_t tx = token_bytes(x), ty = token_bytes(y);
        if ((tx | ty) == 0) {
          memcpy(o, &x, 8);
          memcpy(o + 8, &y, 8);
          p += 16;
          o += 16;
          if (end - p >= 16 && limit - o >= 16)
            continue;
          break;
        }
        const size_t literals = tx ? (size_t)__builtin_ctzll(tx) >> 3 : 8 + ((size_t)__builtin_ctzll(ty) >> 3);
        if (literals > 0)
          copy_literals(o, p, literals);
        p += literals;
        o += literals;
        break;
      }
      continue;
    }

    const unsigned c = *p;
    if (c == RUN_TOKEN) {
      if (end - p < 3)
        return -1;
      const size_t count = p[2];
      if (count > (size_t)(limit - o))
        return -1;
      fill(o, p[1], count);
      o += count;
      p += 3;
    } else if (c == COPY_TOKEN) {
      if (end - p < 3)
        return -1;
      const unsigned w = p[1] | ((unsigned)p[2] << 8);
      const size_t length = (w & 15) + MIN_COPY;
      const size_t distance = w >> 4;
      if (distance == 0 || distance > (size_t)(o - out) || length > (size_t)(limit - o))
        return -1;
      const unsigned char *src = o - distance;
      if (distance >= length) {
        copy_apart(o, src, length);
      } else {
        /* Not written by the encoder, but well defined: the copy repeats its own output. */
        for (size_t i = 0; i < length; ++i)
          o[i] = src[i];
      }
      o += length;
      p += 3;
    } else {
      if (o == limit)
        return -1;
      *o++ = (unsigned char)c;
      ++p;
    }
  }
  return (int32_t)(o - out);
}

int32_t decompress_buffer(const unsigned char *in, unsigned char *out, int16_t len) {
  if (len < 0)
    return -1;
  return unpack_block(in, len, out, BLKPACK_MAX_BLOCK);
}

static void put_length(unsigned char *two, int16_t n) {
  const uint16_t u = (uint16_t)n;
  two[0] = (unsigned char)(u & 0xFF);
  two[1] = (unsigned char)(u >> 8);
}

static int16_t get_length(const unsigned char *two) {
  return (int16_t)(uint16_t)(two[0] | (two[1] << 8));
}

/* Closes both files and frees both buffers; the output's close is checked because
   buffered data reaches the disk only there. */
static int16_t finish(FILE *src, FILE *dst, void *a, void *b, int16_t result) {
  if (src)
    fclose(src);
  if (dst && fclose(dst) != 0)
    result = 1;
  free(a);
  free(b);
  return result;
}

int16_t compress_file(const char *src_path, const char *dst_path) {
  unsigned char *plain = malloc(BLKPACK_FILE_BLOCK);
  unsigned char *packed = malloc(BLKPACK_FILE_BLOCK);
  FILE *src = NULL, *dst = NULL;
  if (!plain || !packed || !(src = fopen(src_path, "rb")) || !(dst = fopen(dst_path, "wb")))
    return finish(src, dst, plain, packed, 1);

  for (;;) {
    const size_t n = fread(plain, 1, BLKPACK_FILE_BLOCK, src);
    if (n == 0)
      break;
    const int16_t result = compress_buffer(plain, packed, (int16_t)n);
    /* 0 for a non-empty block: no work table. A zero length would read back as an
       empty block and lose the data. */
    if (result == 0)
      return finish(src, dst, plain, packed, 1);
    unsigned char length[2];
    put_length(length, result);
    const size_t size = (size_t)(result < 0 ? -result : result);
    if (fwrite(length, 1, 2, dst) != 2 || fwrite(packed, 1, size, dst) != size)
      return finish(src, dst, plain, packed, 1);
  }
  /* A read error is not the end of the file: a packed file cut short there would
     replace the whole one. */
  return finish(src, dst, plain, packed, ferror(src) ? 1 : 0);
}

int16_t decompress_file(const char *src_path, const char *dst_path) {
  unsigned char *packed = malloc(BLKPACK_FILE_BLOCK);
  unsigned char *plain = malloc(BLKPACK_FILE_BLOCK);
  FILE *src = NULL, *dst = NULL;
  if (!plain || !packed || !(src = fopen(src_path, "rb")) || !(dst = fopen(dst_path, "wb")))
    return finish(src, dst, plain, packed, 1);

  for (;;) {
    unsigned char length[2];
    const size_t got = fread(length, 1, 2, src);
    if (got == 0)
      break;
    if (got != 2)
      return finish(src, dst, plain, packed, 1); /* the file ends inside a record */
    const int16_t n = get_length(length);
    const size_t size = (size_t)(n < 0 ? -(int32_t)n : n);
    /* Neither a stored nor a packed block is ever longer than a file block. */
    if (size > BLKPACK_FILE_BLOCK || fread(packed, 1, size, src) != size)
      return finish(src, dst, plain, packed, 1);
    const unsigned char *block = packed;
    size_t block_size = size;
    if (n > 0) {
      const int32_t decoded = unpack_block(packed, n, plain, BLKPACK_FILE_BLOCK);
      if (decoded < 0)
        return finish(src, dst, plain, packed, 1);
      block = plain;
      block_size = (size_t)decoded;
    }
    if (fwrite(block, 1, block_size, dst) != block_size)
      return finish(src, dst, plain, packed, 1);
  }
  return finish(src, dst, plain, packed, ferror(src) ? 1 : 0);
}
