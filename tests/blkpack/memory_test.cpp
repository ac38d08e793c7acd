// Running out of memory: this program's own allocator can refuse blocks of one size,
// which is how the packer's work table and file buffers are made to fail.

#include "blkpack.h"
#include "blkpack_test_support.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>

extern "C" {
void *__libc_malloc(size_t);
void *__libc_calloc(size_t, size_t);
void *__libc_realloc(void *, size_t);
void __libc_free(void *);
}

namespace {
std::atomic<size_t> refusedSize{0};  // 0: refuse nothing
}

// Replacing these four replaces the allocator of the whole program, the shared library
// included; everything else goes on to the C library's own.
extern "C" void *malloc(size_t size) {
  if (size != 0 && size == refusedSize.load(std::memory_order_relaxed))
    return nullptr;
  return __libc_malloc(size);
}
extern "C" void *calloc(size_t n, size_t size) {
  if (n * size != 0 && n * size == refusedSize.load(std::memory_order_relaxed))
    return nullptr;
  return __libc_calloc(n, size);
}
extern "C" void *realloc(void *p, size_t size) { return __libc_realloc(p, size); }
extern "C" void free(void *p) { __libc_free(p); }

namespace {

class RefuseAllocations {
public:
  explicit RefuseAllocations(size_t size) { refusedSize = size; }
  ~RefuseAllocations() { refusedSize = 0; }
};

constexpr size_t WorkTableSize = 16384 * 2;

using PackerMemoryTest = TempFolderTest;

TEST_F(PackerMemoryTest, NoWorkTableGivesZeroAndFailsTheFile) {
  std::vector<unsigned char> in(1000, 'a'), out(1000);
  int16_t result;
  {
    RefuseAllocations refuse(WorkTableSize);
    result = compress_buffer(in.data(), out.data(), 1000);
  }
  EXPECT_EQ(result, 0);

  WriteWholeFile(path("plain"), LicenceTexts());
  {
    RefuseAllocations refuse(WorkTableSize);
    result = compress_file(path("plain").c_str(), path("packed").c_str());
  }
  EXPECT_EQ(result, 1);
  EXPECT_EQ(compress_file(path("plain").c_str(), path("packed").c_str()), 0) << "works again with memory";
}

TEST_F(PackerMemoryTest, NoFileBuffersFailTheFile) {
  WriteWholeFile(path("plain"), std::vector<unsigned char>(100, 'z'));
  ASSERT_EQ(compress_file(path("plain").c_str(), path("packed").c_str()), 0);
  int16_t packResult, unpackResult;
  {
    RefuseAllocations refuse(BLKPACK_FILE_BLOCK);
    packResult = compress_file(path("plain").c_str(), path("packed2").c_str());
    unpackResult = decompress_file(path("packed").c_str(), path("back").c_str());
  }
  EXPECT_EQ(packResult, 1);
  EXPECT_EQ(unpackResult, 1);
}

}  // namespace
