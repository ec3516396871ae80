#include "polling/pop3/pop3_reply.h"

#include <gtest/gtest.h>

#include "polling/pop3/sync_pop3_cli.h"
#include "polling/pop3/winsock_errors.h"

namespace mobrelle {
namespace {

TEST(Pop3Reply, NumbersOfStatAndList) {
  struct Case {
    const char* line;
    int64_t first, second;
  } cases[] = {
      {"+OK 2 320", 2, 320},
      {"+OK", 0, 0},
      {"+OK 7", 0, 0},          // a lone number counts as nothing
      {"+OK 7   ", 0, 0},
      {"+OK 3 octets", 3, 0},   // second not a number
      {"+OK\t4\t99 more", 4, 99},
      {"+OK 99999999999999999999999 1", INT64_MAX, 1},  // saturates, never wraps
  };
  for (const Case& c : cases) {
    const Pop3Numbers n = ExtractNumbers(c.line);
    EXPECT_EQ(n.first, c.first) << c.line;
    EXPECT_EQ(n.second, c.second) << c.line;
  }
}

TEST(Pop3Reply, UidOfUidl) {
  EXPECT_EQ(ExtractUid("+OK 3 0123456789abcdefghijklmn").uid, "0123456789abcdefghijklmn");
  EXPECT_EQ(ExtractUid("+OK 3 0123456789abcdefghijklmn").number, 3);
  EXPECT_EQ(ExtractUid("+OK 5 first-word and more").uid, "first-word");
  EXPECT_EQ(ExtractUid("+OK 5 ab\x7f" "cd").uid, "ab");
  const Pop3Uid none = ExtractUid("+OK no digits");
  EXPECT_EQ(none.number, 0);
  EXPECT_EQ(none.uid, "");
}

TEST(Pop3Reply, ApopTimestampAndRfcDigest) {
  EXPECT_EQ(ApopTimestamp("+OK POP3 server ready <1896.697170952@dbc.mtview.ca.us> and more>"),
            "<1896.697170952@dbc.mtview.ca.us>");
  EXPECT_EQ(ApopTimestamp("+OK ready"), "");
  EXPECT_EQ(ApopTimestamp("+OK <unclosed"), "");
  // RFC 1939, section 7.
  EXPECT_EQ(ApopDigest("<1896.697170952@dbc.mtview.ca.us>", "tanstaaf"), "c4c9334bac560ecc979e58001b3e22fb");
}

TEST(Pop3Reply, DotRulesOfMultiLineReplies) {
  struct Case {
    std::string in, out;
    MultiLineKind kind;
  } cases[] = {
      {".", ".", MultiLineKind::End},
      {"..text", ".text", MultiLineKind::Line},
      {"..", ".", MultiLineKind::Line},
      {".text", ".text", MultiLineKind::Line},
      {"text", "text", MultiLineKind::Line},
      {"", "", MultiLineKind::Line},
  };
  for (const Case& c : cases) {
    std::string_view line = c.in;
    EXPECT_EQ(UnstuffLine(line), c.kind) << c.out;
    EXPECT_EQ(line, c.out);
  }
}

TEST(Pop3Reply, TraceHidesSecrets) {
  EXPECT_EQ(TraceOfCommand("PASS secret"), "PASS ****");
  EXPECT_EQ(TraceOfCommand("APOP alice c4c9334bac560ecc979e58001b3e22fb"), "APOP alice ****");
  EXPECT_EQ(TraceOfCommand("STAT"), "STAT");
}

TEST(Pop3Reply, SocketErrorTexts) {
  EXPECT_EQ(SocketErrorReply(10061), "-ERR Connection refused (Winsock error #10061)");
  EXPECT_EQ(SocketErrorReply(11001), "-ERR Host not found (Winsock error #11001)");
  EXPECT_EQ(WinsockErrorText(10060), "Connection timed out");
  EXPECT_EQ(WinsockErrorText(10051), "Network is unreachable");
  EXPECT_EQ(WinsockErrorText(0), "No Error");
  EXPECT_EQ(WinsockErrorText(4242), "Not a WinSock error");
}

}  // namespace
}  // namespace mobrelle
