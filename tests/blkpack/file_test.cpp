// The file form: real files of several sizes there and back with the exact records,
// damaged packed files, and files that cannot be read or written.

#include "blkpack.h"
#include "blkpack_test_support.h"
#include "reference_pack.h"

#include <gtest/gtest.h>

namespace {

using Bytes = std::vector<unsigned char>;

void AppendRecord(Bytes &file, int16_t length, const unsigned char *data, size_t size) {
  file.push_back(static_cast<unsigned char>(static_cast<uint16_t>(length) & 0xFF));
  file.push_back(static_cast<unsigned char>(static_cast<uint16_t>(length) >> 8));
  file.insert(file.end(), data, data + size);
}

// The packed file as the format builds it: one record per 30000-byte block.
Bytes ExpectedPackedFile(const Bytes &plain) {
  Bytes file;
  Bytes packed(BLKPACK_FILE_BLOCK);
  for (size_t at = 0; at < plain.size(); at += BLKPACK_FILE_BLOCK) {
    const size_t size = std::min<size_t>(BLKPACK_FILE_BLOCK, plain.size() - at);
    const int result = reference_pack(plain.data() + at, packed.data(), static_cast<int>(size));
    AppendRecord(file, static_cast<int16_t>(result), packed.data(), static_cast<size_t>(std::abs(result)));
  }
  return file;
}

using PackedFileTest = TempFolderTest;

TEST_F(PackedFileTest, RealFilesOfSeveralSizesGoThereAndBack) {
  const Bytes text = LicenceTexts();
  const Bytes binary = ReadWholeFile("/proc/self/exe");
  ASSERT_GT(binary.size(), 1000000u);
  const struct {
    const char *what;
    Bytes plain;
  } cases[] = {
      {"empty", {}},
      {"one byte", Bytes(text.begin(), text.begin() + 1)},
      {"one block less a byte", Bytes(text.begin(), text.begin() + 29999)},
      {"one block", Bytes(text.begin(), text.begin() + 30000)},
      {"one block and a byte", Bytes(text.begin(), text.begin() + 30001)},
      {"two blocks", Bytes(binary.begin(), binary.begin() + 60000)},
      {"all licence texts", text},
      {"this program", binary},
      {"a block of 254 is stored", Bytes(30000, 254)},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    WriteWholeFile(path("plain"), c.plain);
    ASSERT_EQ(compress_file(path("plain").c_str(), path("packed").c_str()), 0);
    const Bytes packed = ReadWholeFile(path("packed"));
    EXPECT_EQ(packed, ExpectedPackedFile(c.plain));
    ASSERT_EQ(decompress_file(path("packed").c_str(), path("back").c_str()), 0);
    EXPECT_EQ(ReadWholeFile(path("back")), c.plain);
  }
  // The stored block's length word is -30000, low byte first.
  const Bytes stored = ReadWholeFile(path("packed"));
  ASSERT_EQ(stored.size(), 30002u);
  EXPECT_EQ(stored[0], 0xD0);
  EXPECT_EQ(stored[1], 0x8A);
}

TEST_F(PackedFileTest, RejectsDamagedPackedFiles) {
  const Bytes text = LicenceTexts();
  const Bytes good = ExpectedPackedFile(Bytes(text.begin(), text.begin() + 40000));
  Bytes tooLongBlock;  // 118 runs of 255 decode to 30090 bytes, more than a file block
  for (int i = 0; i < 118; ++i)
    tooLongBlock.insert(tooLongBlock.end(), {0xFC, 'x', 0xFF});
  const unsigned char abc[] = {'a', 'b', 'c', 'd', 'e', 'f'};
  const unsigned char copyBack[] = {'a', 0xFD, 0x24, 0x00};  // distance 2 from the block's first byte
  const unsigned char cutRun[] = {'a', 'b', 0xFC, 'x'};

  std::vector<std::pair<const char *, Bytes>> cases;
  cases.push_back({"ends inside the length word", Bytes(good.begin(), good.end() - 1)});
  {
    Bytes f = good;
    f.push_back(0x05);
    cases.push_back({"a stray byte after the last record", f});
  }
  cases.push_back({"ends inside a packed block", Bytes(good.begin(), good.begin() + 100)});
  {
    Bytes f;
    AppendRecord(f, -10, abc, 6);
    cases.push_back({"ends inside a stored block", f});
  }
  {
    Bytes f;
    AppendRecord(f, static_cast<int16_t>(tooLongBlock.size()), tooLongBlock.data(), tooLongBlock.size());
    cases.push_back({"a block decoding past the file block", f});
  }
  {
    Bytes f;
    AppendRecord(f, 6, abc, 6);
    AppendRecord(f, 4, copyBack, 4);
    cases.push_back({"a copy reaching into the block before", f});
  }
  {
    Bytes f;
    AppendRecord(f, 4, cutRun, 4);
    cases.push_back({"a token cut short at the end of its block", f});
  }
  for (int16_t length : {int16_t(30001), int16_t(-30001), int16_t(-32768)}) {
    Bytes f;
    const Bytes filler(32768, 'q');
    AppendRecord(f, length, filler.data(), filler.size());
    cases.push_back({"a record longer than a file block", f});
  }
  for (const auto &[what, file] : cases) {
    SCOPED_TRACE(what);
    WriteWholeFile(path("packed"), file);
    EXPECT_EQ(decompress_file(path("packed").c_str(), path("back").c_str()), 1);
  }
}

TEST_F(PackedFileTest, FilesThatCannotBeReadOrWrittenAnswerOne) {
  WriteWholeFile(path("plain"), Bytes(5000, 'a'));
  ASSERT_EQ(compress_file(path("plain").c_str(), path("packed").c_str()), 0);
  const std::string missing = path("missing").string();
  const std::string noFolder = path("no-such-folder/out").string();
  const std::string folder = path("").string();

  for (auto *function : {compress_file, decompress_file}) {
    SCOPED_TRACE(function == compress_file ? "compress_file" : "decompress_file");
    const std::string source = (function == compress_file ? path("plain") : path("packed")).string();
    EXPECT_EQ(function(missing.c_str(), path("out").c_str()), 1) << "missing source";
    EXPECT_EQ(function(source.c_str(), noFolder.c_str()), 1) << "destination in a missing folder";
    EXPECT_EQ(function(folder.c_str(), path("out").c_str()), 1) << "a source that cannot be read";
    EXPECT_EQ(function(source.c_str(), "/dev/full"), 1) << "a destination that is full";
  }
}

}  // namespace
