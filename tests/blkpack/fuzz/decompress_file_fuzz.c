/* Any bytes as a packed file: decompress_file answers 0 or 1 and stays inside its buffers. */

#include "blkpack.h"

#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

static char in_path[4096], out_path[4096];

int LLVMFuzzerInitialize(int *argc, char ***argv) {
  (void)argc;
  (void)argv;
  const char *dir = getenv("TMPDIR");
  snprintf(in_path, sizeof in_path, "%s/blkpack-fuzz-%d.in", dir && *dir ? dir : "/tmp", (int)getpid());
  snprintf(out_path, sizeof out_path, "%s/blkpack-fuzz-%d.out", dir && *dir ? dir : "/tmp", (int)getpid());
  return 0;
}

int LLVMFuzzerTestOneInput(const unsigned char *data, size_t size) {
  FILE *f = fopen(in_path, "wb");
  if (!f || fwrite(data, 1, size, f) != size || fclose(f) != 0)
    abort();
  const int16_t result = decompress_file(in_path, out_path);
  if (result != 0 && result != 1)
    abort();
  unlink(in_path);
  unlink(out_path);
  return 0;
}
