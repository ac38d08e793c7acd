/* Any bytes as a packed block must decode inside the block buffer or be rejected; the
 * same bytes as a plain block must pack to the step-by-step encoder's bytes and back. */

#include "blkpack.h"
#include "reference_pack.h"

#include <stdlib.h>
#include <string.h>

int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  const int16_t len = (int16_t)(size > BLKPACK_MAX_BLOCK ? BLKPACK_MAX_BLOCK : size);
  unsigned char *out = malloc(BLKPACK_MAX_BLOCK); /* exactly the largest block */
  const int32_t n = decompress_buffer(data, out, len);
  if (n < -1 || n > BLKPACK_MAX_BLOCK)
    abort();

  unsigned char *packed = malloc((size_t)len + 1);
  unsigned char *expected = malloc((size_t)len + 1);
  const int16_t result = compress_buffer(data, packed, len);
  if (result != reference_pack(data, expected, len) || memcmp(packed, expected, (size_t)abs(result)) != 0)
    abort();
  if (result > 0 && (decompress_buffer(packed, out, result) != len || memcmp(out, data, (size_t)len) != 0))
    abort();
  if (result < 0 && memcmp(packed, data, (size_t)len) != 0)
    abort();
  free(expected);
  free(packed);
  free(out);
  return 0;
}
