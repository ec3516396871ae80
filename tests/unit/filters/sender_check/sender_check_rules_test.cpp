#include "filters/sender_check/sender_check_rules.h"

#include <gtest/gtest.h>

#include "app/core/cp1252.h"
#include "filters/sender_check/dns_server_discovery.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

TEST(SenderCheckRejects, ResultsUnderEachCondition) {
  struct Case {
    int result;
    bool byCondition[4];  // conditions 0, 1, 2, and a value out of range
  };
  const Case cases[] = {
      {kSenderExists, {false, false, false, false}},
      {kSenderNotVerified, {false, false, false, false}},
      {kSenderUnknown, {true, false, true, false}},
      {kSenderNoExchanger, {false, true, true, false}},
  };
  for (const auto& c : cases)
    for (int cond = 0; cond < 4; ++cond)
      EXPECT_EQ(SenderCheckRejects(c.result, cond), c.byCondition[cond]) << c.result << " " << cond;
}

// An answer to an MX query with the records given in answer order, tagged as the decoder tags them.
struct Rec {
  uint16_t type;
  uint16_t preference;
  const char* exchange;
};
DnsResponse Answer(int rcode, std::initializer_list<Rec> records, bool tc = false) {
  DnsResponse r;
  r.rcode = rcode;
  r.tc = tc;
  int a = 0;
  for (const Rec& rec : records) {
    DnsAnswer ans;
    ans.type = rec.type;
    if (rec.type == 15) {
      ans.tag = static_cast<int>(r.mx.size());
      r.mx.push_back({rec.preference, rec.exchange});
    } else if (rec.type == 1) {
      ans.tag = a++;
      r.a.push_back(0x7F000001);
    }
    r.answers.push_back(ans);
  }
  return r;
}

TEST(ChooseMailExchanger, OnlyAGoodAnswerWithoutUsableExchangerCondemns) {
  using K = MxChoice::Kind;
  struct Case {
    const char* what;
    DnsResponse response;
    K kind;
    const char* host;
  };
  const Case cases[] = {
      {"lower preference wins, even second", Answer(0, {{15, 20, "mx20.test"}, {15, 10, "mx10.test"}}), K::Probe,
       "mx10.test"},
      {"first among equals", Answer(0, {{15, 10, "first.test"}, {15, 10, "second.test"}}), K::Probe, "first.test"},
      {"99 is usable", Answer(0, {{15, 99, "mx.test"}}), K::Probe, "mx.test"},
      {"only preference 100", Answer(0, {{15, 100, "backup.test"}}), K::NoExchanger, ""},
      {"100 and above passed over", Answer(0, {{15, 65535, "a.test"}, {15, 100, "b.test"}, {15, 7, "c.test"}}),
       K::Probe, "c.test"},
      {"no MX at all", Answer(0, {}), K::NoExchanger, ""},
      {"null MX", Answer(0, {{15, 0, ""}}), K::NoExchanger, ""},
      // Address records index their own table: they must not stand for exchangers.
      {"A records before the MX", Answer(0, {{1, 0, ""}, {1, 0, ""}, {15, 10, "mx.test"}}), K::Probe, "mx.test"},
      {"A records only", Answer(0, {{1, 0, ""}}), K::NoExchanger, ""},
      {"no such domain", Answer(3, {}), K::NoExchanger, ""},
      {"server failure", Answer(2, {}), K::NotVerified, ""},
      {"refused", Answer(5, {}), K::NotVerified, ""},
      {"format error", Answer(1, {}), K::NotVerified, ""},
      {"not implemented, even with an MX", Answer(4, {{15, 10, "mx.test"}}), K::NotVerified, ""},
      {"truncated with an MX", Answer(0, {{15, 10, "mx.test"}}, true), K::NotVerified, ""},
      {"truncated, no such domain", Answer(3, {}, true), K::NotVerified, ""},
  };
  for (const auto& c : cases) {
    const MxChoice choice = ChooseMailExchanger(c.response);
    EXPECT_EQ(choice.kind, c.kind) << c.what;
    EXPECT_EQ(choice.host, c.host) << c.what;
  }
}

TEST(ChooseMailExchanger, TagsOutsideTheTableAreIgnored) {
  DnsResponse r = Answer(0, {{15, 10, "mx.test"}});
  DnsAnswer stray;
  stray.type = 15;
  stray.tag = 7;
  r.answers.insert(r.answers.begin(), stray);
  const MxChoice choice = ChooseMailExchanger(r);
  EXPECT_EQ(choice.kind, MxChoice::Kind::Probe);
  EXPECT_EQ(choice.host, "mx.test");
}

TEST(FirstIpv4Nameserver, ReadsTheFirstUsableLine) {
  const struct {
    const char* text;
    const char* server;
  } cases[] = {
      {"nameserver 10.0.0.53\nnameserver 10.0.0.54\n", "10.0.0.53"},
      {"# nameserver 1.1.1.1\n; nameserver 2.2.2.2\nsearch lan\nnameserver\t192.168.1.1  # box\n", "192.168.1.1"},
      {"  nameserver 127.0.0.53\r\noptions edns0\r\n", "127.0.0.53"},
      {"nameserver ::1\nnameserver fe80::1%eth0\nnameserver 9.9.9.9", "9.9.9.9"},
      {"nameserver 1.2.3.4#comment\n", "1.2.3.4"},
      {"nameservers 1.2.3.4\nnameserver\nNAMESERVER 5.6.7.8\n", ""},
      {"nameserver 256.1.1.1\nnameserver 1.2.3\nnameserver 1.2.3.4.5\nnameserver 1..2.3\nnameserver 1234.1.1.1\n", ""},
      {"nameserver 1.2.3.4x\nnameserver 01.002.3.4\n", "01.002.3.4"},
      {"", ""},
      {"domain x\n\n\n", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(FirstIpv4Nameserver(c.text), c.server) << c.text;
}

TEST(DiscoverDnsServer, ReadsTheFile) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File("resolv.conf"), "search example\nnameserver 127.0.0.1\n");
  EXPECT_EQ(DiscoverDnsServer(dir.File("resolv.conf")), "127.0.0.1");
  EXPECT_EQ(DiscoverDnsServer(dir.File("missing.conf")), "");
}

TEST(DnsTestText, ThreeOutcomes) {
  EXPECT_EQ(Cp1252ToUtf8(DnsTestText(false, "1.2.3.4")), "Test impossible :\r\nPas de connexion Internet active");
  EXPECT_EQ(Cp1252ToUtf8(DnsTestText(true, "1.2.3.4")),
            "Un DNS a été trouvé automatiquement : 1.2.3.4\r\nLa zone doit donc rester vide");
  EXPECT_EQ(Cp1252ToUtf8(DnsTestText(true, "")), "Aucun DNS trouvé. Il faut remplir la zone requise");
}

TEST(SenderCheckTexts, WindowsBytesOfTheShownTexts) {
  EXPECT_EQ(Cp1252ToUtf8(SenderCheckStatusText(kSenderExists)), "Adresse OK");
  EXPECT_EQ(Cp1252ToUtf8(SenderCheckStatusText(kSenderUnknown)), "Adresse FAUSSE");
  EXPECT_EQ(Cp1252ToUtf8(SenderCheckStatusText(kSenderNoExchanger)), "Adresse non vérifiée");
  EXPECT_EQ(Cp1252ToUtf8(SenderCheckStatusText(kSenderNotVerified)), "Adresse non vérifiée");
  EXPECT_EQ(Cp1252ToUtf8(kTextNonexistentSenderFrame), "Interception d'un message dont l'expéditeur est inexistant");
}

}  // namespace
}  // namespace mobrelle
