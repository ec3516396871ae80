// Real messages (CPython's email test data): the parts a listing of attachments would see.
#include <gtest/gtest.h>

#include "inspect/mime/mime_decode.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

std::string Fixture(const std::string& name) {
  const std::string bytes = test::ReadFileBytes(std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/mail/" + name);
  EXPECT_FALSE(bytes.empty()) << name;
  return bytes;
}

// POP3 gives CR LF line ends; the files have LF alone.
std::string WithCrLf(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

struct Decoded {
  std::vector<std::string> rows;  // "number type disposition filename size" at each part end
  std::vector<std::string> data;  // decoded bytes of each part
  TMimeDecode decoder;
};

void Decode(const std::string& message, Decoded& out) {
  std::string sink;
  TMimeDecode& d = out.decoder;
  d.DecodedSink = &sink;
  d.OnPartEnd = [&] {
    out.rows.push_back(std::to_string(d.PartNumber()) + " " + d.PartContentType() + " " + d.PartDisposition() + " " +
                       d.PartFileName() + " " + std::to_string(sink.size()));
    out.data.push_back(sink);
    sink.clear();
  };
  d.DecodeBytes(message);
}

using Rows = std::vector<std::string>;

struct MessageCase {
  const char* file;
  Rows rows;
};

TEST(MimeMessages, PartsOfRealMessagesWithEitherLineEnd) {
  const MessageCase cases[] = {
      {"msg_07.txt", {"0    0", "1 text/plain   41", "2 image/gif attachment dingusfish.gif 3512"}},
      {"msg_13.txt",  // nested multipart, unquoted inner boundary
       {"0    0", "1 text/plain   21", "2 multipart/mixed   2", "3 text/plain   41",
        "4 image/gif attachment dingusfish.gif 3512", "5    0"}},
      {"msg_15.txt",  // boundary on a continuation line
       {"0    49", "1 multipart/alternative   2", "2 text/plain   23", "3 text/html   109", "4    2",
        "5 image/gif attachment  25"}},
      {"msg_22.txt",  // file names in capitals, parameters on continuation lines
       {"0    0", "1 text/plain   17", "2 image/jpeg attachment wibble.JPG 272",
        "3 image/jpeg attachment wibble2.JPG 317", "4 text/plain   17"}},
  };
  for (const auto& c : cases) {
    for (bool crlf : {false, true}) {
      Decoded d;
      Decode(crlf ? WithCrLf(Fixture(c.file)) : Fixture(c.file), d);
      EXPECT_EQ(d.rows, c.rows) << c.file << (crlf ? " CR LF" : " LF");
      EXPECT_TRUE(d.decoder.EndOfMime()) << c.file;
    }
  }
}

TEST(MimeMessages, EveryTransferEncodingOfOneMessage) {
  Decoded d;
  Decode(WithCrLf(Fixture("msg_10.txt")), d);
  EXPECT_EQ(d.decoder.HdrSubject(), "Lyrics");
  EXPECT_EQ(d.decoder.Boundary(), "--boundary");
  ASSERT_EQ(d.data.size(), 6u);
  EXPECT_EQ(d.data[1], "This is a 7bit encoded message.\r\n\r\n");
  EXPECT_EQ(d.data[2], "\xA1This is a Quoted Printable encoded message!\r\n\r\n");
  EXPECT_EQ(d.data[3], "This is a Base64 encoded message.");
  EXPECT_EQ(d.data[4], "This is a Base64 encoded message.\n");
  EXPECT_EQ(d.data[5], "This has no Content-Transfer-Encoding: header.\r\n\r\n");
}

TEST(MimeMessages, AttachmentBytesAreTheFile) {
  Decoded d;
  Decode(Fixture("msg_07.txt"), d);
  ASSERT_EQ(d.data.size(), 3u);
  EXPECT_EQ(d.data[2].substr(0, 6), "GIF87a");
  EXPECT_EQ(d.data[2].back(), ';');  // the GIF trailer: nothing lost or added at the end
}

TEST(MimeMessages, TextThatOnlyResemblesABoundaryStaysText) {
  // The outer boundaries quoted inside this text carry a trailing space.
  Decoded d;
  Decode(Fixture("msg_38.txt"), d);
  ASSERT_EQ(d.rows.size(), 17u);
  EXPECT_NE(d.data[3].find("------- =_aaaaaaaaaa1 \r\n"), std::string::npos);
  EXPECT_EQ(d.decoder.NestedBoundaries().size(), 4u);
}

TEST(MimeMessages, DigestOfMessages) {
  Decoded d;
  Decode(Fixture("msg_02.txt"), d);
  ASSERT_EQ(d.rows.size(), 12u);
  EXPECT_EQ(d.rows[3], "3 multipart/digest   0");
  EXPECT_EQ(d.data[4].substr(0, 10), "Message: 1");
  EXPECT_EQ(d.decoder.HdrFrom(), "ppp-request@zzz.org");
}

}  // namespace
}  // namespace mobrelle
