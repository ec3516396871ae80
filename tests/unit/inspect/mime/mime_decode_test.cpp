#include "inspect/mime/mime_decode.h"

#include <gtest/gtest.h>

#include <sstream>

#include "tests/support/temp_dir.h"
#include "tests/unit/inspect/mime/mime_recorder.h"

namespace mobrelle {
namespace {

using test::MimeRecorder;
using Events = std::vector<std::string>;

TEST(MimeDecode, PlainSingleBodyDeliversEachLineThenItsLineEnd) {
  MimeRecorder r;
  EXPECT_EQ(r.Decode("Subject: x\r\n\r\nhello\r\n\r\nbye"),
            (Events{"HeaderBegin", "HeaderEnd", "PartBegin 0", "[hello]", "[\\r\\n]", "[]", "[\\r\\n]", "[bye]",
                    "[\\r\\n]", "PartEnd 0", "MessageEnd"}));
}

TEST(MimeDecode, HeaderOnlyMessagesStillEndOnePart) {
  MimeRecorder r;
  EXPECT_EQ(r.Decode("From: a\r\nSubject: s\r\n\r\n"), (Events{"HeaderBegin", "HeaderEnd", "PartEnd 0", "MessageEnd"}));
  EXPECT_EQ(r.Decode("Content-Type: multipart/mixed; boundary=b\r\n\r\n"),
            (Events{"HeaderBegin", "HeaderEnd", "PartBegin 0", "PartEnd 0", "MessageEnd"}));
  // A header that never ends (no empty line) is still all read.
  EXPECT_EQ(r.Decode("From: a\r\nSubject: s"), (Events{"HeaderBegin", "PartEnd 0", "MessageEnd"}));
  EXPECT_EQ(r.decoder.HdrSubject(), "s");
}

const char kMultipart[] =
    "Content-Type: multipart/mixed; boundary=\"ABC\"\r\n"
    "\r\n"
    "preamble\r\n"
    "--ABC\r\n"
    "Content-Type: text/plain\r\n"
    "\r\n"
    "one\r\n"
    "--abc\r\n"
    "\r\n"
    "two\r\n";

TEST(MimeDecode, MultipartRaisesPartEventsInOrderAndMatchesBoundariesWithoutCase) {
  MimeRecorder r;
  const Events parts{"HeaderBegin",     "HeaderEnd", "PartBegin 0", "[preamble]",      "PartEnd 0",
                     "PartHeaderBegin 1", "PartHeaderEnd", "PartBegin 1", "[one]", "[\\r\\n]",
                     "PartEnd 1",       "PartHeaderBegin 2", "PartHeaderEnd", "PartBegin 2", "[two]",
                     "[\\r\\n]"};
  Events closed = parts;
  closed.insert(closed.end(), {"PartEnd 2", "MessageEnd"});
  EXPECT_EQ(r.Decode(std::string(kMultipart) + "--ABC--\r\n"), closed);
  EXPECT_EQ(r.decoder.Boundary(), "--abc");
  EXPECT_TRUE(r.decoder.EndOfMime());
  EXPECT_EQ(r.decoder.PartNumber(), 2);

  // Without the closing boundary the last part ends with the message.
  EXPECT_EQ(r.Decode(kMultipart), closed);
  EXPECT_FALSE(r.decoder.EndOfMime());

  // Text after the closing boundary is read as one more part (without a header of its own).
  Events epilogue = parts;
  epilogue.insert(epilogue.end(), {"PartEnd 2", "PartHeaderBegin 3", "PartHeaderEnd", "PartBegin 3", "[bye]",
                                   "[\\r\\n]", "PartEnd 3", "MessageEnd"});
  EXPECT_EQ(r.Decode(std::string(kMultipart) + "--ABC--\r\n\r\nbye\r\n"), epilogue);
}

TEST(MimeDecode, PartsWithoutHeaders) {
  MimeRecorder r;
  // An empty header, and a first line that starts with a blank (already body).
  EXPECT_EQ(r.Decode("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n\r\nx\r\n--b\r\n indented\r\n--b--\r\n"),
            (Events{"HeaderBegin", "HeaderEnd", "PartBegin 0", "PartEnd 0", "PartHeaderBegin 1", "PartHeaderEnd",
                    "PartBegin 1", "[x]", "[\\r\\n]", "PartEnd 1", "PartHeaderBegin 2", "PartHeaderEnd",
                    "PartBegin 2", "[ indented]", "[\\r\\n]", "PartEnd 2", "MessageEnd"}));
}

TEST(MimeDecode, NestedBoundariesEndPartsButOnlyTheOuterOneClosesTheMessage) {
  MimeRecorder r;
  const char* message =
      "Content-Type: multipart/mixed; boundary=outer\r\n\r\n"
      "--outer\r\n"
      "Content-Type: multipart/alternative; boundary=\"Inner\"\r\n\r\n"
      "--inner\r\n"
      "Content-Type: text/plain\r\n\r\n"
      "a\r\n"
      "--INNER--\r\n"
      "\r\n"
      "--outer--\r\n";
  EXPECT_EQ(r.Decode(message),
            (Events{"HeaderBegin", "HeaderEnd", "PartBegin 0", "PartEnd 0", "PartHeaderBegin 1", "PartHeaderEnd",
                    "PartEnd 1", "PartHeaderBegin 2", "PartHeaderEnd", "PartBegin 2", "[a]", "[\\r\\n]", "PartEnd 2",
                    "PartHeaderBegin 3", "PartHeaderEnd", "PartEnd 3", "MessageEnd"}));
  EXPECT_EQ(r.decoder.NestedBoundaries(), (std::vector<std::string>{"--inner"}));
  EXPECT_TRUE(r.decoder.EndOfMime());

  // A nested closing boundary does not set the end of the message.
  r.Decode("Content-Type: multipart/mixed; boundary=outer\r\n\r\n--outer\r\n"
           "Content-Type: multipart/alternative; boundary=inner\r\n\r\n--inner--\r\n");
  EXPECT_FALSE(r.decoder.EndOfMime());
}

TEST(MimeDecode, UnfoldingTurnsCrLfAndTheFirstBlankIntoSpaces) {
  MimeRecorder r(true);
  r.Decode("Subject: Hello\r\n\tWorld\r\n  again\r\nTo: t\r\n\r\n body\r\n");
  EXPECT_EQ(r.decoder.HdrSubject(), "Hello   World    again");
  EXPECT_EQ(r.decoder.HeaderLines(), (std::vector<std::string>{"Subject: Hello   World    again", "To: t"}));
  EXPECT_EQ(r.events[1], "HeaderLine Subject: Hello   World    again");
  EXPECT_EQ(r.events[5], "[ body]");  // no unfolding in the body

  r.Decode("Subject: Hello\n World\n\n");  // LF alone: one space fewer
  EXPECT_EQ(r.decoder.HdrSubject(), "Hello  World");

  // Part headers unfold too.
  r.Decode("Content-Type: multipart/mixed;\r\n boundary=b\r\n\r\n--b\r\nContent-Type: text/plain;\r\n\tcharset=x\r\n\r\n");
  EXPECT_EQ(r.decoder.Boundary(), "--b");
  EXPECT_EQ(r.decoder.PartCharset(), "x");
}

TEST(MimeDecode, MainHeaderFields) {
  MimeRecorder r;
  r.Decode(
      "FROM: First <a@b>\r\n"
      "From:   \"Second\" <c@d>\r\n"
      "To: x@y\r\n"
      "Subject : not a subject\r\n"
      "Date: Tue, 15 Nov 1994 08:12:31 -0800\r\n"
      "Return-Path: <bounce@b>\r\n"
      "MIME-Version: 1.0\r\n"
      "X-Other: kept in the lines\r\n"
      "\r\n");
  EXPECT_EQ(r.decoder.HdrFrom(), "\"Second\" <c@d>");
  EXPECT_EQ(r.decoder.HdrTo(), "x@y");
  EXPECT_EQ(r.decoder.HdrSubject(), "");
  EXPECT_EQ(r.decoder.HdrDate(), "Tue, 15 Nov 1994 08:12:31 -0800");
  EXPECT_EQ(r.decoder.HdrReturnPath(), "bounce@b");
  EXPECT_EQ(r.decoder.HdrMimeVersion(), "1.0");
  EXPECT_EQ(r.decoder.HeaderLines().size(), 8u);
  EXPECT_EQ(r.decoder.HeaderLines()[7], "X-Other: kept in the lines");

  for (auto [raw, kept] : {std::pair{"<>", ""}, {"<", "<"}, {"a@b>", "a@b>"}, {"<a@b", "<a@b"}}) {
    r.Decode(std::string("Return-Path: ") + raw + "\r\n\r\n");
    EXPECT_EQ(r.decoder.HdrReturnPath(), kept) << raw;
  }
}

struct ContentTypeCase {
  const char* value;
  const char* type;
  const char* charset;
  const char* name;
  const char* boundary;
};

TEST(MimeDecode, ContentTypeTokenAndParameters) {
  const ContentTypeCase cases[] = {
      {"Text/Plain; charset=ISO-8859-1", "text/plain", "iso-8859-1", "", ""},
      {"text/plain; charset=\"ISO-8859-1\"", "text/plain", "ISO-8859-1", "", ""},
      {"text/plain ; charset=x", "text/plain", "", "", ""},      // a space before ';' ends the list
      {"text/plain; charset =x", "text/plain", "", "", ""},      // a space before '=': ignored
      {"text/plain;charset=x;name=Y", "text/plain", "x", "y", ""},
      {"text/plain; format; charset=x", "text/plain", "x", "", ""},
      {"application/x; name=\"My File.TXT\"; charset=x", "application/x", "x", "My File.TXT", ""},
      {"multipart/mixed; boundary=\"----=_Part_1\"", "multipart/mixed", "", "", "------=_part_1"},
      {"multipart/mixed; boundary=ABC", "multipart/mixed", "", "", "--abc"},
      {"multipart/mixed; boundary=\"\"", "multipart/mixed", "", "", "--"},
      {"text/plain(odd; comment); charset=x", "text/plainodd; comment", "x", "", ""},
      {"\ttext/html", "text/html", "", "", ""},
      {"text/plain; charset=\"unterminated", "text/plain", "unterminated", "", ""},
      {"", "", "", "", ""},
  };
  MimeRecorder r;
  for (const auto& c : cases) {
    r.Decode(std::string("Content-Type: ") + c.value + "\r\n\r\n");
    EXPECT_EQ(r.decoder.HdrContentType(), c.type) << c.value;
    EXPECT_EQ(r.decoder.HdrCharset(), c.charset) << c.value;
    EXPECT_EQ(r.decoder.HdrName(), c.name) << c.value;
    EXPECT_EQ(r.decoder.Boundary(), c.boundary) << c.value;
  }
  r.Decode("Content-Transfer-Encoding:  Base64 (for the picture)\r\n\r\n");
  EXPECT_EQ(r.decoder.HdrEncoding(), "base64");
}

TEST(MimeDecode, DispositionFileNameIsLowerCasedInTheMainHeaderButKeptInParts) {
  MimeRecorder r;
  r.Decode("Content-Disposition: Attachment; filename=Report.PDF; size=12\r\n\r\n");
  EXPECT_EQ(r.decoder.HdrDisposition(), "attachment");
  EXPECT_EQ(r.decoder.HdrFileName(), "report.pdf");

  struct Case {
    const char* headers;
    const char* fileName;
  };
  const Case cases[] = {
      {"Content-Disposition: attachment; filename=Report.PDF; size=12", "Report.PDF; size=12"},
      {"Content-Disposition: attachment; filename=\"My Report.PDF\"; size=12", "My Report.PDF"},
      {"Content-Description: file; filename=Desc.TXT", "Desc.TXT"},
      {"Content-Disposition: inline; filename=\"a.txt\"\r\nContent-Description: x; filename=b.txt", "a.txt"},
      {"Content-Description: x; filename=b.txt\r\nContent-Disposition: inline; filename=\"a.txt\"", "a.txt"},
  };
  for (const auto& c : cases) {
    r.Decode(std::string("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n") + c.headers + "\r\n\r\n");
    EXPECT_EQ(r.decoder.PartFileName(), c.fileName) << c.headers;
  }
}

TEST(MimeDecode, PartFieldsAreEmptiedAtEachPartButTheCharset) {
  MimeRecorder r;
  r.Decode(
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
      "--b\r\n"
      "Content-Type: Text/Plain; charset=UTF-8; name=\"N.txt\"\r\n"
      "Content-Transfer-Encoding: Quoted-Printable\r\n"
      "Content-Disposition: inline\r\n"
      "Content-ID: <id@x>\r\n"
      "\r\n");
  EXPECT_EQ(r.decoder.PartNumber(), 1);
  EXPECT_EQ(r.decoder.PartContentType(), "text/plain");
  EXPECT_EQ(r.decoder.PartCharset(), "utf-8");
  EXPECT_EQ(r.decoder.PartName(), "N.txt");
  EXPECT_EQ(r.decoder.PartEncoding(), "quoted-printable");
  EXPECT_EQ(r.decoder.PartDisposition(), "inline");
  EXPECT_EQ(r.decoder.PartContentId(), "id@x");
  EXPECT_EQ(r.decoder.HdrContentType(), "multipart/mixed");

  r.Decode(
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n"
      "--b\r\nContent-Type: text/plain; charset=utf-8\r\nContent-ID: <i>\r\n\r\nx\r\n"
      "--b\r\n\r\ny\r\n");
  EXPECT_EQ(r.decoder.PartNumber(), 2);
  EXPECT_EQ(r.decoder.PartContentType(), "");
  EXPECT_EQ(r.decoder.PartContentId(), "");
  EXPECT_EQ(r.decoder.PartCharset(), "utf-8");
}

TEST(MimeDecode, BodyLinesDecodedByTheirTransferEncoding) {
  struct Case {
    const char* encoding;
    const char* body;
    Events pieces;
  };
  const Case cases[] = {
      {"quoted-printable", "abc=\r\ndef=E9=\r\n=e9\r\n", {"[abc]", "[def\\xE9]", "[\\xE9\\r\\n]"}},
      {"quoted-printable", "a=4\r\n=\r\n", {"[a\\x04\\r\\n]", "[]"}},
      {"base64", "QUJD\r\n  QQ==\t\r\nQUI=\r\nQUJ\r\n\r\n", {"[ABC]", "[A]", "[AB]", "[AB]", "[]"}},
      {"8bit", "caf\xE9\r\n", {"[caf\\xE9]", "[\\r\\n]"}},
      {"", "\r\n", {"[]", "[\\r\\n]"}},
  };
  MimeRecorder r;
  for (const auto& c : cases) {
    Events got = r.Decode(std::string("Content-Transfer-Encoding: ") + c.encoding + "\r\n\r\n" + c.body);
    Events expected{"HeaderBegin", "HeaderEnd", "PartBegin 0"};
    expected.insert(expected.end(), c.pieces.begin(), c.pieces.end());
    expected.insert(expected.end(), {"PartEnd 0", "MessageEnd"});
    EXPECT_EQ(got, expected) << c.encoding << " " << c.body;
  }
}

TEST(MimeDecode, UuencodedPartDeliversOnlyTheFileBytes) {
  MimeRecorder r;
  Events got = r.Decode(
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n"
      "Content-Type: application/octet-stream\r\nContent-Transfer-Encoding: X-UUENCODE\r\n\r\n"
      "not delivered\r\nBEGIN 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\nafter\r\n--b--\r\n");
  EXPECT_EQ(Events(got.begin() + 7, got.end()), (Events{"[Cat]", "[]", "PartEnd 1", "MessageEnd"}));
}

TEST(MimeDecode, InlineUuencodedFileIsWithheldFromTheText) {
  MimeRecorder r;
  Events got = r.Decode("Subject: x\r\n\r\nHello\r\nbegin 644 cat.txt\r\n#0V%T\r\n`\r\nend\r\nBye\r\n");
  EXPECT_EQ(got, (Events{"HeaderBegin", "HeaderEnd", "PartBegin 0", "[Hello]", "[\\r\\n]", "InlineBegin cat.txt",
                         "InlineLine Cat", "InlineLine ", "InlineEnd", "[\\r\\n]", "[Bye]", "[\\r\\n]", "PartEnd 0",
                         "MessageEnd"}));
  // Lines that only look like the start of a file.
  for (const char* line : {"begin 6 x", "begin 644", "begin 644 ", "beginning 644 x", "begin 644 x -- Cut Here --",
                           "begin abc x"}) {
    got = r.Decode(std::string("Subject: x\r\n\r\n") + line + "\r\n");
    EXPECT_EQ(got[3], "[" + std::string(line) + "]") << line;
  }
  // A part with a content type of its own is never searched for inline files.
  got = r.Decode("Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: text/plain\r\n\r\n"
                 "begin 644 cat.txt\r\n");
  EXPECT_EQ(got[7], "[begin 644 cat.txt]");
}

TEST(MimeDecode, SinkCollectsEveryNonEmptyDeliveredPiece) {
  MimeRecorder r;
  std::string sink;
  r.decoder.DecodedSink = &sink;
  r.Decode("Content-Type: multipart/mixed; boundary=b\r\n\r\npre\r\n--b\r\nContent-Transfer-Encoding: base64\r\n\r\n"
           "SGVs\r\n\r\nbG8=\r\n--b--\r\n");
  EXPECT_EQ(sink, "preHello");
}

TEST(MimeDecode, NulEndsALine) {
  MimeRecorder r;
  static const char message[] = "Subject: ab\0cd\r\n\r\nxy\0z\r\n";
  Events got = r.Decode(std::string(message, sizeof message - 1));
  EXPECT_EQ(r.decoder.HdrSubject(), "ab");
  EXPECT_EQ(got[3], "[xy]");
}

TEST(MimeDecode, LinesOfAnyLengthAcrossReadBlocks) {
  const std::string subject(300000, 's');
  const std::string body(200000, 'b');
  const std::string message = "Subject: " + subject + "\r\n\tmore\r\nTo: t\r\n\r\n" + body + "\r\nend";
  MimeRecorder fromBytes, fromStream;
  const Events expected = fromBytes.Decode(message);
  std::istringstream in(message);
  fromStream.decoder.DecodeStream(in);
  EXPECT_EQ(fromStream.events, expected);
  EXPECT_EQ(fromStream.decoder.HdrSubject(), subject + "   more");
  EXPECT_EQ(fromStream.decoder.HdrTo(), "t");
  EXPECT_EQ(expected[3], "[" + body + "]");
}

TEST(MimeDecode, StreamIsReadFromItsCurrentPosition) {
  std::istringstream in("garbage\r\nSubject: s\r\n\r\n");
  in.seekg(9);
  TMimeDecode d;
  d.DecodeStream(in);
  EXPECT_EQ(d.HdrSubject(), "s");
  EXPECT_EQ(d.HeaderLines().size(), 1u);
}

TEST(MimeDecode, EachDecodeStartsFromEmptyFields) {
  TMimeDecode d;
  d.DecodeBytes("Subject: s\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: x/y\r\n\r\n");
  d.DecodeBytes("From: f\r\n\r\n");
  EXPECT_EQ(d.HdrSubject(), "");
  EXPECT_EQ(d.Boundary(), "");
  EXPECT_EQ(d.PartNumber(), 0);
  EXPECT_EQ(d.PartContentType(), "");
  EXPECT_EQ(d.HeaderLines(), (std::vector<std::string>{"From: f"}));
}

TEST(MimeDecode, DecodeFile) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("m.eml"), "Subject: from a file\r\n\r\n");
  TMimeDecode d;
  EXPECT_TRUE(d.DecodeFile(dir.File("m.eml")));
  EXPECT_EQ(d.HdrSubject(), "from a file");
  int ends = 0;
  d.OnMessageEnd = [&] { ++ends; };
  EXPECT_FALSE(d.DecodeFile(dir.File("missing.eml")));
  EXPECT_EQ(ends, 0);
}

TEST(MimeDecode, BrokenMessagesAreReadToTheEnd) {
  const std::string cases[] = {
      "",
      "\n\n\n",
      "\r",
      std::string(100000, 'x'),                                               // one endless header line
      "Subject: a\r\n" + std::string(50000, ' ') + "\r\n\r\n",              // endless continuation
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n" + std::string(70000, 'h'),  // endless part header
      "Content-Transfer-Encoding: base64\r\n\r\n!!!!*\x80\xFF==\r\n=\r\n====\r\n",             // garbage base64
      "Content-Transfer-Encoding: quoted-printable\r\n\r\n=\r\n==\r\n=ZZ=G\r\n",
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\n",
      "Content-Type: multipart/mixed; boundary=\"\"\r\n\r\n--\r\n----\r\n\r\n",
      "Content-Type: multipart/mixed; boundary=b\r\n\r\n--b\r\nContent-Transfer-Encoding: x-uuencode\r\n\r\nbegin \r\n\x7F\x7F\r\n",
  };
  for (const std::string& message : cases) {
    MimeRecorder r;
    const Events got = r.Decode(message);
    ASSERT_FALSE(got.empty());
    EXPECT_EQ(got.back(), "MessageEnd");
  }
}

}  // namespace
}  // namespace mobrelle
