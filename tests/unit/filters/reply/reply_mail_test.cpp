#include "filters/reply/reply_mail.h"

#include <gtest/gtest.h>

#include "app/core/cp1252.h"
#include "filters/reply/reply_settings.h"

namespace mobrelle {
namespace {

using Lines = std::vector<std::string>;

const ReplyMessage kSpam{"Vendeur <promo@spam.test>", "=?iso-8859-1?Q?caf=E9?=",
                         "Alice <alice@one.test>, Bob <bob@two.test>", "carol@three.test"};

TEST(ComposeReply, AddressAndIncludedRecipientsByCode) {
  const std::string memo = "Refus\xE9.\r\n.point\r\nfin";
  const Lines memoLines = {"Refus\xE9.", ".point", "fin"};
  const std::string toLine = "Destinataire(s) de votre message: Alice <alice@one.test>, Bob <bob@two.test>";
  const std::string ccLine = "Destinataire(s) en copie de votre message: carol@three.test";
  const struct {
    const char* code;
    const char* from;
    Lines tail;  // lines after the memo
  } cases[] = {
      {"oa", "Postmaster@two.test", {toLine}},
      {"s ", "reply@me.test", {}},
      {"s", "reply@me.test", {}},
      {"vc", "bob@two.test", {ccLine}},
      {"ox", "Postmaster@two.test", {toLine, ccLine}},
      {"o ", "Postmaster@two.test", {}},
      {"xa", "Postmaster@two.test", {toLine}},  // any other first letter: the postmaster
  };
  for (const auto& c : cases) {
    const ReplyMail mail = ComposeReply(c.code, kSpam, memo, "reply@me.test");
    EXPECT_EQ(mail.from, c.from) << c.code;
    EXPECT_EQ(mail.recipient, "promo@spam.test") << c.code;
    Lines expected = memoLines;
    expected.insert(expected.end(), c.tail.begin(), c.tail.end());
    EXPECT_EQ(mail.lines, expected) << c.code;
  }
}

TEST(ComposeReply, SpecificAddressLeftEmptyAndToWithoutAddress) {
  EXPECT_EQ(ComposeReply("s ", kSpam, "x", "").from, "");
  ReplyMessage noTo = kSpam;
  noTo.to = "undisclosed-recipients:;";
  EXPECT_EQ(ComposeReply("oa", noTo, "x", "").from, "Postmaster@");
  EXPECT_EQ(ComposeReply("va", noTo, "x", "").from, "");
}

TEST(ComposeReply, SubjectIsDecodedAndKeepsItsCase) {
  const struct {
    const char* header;
    const char* subjectUtf8;
  } cases[] = {
      {"=?iso-8859-1?Q?caf=E9?=", "Re:café"},
      {"=?UTF-8?B?Y2Fmw6k=?=", "Re:café"},
      {"Offre SPECIALE", "Re:Offre SPECIALE"},
      {"", "Re:"},
  };
  for (const auto& c : cases) {
    ReplyMessage m = kSpam;
    m.subject = c.header;
    EXPECT_EQ(Cp1252ToUtf8(ComposeReply("o ", m, "x", "").subject), c.subjectUtf8) << c.header;
  }
}

TEST(SplitTextLines, EveryKindOfBreak) {
  const struct {
    const char* text;
    Lines lines;
  } cases[] = {
      {"a\r\nb", {"a", "b"}},      {"a\nb\rc", {"a", "b", "c"}}, {"a\r\n", {"a"}},
      {"a\r\n\r\nb", {"a", "", "b"}}, {"\r\n", {""}},             {"", {}},
      {"a\n\r", {"a", ""}},
  };
  for (const auto& c : cases) EXPECT_EQ(SplitTextLines(c.text), c.lines) << c.text;
}

TEST(ComposeTestMail, FromTheSpecificAddressOrTheRecipient) {
  const ReplyMail own = ComposeTestMail("me@home.test", "");
  EXPECT_EQ(own.from, "me@home.test");
  EXPECT_EQ(own.recipient, "me@home.test");
  EXPECT_EQ(own.subject, "Test envoi SMTP Mobrelle");
  ASSERT_EQ(own.lines.size(), 1u);
  EXPECT_EQ(Cp1252ToUtf8(own.lines[0]),
            "Note : L'adresse de l'expéditeur sera celle à laquelle le spameur aura envoyé le message");
  EXPECT_EQ(ComposeTestMail("me@home.test", "reply@me.test").from, "reply@me.test");
}

TEST(ReplyTexts, WindowsBytesOfTheShownTexts) {
  EXPECT_EQ(Cp1252ToUtf8(kTextSendingReply), "Envoi réponse à ");
  EXPECT_EQ(Cp1252ToUtf8(kTextTestPrompt), "Votre adresse à laquelle recevoir le test :");
  EXPECT_EQ(Cp1252ToUtf8(kTextTestSent),
            "Si vous ne recevez pas de message dans quelques instants,\r\nil faudra peut être modifier les "
            "paramètres SMTP.");
  EXPECT_EQ(Cp1252ToUtf8(kDefaultSpamText),
            "Votre message a été refusé par le destinataire \r\n"
            "en raison de la présence d'un filtre \r\n"
            "anti-spam.\r\n"
            "Si votre message n'était pas un spam, veuillez \r\n"
            "avertir son destinataire par un autre moyen afin \r\n"
            "qu'il corrige son filtre.");
}

}  // namespace
}  // namespace mobrelle
