// The decoders one by one: our inflater against zlib, Deflate64 with long matches and far
// distances (also checked by Info-ZIP's unzip), reduce from hand-made streams, early ends.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdio>
#include <random>

#include "inspect/zip/zip_archive.h"
#include "inspect/zip/zip_codec.h"
#include "inspect/zip/zip_source.h"
#include "tests/unit/inspect/zip/zip_builder.h"
#include "tests/unit/inspect/zip/zip_test_util.h"

namespace mobrelle::zip::test {
namespace {

// Text with long and short repeats, and some noise.
std::string Corpus(size_t size, unsigned seed) {
  std::mt19937 rng(seed);
  static const char* words[] = {"mail", "filtre", "Mobrelle", "message", "serveur",  "POP3",   "\xE9t\xE9",
                                "spam", "reject", "UIDL",     "header",  "boundary", "base64", "zip"};
  std::string s;
  while (s.size() < size) {
    const unsigned r = rng() % 100;
    if (r < 70) {
      s += words[rng() % 14];
      s += ' ';
    } else if (r < 85 && s.size() > 100) {
      const size_t from = rng() % (s.size() - 50);
      s += s.substr(from, 3 + rng() % 47);
    } else {
      s += static_cast<char>(rng() & 0xFF);
    }
  }
  s.resize(size);
  return s;
}

std::string DecodeOwn(const std::string& compressed, size_t size, bool deflate64, bool toMemory = true) {
  auto src = detail::MemorySource(compressed);
  detail::ChunkInput input(*src, 0, compressed.size(), 16384);
  TZipMemoryStream sink;
  if (!toMemory) {
    // A stream without in-place room: the window slides and flushes.
    struct Plain : TZipStream {
      std::string bytes;
      void Write(const uint8_t* d, size_t n) override { bytes.append(reinterpret_cast<const char*>(d), n); }
    } plain;
    detail::MemberOutput out(plain, size);
    detail::InflateOwn(input, out, deflate64);
    return plain.bytes;
  }
  detail::MemberOutput out(sink, size);
  detail::InflateOwn(input, out, deflate64);
  return sink.ToString();
}

TEST(ZipInflate, OurInflaterAgreesWithZlibOnEveryLevel) {
  for (int level : {0, 1, 6, 9}) {
    for (size_t size : {0u, 1u, 100u, 70000u, 1200000u}) {
      const std::string data = Corpus(size, static_cast<unsigned>(size + level));
      const std::string compressed = RawDeflate(data, level);
      EXPECT_TRUE(DecodeOwn(compressed, data.size(), false) == data) << level << " " << size;
      EXPECT_TRUE(DecodeOwn(compressed, data.size(), false, false) == data) << level << " " << size;
    }
  }
}

TEST(ZipInflate, FixedHuffmanStreamsOfOurEncoderReadBackInBothFlavours) {
  const std::string data = Corpus(300000, 7);
  EXPECT_TRUE(DecodeOwn(FixedHuffmanDeflate(data, false), data.size(), false) == data);
  EXPECT_TRUE(DecodeOwn(FixedHuffmanDeflate(data, true), data.size(), true) == data);
}

TEST(ZipInflate, Deflate64LongMatchesAndFarDistances) {
  // 40000 random bytes, then the same again (distance 40000: codes 30), a run of 70000 zeros
  // (length code 285 with 16 extra bits), and a copy from 60000 back (code 31).
  std::mt19937 rng(42);
  std::string block(40000, '\0');
  for (char& c : block) c = static_cast<char>(rng());
  std::string data = block + block + std::string(70000, '\0');
  data += data.substr(data.size() - 60000 - 5000, 5000);
  for (int i = 0; i < 3; ++i) data += Corpus(100000, 100 + i);
  const std::string compressed = FixedHuffmanDeflate(data, true);
  EXPECT_TRUE(DecodeOwn(compressed, data.size(), true) == data);
  EXPECT_TRUE(DecodeOwn(compressed, data.size(), true, false) == data);
  // The same stream read as plain deflate is wrong (code 285 means 258 there): never a crash.
  try {
    (void)DecodeOwn(compressed, data.size(), false);
  } catch (const ZipError& e) {
    EXPECT_EQ(e.ErrorClass(), TZipErrorClass::ecOther);
  }
  // As a member of an archive, and into a file.
  MemberSpec m;
  m.name = "d64.bin";
  m.data = data;
  m.method = 9;
  m.versionNeeded = 21;
  m.compressed = compressed;
  const std::string archive = BuildZip({m});
  auto zip = TZipArchive::FromBuffer(archive, "d64.zip");
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  std::string out;
  EXPECT_TRUE(zip->ExtractToString("d64.bin", out));
  EXPECT_TRUE(out == data);
  mobrelle::test::TempDir dir;
  zip->BaseDirectory = dir.Path();
  EXPECT_EQ(zip->ExtractFiles("*.*"), 1u);
  EXPECT_TRUE(mobrelle::test::ReadFileBytes(dir.File("d64.bin")) == data);
  EXPECT_TRUE(failures.empty());

  // Info-ZIP's unzip reads the same member to the same bytes: the encoder is not only ours.
  mobrelle::test::WriteFileBytes(dir.File("d64.zip"), archive);
  const std::string command = "unzip -p '" + dir.File("d64.zip") + "' > '" + dir.File("unzip.out") + "' 2>/dev/null";
  const int rc = std::system(command.c_str());
  ASSERT_TRUE(WIFEXITED(rc) && WEXITSTATUS(rc) == 0) << "unzip is needed (scripts/install-deps.sh installs it)";
  EXPECT_TRUE(mobrelle::test::ReadFileBytes(dir.File("unzip.out")) == data);
}

TEST(ZipInflate, StoredBlocksAcrossTheWindowAndTheCap) {
  const std::string data = Corpus(700000, 3);
  const std::string compressed = RawDeflate(data, 0);
  EXPECT_TRUE(DecodeOwn(compressed, data.size(), false) == data);
  EXPECT_TRUE(DecodeOwn(compressed, data.size(), false, false) == data);
  EXPECT_TRUE(DecodeOwn(compressed, 123457, false, false) == data.substr(0, 123457));
  EXPECT_TRUE(DecodeOwn(compressed, 123457, true) == data.substr(0, 123457));
}

TEST(ZipInflate, TheFastAndTheStreamingPathGiveTheSameBytes) {
  const std::string data = Corpus(2000000, 11);
  MemberSpec m;
  m.name = "big.txt";
  m.data = data;
  m.method = 8;
  const std::string archive = BuildZip({m});
  mobrelle::test::TempDir dir;
  mobrelle::test::WriteFileBytes(dir.File("big.zip"), archive);
  for (bool fromFile : {false, true}) {
    auto zip = fromFile ? TZipArchive::FromFile(dir.File("big.zip")) : TZipArchive::FromBuffer(archive, "big.zip");
    zip->Load();
    std::string out;
    EXPECT_TRUE(zip->ExtractToString("big.txt", out));
    EXPECT_TRUE(out == data);
    // A member bigger than MaxMemberSize is refused, so the streaming path serves the file reader
    // only when the compressed data would not fit; force it by a small bound and a big buffer.
    TZipMemoryStream middle;
    const uint8_t x[] = {'x', 'y'};
    middle.Write(x, 2);
    middle.Seek(1);  // not appending: no room in place, so zlib streams
    zip->OnExtractToStream = UnzipToStream;
    EXPECT_TRUE(zip->ExtractToStream(zip->Item(0), middle));
    EXPECT_TRUE(middle.View().substr(1) == data);
  }
}

// ---- Reduce (methods 2 to 5), which no tool at hand writes ----

std::string Unreduce(const std::string& compressed, size_t size, int factor) {
  auto src = detail::MemorySource(compressed);
  detail::ChunkInput input(*src, 0, compressed.size(), 4096);
  TZipMemoryStream sink;
  detail::MemberOutput out(sink, size);
  detail::Unreduce(input, out, factor);
  return sink.ToString();
}

TEST(ZipReduce, AHandMadeStreamWithEmptyFollowerSets) {
  // 256 empty follower sets (6 zero bits each, 192 bytes), then 8-bit literals: "abc", DLE V W with
  // V = 3 (length 3 + 3) and W = 2 (distance 3), then DLE 0 (a literal DLE).
  const std::string stream = std::string(192, '\0') + "abc\x90\x03\x02\x90" + std::string(1, '\0');
  EXPECT_EQ(Unreduce(stream, 10, 1), "abcabcabc\x90");
  // With factor 4 the same V holds length bits 0-3 only: 3 & 15 = 3, high bits 0.
  EXPECT_EQ(Unreduce(stream, 10, 4), "abcabcabc\x90");
  // A V with distance bits (factor 2: V >> 6) reaching before the first byte reads zeros.
  const std::string far = std::string(192, '\0') + "ab\x90\x41\x05";  // length 3 + 1, distance 256 + 5 + 1
  EXPECT_EQ(Unreduce(far, 6, 2), std::string("ab") + std::string(4, '\0'));
}

TEST(ZipReduce, AHandMadeFollowerSet) {
  BitWriter w;
  for (int j = 255; j >= 1; --j) w.Put(0, 6);
  w.Put(1, 6);    // the set of byte 0 holds one follower
  w.Put('a', 8);  // 'a'
  w.Put(0, 1);    // after the implicit first byte 0: use the set...
  w.Put(0, 1);    // ...index 0 on B(1) = 1 bit: 'a'
  w.Put('b', 8);  // the set of 'a' is empty: an 8-bit literal
  EXPECT_EQ(Unreduce(w.Finish(), 2, 1), "ab");
}

TEST(ZipReduce, EveryFactorReadsBackWhatTheEncoderWrote) {
  for (int factor = 1; factor <= 4; ++factor) {
    for (size_t size : {1u, 500u, 20000u, 150000u}) {
      std::string data = Corpus(size, static_cast<unsigned>(factor * 1000 + size));
      if (size > 600) data += std::string(600, 'A') + std::string(300, '\x90');  // long runs and DLEs
      const std::string compressed = Reduce(data, factor);
      EXPECT_TRUE(Unreduce(compressed, data.size(), factor) == data) << factor << " " << size;
      // Through an archive: methods 2 to 5.
      MemberSpec m;
      m.name = "r.txt";
      m.data = data;
      m.method = static_cast<uint16_t>(factor + 1);
      m.versionNeeded = 10;
      m.compressed = compressed;
      auto zip = TZipArchive::FromOwnedBuffer(BuildZip({m}), "r.zip");
      zip->Load();
      std::string out;
      EXPECT_TRUE(zip->ExtractToString("r.txt", out)) << factor;
      EXPECT_TRUE(out == data);
    }
  }
}

// ---- Early ends of the old methods: code 29 ----

TEST(ZipLegacy, DataThatEndsBeforeTheMemberIsCompleteIsAReadError) {
  const std::string data = Corpus(20000, 5);
  MemberSpec reduced;
  reduced.name = "reduced";
  reduced.data = data;
  reduced.method = 3;
  reduced.versionNeeded = 10;
  reduced.compressed = Reduce(data, 2).substr(0, 3000);
  std::vector<MemberSpec> members = {reduced};
  // The shrunk and imploded members of real archives, with their compressed size cut in half.
  for (const char* file : {"SHRUNK.ZIP", "imploding-8Kdict-3trees.zip", "imploding-4Kdict-2trees.zip"}) {
    auto real = TZipArchive::FromOwnedBuffer(Fixture(file), file);
    real->Load();
    const TZipItem& item = real->Item(0);
    const std::string bytes = Fixture(file);
    const size_t start = item.RelativeOffset + 30 + item.RawFileName.size() +
                         (static_cast<uint8_t>(bytes[item.RelativeOffset + 28]) |
                          (static_cast<uint8_t>(bytes[item.RelativeOffset + 29]) << 8));
    std::string plain;
    real->ExtractToString(item.FileName, plain);
    MemberSpec m;
    m.name = file;
    m.data = plain;
    m.method = item.CompressionMethod;
    m.flags = item.GeneralPurposeBitFlag;
    m.versionNeeded = 10;
    m.compressed = bytes.substr(start, item.CompressedSize / 2);
    members.push_back(m);
  }
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip(members), "cut.zip");
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  const std::vector<std::string> out = ExtractAll(*zip);
  ASSERT_EQ(failures.size(), 4u);
  for (const Failure& f : failures) EXPECT_EQ(f.code, kZipReadError) << f;
  EXPECT_GT(out[0].size(), 0u);  // what was decoded before the end stays
  EXPECT_EQ(ZipErrorText(29), "Error reading archive");
}

}  // namespace
}  // namespace mobrelle::zip::test
