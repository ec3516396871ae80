#include "inspect/mime/transfer_decoding.h"

#include <gtest/gtest.h>

namespace mobrelle::mime {
namespace {

std::string Base64(std::string_view line) {
  std::string out;
  AppendBase64Line(line, out);
  return out;
}

std::string Qp(std::string_view line) {
  std::string out;
  AppendQuotedPrintableLine(line, out);
  return out;
}

std::string Uu(std::string_view line) {
  std::string out;
  AppendUudecodedLine(line, out);
  return out;
}

TEST(TransferDecoding, Base64) {
  EXPECT_EQ(Base64("SGVsbG8gd29ybGQ="), "Hello world");
  EXPECT_EQ(Base64("Q\xD5JD"), "ABC");          // the high bit of a character is ignored
  EXPECT_EQ(Base64("QQ==QUJD"), "AABC");        // padding ends a group, not the line
  EXPECT_EQ(Base64("Q"), std::string(1, '@'));  // one character alone: one byte of its bits
  EXPECT_EQ(Base64(" \t "), "");
}

TEST(TransferDecoding, QuotedPrintableHexDigitsOfEitherCase) {
  EXPECT_EQ(Qp("=41=61=3D=3d"), "Aa==\r\n");
  EXPECT_EQ(Qp("a=20"), "a \r\n");
  EXPECT_EQ(Qp("=FF=ff"), "\xFF\xFF\r\n");
  EXPECT_EQ(Qp("plain text"), "plain text\r\n");
}

TEST(TransferDecoding, UudecodeStopsAtTheByteCount) {
  EXPECT_EQ(Uu("#0V%T"), "Cat");
  EXPECT_EQ(Uu("\"0V%T"), "Ca");
  EXPECT_EQ(Uu("M"), std::string(45, '\0'));  // missing characters count as zero bits
  EXPECT_EQ(Uu("`"), "");
}

}  // namespace
}  // namespace mobrelle::mime
