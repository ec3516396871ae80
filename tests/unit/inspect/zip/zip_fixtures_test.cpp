// The real archives of tests/fixtures/zip, made by other people's tools: every method, CRC checked.
#include <gtest/gtest.h>

#include "inspect/zip/zip_archive.h"
#include "inspect/zip/zip_crc32.h"
#include "tests/unit/inspect/zip/zip_test_util.h"

namespace mobrelle::zip::test {
namespace {

struct FixtureCase {
  const char* file;
  size_t members;
  uint16_t method;  // of the first member
};

class EveryMemberExtracts : public ::testing::TestWithParam<FixtureCase> {};

TEST_P(EveryMemberExtracts, WithItsSizeAndCrc) {
  const FixtureCase& c = GetParam();
  const std::string data = Fixture(c.file);
  for (bool fromFile : {false, true}) {
    SCOPED_TRACE(fromFile ? "from the file" : "from memory");
    auto zip = fromFile ? TZipArchive::FromFile(FixturePath(c.file)) : TZipArchive::FromBuffer(data, c.file);
    std::vector<Failure> failures;
    Record(*zip, failures);
    zip->Load();
    ASSERT_EQ(zip->Count(), c.members);
    EXPECT_EQ(zip->Item(0).CompressionMethod, c.method);
    for (const TZipItem& item : zip->Items()) {
      TZipMemoryStream buffer;
      EXPECT_TRUE(zip->ExtractToStream(item, buffer)) << item.FileName;
      EXPECT_EQ(buffer.Size(), item.UncompressedSize) << item.FileName;
      EXPECT_EQ(ZipCrc32(buffer.View()), item.CRC32) << item.FileName;
    }
    EXPECT_EQ(failures, std::vector<Failure>{});
  }
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, EveryMemberExtracts,
    ::testing::Values(FixtureCase{"7z-Copy.zip", 2, 0}, FixtureCase{"7z-Deflate.zip", 2, 8},
                      FixtureCase{"7z-Deflate64.zip", 2, 9}, FixtureCase{"COMPRESS-380/COMPRESS-380.zip", 1, 9},
                      FixtureCase{"COMPRESS-380/COMPRESS-380-dd.zip", 5, 9},
                      FixtureCase{"COMPRESS-380/COMPRESS-380-readbeyondmemory.zip", 1, 9},
                      FixtureCase{"SHRUNK.ZIP", 2, 1}, FixtureCase{"imploding-4Kdict-2trees.zip", 1, 6},
                      FixtureCase{"imploding-8Kdict-3trees.zip", 1, 6}, FixtureCase{"moby-imploded.zip", 135, 6},
                      FixtureCase{"archive_with_trailer.zip", 2, 8}, FixtureCase{"bla-stored-dd.zip", 2, 0},
                      FixtureCase{"iz-comment.zip", 1, 8}, FixtureCase{"iz-trailing.zip", 1, 8},
                      FixtureCase{"iz-prefixed.zip", 1, 8}, FixtureCase{"iz-stream-dd.zip", 1, 8},
                      FixtureCase{"iz-nested.zip", 2, 0}),
    [](const ::testing::TestParamInfo<FixtureCase>& info) {
      std::string name = info.param.file;
      for (char& ch : name)
        if (!isalnum(static_cast<unsigned char>(ch))) ch = '_';
      return name;
    });

TEST(ZipFixtures, NumbersComeOutAsSeqWroteThemWithEveryMethod) {
  for (const char* file : {"7z-Copy.zip", "7z-Deflate.zip", "7z-Deflate64.zip", "iz-stream-dd.zip", "iz-nested.zip"}) {
    auto zip = TZipArchive::FromOwnedBuffer(Fixture(file), file);
    zip->Load();
    std::string numbers;
    const std::string name = std::string(file) == "iz-stream-dd.zip" ? "-" : "numbers.txt";
    EXPECT_TRUE(zip->ExtractToString(name, numbers)) << file;
    EXPECT_TRUE(numbers == Numbers()) << file;
  }
}

TEST(ZipFixtures, TheShrunkMemberOfMobyAndTheImplodedOnesAgree) {
  auto zip = TZipArchive::FromOwnedBuffer(Fixture("moby-imploded.zip"), "moby");
  zip->Load();
  const TZipItem* shrunk = zip->Find("moby.122");
  ASSERT_NE(shrunk, nullptr);
  EXPECT_EQ(shrunk->CompressionMethod, 1);
  std::string text;
  EXPECT_TRUE(zip->ExtractToString("moby.122", text));
  EXPECT_EQ(text.size(), shrunk->UncompressedSize);
  EXPECT_EQ(zip->Item(0).ImplodeDictionarySize(), 8192u);
  EXPECT_EQ(zip->Item(0).ImplodeTreeCount(), 3u);
  auto small = TZipArchive::FromOwnedBuffer(Fixture("imploding-4Kdict-2trees.zip"), "i");
  small->Load();
  EXPECT_EQ(small->Item(0).ImplodeDictionarySize(), 4096u);
  EXPECT_EQ(small->Item(0).ImplodeTreeCount(), 2u);
}

TEST(ZipFixtures, ANestedArchiveOpensFromTheBufferItWasExtractedTo) {
  auto outer = TZipArchive::FromOwnedBuffer(Fixture("iz-nested.zip"), "iz-nested.zip");
  std::vector<Failure> failures;
  Record(*outer, failures);
  outer->Load();
  TZipMemoryStream inner;
  ASSERT_TRUE(outer->ExtractToStream(*outer->Find("iz-inner.zip"), inner));
  auto zip = TZipArchive::FromBuffer(inner.View(), "iz-inner.zip");
  zip->Load();
  ASSERT_EQ(zip->Count(), 1u);
  EXPECT_EQ(zip->Item(0).FileName, "msg.txt");
  EXPECT_EQ(zip->Item(0).UncompressedSize, 5227u);
}

TEST(ZipFixtures, CommentsPrefixesAndTrailers) {
  auto commented = TZipArchive::FromOwnedBuffer(Fixture("iz-comment.zip"), "c");
  commented->Load();
  EXPECT_EQ(commented->Comment(), "Archive comment from Info-ZIP");
  auto trailing = TZipArchive::FromOwnedBuffer(Fixture("iz-trailing.zip"), "t");
  trailing->Load();
  EXPECT_EQ(trailing->Comment(), "Archive comment from Info-ZIP");
  // 35664 bytes of a program in front, offsets not adjusted: found through the directory's place.
  auto prefixed = TZipArchive::FromOwnedBuffer(Fixture("iz-prefixed.zip"), "p");
  prefixed->Load();
  EXPECT_EQ(prefixed->OffsetShift(), 35664);
  EXPECT_EQ(prefixed->Item(0).RelativeOffset, 0u);
  // A directory offset short by a data descriptor, member offsets right (Commons Compress's
  // bla-stored-dd.zip): the local headers are found at their stored offsets.
  auto dd = TZipArchive::FromOwnedBuffer(Fixture("bla-stored-dd.zip"), "dd");
  dd->Load();
  EXPECT_EQ(dd->Item(0).FileName, "test1.xml");
}

TEST(ZipFixtures, EncryptedMembersFailWithInvalidPasswordAndTheOthersStillExtract) {
  auto zip = TZipArchive::FromOwnedBuffer(Fixture("password-encrypted.zip"), "p");
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  ASSERT_EQ(zip->Count(), 13u);
  EXPECT_TRUE(zip->Item(0).IsEncrypted());
  EXPECT_EQ(zip->Item(0).UncompressedSize, 12933u);  // listed with its size
  ExtractAll(*zip);
  EXPECT_EQ(failures.size(), 10u);
  for (const Failure& f : failures) EXPECT_EQ(f, (Failure{f.member, TZipErrorClass::ecZipReader, kZipInvalidPassword}));
  EXPECT_EQ(ZipErrorText(failures[0].code), "Cannot extract file - invalid password");

  auto crypto = TZipArchive::FromOwnedBuffer(Fixture("7z-zipcrypto.zip"), "z");
  std::vector<Failure> more;
  Record(*crypto, more);
  crypto->Load();
  ExtractAll(*crypto);
  EXPECT_EQ(more, (std::vector<Failure>{{"numbers.txt", TZipErrorClass::ecZipReader, 4}}));
}

TEST(ZipFixtures, Bzip2NeedsVersion46SoTheVersionCheckSpeaksFirst) {
  // The reader checks the version needed (4.6 here) before the method: code 1, not code 2.
  auto zip = TZipArchive::FromOwnedBuffer(Fixture("bzip2-zip.zip"), "b");
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  ExtractAll(*zip);
  EXPECT_EQ(failures, (std::vector<Failure>{{"lots-of-as", TZipErrorClass::ecZipReader, kZipNewerVersion}}));
}

TEST(ZipFixtures, APlainTextFileNamedZipIsNotAnArchive) {
  EXPECT_EQ(LoadError(Fixture("invalid-zip.zip")), kZipNotPkZip);
  auto zip = TZipArchive::FromOwnedBuffer(Fixture("invalid-zip.zip"), "invalid-zip.zip");
  try {
    zip->Load();
    FAIL();
  } catch (const ZipError& e) {
    EXPECT_STREQ(e.what(), "Invalid file - not a PKZip file");
    EXPECT_EQ(e.ErrorClass(), TZipErrorClass::ecZipReader);
  }
}

TEST(ZipFixtures, TruncatedAndDamagedCopiesNeverCrash) {
  for (const char* file : {"7z-Deflate.zip", "7z-Deflate64.zip", "SHRUNK.ZIP", "imploding-8Kdict-3trees.zip",
                           "imploding-4Kdict-2trees.zip", "COMPRESS-380/COMPRESS-380-dd.zip", "iz-nested.zip"}) {
    const std::string data = Fixture(file);
    std::vector<std::string> variants;
    for (size_t cut = 0; cut < data.size(); cut += std::max<size_t>(1, data.size() / 97))
      variants.push_back(data.substr(0, cut));
    for (size_t at = 0; at < data.size(); at += std::max<size_t>(1, data.size() / 61)) {
      std::string damaged = data;
      damaged[at] = static_cast<char>(damaged[at] ^ 0x5A);
      variants.push_back(damaged);
    }
    for (const std::string& v : variants) {
      auto zip = TZipArchive::FromBuffer(v, file);
      std::vector<Failure> failures;
      Record(*zip, failures);
      try {
        zip->Load();
      } catch (const ZipError& e) {
        EXPECT_TRUE(e.Code() == kZipNotPkZip || e.Code() == kZipFileNotFound) << e.Code();
        continue;
      }
      for (const TZipItem& item : zip->Items()) {
        TZipMemoryStream buffer;
        zip->ExtractToStream(item, buffer);
        EXPECT_LE(buffer.Size(), item.UncompressedSize);
      }
    }
  }
}

}  // namespace
}  // namespace mobrelle::zip::test
