// Throughput of the block packer beside zlib level 1 and LZ4 on the same 30000-byte
// blocks of real text and binary files, with the packed sizes. The packer's bytes are
// checked against the step-by-step encoder on every block, so the figures are those of
// the exact format.
//
//   blkpack_bench [FILE...]   each FILE is a corpus of its own; without any, a few MB of
//                             the system's licence and copyright texts and of its
//                             programs and libraries.

#include "blkpack.h"
#include "reference_pack.h"

#include <lz4.h>
#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using Bytes = std::vector<unsigned char>;

namespace {

constexpr size_t CorpusLimit = 4 << 20;
constexpr int Repeats = 9;

Bytes ReadFile(const fs::path &path) {
  std::ifstream in(path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes Gather(const std::vector<fs::path> &files) {
  Bytes all;
  for (const auto &f : files) {
    if (all.size() >= CorpusLimit)
      break;
    const Bytes b = ReadFile(f);
    all.insert(all.end(), b.begin(), b.begin() + static_cast<long>(std::min(b.size(), CorpusLimit - all.size())));
  }
  return all;
}

Bytes TextCorpus() {
  std::vector<fs::path> files;
  std::error_code ec;
  for (const auto &e : fs::directory_iterator("/usr/share/common-licenses", ec))
    if (e.is_regular_file())
      files.push_back(e.path());
  std::vector<fs::path> copyrights;
  for (const auto &e : fs::directory_iterator("/usr/share/doc", ec))
    if (fs::is_regular_file(e.path() / "copyright"))
      copyrights.push_back(e.path() / "copyright");
  std::sort(files.begin(), files.end());
  std::sort(copyrights.begin(), copyrights.end());
  files.insert(files.end(), copyrights.begin(), copyrights.end());
  return Gather(files);
}

Bytes BinaryCorpus() {
  return Gather({"/usr/bin/bash", "/usr/lib/x86_64-linux-gnu/libc.so.6", "/usr/lib/x86_64-linux-gnu/libstdc++.so.6",
                 "/usr/bin/perl"});
}

struct Block {
  const unsigned char *plain;
  size_t size;
  Bytes packed;  // packed bytes, sized to what the coder wrote
};

struct Coder {
  const char *name;
  size_t bound;  // room for one packed block
  std::function<size_t(const unsigned char *, size_t, unsigned char *)> pack;
  std::function<size_t(const unsigned char *, size_t, unsigned char *, size_t)> unpack;  // returns plain size
};

// The thread's own processor time: a pass that the machine's other work pushes aside
// for a while is not counted slower for it.
double ThreadSeconds() {
  timespec t;
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + t.tv_nsec / 1e9;
}

double Seconds(const std::function<void()> &work) {
  const double start = ThreadSeconds();
  work();
  return ThreadSeconds() - start;
}

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

std::vector<Coder> Coders(z_stream &deflater, z_stream &inflater) {
  std::vector<Coder> coders;
  // A packed block as the file form keeps it: the length word, then the bytes.
  coders.push_back({"blkpack", 2 + BLKPACK_FILE_BLOCK,
                    [](const unsigned char *in, size_t n, unsigned char *out) -> size_t {
                      const int16_t r = compress_buffer(in, out + 2, static_cast<int16_t>(n));
                      out[0] = static_cast<unsigned char>(static_cast<uint16_t>(r) & 0xFF);
                      out[1] = static_cast<unsigned char>(static_cast<uint16_t>(r) >> 8);
                      return 2 + static_cast<size_t>(r < 0 ? -r : r);
                    },
                    [](const unsigned char *in, size_t, unsigned char *out, size_t) -> size_t {
                      const int16_t r = static_cast<int16_t>(in[0] | (in[1] << 8));
                      if (r < 0) {
                        std::copy(in + 2, in + 2 - r, out);
                        return static_cast<size_t>(-r);
                      }
                      return static_cast<size_t>(decompress_buffer(in + 2, out, r));
                    }});
  coders.push_back({"zlib -1", compressBound(BLKPACK_FILE_BLOCK),
                    [&deflater](const unsigned char *in, size_t n, unsigned char *out) -> size_t {
                      deflateReset(&deflater);
                      deflater.next_in = const_cast<unsigned char *>(in);
                      deflater.avail_in = static_cast<uInt>(n);
                      deflater.next_out = out;
                      deflater.avail_out = compressBound(BLKPACK_FILE_BLOCK);
                      if (deflate(&deflater, Z_FINISH) != Z_STREAM_END)
                        std::abort();
                      return deflater.total_out;
                    },
                    [&inflater](const unsigned char *in, size_t n, unsigned char *out, size_t room) -> size_t {
                      inflateReset(&inflater);
                      inflater.next_in = const_cast<unsigned char *>(in);
                      inflater.avail_in = static_cast<uInt>(n);
                      inflater.next_out = out;
                      inflater.avail_out = static_cast<uInt>(room);
                      if (inflate(&inflater, Z_FINISH) != Z_STREAM_END)
                        std::abort();
                      return inflater.total_out;
                    }});
  coders.push_back({"lz4", static_cast<size_t>(LZ4_compressBound(BLKPACK_FILE_BLOCK)),
                    [](const unsigned char *in, size_t n, unsigned char *out) -> size_t {
                      return static_cast<size_t>(LZ4_compress_default(reinterpret_cast<const char *>(in),
                                                                      reinterpret_cast<char *>(out), static_cast<int>(n),
                                                                      LZ4_compressBound(BLKPACK_FILE_BLOCK)));
                    },
                    [](const unsigned char *in, size_t n, unsigned char *out, size_t room) -> size_t {
                      return static_cast<size_t>(LZ4_decompress_safe(reinterpret_cast<const char *>(in),
                                                                     reinterpret_cast<char *>(out), static_cast<int>(n),
                                                                     static_cast<int>(room)));
                    }});
  return coders;
}

// Every packed block of the packer equals the step-by-step encoder's.
bool ExactToTheFormat(const Bytes &corpus) {
  Bytes mine(BLKPACK_FILE_BLOCK), theirs(BLKPACK_FILE_BLOCK);
  for (size_t at = 0; at < corpus.size(); at += BLKPACK_FILE_BLOCK) {
    const size_t n = std::min<size_t>(BLKPACK_FILE_BLOCK, corpus.size() - at);
    const int r = compress_buffer(corpus.data() + at, mine.data(), static_cast<int16_t>(n));
    if (r != reference_pack(corpus.data() + at, theirs.data(), static_cast<int>(n)) ||
        !std::equal(mine.begin(), mine.begin() + std::abs(r), theirs.begin()))
      return false;
  }
  return true;
}

// One coder's work on a corpus: its packed blocks and the time of each pass.
struct Run {
  std::vector<Bytes> packed;
  std::vector<size_t> packedSizes;
  std::vector<double> packSeconds, unpackSeconds;
  bool sound = true;
};

// The coders take turns within each pass, so a machine that speeds up or slows down
// touches them alike; the speed ratios are taken pass by pass.
void Measure(const char *corpusName, const Bytes &corpus, std::vector<Coder> &coders) {
  const size_t blockCount = (corpus.size() + BLKPACK_FILE_BLOCK - 1) / BLKPACK_FILE_BLOCK;
  std::printf("\n%s: %.2f MB in %zu blocks of %d bytes; packer's bytes exact to the format: %s\n", corpusName,
              corpus.size() / 1e6, blockCount, BLKPACK_FILE_BLOCK, ExactToTheFormat(corpus) ? "yes" : "NO");
  auto plain = [&](size_t i) { return corpus.data() + i * BLKPACK_FILE_BLOCK; };
  auto plainSize = [&](size_t i) { return std::min<size_t>(BLKPACK_FILE_BLOCK, corpus.size() - i * BLKPACK_FILE_BLOCK); };

  std::vector<Run> runs(coders.size());
  for (size_t c = 0; c < coders.size(); ++c) {
    runs[c].packed.assign(blockCount, Bytes(coders[c].bound));
    runs[c].packedSizes.assign(blockCount, 0);
  }
  Bytes out(BLKPACK_MAX_BLOCK);
  for (int pass = 0; pass < Repeats; ++pass) {
    for (size_t c = 0; c < coders.size(); ++c) {
      Run &run = runs[c];
      run.packSeconds.push_back(Seconds([&] {
        for (size_t i = 0; i < blockCount; ++i)
          run.packedSizes[i] = coders[c].pack(plain(i), plainSize(i), run.packed[i].data());
      }));
      run.unpackSeconds.push_back(Seconds([&] {
        for (size_t i = 0; i < blockCount; ++i)
          if (coders[c].unpack(run.packed[i].data(), run.packedSizes[i], out.data(), out.size()) != plainSize(i))
            run.sound = false;
      }));
    }
  }
  for (size_t c = 0; c < coders.size(); ++c)
    for (size_t i = 0; i < blockCount; ++i) {
      coders[c].unpack(runs[c].packed[i].data(), runs[c].packedSizes[i], out.data(), out.size());
      runs[c].sound = runs[c].sound && std::equal(out.begin(), out.begin() + static_cast<long>(plainSize(i)), plain(i));
    }

  std::printf("  %-8s %8s %12s %14s %20s %22s\n", "coder", "ratio", "pack MB/s", "unpack MB/s",
              "blkpack pack speed /", "blkpack unpack speed /");
  for (size_t c = 0; c < coders.size(); ++c) {
    size_t packedTotal = 0;
    for (size_t s : runs[c].packedSizes)
      packedTotal += s;
    std::vector<double> packRatio, unpackRatio;
    for (int pass = 0; pass < Repeats; ++pass) {
      packRatio.push_back(runs[c].packSeconds[pass] / runs[0].packSeconds[pass]);
      unpackRatio.push_back(runs[c].unpackSeconds[pass] / runs[0].unpackSeconds[pass]);
    }
    std::printf("  %-8s %7.1f%% %12.0f %14.0f %20.2f %22.2f%s\n", coders[c].name, 100.0 * packedTotal / corpus.size(),
                corpus.size() / Median(runs[c].packSeconds) / 1e6, corpus.size() / Median(runs[c].unpackSeconds) / 1e6,
                Median(packRatio), Median(unpackRatio), runs[c].sound ? "" : "  ROUND TRIP FAILED");
  }
}

}  // namespace

int main(int argc, char **argv) {
  z_stream deflater{}, inflater{};
  if (deflateInit(&deflater, 1) != Z_OK || inflateInit(&inflater) != Z_OK)
    return 1;
  std::vector<Coder> coders = Coders(deflater, inflater);
  std::printf("ratio: packed size / plain size; speeds in MB of plain bytes per second of processor time and\n"
              "speed ratios of blkpack to each coder: medians of %d passes\n", Repeats);
  if (argc > 1) {
    for (int i = 1; i < argc; ++i)
      Measure(argv[i], ReadFile(argv[i]), coders);
  } else {
    Measure("text (licence and copyright texts)", TextCorpus(), coders);
    Measure("binary (programs and libraries)", BinaryCorpus(), coders);
  }
  deflateEnd(&deflater);
  inflateEnd(&inflater);
  return 0;
}
