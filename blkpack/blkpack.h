#ifndef BLKPACK_H
#define BLKPACK_H
/* The block packer shared with other stations: a small dictionary-and-run coder whose
 * packed bytes are fixed to the byte, and a file form that is a plain sequence of
 * length-prefixed blocks. Every call allocates and frees its own work memory. */

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define BLKPACK_API __attribute__((visibility("default")))

/* The largest block the block functions take or make, and the block size of the file form. */
#define BLKPACK_MAX_BLOCK 32767
#define BLKPACK_FILE_BLOCK 30000

/* Packs len bytes (0 to BLKPACK_MAX_BLOCK) of in into out, which holds at least len bytes.
 * Returns the packed length (> 0); or -len when the block does not get smaller and out
 * holds the input itself; or 0 for an empty or negative len or when the work table could
 * not be allocated. in and out must not overlap. */
BLKPACK_API int16_t compress_buffer(const unsigned char *in, unsigned char *out, int16_t len);

/* Unpacks len packed bytes of in into out, which must hold the whole decoded block
 * (BLKPACK_MAX_BLOCK bytes when its size is not known). Returns the number of bytes
 * written, or -1 when the packed bytes are damaged: a token cut short, a copy reaching
 * before the start of the block or a block growing past BLKPACK_MAX_BLOCK bytes. Nothing
 * is written past the decoded length, nor past BLKPACK_MAX_BLOCK. */
BLKPACK_API int32_t decompress_buffer(const unsigned char *in, unsigned char *out, int16_t len);

/* Pack the file src into the file dst (created or truncated), and back. Return 0 on
 * success, 1 on any failure: a file that cannot be opened, read or written, no memory,
 * and for decompress_file a damaged or cut-short packed file. After a failure dst may
 * hold part of the result; it is left for the caller to remove. */
BLKPACK_API int16_t compress_file(const char *src, const char *dst);
BLKPACK_API int16_t decompress_file(const char *src, const char *dst);

#ifdef __cplusplus
}
#endif

#endif
