// Extraction: ExtractToStream and its notification, UnzipToStream's checks, the bounds on output,
// and ExtractFiles with UnzipToFile below a base folder.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>

#include "inspect/zip/zip_archive.h"
#include "inspect/zip/zip_names.h"
#include "tests/unit/inspect/zip/zip_builder.h"
#include "tests/unit/inspect/zip/zip_test_util.h"

namespace mobrelle::zip::test {
namespace {

namespace fs = std::filesystem;
using mobrelle::test::ReadFileBytes;
using mobrelle::test::TempDir;

MemberSpec Member(const std::string& name, const std::string& data, uint16_t method = 8) {
  MemberSpec m;
  m.name = name;
  m.data = data;
  m.method = method;
  return m;
}

struct Opened {
  std::unique_ptr<TZipArchive> zip;
  std::vector<Failure> failures;
};

std::unique_ptr<Opened> Open(const std::string& data) {
  auto o = std::make_unique<Opened>();
  o->zip = TZipArchive::FromOwnedBuffer(data, "test.zip");
  Record(*o->zip, o->failures);
  o->zip->Load();
  return o;
}

TEST(ZipExtract, IntoTheBufferAtItsPositionAfterWhatItHeld) {
  auto o = Open(BuildZip({Member("a.txt", "alpha"), Member("b.txt", "beta", 0)}));
  TZipMemoryStream buffer;
  const uint8_t head[] = {'>', '>'};
  buffer.Write(head, 2);
  EXPECT_TRUE(o->zip->ExtractToStream(o->zip->Item(0), buffer));
  EXPECT_TRUE(o->zip->ExtractToStream(o->zip->Item(1), buffer));
  EXPECT_EQ(buffer.View(), ">>alphabeta");
  buffer.Seek(2);
  EXPECT_TRUE(o->zip->ExtractToStream(o->zip->Item(1), buffer));
  EXPECT_EQ(buffer.View(), ">>betaabeta");
}

TEST(ZipExtract, WithoutItsHookAnExtractionReportsNoExtractionSupport) {
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Member("a.txt", "alpha")}), "t.zip");
  std::vector<Failure> failures;
  zip->OnItemFailure = [&](TZipArchive&, const TZipItem& i, TZipProcessType p, TZipErrorClass c, int code) {
    EXPECT_EQ(p, TZipProcessType::ptExtract);
    failures.push_back({i.FileName, c, code});
  };
  zip->Load();
  TZipMemoryStream buffer;
  EXPECT_FALSE(zip->ExtractToStream(zip->Item(0), buffer));
  TempDir dir;
  zip->BaseDirectory = dir.Path();
  EXPECT_EQ(zip->ExtractFiles("*.*"), 0u);
  EXPECT_EQ(failures, (std::vector<Failure>{{"a.txt", TZipErrorClass::ecZipReader, 3},
                                            {"a.txt", TZipErrorClass::ecZipReader, 3}}));
  EXPECT_EQ(ZipErrorText(3), "Cannot extract file - no extraction support provided");
}

TEST(ZipExtract, ErrorsWithoutANotificationAreSwallowed) {
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Member("a.txt", "alpha")}), "t.zip");
  zip->Load();
  TZipMemoryStream buffer;
  EXPECT_FALSE(zip->ExtractToStream(zip->Item(0), buffer));  // hook unset, nothing raised
}

TEST(ZipExtract, AWrongCrcIsReportedAndTheBytesStay) {
  MemberSpec bad = Member("bad.txt", "stored text", 0);
  bad.crc = 0x12345678;
  auto o = Open(BuildZip({bad, Member("good.txt", "fine")}));
  TZipMemoryStream buffer;
  EXPECT_FALSE(o->zip->ExtractToStream(o->zip->Item(0), buffer));
  EXPECT_EQ(buffer.View(), "stored text");
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"bad.txt", TZipErrorClass::ecZipReader, kZipFailedCrc}}));
  EXPECT_EQ(ZipErrorText(23), "Failed CRC Check");
  // Called directly without a notification, UnzipToStream raises it.
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({bad}), "t.zip");
  zip->Load();
  TZipMemoryStream again;
  try {
    UnzipToStream(*zip, zip->Item(0), again);
    FAIL();
  } catch (const ZipError& e) {
    EXPECT_EQ(e.Code(), kZipFailedCrc);
  }
}

TEST(ZipExtract, UnsupportedMethodsNewerVersionsAndTheirTexts) {
  std::vector<MemberSpec> members;
  for (uint16_t method : {7, 10, 12, 14, 98, 99}) {
    MemberSpec m = Member("m" + std::to_string(method), "data");
    m.method = method;
    m.compressed = "data";
    members.push_back(m);
  }
  MemberSpec v45 = Member("zip64.txt", "data", 0);
  v45.versionNeeded = 45;
  members.push_back(v45);
  MemberSpec v21 = Member("v21.txt", "data", 0);
  v21.versionNeeded = 0x0315;  // the high byte is the host, only the low byte counts
  members.push_back(v21);
  auto o = Open(BuildZip(members));
  ExtractAll(*o->zip);
  std::vector<Failure> expected;
  for (uint16_t method : {7, 10, 12, 14, 98, 99})
    expected.push_back({"m" + std::to_string(method), TZipErrorClass::ecZipReader, kZipUnsupportedMethod});
  expected.push_back({"zip64.txt", TZipErrorClass::ecZipReader, kZipNewerVersion});
  EXPECT_EQ(o->failures, expected);
  EXPECT_EQ(ZipErrorText(2), "Cannot extract file - unsupported compression method");
  EXPECT_EQ(ZipErrorText(1), "Cannot extract file - newer version required");
}

TEST(ZipExtract, TheMethodComesFromTheLocalHeaderAndSizesFromTheDirectory) {
  // A data descriptor: flag bit 3 and zeros in the local header.
  MemberSpec dd = Member("dd.txt", std::string(5000, 'x') + "end");
  dd.dataDescriptor = true;
  MemberSpec ddStored = Member("dds.txt", "stored with a descriptor", 0);
  ddStored.dataDescriptor = true;
  auto o = Open(BuildZip({dd, ddStored}));
  EXPECT_EQ(ExtractAll(*o->zip),
            (std::vector<std::string>{std::string(5000, 'x') + "end", "stored with a descriptor"}));
  EXPECT_TRUE(o->failures.empty());
}

TEST(ZipExtract, ABadLocalHeaderSignatureOrOffsetFailsThatMemberOnly) {
  std::string data = BuildZip({Member("a.txt", "alpha"), Member("b.txt", "beta")});
  data[1] = 'X';  // the first local header
  auto o = Open(data);
  EXPECT_EQ(ExtractAll(*o->zip), (std::vector<std::string>{"", "beta"}));
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"a.txt", TZipErrorClass::ecZipReader, kZipNotPkZip}}));
  // An offset far past the data.
  std::string far = BuildZip({Member("a.txt", "alpha")});
  const size_t central = far.find("PK\x01\x02");
  far[central + 45] = '\x7F';
  auto f = Open(far);
  ExtractAll(*f->zip);
  EXPECT_EQ(f->failures, (std::vector<Failure>{{"a.txt", TZipErrorClass::ecZipReader, kZipNotPkZip}}));
}

TEST(ZipExtract, CorruptDeflateDataIsOfClassOther) {
  MemberSpec m = Member("bad.bin", "whatever");
  m.compressed = std::string("\xFF\xFF\xFF\xFF\xFF\xFF", 6);  // block type 3
  // A match before any byte was produced: distance too far back.
  MemberSpec cut = Member("cut.txt", "qqq");
  BitWriter w;
  w.Put(1, 1);
  w.Put(1, 2);
  w.PutCode(1, 7);  // length code 257: 3 bytes
  w.PutCode(0, 5);  // distance code 0: 1 byte back
  cut.compressed = w.Finish();
  MemberSpec d64 = Member("bad64.bin", "whatever");
  d64.method = 9;
  d64.compressed = std::string("\x07\x00", 2);
  auto o = Open(BuildZip({m, cut, d64}));
  ExtractAll(*o->zip);
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"bad.bin", TZipErrorClass::ecOther, 0},
                                               {"cut.txt", TZipErrorClass::ecOther, 0},
                                               {"bad64.bin", TZipErrorClass::ecOther, 0}}));
}

TEST(ZipExtract, StoredDataThatEndsEarlyStopsAndFailsItsCrc) {
  MemberSpec m = Member("short.txt", "0123456789", 0);
  m.compressed = "01234";
  auto o = Open(BuildZip({m}));
  // The data of the archive goes on (its directory follows): exactly ten bytes are copied.
  const std::string out = ExtractAll(*o->zip)[0];
  EXPECT_EQ(out.substr(0, 7), "01234PK");
  EXPECT_EQ(out.size(), 10u);
  auto alone = TZipArchive::FromOwnedBuffer(BuildZip({m}), "x");
  alone->Load();
  const uint32_t offset = alone->Item(0).RelativeOffset;
  (void)offset;
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"short.txt", TZipErrorClass::ecZipReader, kZipFailedCrc}}));
}

TEST(ZipExtract, SpannedArchivesFailToExtract) {
  ArchiveSpec spec;
  spec.members = {Member("a.txt", "alpha")};
  spec.thisDisk = 1;
  auto o = Open(BuildZip(spec));
  ExtractAll(*o->zip);
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"a.txt", TZipErrorClass::ecZipReader, kZipSpannedInMemory}}));
  EXPECT_EQ(ZipErrorText(13), "Spanned archives must be opened as file streams");
  MemberSpec other = Member("b.txt", "beta");
  other.diskNumberStart = 2;
  TempDir dir;
  mobrelle::test::WriteFileBytes(dir.File("s.zip"), BuildZip({other}));
  auto zip = TZipArchive::FromFile(dir.File("s.zip"));
  std::vector<Failure> failures;
  Record(*zip, failures);
  zip->Load();
  ExtractAll(*zip);
  EXPECT_EQ(failures, (std::vector<Failure>{{"b.txt", TZipErrorClass::ecZipReader, kZipSpannedArchive}}));
}

// ---- Bounds: a ZIP bomb never exhausts memory ----

TEST(ZipExtract, AMemberLargerThanTheBoundFailsBeforeAnythingIsDecoded) {
  const std::string zeros(80u << 20, '\0');  // 80 MiB of zeros deflate to about 80 KiB
  MemberSpec bomb = Member("bomb.bin", "");
  bomb.compressed = RawDeflate(zeros, 9);
  bomb.crc = Crc32(zeros);
  bomb.uncompressedSize = static_cast<uint32_t>(zeros.size());
  MemberSpec claims4G = Member("huge.bin", "");
  claims4G.compressed = bomb.compressed;
  claims4G.uncompressedSize = 0xFFFFFFFFu;
  auto o = Open(BuildZip({bomb, claims4G, Member("ok.txt", "fine")}));
  EXPECT_EQ(o->zip->Item(1).UncompressedSize, 0xFFFFFFFFu);  // unsigned
  const std::vector<std::string> out = ExtractAll(*o->zip);
  EXPECT_EQ(out[0].size(), 0u);
  EXPECT_EQ(out[2], "fine");
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"bomb.bin", TZipErrorClass::ecZipReader, kZipMemberTooLarge},
                                               {"huge.bin", TZipErrorClass::ecZipReader, kZipMemberTooLarge}}));
  // Raising the bound lets the honest one through.
  o->failures.clear();
  o->zip->SetMaxMemberSize(uint64_t{128} << 20);
  TZipMemoryStream buffer;
  EXPECT_TRUE(o->zip->ExtractToStream(o->zip->Item(0), buffer));
  EXPECT_EQ(buffer.Size(), zeros.size());
}

TEST(ZipExtract, ABoundedBufferRefusesAMemberThatDoesNotFit) {
  auto o = Open(BuildZip({Member("a.txt", std::string(5000, 'a')), Member("b.txt", "small")}));
  TZipMemoryStream buffer(4096);
  EXPECT_FALSE(o->zip->ExtractToStream(o->zip->Item(0), buffer));
  EXPECT_EQ(buffer.Size(), 0u);
  EXPECT_TRUE(o->zip->ExtractToStream(o->zip->Item(1), buffer));
  EXPECT_EQ(buffer.View(), "small");
  EXPECT_EQ(o->failures, (std::vector<Failure>{{"a.txt", TZipErrorClass::ecZipReader, kZipMemberTooLarge}}));
}

TEST(ZipExtract, NoDecoderWritesMoreThanTheUncompressedSize) {
  // Each member claims 1000 bytes but its data holds far more: exactly 1000 come out, then the CRC
  // (of the whole data) differs.
  const std::string big(300000, 'z');
  std::vector<MemberSpec> members;
  for (uint16_t method : {0, 8, 9, 2, 5}) {
    MemberSpec m = Member("m" + std::to_string(method), big);
    m.method = method;
    if (method == 0) m.compressed = big;
    if (method == 8) m.compressed = RawDeflate(big);
    if (method == 9) m.compressed = FixedHuffmanDeflate(big, true);
    if (method == 2 || method == 5) m.compressed = Reduce(big, method - 1);
    m.uncompressedSize = 1000;
    members.push_back(m);
  }
  auto o = Open(BuildZip(members));
  for (const std::string& out : ExtractAll(*o->zip)) EXPECT_EQ(out, std::string(1000, 'z'));
  EXPECT_EQ(o->failures.size(), members.size());
  for (const Failure& f : o->failures) EXPECT_EQ(f.code, kZipFailedCrc);
  // Into a file as well.
  TempDir dir;
  o->zip->BaseDirectory = dir.Path();
  o->zip->ExtractFiles("m8");
  EXPECT_EQ(fs::file_size(dir.File("m8")), 1000u);
}

// ---- Finding a member by name (help archives, .xlsx workbooks) ----

TEST(ZipExtract, OneMemberByNameIntoAString) {
  auto zip = TZipArchive::FromOwnedBuffer(
      BuildZip({Member("[Content_Types].xml", "<Types/>"), Member("xl/workbook.xml", "<workbook/>"),
                Member("xl/worksheets/sheet1.xml", "<worksheet/>")}),
      "book.xlsx");
  zip->Load();
  std::string xml;
  EXPECT_TRUE(zip->ExtractToString("xl/workbook.xml", xml));
  EXPECT_EQ(xml, "<workbook/>");
  EXPECT_TRUE(zip->ExtractToString("XL/Worksheets/Sheet1.XML", xml));
  EXPECT_EQ(xml, "<worksheet/>");
  EXPECT_FALSE(zip->ExtractToString("xl/styles.xml", xml));
  EXPECT_EQ(zip->Find("xl/styles.xml"), nullptr);
  EXPECT_EQ(zip->Find("[Content_Types].xml"), &zip->Item(0));
}

TEST(ZipExtract, TheArchiveIsBusyWhileAMemberIsExtracted) {
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({Member("a.txt", "alpha")}), "t.zip");
  zip->Load();
  TZipArchiveStatus during = TZipArchiveStatus::asIdle;
  zip->OnExtractToStream = [&](TZipArchive& a, const TZipItem& item, TZipStream& s) {
    UnzipToStream(a, item, s);
    during = a.Status();
  };
  TZipMemoryStream buffer;
  EXPECT_TRUE(zip->ExtractToStream(zip->Item(0), buffer));
  EXPECT_EQ(during, TZipArchiveStatus::asIdle);  // UnzipToStream has ended
  zip->OnExtractToStream = [&](TZipArchive& a, const TZipItem&, TZipStream&) {
    TZipArchive::BusyGuard g(a);
    during = a.Status();
  };
  zip->ExtractToStream(zip->Item(0), buffer);
  EXPECT_EQ(during, TZipArchiveStatus::asBusy);
  EXPECT_EQ(zip->Status(), TZipArchiveStatus::asIdle);
}

// ---- ExtractFiles and UnzipToFile ----

struct FileCase {
  std::unique_ptr<Opened> o;
  TempDir dir;
};

std::unique_ptr<FileCase> Files(const std::vector<MemberSpec>& members, TZipExtractOptions options) {
  auto c = std::make_unique<FileCase>();
  c->o = Open(BuildZip(members));
  c->o->zip->BaseDirectory = c->dir.Path();
  c->o->zip->ExtractOptions = options;
  return c;
}

TEST(ZipExtractFiles, FolderEntriesAreListedNotWrittenAndPathsAreRestored) {
  auto c = Files({Member("docs/", "", 0), Member("docs/a.html", "<p>a</p>"), Member("index.html", "<p>i</p>")},
                 TZipExtractOption::eoCreateDirs | TZipExtractOption::eoRestorePath);
  EXPECT_TRUE(c->o->zip->Item(0).IsDirectory());
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 2u);
  EXPECT_EQ(ReadFileBytes(c->dir.File("docs/a.html")), "<p>a</p>");
  EXPECT_EQ(ReadFileBytes(c->dir.File("index.html")), "<p>i</p>");
  EXPECT_TRUE(c->o->failures.empty());
}

TEST(ZipExtractFiles, WithoutRestorePathEveryMemberLandsInTheBaseFolder) {
  auto c = Files({Member("docs/a.html", "<p>a</p>"), Member("deep/er/b.txt", "b")}, {});
  EXPECT_EQ(c->o->zip->ExtractFiles("*"), 2u);
  EXPECT_EQ(ReadFileBytes(c->dir.File("a.html")), "<p>a</p>");
  EXPECT_EQ(ReadFileBytes(c->dir.File("b.txt")), "b");
  EXPECT_FALSE(fs::exists(c->dir.File("docs")));
}

TEST(ZipExtractFiles, AMissingFolderWithoutCreateDirsFailsWithDirectoryDoesNotExist) {
  auto c = Files({Member("docs/a.html", "<p>a</p>"), Member("top.txt", "top")}, TZipExtractOption::eoRestorePath);
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 1u);
  EXPECT_EQ(c->o->failures, (std::vector<Failure>{{"docs/a.html", TZipErrorClass::ecZipReader, kZipDirectoryMissing}}));
  EXPECT_EQ(ReadFileBytes(c->dir.File("top.txt")), "top");
  EXPECT_EQ(ZipErrorText(19), "Directory does not exist");
}

TEST(ZipExtractFiles, AMissingBaseFolderIsRaisedBeforeAnyMember) {
  auto c = Files({Member("a.txt", "a")}, {});
  c->o->zip->BaseDirectory = c->dir.File("absent");
  try {
    c->o->zip->ExtractFiles("*.*");
    FAIL();
  } catch (const ZipError& e) {
    EXPECT_EQ(e.Code(), kZipDirectoryMissing);
  }
  EXPECT_TRUE(c->o->failures.empty());
}

TEST(ZipExtractFiles, PathsThatLeaveTheBaseFolderAreNotWritten) {
  const std::vector<std::string> names = {"../evil.txt",      "/etc/evil.txt", "C:evil.txt", "c:\\evil.txt",
                                          "a/../../evil.txt", "..\\evil.txt",  "a/.."};
  std::vector<MemberSpec> members;
  for (const std::string& n : names) members.push_back(Member(n, "evil"));
  members.push_back(Member("fine/ok.txt", "ok"));
  auto c = Files(members, TZipExtractOption::eoCreateDirs | TZipExtractOption::eoRestorePath);
  TempDir outside;
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 1u);
  std::vector<Failure> expected;
  for (const std::string& n : names) expected.push_back({n, TZipErrorClass::ecZipReader, kZipUnsafePath});
  EXPECT_EQ(c->o->failures, expected);
  EXPECT_FALSE(fs::exists(fs::path(c->dir.Path()).parent_path() / "evil.txt"));
  EXPECT_EQ(ReadFileBytes(c->dir.File("fine/ok.txt")), "ok");
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator(c->dir.Path())) files += e.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST(ZipExtractFiles, EncryptedMembersFailAndTheFollowingOnesAreStillWritten) {
  MemberSpec secret = Member("secret.txt", "hidden");
  secret.flags = 1;
  auto c = Files({secret, Member("after.txt", "after")}, {});
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 1u);
  EXPECT_EQ(c->o->failures, (std::vector<Failure>{{"secret.txt", TZipErrorClass::ecZipReader, kZipInvalidPassword}}));
  EXPECT_FALSE(fs::exists(c->dir.File("secret.txt")));  // the partly written file is deleted
  EXPECT_EQ(ReadFileBytes(c->dir.File("after.txt")), "after");
}

TEST(ZipExtractFiles, ACrcDifferenceKeepsTheFileACorruptMemberLeavesNone) {
  MemberSpec bad = Member("crc.txt", "written anyway", 0);
  bad.crc = 1;
  MemberSpec corrupt = Member("corrupt.txt", "x");
  corrupt.compressed = "\xFF\xFF\xFF";
  auto c = Files({bad, corrupt}, {});
  c->o->zip->ExtractFiles("*.*");
  EXPECT_EQ(ReadFileBytes(c->dir.File("crc.txt")), "written anyway");
  EXPECT_FALSE(fs::exists(c->dir.File("corrupt.txt")));
  size_t entries = 0;
  for (const auto& e : fs::directory_iterator(c->dir.Path())) entries += !e.path().empty();
  EXPECT_EQ(entries, 1u);  // no temporary file left behind
  EXPECT_EQ(c->o->failures, (std::vector<Failure>{{"crc.txt", TZipErrorClass::ecZipReader, kZipFailedCrc},
                                                  {"corrupt.txt", TZipErrorClass::ecOther, 0}}));
}

TEST(ZipExtractFiles, OfTwoMembersWithOnePathTheLaterWinsAndOldFilesAreReplaced) {
  auto c = Files({Member("same.txt", "first"), Member("same.txt", "second")}, {});
  mobrelle::test::WriteFileBytes(c->dir.File("same.txt"), "an older and longer content");
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 2u);
  EXPECT_EQ(ReadFileBytes(c->dir.File("same.txt")), "second");
}

TEST(ZipExtractFiles, DateTimeAndPermissionsAreSetFromTheMember) {
  MemberSpec onUnix = Member("script.sh", "#!/bin/sh\n");
  onUnix.versionMadeBy = 0x031E;
  onUnix.externalAttributes = 0100750u << 16;
  onUnix.date = (45 << 9) | (6 << 5) | 15;    // 2025-06-15
  onUnix.time = (10 << 11) | (30 << 5) | 10;  // 10:30:20
  MemberSpec dosReadOnly = Member("ro.txt", "read only");
  dosReadOnly.versionMadeBy = 0x0014;
  dosReadOnly.externalAttributes = 0x21;
  auto c = Files({onUnix, dosReadOnly}, {});
  c->o->zip->ExtractFiles("*.*");
  struct stat st {};
  ASSERT_EQ(::stat(c->dir.File("script.sh").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0700, 0700u);
  EXPECT_EQ(st.st_mode & 0007, 0u);
  std::tm tm{};
  const time_t mtime = st.st_mtime;
  localtime_r(&mtime, &tm);
  EXPECT_EQ(tm.tm_year + 1900, 2025);
  EXPECT_EQ(tm.tm_mon + 1, 6);
  EXPECT_EQ(tm.tm_mday, 15);
  EXPECT_EQ(tm.tm_hour, 10);
  EXPECT_EQ(tm.tm_min, 30);
  EXPECT_EQ(tm.tm_sec, 20);
  ASSERT_EQ(::stat(c->dir.File("ro.txt").c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0222, 0u);
}

TEST(ZipExtractFiles, TheHookGetsTheStoredNameAndMayWriteElsewhere) {
  auto c = Files({Member("docs/a.html", "a"), Member("b.txt", "b")},
                 TZipExtractOption::eoRestorePath | TZipExtractOption::eoCreateDirs);
  std::vector<std::string> names;
  c->o->zip->OnExtractToFile = [&](TZipArchive& a, const TZipItem& item, const std::string& name) {
    names.push_back(name);
    UnzipToFile(a, item, "renamed/" + name);
  };
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 2u);
  EXPECT_EQ(names, (std::vector<std::string>{"docs/a.html", "b.txt"}));
  EXPECT_EQ(ReadFileBytes(c->dir.File("renamed/docs/a.html")), "a");
}

TEST(ZipExtractFiles, NamesAreWrittenAsUtf8AndABackslashStaysInTheName) {
  MemberSpec dos = Member("caf\x82.txt", "cafe");  // CP437 0x82 = é
  dos.versionMadeBy = 0x0014;
  auto c = Files({dos, Member("a\\b.txt", "backslash")}, TZipExtractOption::eoRestorePath);
  EXPECT_EQ(c->o->zip->ExtractFiles("*.*"), 2u);
  EXPECT_EQ(ReadFileBytes(c->dir.File("caf\xC3\xA9.txt")), "cafe");
  EXPECT_EQ(ReadFileBytes(c->dir.File("a\\b.txt")), "backslash");
}

// The mask rules as a table: mask, stored name, taken.
struct MaskCase {
  const char* mask;
  const char* name;
  bool taken;
};

TEST(ZipExtractFiles, TheMaskRules) {
  const MaskCase cases[] = {
      {"*.*", "a.txt", true},
      {"*.*", "README", true},  // "*.*" takes a name without a dot
      {"*", "README", true},
      {"*.*", "docs/", false},  // folder entries never
      {"*", "docs/sub/", false},
      {"*.*", "docs/a.html", true},  // no folder in the mask: the folder is not compared
      {"*.html", "docs/a.html", true},
      {"*.HTML", "docs/A.Html", true},  // letter case ignored
      {"*.html", "docs/a.htm", false},
      {"a.*", "docs/a.html", true},
      {"?.txt", "a.txt", true},
      {"?.txt", "ab.txt", false},
      {"??.txt", "a.txt", false},
      {"a*c", "abbbc", true},
      {"a*c", "abbbcd", false},
      {"*a*", "bab", true},
      {"docs/*.html", "docs/a.html", true},
      {"docs/*.html", "a.html", false},
      {"docs/*.html", "other/a.html", false},
      {"DOCS/*.*", "docs/a.html", true},
      {"docs\\*.*", "docs/a.html", true},  // either separator in the mask
      {"d*/*.*", "docs/a.html", true},
      {"docs/*.*", "docs/sub/a.html", false},
      {"docs/*/*.*", "docs/sub/a.html", true},
      {"*.*", "", false},
      {"\xC9t\xE9.txt", "\xE9T\xC9.TXT", true},  // Windows-1252 letters too
      {"a.txt", "a.txt", true},
      {"a.txt", "b/a.txt", true},
  };
  for (const MaskCase& c : cases) EXPECT_EQ(ZipMaskMatches(c.mask, c.name), c.taken) << c.mask << " / " << c.name;

  auto files =
      Files({Member("docs/", "", 0), Member("docs/a.html", "a"), Member("docs/b.txt", "b"), Member("c.html", "c")},
            TZipExtractOption::eoRestorePath | TZipExtractOption::eoCreateDirs);
  EXPECT_EQ(files->o->zip->ExtractFiles("*.html"), 2u);
  EXPECT_TRUE(fs::exists(files->dir.File("docs/a.html")));
  EXPECT_TRUE(fs::exists(files->dir.File("c.html")));
  EXPECT_FALSE(fs::exists(files->dir.File("docs/b.txt")));
}

}  // namespace
}  // namespace mobrelle::zip::test
