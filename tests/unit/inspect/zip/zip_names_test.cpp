// Member names: code page 437 names of MS-DOS hosts shown in Windows-1252, UTF-8 names, and the
// conversions used to write files.
#include "inspect/zip/zip_names.h"

#include <gtest/gtest.h>

#include "inspect/zip/zip_archive.h"
#include "inspect/zip/zip_crc32.h"
#include "tests/unit/inspect/zip/zip_builder.h"

namespace mobrelle::zip::test {
namespace {

std::string NameOf(const std::string& stored, uint16_t versionMadeBy, uint16_t flags = 0,
                   const std::string& extra = "") {
  MemberSpec m;
  m.name = stored;
  m.data = "x";
  m.versionMadeBy = versionMadeBy;
  m.flags = flags;
  m.extra = extra;
  auto zip = TZipArchive::FromOwnedBuffer(BuildZip({m}), "n.zip");
  zip->Load();
  return zip->Item(0).FileName;
}

TEST(ZipNames, AnMsDosNameIsConvertedFromCodePage437) {
  EXPECT_EQ(NameOf("caf\x82.txt", 0x0014), "caf\xE9.txt");  // é
  EXPECT_EQ(NameOf("caf\x82.txt", 0x0000), "caf\xE9.txt");
  // The same byte from another host (Unix, NTFS) is left as it is.
  EXPECT_EQ(NameOf("caf\x82.txt", 0x031E), "caf\x82.txt");
  EXPECT_EQ(NameOf("caf\x82.txt", 0x0B14), "caf\x82.txt");
  // Separators stay as stored.
  EXPECT_EQ(NameOf("dossier/\x8A"
                   "l\x8Ave.doc",
                   0x0014),
            "dossier/\xE8l\xE8ve.doc");  // è
}

TEST(ZipNames, TheFixedTable) {
  struct Row {
    unsigned char oem, ansi;
  };
  const Row rows[] = {{'A', 'A'},   {0x7F, 0x7F}, {0x80, 0xC7}, {0x81, 0xFC}, {0x82, 0xE9}, {0x85, 0xE0}, {0x87, 0xE7},
                      {0x8A, 0xE8}, {0x94, 0xF6}, {0x99, 0xD6}, {0x9A, 0xDC}, {0x9C, 0xA3}, {0x9F, 0x83}, {0xA4, 0xF1},
                      {0xA5, 0xD1}, {0xA8, 0xBF}, {0xAD, 0xA1}, {0xAE, 0xAB}, {0xB3, '|'},  {0xC4, '-'},  {0xC5, '+'},
                      {0xCD, '='},  {0xB0, '?'},  {0xDB, '?'},  {0xE1, 0xDF}, {0xE6, 0xB5}, {0xE3, 'p'},  {0xF1, 0xB1},
                      {0xF6, 0xF7}, {0xF8, 0xB0}, {0xFA, 0xB7}, {0xFD, 0xB2}, {0xFF, 0xA0}};
  for (const Row& r : rows) EXPECT_EQ(Cp437ToCp1252(r.oem), r.ansi) << std::hex << int(r.oem);
}

TEST(ZipNames, Utf8NamesByFlagOrByTheUnicodePathField) {
  // Flag bit 11: the name is UTF-8; "é" and "€" exist in Windows-1252, a CJK letter does not.
  EXPECT_EQ(NameOf("\xC3\xA9t\xC3\xA9 \xE2\x82\xAC.txt", 0x0014, 0x0800), "\xE9t\xE9 \x80.txt");
  EXPECT_EQ(NameOf("a\xE4\xB8\xAD.txt", 0x031E, 0x0800), "a?.txt");
  // Invalid UTF-8 despite the flag: left as stored.
  EXPECT_EQ(NameOf("bad\xFF.txt", 0x031E, 0x0800), "bad\xFF.txt");
  // Info-ZIP's 0x7075 field, version 1, with the CRC of the stored name.
  const std::string stored = "caf\x82.txt";
  const std::string utf8 = "caf\xC3\xA9.txt";
  std::string field = "\x75\x70";
  const uint16_t len = static_cast<uint16_t>(5 + utf8.size());
  field += static_cast<char>(len & 0xFF);
  field += static_cast<char>(len >> 8);
  field += '\x01';
  const uint32_t crc = ZipCrc32(stored);
  for (int i = 0; i < 4; ++i) field += static_cast<char>((crc >> (8 * i)) & 0xFF);
  field += utf8;
  EXPECT_EQ(NameOf(stored, 0x031E, 0, field), "caf\xE9.txt");
  // A field for another name (CRC differs) is ignored.
  std::string stale = field;
  stale[5] = static_cast<char>(stale[5] ^ 1);
  EXPECT_EQ(NameOf(stored, 0x031E, 0, stale), "caf\x82.txt");
}

TEST(ZipNames, Windows1252ToUtf8ForFileNames) {
  EXPECT_EQ(Cp1252ToUtf8("caf\xE9"), "caf\xC3\xA9");
  EXPECT_EQ(Cp1252ToUtf8("\x80\x9F"), "\xE2\x82\xAC\xC5\xB8");
  EXPECT_EQ(Cp1252ToUtf8("plain"), "plain");
  std::string out;
  EXPECT_TRUE(Utf8ToCp1252("\xC5\x93uvre", out));
  EXPECT_EQ(out, "\x9Cuvre");
  EXPECT_FALSE(Utf8ToCp1252("\xC0\xAF", out));  // overlong
  EXPECT_FALSE(Utf8ToCp1252("\xE2\x82", out));  // cut short
}

TEST(ZipNames, SafeRelativePaths) {
  EXPECT_TRUE(IsSafeRelativePath("a.txt"));
  EXPECT_TRUE(IsSafeRelativePath("docs/a.html"));
  EXPECT_TRUE(IsSafeRelativePath("a..b/c..d"));
  EXPECT_TRUE(IsSafeRelativePath("./a"));
  EXPECT_FALSE(IsSafeRelativePath(""));
  EXPECT_FALSE(IsSafeRelativePath(".."));
  EXPECT_FALSE(IsSafeRelativePath("../a"));
  EXPECT_FALSE(IsSafeRelativePath("a/../../b"));
  EXPECT_FALSE(IsSafeRelativePath("a\\..\\b"));
  EXPECT_FALSE(IsSafeRelativePath("/etc/passwd"));
  EXPECT_FALSE(IsSafeRelativePath("\\windows"));
  EXPECT_FALSE(IsSafeRelativePath("C:autoexec.bat"));
  EXPECT_FALSE(IsSafeRelativePath("z:/x"));
}

}  // namespace
}  // namespace mobrelle::zip::test
