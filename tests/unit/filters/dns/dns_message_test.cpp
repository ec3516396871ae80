#include "filters/dns/dns_message.h"

#include <gtest/gtest.h>

namespace mobrelle {
namespace {

using Bytes = std::string;

bool Decode(const Bytes& m, DnsResponse& r) {
  return DecodeDnsResponse(reinterpret_cast<const uint8_t*>(m.data()), m.size(), r);
}

Bytes Header(uint16_t id, uint16_t flags, uint16_t qd, uint16_t an) {
  return {char(id >> 8), char(id), char(flags >> 8), char(flags), char(qd >> 8), char(qd), char(an >> 8), char(an), 0, 0, 0, 0};
}

// An answer to the MX query for example.test (the question at offset 12) with the MX records given.
Bytes MxAnswer(const std::vector<std::pair<int, Bytes>>& records) {
  Bytes m = Header(7, 0x8180, 1, static_cast<uint16_t>(records.size()));
  m += EncodeMxQuery(0, "example.test").substr(12);
  for (const auto& [pref, exchange] : records) {
    m += Bytes{char(0xC0), 12, 0, 15, 0, 1, 0, 0, 1, 0};  // owner: pointer to the question, TTL 256
    m += Bytes{0, char(2 + exchange.size()), char(pref >> 8), char(pref)};
    m += exchange;
  }
  return m;
}

TEST(DnsQuery, LayoutOfTwoLabels) {
  const Bytes q = EncodeMxQuery(1, "abcdefg.com");
  ASSERT_EQ(q.size(), 29u);
  EXPECT_EQ(q.substr(0, 12), (Bytes{0, 1, 1, 0, 0, 1, 0, 0, 0, 0, 0, 0}));
  EXPECT_EQ(q.substr(12), (Bytes{7, 'a', 'b', 'c', 'd', 'e', 'f', 'g', 3, 'c', 'o', 'm', 0, 0, 15, 0, 1}));
  EXPECT_EQ(EncodeMxQuery(1, "abcdefg.com."), q);  // a trailing dot adds nothing
  EXPECT_EQ(EncodeMxQuery(0xABCD, "a..b").substr(0, 2), (Bytes{char(0xAB), char(0xCD)}));
  EXPECT_EQ(EncodeMxQuery(1, "a..b").substr(12, 5), (Bytes{1, 'a', 0, 1, 'b'}));
}

TEST(DnsResponseDecode, MxRecordsWithCompressedNames) {
  // Second exchange: "mx2" then a pointer to the question name.
  DnsResponse r;
  ASSERT_TRUE(Decode(MxAnswer({{10, Bytes{3, 'm', 'x', '1', 0}}, {20, Bytes{3, 'm', 'x', '2', char(0xC0), 12}}}), r));
  EXPECT_EQ(r.id, 7);
  EXPECT_EQ(r.ancount, 2);
  EXPECT_TRUE(r.ra);
  ASSERT_EQ(r.answers.size(), 2u);
  EXPECT_EQ(r.answers[0].name, "example.test");
  EXPECT_EQ(r.answers[0].ttl, 256u);
  EXPECT_EQ(r.answers[0].tag, 0);
  EXPECT_EQ(r.answers[1].tag, 1);
  EXPECT_EQ(r.mx[0].preference, 10);
  EXPECT_EQ(r.mx[0].exchange, "mx1");
  EXPECT_EQ(r.mx[1].preference, 20);
  EXPECT_EQ(r.mx[1].exchange, "mx2.example.test");
}

TEST(DnsResponseDecode, IgnoredAndNoAnswer) {
  DnsResponse r;
  EXPECT_FALSE(Decode(Bytes(11, '\x80'), r));
  EXPECT_FALSE(Decode(Header(1, 0x0100, 0, 0), r));  // a query, not a response
  ASSERT_TRUE(Decode(Header(1, 0x8183, 0, 0), r));   // NXDOMAIN is no error, just no answer
  EXPECT_EQ(r.rcode, 3);
  EXPECT_EQ(r.answers.size(), 0u);
}

TEST(DnsResponseDecode, HostileDatagramsStayInBounds) {
  const Bytes good = MxAnswer({{10, Bytes{3, 'm', 'x', '1', 0}}});
  struct Case {
    const char* what;
    Bytes msg;
  } cases[] = {
      {"pointer to itself", Header(1, 0x8180, 1, 0) + Bytes{char(0xC0), 12}},
      {"two pointers in a loop", Header(1, 0x8180, 1, 1) + Bytes{char(0xC0), 14, char(0xC0), 12}},
      {"pointer past the end", Header(1, 0x8180, 1, 1) + Bytes{char(0xFF), char(0xFF)}},
      {"label past the end", Header(1, 0x8180, 1, 1) + Bytes{60, 'a'}},
      {"counts larger than the data", Header(1, 0x8180, 0xFFFF, 0xFFFF)},
      {"cut in the middle", good.substr(0, good.size() - 3)},
      {"cut in the fixed fields", good.substr(0, 33)},
  };
  for (const auto& c : cases) {
    DnsResponse r;
    EXPECT_TRUE(Decode(c.msg, r)) << c.what;
    EXPECT_LE(r.answers.size(), 1u) << c.what;
  }
  size_t pos = 12;
  const Bytes loop = Header(1, 0x8180, 1, 0) + Bytes{1, 'a', char(0xC0), 12};
  EXPECT_EQ(DecodeDnsName(reinterpret_cast<const uint8_t*>(loop.data()), loop.size(), pos), "a.a");
  EXPECT_EQ(pos, 16u);
}

TEST(DnsResponseDecode, TablesAreBounded) {
  std::vector<std::pair<int, Bytes>> many(60, {5, Bytes{1, 'm', 0}});
  DnsResponse r;
  ASSERT_TRUE(Decode(MxAnswer(many), r));
  EXPECT_EQ(r.answers.size(), kDnsMaxAnswers);
  EXPECT_EQ(r.mx.size(), kDnsMaxMx);
  EXPECT_EQ(r.answers.back().tag, 49);
  // A and PTR records go to their own tables; other types get -1.
  Bytes m = Header(2, 0x8180, 0, 3);
  m += Bytes{0, 0, 1, 0, 1, 0, 0, 0, 0, 0, 4, 127, 0, 0, 1};
  m += Bytes{0, 0, 12, 0, 1, 0, 0, 0, 0, 0, 3, 1, 'h', 0};
  m += Bytes{0, 0, 16, 0, 1, 0, 0, 0, 0, 0, 1, 'x'};
  ASSERT_TRUE(Decode(m, r));
  ASSERT_EQ(r.answers.size(), 3u);
  EXPECT_EQ(r.a.at(0), 0x7F000001u);
  EXPECT_EQ(r.ptr.at(0), "h");
  EXPECT_EQ(r.answers[2].tag, -1);
}

}  // namespace
}  // namespace mobrelle
