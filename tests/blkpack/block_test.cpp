// The block coder: the packed bytes of telling inputs, equality with the step-by-step
// encoder on real and generated data, and damaged packed blocks.

#include "blkpack.h"
#include "blkpack_test_support.h"
#include "reference_pack.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using Bytes = std::vector<unsigned char>;

struct PackResult {
  int result;
  Bytes bytes;  // the first |result| bytes of the output
};

PackResult Pack(const unsigned char *in, size_t size) {
  Bytes out(size + 1, 0xAA);
  const int result = compress_buffer(in, out.data(), static_cast<int16_t>(size));
  EXPECT_EQ(out.back(), 0xAA) << "wrote past the input length";
  out.resize(static_cast<size_t>(std::abs(result)));
  return {result, out};
}

PackResult Pack(const Bytes &in) { return Pack(in.data(), in.size()); }

// Unpacks into a buffer that holds the expected block and guard bytes after it: a block
// buffer only has to hold the decoded block, so nothing may be written past it.
Bytes Unpack(const Bytes &packed, size_t expectedSize) {
  const size_t guard = 32;
  Bytes out(expectedSize + guard, 0x5A);
  const int32_t n = decompress_buffer(packed.data(), out.data(), static_cast<int16_t>(packed.size()));
  EXPECT_EQ(Bytes(out.end() - guard, out.end()), Bytes(guard, 0x5A)) << "wrote past the decoded block";
  EXPECT_GE(n, 0);
  out.resize(static_cast<size_t>(std::clamp<int32_t>(n, 0, static_cast<int32_t>(expectedSize))));
  return out;
}

Bytes Text(const std::string &s) { return Bytes(s.begin(), s.end()); }

Bytes Repeat(const std::string &unit, size_t length) {
  Bytes b;
  while (b.size() < length)
    b.push_back(static_cast<unsigned char>(unit[b.size() % unit.size()]));
  return b;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const auto &p : parts)
    all.insert(all.end(), p.begin(), p.end());
  return all;
}

Bytes CopyToken(unsigned distance, unsigned length) {
  const unsigned w = (distance << 4) | (length - 4);
  return {0xFD, static_cast<unsigned char>(w & 0xFF), static_cast<unsigned char>(w >> 8)};
}

Bytes RunToken(unsigned char value, unsigned count) { return {0xFC, value, static_cast<unsigned char>(count)}; }

// Bytes 0..200 in a fixed pseudo-random order: no runs, no reserved bytes, and no
// repeat of four bytes that the coder could find by chance.
Bytes Noise(size_t length, uint32_t seed) {
  TestRandom random(seed);
  Bytes b(length);
  for (auto &c : b)
    c = static_cast<unsigned char>(random.below(201));
  return b;
}

Bytes Slice(const Bytes &b, size_t from, size_t length) {
  return Bytes(b.begin() + static_cast<long>(from), b.begin() + static_cast<long>(from + length));
}

struct PackCase {
  const char *what;
  Bytes input;
  int result;      // what compress_buffer returns
  Bytes expected;  // the packed bytes (for a stored block: the input)
};

std::vector<PackCase> PackCases() {
  std::vector<PackCase> cases;
  {
    Bytes expected;
    for (int i = 0; i < 117; ++i)
      expected = Concat({expected, RunToken('A', 255)});
    expected = Concat({expected, RunToken('A', 165)});
    cases.push_back({"30000 equal bytes: 117 runs of 255 and one of 165", Bytes(30000, 'A'), 354, expected});
  }
  cases.push_back({"only byte 254 triples and is stored", Bytes(1000, 254), -1000, Bytes(1000, 254)});
  cases.push_back({"period 3 stays literal and positive", Repeat("abc", 3000), 3000, Repeat("abc", 3000)});
  cases.push_back({"period 4 is never a copy", Repeat("wxyz", 2000), 2000, Repeat("wxyz", 2000)});
  {
    // The repeat begins at position 20 but position 0 never enters the table, so the
    // copy starts one byte later and reaches from 21 to the end.
    const Bytes s = Noise(20, 1);
    cases.push_back({"the first position is never the source or start of a copy", Concat({s, s}), 24,
                     Concat({s, Slice(s, 0, 1), CopyToken(20, 19)})});
  }
  {
    // Period 5: position 5 finds nothing (position 0 is not in the table), then every
    // copy is five long until the last eight positions, which stay literal.
    const Bytes in = Repeat("abcde", 50);
    Bytes expected = Text("abcdea");
    for (int i = 0; i < 8; ++i)
      expected = Concat({expected, CopyToken(5, 5)});
    expected = Concat({expected, Text("bcde")});
    cases.push_back({"distance 5 is coded, never longer than the distance", in, 34, expected});
  }
  {
    const Bytes t = Noise(30, 2);
    cases.push_back({"a repeat nine from the end is coded up to the end", Concat({t, Slice(t, 1, 9)}), 33,
                     Concat({t, CopyToken(29, 9)})});
    cases.push_back({"a repeat in the last eight positions stays literal", Concat({t, Slice(t, 1, 8)}), 38,
                     Concat({t, Slice(t, 1, 8)})});
  }
  {
    const Bytes r = Noise(4095 + 40, 3);
    // Bytes 1..20 come back 4095 later, or 4096 later.
    const Bytes near = Concat({Slice(r, 0, 4096), Slice(r, 1, 20)});
    cases.push_back({"distance 4095 is coded", near, 4096 + 1 + 3,
                     Concat({Slice(r, 0, 4096), CopyToken(4095, 19), Slice(r, 20, 1)})});
    const Bytes far = Concat({Slice(r, 0, 4097), Slice(r, 1, 20)});
    cases.push_back({"distance 4096 is never coded", far, 4117, far});
  }
  cases.push_back({"a run of 3 is literal", Text("qAAAq"), 5, Text("qAAAq")});
  cases.push_back({"a run of 4 is a run token", Text("qAAAAq"), 5, Concat({Text("q"), RunToken('A', 4), Text("q")})});
  // The run of x makes room for the escapes, which take three bytes each.
  cases.push_back({"reserved bytes are escaped one by one, never as a run",
                   Concat({Bytes(100, 'x'), Text("hello "), Bytes(5, 252), Text(" 253"), Bytes{253, 254},
                           Text("world")}),
                   39,
                   Concat({RunToken('x', 100), Text("hello "), RunToken(252, 1), RunToken(252, 1), RunToken(252, 1), RunToken(252, 1),
                           RunToken(252, 1), Text(" 253"), RunToken(253, 1), RunToken(254, 1), Text("world")})});
  cases.push_back({"255 is an ordinary literal", Bytes{255, 1, 255}, 3, Bytes{255, 1, 255}});
  cases.push_back({"one byte is one literal", Text("Z"), 1, Text("Z")});
  cases.push_back({"a reserved byte without room for its token is stored", Bytes{'A', 'B', 252, 'C'}, -4,
                   Bytes{'A', 'B', 252, 'C'}});
  cases.push_back({"a run token fits exactly in four bytes", Text("AAAA"), 3, RunToken('A', 4)});
  cases.push_back({"a reserved byte without room after a run is stored", Concat({Bytes(4, 'A'), Bytes{252}}), -5,
                   Concat({Bytes(4, 'A'), Bytes{252}})});
  return cases;
}

TEST(BlockPack, PacksEachCaseToItsExactBytesAndBack) {
  for (const auto &c : PackCases()) {
    SCOPED_TRACE(c.what);
    const PackResult packed = Pack(c.input);
    EXPECT_EQ(packed.result, c.result);
    EXPECT_EQ(packed.bytes, c.expected);
    Bytes reference(c.input.size());
    EXPECT_EQ(reference_pack(c.input.data(), reference.data(), static_cast<int>(c.input.size())), c.result);
    if (packed.result > 0) {
      EXPECT_EQ(Unpack(packed.bytes, c.input.size()), c.input);
    }
  }
}

TEST(BlockPack, EmptyOrNegativeLengthGivesZero) {
  unsigned char in[4] = {1, 2, 3, 4}, out[4] = {9, 9, 9, 9};
  EXPECT_EQ(compress_buffer(in, out, 0), 0);
  EXPECT_EQ(compress_buffer(in, out, -3), 0);
  EXPECT_EQ(out[0], 9);
}

// Every block of real files and of generated data, at sizes from 1 to the largest
// block: the library's bytes are the step-by-step encoder's, and they unpack to the
// block.
TEST(BlockPack, MatchesTheStepByStepEncoderOnRealAndGeneratedData) {
  std::vector<std::pair<std::string, Bytes>> sources = {
      {"this program", ReadWholeFile("/proc/self/exe")},
      {"licence texts", LicenceTexts()},
  };
  // Small alphabets centred on the reserved bytes, with runs now and then: every room
  // check and the fall-back to a stored block get their turn.
  TestRandom random(7);
  for (uint32_t alphabet : {2u, 5u, 17u, 256u}) {
    Bytes b(200000);
    for (size_t i = 0; i < b.size(); ++i)
      b[i] = (i > 0 && random.below(40) == 0) ? b[i - 1]
                                               : static_cast<unsigned char>(252 - alphabet / 2 + random.below(alphabet));
    sources.push_back({"alphabet of " + std::to_string(alphabet) + " around the reserved bytes", b});
  }
  const size_t sizes[] = {1, 2, 3, 4, 8, 9, 10, 17, 100, 1000, 4096, 4100, 30000, 32767};
  int blocks = 0;
  for (const auto &[name, data] : sources) {
    ASSERT_GT(data.size(), 100000u) << name;
    size_t at = 0;
    for (int round = 0; at < data.size(); ++round) {
      const size_t size = std::min(sizes[round % std::size(sizes)], data.size() - at);
      const Bytes block = Slice(data, at, size);
      at += size;
      SCOPED_TRACE(name + " at " + std::to_string(at) + ", " + std::to_string(size) + " bytes");
      Bytes expected(size);
      const int expectedResult = reference_pack(block.data(), expected.data(), static_cast<int>(size));
      expected.resize(static_cast<size_t>(std::abs(expectedResult)));
      // Packed in place: the bytes after the block are its real continuation, so a
      // coder that looked past the block's end would make different bytes.
      const PackResult packed = Pack(data.data() + at - size, size);
      ASSERT_EQ(packed.result, expectedResult);
      ASSERT_EQ(packed.bytes, expected);
      if (packed.result > 0) {
        ASSERT_EQ(Unpack(packed.bytes, block.size()), block);
      }
      ++blocks;
    }
  }
  EXPECT_GT(blocks, 100);
}

TEST(BlockPack, IsDeterministic) {
  const Bytes text = LicenceTexts();
  const Bytes block = Slice(text, 0, 30000);
  EXPECT_EQ(Pack(block).bytes, Pack(block).bytes);
}

struct DamageCase {
  const char *what;
  Bytes packed;
};

TEST(BlockUnpack, RejectsDamagedBlocksWithoutWritingPastTheBlock) {
  Bytes tooLong;
  for (int i = 0; i < 129; ++i)  // 32895 bytes
    tooLong = Concat({tooLong, RunToken('x', 255)});
  Bytes literalsPastEnd;
  for (int i = 0; i < 128; ++i)  // 32640 bytes, then 200 literals
    literalsPastEnd = Concat({literalsPastEnd, RunToken('x', 255)});
  literalsPastEnd = Concat({literalsPastEnd, Noise(200, 4)});
  Bytes copyPastEnd;
  for (int i = 0; i < 128; ++i)
    copyPastEnd = Concat({copyPastEnd, RunToken('x', 255)});
  copyPastEnd = Concat({copyPastEnd, Bytes(120, 'y'), CopyToken(100, 19)});  // 32779 bytes

  const std::vector<DamageCase> cases = {
      {"a copy at the start of the block", CopyToken(1, 4)},
      {"a copy reaching before the start", Concat({Text("abcdefgh"), CopyToken(9, 4)})},
      {"a copy from distance 0", Concat({Text("abcdefgh"), CopyToken(0, 4)})},
      {"a run token cut short", Concat({Text("abcdefghijk"), Bytes{0xFC, 'a'}})},
      {"a copy token cut short", Concat({Text("abcdefghijk"), Bytes{0xFD, 0x50}})},
      {"a lone copy token byte", Bytes{0xFD}},
      {"runs past the largest block", tooLong},
      {"literals past the largest block", literalsPastEnd},
      {"a copy past the largest block", copyPastEnd},
  };
  for (const auto &c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_LE(c.packed.size(), 32767u);
    Bytes out(BLKPACK_MAX_BLOCK + 64, 0x5A);
    EXPECT_EQ(decompress_buffer(c.packed.data(), out.data(), static_cast<int16_t>(c.packed.size())), -1);
    EXPECT_EQ(Bytes(out.begin() + BLKPACK_MAX_BLOCK, out.end()), Bytes(64, 0x5A));
  }
}

TEST(BlockUnpack, DecodesWhatTheEncoderNeverWritesButIsSound) {
  // A copy longer than its distance repeats its own output; 254, a run of zero and runs
  // shorter than four are read as they stand.
  const Bytes packed = Concat({Text("ab"), CopyToken(2, 6), Bytes{254}, RunToken('z', 0), Text("!"), RunToken('r', 2),
                               Text("-"), RunToken('s', 3), Text("-"), CopyToken(1, 19)});
  const Bytes expected = Concat({Text("abababab"), Bytes{254}, Text("!rr-sss-"), Bytes(19, '-')});
  EXPECT_EQ(Unpack(packed, expected.size()), expected);
}

TEST(BlockUnpack, FillsTheLargestBlockExactly) {
  Bytes packed;
  for (int i = 0; i < 128; ++i)
    packed = Concat({packed, RunToken('x', 255)});
  packed = Concat({packed, Text("abcdefghijklmn"), CopyToken(10, 13)});  // 32640 + 14 + 13 = 32667
  packed = Concat({packed, RunToken('y', 100)});                         // 32767
  Bytes out(BLKPACK_MAX_BLOCK);
  EXPECT_EQ(decompress_buffer(packed.data(), out.data(), static_cast<int16_t>(packed.size())), 32767);
  EXPECT_EQ(out.back(), 'y');
  EXPECT_EQ(decompress_buffer(packed.data(), out.data(), -1), -1);
}

}  // namespace
