// The text rules: the program file of a command line, icon numbers, filter notes, mailto addresses.
#include "ui/mail_program/command_line.h"

#include <gtest/gtest.h>

#include <QUrl>
#include <QUrlQuery>
#include <filesystem>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/ui/mail_program/scoped_env.h"

namespace mobrelle {
namespace {

using test::ScopedEnv;
using test::TempDir;
using test::WriteFileBytes;

TEST(ExecutableFromCommand, CommandLines) {
  TempDir dir;
  std::filesystem::create_directories(dir.File("Mail Prog"));
  const std::string prog = dir.File("Mail Prog/mailer");
  WriteFileBytes(prog, "x");
  // Values of 125 and 126 characters naming a folder that holds the program.
  const std::string fits = dir.Path() + "/" + std::string(kMaxCommandVariable - dir.Path().size() - 1, 'f');
  const std::string tooLong = fits + "g";
  for (const std::string& d : {fits, tooLong}) {
    std::filesystem::create_directories(d);
    WriteFileBytes(d + "/mailer", "x");
  }
  ScopedEnv env;
  env.Set("MOBRELLE_T_DIR", dir.Path());
  env.Set("MOBRELLE_T_UNSET", std::nullopt);
  env.Set("MOBRELLE_T_FITS", fits);
  env.Set("MOBRELLE_T_LONG", tooLong);

  struct Case {
    std::string command, expected;
  } cases[] = {
      {"", ""},
      {"\"" + prog + "\" -compose \"%1\"", prog},
      {"\"" + prog, prog},                                // no closing quote
      {prog + " -compose %1", prog},                      // shortened from its end
      {"%MOBRELLE_T_DIR%/Mail Prog/mailer,5", prog},      // expanded, comma and number dropped
      {"\"%MOBRELLE_T_DIR%/Mail Prog/mailer\",-2", prog},
      {"%MOBRELLE_T_UNSET%/Mail Prog/mailer", ""},
      {"%MOBRELLE_T_FITS%/mailer", fits + "/mailer"},
      {"%MOBRELLE_T_LONG%/mailer", ""},
      {prog + ",0 -x", prog},
      {dir.Path(), ""},                                   // a folder is not a program
      {dir.File("missing") + " -x", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(ExecutableFromCommand(c.command), c.expected) << c.command;
}

TEST(IconNumber, AfterTheComma) {
  struct Case {
    const char* value;
    int expected;
  } cases[] = {
      {"C:\\mail.exe,-5", 5}, {"C:\\mail.exe,5", 5}, {"C:\\mail.exe", 0}, {"x,", 0},     {"x,-", 0},
      {"x,12", 12},           {"x,123", 12},         {"x,a", 0},          {"x,5a", 0},   {"x,1,2", 0},
  };
  for (const auto& c : cases) EXPECT_EQ(IconNumber(c.value), c.expected) << c.value;
}

TEST(StripFilterNote, CutsAtNoBreakSpaceAndParenthesis) {
  struct Case {
    std::string text, expected;
  } cases[] = {
      {"spam@exemple.fr\xA0(*@exemple.fr)\xA0", "spam@exemple.fr"},
      {"Prix\xA0(bas) garantis\xA0(prix)\xA0", "Prix"},  // the first occurrence, even inside a subject
      {"a\xA0" "b (c)", "a\xA0" "b (c)"},                 // neither alone is a note
      {"plain", "plain"},
      {"", ""},
  };
  for (const auto& c : cases) EXPECT_EQ(StripFilterNote(c.text), c.expected) << c.text;
}

// What a mail program would read back from the address: the recipient and every query item.
struct Parsed {
  std::string to;
  QList<QPair<QString, QString>> items;
};
Parsed Parse(const std::string& url) {
  const QUrl u = QUrl::fromEncoded(QByteArray::fromStdString(url), QUrl::StrictMode);
  EXPECT_TRUE(u.isValid()) << url;
  EXPECT_EQ(u.scheme(), "mailto");
  EXPECT_FALSE(u.hasFragment()) << url;
  return {u.path(QUrl::FullyDecoded).toStdString(), QUrlQuery(u).queryItems(QUrl::FullyDecoded)};
}

TEST(ReplyMailto, TextsCannotAddParameters) {
  struct Case {
    std::string sender, subject, expectedUrl, expectedTo, expectedSubject;
  } cases[] = {
      {"alice@exemple.fr", "Bonjour", "mailto:alice@exemple.fr?subject=Re%3A%20Bonjour", "alice@exemple.fr",
       "Re: Bonjour"},
      {"alice@exemple.fr", "x&attach=~/.ssh/id_rsa",
       "mailto:alice@exemple.fr?subject=Re%3A%20x%26attach%3D~%2F.ssh%2Fid_rsa", "alice@exemple.fr",
       "Re: x&attach=~/.ssh/id_rsa"},
      {"alice@exemple.fr", "a?b#c", "mailto:alice@exemple.fr?subject=Re%3A%20a%3Fb%23c", "alice@exemple.fr",
       "Re: a?b#c"},
      // Windows-1252 é and € go out as UTF-8.
      {"alice@exemple.fr", "R\xE9union \x80", "mailto:alice@exemple.fr?subject=Re%3A%20R%C3%A9union%20%E2%82%AC",
       "alice@exemple.fr", "Re: R\xC3\xA9union \xE2\x82\xAC"},
      // Filter notes stripped from both; a sender that tries to add a header or a recipient.
      {"spam@exemple.fr\xA0(*@exemple.fr)\xA0", "Gain\xA0(gain)\xA0",
       "mailto:spam@exemple.fr?subject=Re%3A%20Gain", "spam@exemple.fr", "Re: Gain"},
      {"x@y?bcc=z@w&body=hi,v@w", "s", "mailto:x@y%3Fbcc%3Dz@w%26body%3Dhi%2Cv@w?subject=Re%3A%20s",
       "x@y?bcc=z@w&body=hi,v@w", "Re: s"},
  };
  for (const auto& c : cases) {
    const std::string url = ReplyMailto(c.sender, c.subject);
    EXPECT_EQ(url, c.expectedUrl);
    const Parsed p = Parse(url);
    EXPECT_EQ(p.to, c.expectedTo) << url;
    ASSERT_EQ(p.items.size(), 1) << url;
    EXPECT_EQ(p.items[0].first, "subject");
    EXPECT_EQ(p.items[0].second.toStdString(), c.expectedSubject);
  }
}

TEST(SupportMailto, SubjectAndBody) {
  const Parsed p = Parse(SupportMailto());
  EXPECT_EQ(p.to, kSupportAddress);
  ASSERT_EQ(p.items.size(), 2);
  EXPECT_EQ(p.items[0].first, "subject");
  EXPECT_EQ(p.items[0].second, QString::fromUtf8("Clés de registre Mail Mobrelle V 3.8.0.00"));
  EXPECT_EQ(p.items[1].first, "body");
  EXPECT_EQ(p.items[1].second,
            QString::fromUtf8("<Coller ici le contenu du presse-papier en précisant les symptômes puis envoyer ce "
                              "message>"));
}

TEST(LaunchFailureText, CommandInDoubleQuotes) {
  EXPECT_EQ(LaunchFailureText(""), "Ne peut pas lancer le client de messagerie \"\"");
  EXPECT_EQ(LaunchFailureText("mutt -y"), "Ne peut pas lancer le client de messagerie \"mutt -y\"");
}

}  // namespace
}  // namespace mobrelle
