// Opening (Load): the backward scan for the end record, the directory walk and their errors.
#include <gtest/gtest.h>

#include "inspect/zip/zip_archive.h"
#include "tests/unit/inspect/zip/zip_builder.h"
#include "tests/unit/inspect/zip/zip_test_util.h"

namespace mobrelle::zip::test {
namespace {

MemberSpec Text(const std::string& name, const std::string& data, uint16_t method = 8) {
  MemberSpec m;
  m.name = name;
  m.data = data;
  m.method = method;
  return m;
}

TEST(ZipLoad, AnEmptyBufferIsAnArchiveWithNoMembers) {
  auto zip = TZipArchive::FromBuffer(std::string_view(), "empty.zip");
  zip->Load();
  EXPECT_EQ(zip->Count(), 0u);
  EXPECT_EQ(zip->Status(), TZipArchiveStatus::asIdle);
}

TEST(ZipLoad, TheLoadErrorsAndTheirTexts) {
  EXPECT_EQ(LoadError("Just some text that happens to be named .zip"), kZipNotPkZip);
  EXPECT_EQ(LoadError("x"), kZipNotPkZip);
  // Begins with "PK" but was cut before its end record: "File not found".
  const std::string whole = BuildZip({Text("a.txt", std::string(3000, 'a'))});
  EXPECT_EQ(LoadError(whole.substr(0, whole.size() - 30)), kZipFileNotFound);
  EXPECT_EQ(LoadError("PK"), kZipFileNotFound);
  // The markers of a set split over several volumes: the end record counts as not found.
  EXPECT_EQ(LoadError("PK\x07\x08" + whole), kZipFileNotFound);
  EXPECT_EQ(LoadError(std::string("PK00") + whole), kZipFileNotFound);
  EXPECT_EQ(ZipErrorText(kZipFileNotFound), "File not found");
  EXPECT_EQ(ZipErrorText(kZipNotPkZip), "Invalid file - not a PKZip file");
  EXPECT_EQ(ZipErrorText(0), "");
  EXPECT_EQ(ZipErrorText(5), "");
}

TEST(ZipLoad, ADirectoryHeaderWithAWrongSignatureOrCutShortFails) {
  std::string data = BuildZip({Text("a.txt", "alpha"), Text("b.txt", "beta")});
  const size_t central = data.find("PK\x01\x02");
  std::string bad = data;
  bad[central + 3] = 9;
  EXPECT_EQ(LoadError(bad), kZipNotPkZip);
  // A name length running past the end record and the data.
  std::string longName = data;
  longName[central + 28] = '\xFF';
  longName[central + 29] = '\xFF';
  EXPECT_EQ(LoadError(longName), kZipNotPkZip);
}

TEST(ZipLoad, TheEntryCountsDoNotEndTheDirectoryAndDuplicatesStay) {
  std::string data = BuildZip({Text("same.txt", "one"), Text("same.txt", "two"), Text("c.txt", "three")});
  const size_t end = data.rfind("PK\x05\x06");
  data[end + 8] = 1;   // entries on this disk
  data[end + 10] = 1;  // total entries
  auto zip = TZipArchive::FromBuffer(data, "d.zip");
  zip->Load();
  ASSERT_EQ(zip->Count(), 3u);
  EXPECT_EQ(zip->Item(0).FileName, "same.txt");
  EXPECT_EQ(zip->Item(1).FileName, "same.txt");
}

TEST(ZipLoad, TheNameCountsUpToItsFirstZeroByte) {
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Text(std::string("a.txt\0hidden", 12), "x")}), "z.zip");
  zip->Load();
  EXPECT_EQ(zip->Item(0).FileName, "a.txt");
  EXPECT_EQ(zip->Item(0).RawFileName, "a.txt");
}

TEST(ZipLoad, TheFieldsOfTheDirectoryHeaderAreRead) {
  MemberSpec m = Text("dir/f.bin", "payload", 0);
  m.versionMadeBy = 0x0314;
  m.versionNeeded = 10;
  m.flags = 0x0002;
  m.extra = std::string("\x55\x54\x05\x00\x01\x00\x00\x00\x00", 9);
  m.comment = "a member comment";
  m.externalAttributes = 0x81A40000;
  m.time = 0x6000;
  m.date = 0x5B8A;
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Text("first", "1"), m}, "the comment"), "f.zip");
  zip->Load();
  const TZipItem& item = zip->Item(1);
  EXPECT_EQ(item.VersionMadeBy, 0x0314);
  EXPECT_EQ(item.VersionNeededToExtract, 10);
  EXPECT_EQ(item.GeneralPurposeBitFlag, 2);
  EXPECT_EQ(item.CompressionMethod, 0);
  EXPECT_EQ(item.CRC32, Crc32("payload"));
  EXPECT_EQ(item.CompressedSize, 7u);
  EXPECT_EQ(item.UncompressedSize, 7u);
  EXPECT_EQ(item.ExtraField.size(), 9u);
  EXPECT_EQ(item.FileComment, "a member comment");
  EXPECT_EQ(item.ExternalFileAttributes, 0x81A40000u);
  EXPECT_GT(item.RelativeOffset, 0u);
  EXPECT_EQ(zip->Comment(), "the comment");
  int y, mo, d, h, mi, s;
  ASSERT_TRUE(item.DosDateTime(y, mo, d, h, mi, s));
  EXPECT_EQ(y, 2025);
  EXPECT_EQ(mo, 12);
  EXPECT_EQ(d, 10);
  EXPECT_EQ(h, 12);
  EXPECT_EQ(mi, 0);
  EXPECT_FALSE(item.IsDirectory());
}

// Every comment length from 0 to 1300 (the first windows and their joins), then long ones.
TEST(ZipLoad, TheBackwardScanFindsTheRecordBehindAnyCommentLength) {
  const std::string body = "some text to compress, some text to compress";
  std::vector<size_t> lengths;
  for (size_t n = 0; n <= 1300; ++n) lengths.push_back(n);
  for (size_t n : {2047u, 2048u, 4090u, 8200u, 16000u, 40000u, 65535u}) lengths.push_back(n);
  for (size_t n : lengths) {
    std::string comment(n, 'c');
    for (size_t i = 0; i < n; ++i) comment[i] = static_cast<char>('a' + i % 26);
    auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Text("a.txt", body)}, comment), "c.zip");
    ASSERT_NO_THROW(zip->Load()) << n;
    ASSERT_EQ(zip->Count(), 1u) << n;
    ASSERT_EQ(zip->Comment().size(), n);
  }
}

TEST(ZipLoad, BytesAfterTheArchiveAreSkippedByTheScan) {
  for (size_t n : {1u, 12u, 300u, 511u, 512u, 3000u, 8192u, 70000u, 200000u}) {
    ArchiveSpec spec;
    spec.members = {Text("a.txt", "alpha alpha alpha")};
    spec.trailing = std::string(n, '\0');
    auto zip = TZipArchive::FromOwnedBuffer(BuildZip(spec), "t.zip");
    ASSERT_NO_THROW(zip->Load()) << n;
    std::string text;
    EXPECT_TRUE(zip->ExtractToString("a.txt", text));
    EXPECT_EQ(text, "alpha alpha alpha");
  }
}

TEST(ZipLoad, ARecordWhoseCommentWouldRunPastTheDataIsNotTheRecord) {
  // A false end signature inside the comment, claiming more comment than there is, is skipped.
  std::string comment = "PK\x05\x06" + std::string(16, '\0') + "\xFF\x7F" + "tail";
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Text("a.txt", "alpha")}, comment), "f.zip");
  zip->Load();
  EXPECT_EQ(zip->Count(), 1u);
}

TEST(ZipLoad, BytesBeforeTheArchiveShiftEveryOffset) {
  ArchiveSpec spec;
  spec.members = {Text("a.txt", "alpha"), Text("b.txt", "beta", 0)};
  spec.prefix = std::string(4321, 'p');
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip(spec), "p.zip");
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  EXPECT_EQ(zip->OffsetShift(), 4321);
  EXPECT_EQ(ExtractAll(*zip), (std::vector<std::string>{"alpha", "beta"}));
  EXPECT_TRUE(failures.empty());
}

TEST(ZipLoad, AFileArchiveReadsLikeTheSameBytesInMemory) {
  auto zip = TZipArchive::FromFile(FixturePath("7z-Deflate64.zip"));
  EXPECT_FALSE(zip->InMemory());
  EXPECT_EQ(zip->ArchiveName(), FixturePath("7z-Deflate64.zip"));
  zip->Load();
  std::string numbers;
  EXPECT_TRUE(zip->ExtractToString("numbers.txt", numbers));
  EXPECT_TRUE(numbers == Numbers());
  try {
    TZipArchive::FromFile("/nonexistent/none.zip");
    FAIL();
  } catch (const ZipError& e) {
    EXPECT_EQ(e.ErrorClass(), TZipErrorClass::ecFileOpenError);
    EXPECT_EQ(e.Code(), ENOENT);
  }
}

TEST(ZipLoad, Zip64EndRecordsBetweenDirectoryAndEndRecordEndTheWalk) {
  std::string data = BuildZip({Text("a.txt", "alpha")});
  const size_t end = data.rfind("PK\x05\x06");
  // Insert a zip64 end record and locator before the end record; the directory size stays.
  std::string zip64 = "PK\x06\x06" + std::string(52, '\0') + "PK\x06\x07" + std::string(16, '\0');
  data.insert(end, zip64);
  auto zip = TZipArchive::FromOwnedBuffer(data, "z64.zip");
  zip->Load();
  EXPECT_EQ(zip->Count(), 1u);
}

}  // namespace
}  // namespace mobrelle::zip::test
