#pragma once
// Small helpers of the blkpack tests: real files, a private temporary folder, a fixed
// pseudo-random source.

#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

inline std::vector<unsigned char> ReadWholeFile(const std::filesystem::path &path) {
  std::ifstream in(path, std::ios::binary);
  EXPECT_TRUE(in.good()) << "cannot read " << path;
  return std::vector<unsigned char>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void WriteWholeFile(const std::filesystem::path &path, const std::vector<unsigned char> &bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char *>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  ASSERT_TRUE(out.good()) << "cannot write " << path;
}

// Every licence text of the system, one after the other: a few hundred KB of prose.
inline std::vector<unsigned char> LicenceTexts() {
  std::vector<std::filesystem::path> files;
  for (const auto &entry : std::filesystem::directory_iterator("/usr/share/common-licenses"))
    if (entry.is_regular_file() && !entry.is_symlink())
      files.push_back(entry.path());
  std::sort(files.begin(), files.end());
  std::vector<unsigned char> all;
  for (const auto &f : files) {
    const auto bytes = ReadWholeFile(f);
    all.insert(all.end(), bytes.begin(), bytes.end());
  }
  return all;
}

// xorshift32: the same numbers on every machine and library.
class TestRandom {
public:
  explicit TestRandom(uint32_t seed) : state_(seed ? seed : 1) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  uint32_t below(uint32_t n) { return next() % n; }

private:
  uint32_t state_;
};

// A folder of its own for each test, removed afterwards.
class TempFolderTest : public ::testing::Test {
protected:
  void SetUp() override {
    std::string pattern = (std::filesystem::temp_directory_path() / "blkpack-test-XXXXXX").string();
    ASSERT_NE(mkdtemp(pattern.data()), nullptr);
    folder_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(folder_); }
  std::filesystem::path path(const std::string &name) const { return folder_ / name; }

private:
  std::filesystem::path folder_;
};
