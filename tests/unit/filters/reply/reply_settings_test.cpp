#include "filters/reply/reply_settings.h"

#include <gtest/gtest.h>

#include "app/core/ini_file.h"
#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

TEST(ReplySettings, DefaultsWhenAbsentAndStoredLineBreaks) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ReplySettings s;
  s.Load(ini);
  EXPECT_EQ(s.SMTPServeur, kDefaultSmtpServer);
  EXPECT_EQ(s.SMTPId, "identifiant");
  EXPECT_EQ(s.SMTPExped, "");
  EXPECT_EQ(s.SpamTexte, kDefaultSpamText);

  test::WriteFileBytes(ini.Path(), "[Mobrelle]\r\nSpamTexte=un\xB6\xB6" "deux\xB6\xB6\xB6trois\xB6\r\nSMTPId=moi\r\n");
  s.SpamTexteModified = true;
  s.Load(ini);
  EXPECT_EQ(s.SpamTexte, "un\r\ndeux\r\n\xB6trois\xB6");
  EXPECT_EQ(s.SMTPId, "moi");
  EXPECT_FALSE(s.SpamTexteModified);
}

TEST(ReplySettings, SaveWritesOnlyWhatWasEdited) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ini.WriteString("Mobrelle", "SMTPServeur", "old.test");
  ReplySettings s;
  s.Load(ini);
  s.SMTPServeur = "typed.but.not.marked";
  s.SMTPExped = "reply@me.test";
  s.SMTPExpedModified = true;
  s.SpamTexte = "ligne 1\r\nligne 2";
  s.SpamTexteModified = true;
  s.Save(ini);
  EXPECT_EQ(test::ReadFileBytes(ini.Path()),
            "[Mobrelle]\r\nSMTPServeur=old.test\r\nSMTPExped=reply@me.test\r\nSpamTexte=ligne 1\xB6\xB6ligne 2\r\n");
  EXPECT_FALSE(s.SMTPExpedModified);
  EXPECT_FALSE(s.SpamTexteModified);
  ReplySettings back;
  back.Load(ini);
  EXPECT_EQ(back.SpamTexte, "ligne 1\r\nligne 2");
  EXPECT_EQ(SavedSmtpServer(ini), "old.test");
  EXPECT_EQ(SavedSmtpId(ini), "identifiant");
}

TEST(ReplySettings, EveryKindOfLineBreakIsStoredAsPilcrows) {
  test::TempDir dir;
  IniFile ini(dir.File("Mobrelle.ini"));
  ReplySettings s;
  s.SpamTexte = "un\ndeux\rtrois\r\n\nquatre";
  s.SpamTexteModified = true;
  s.Save(ini);
  EXPECT_EQ(test::ReadFileBytes(ini.Path()),
            "[Mobrelle]\r\nSpamTexte=un\xB6\xB6" "deux\xB6\xB6trois\xB6\xB6\xB6\xB6quatre\r\n");
  ReplySettings back;
  back.Load(ini);
  EXPECT_EQ(back.SpamTexte, "un\r\ndeux\r\ntrois\r\n\r\nquatre");
}

TEST(ReplySettings, FailedSaveKeepsTheMarks) {
  test::TempDir dir;
  IniFile ini(dir.File("no-such-folder/Mobrelle.ini"));
  ReplySettings s;
  s.SMTPIdModified = true;
  EXPECT_THROW(s.Save(ini), IniWriteError);
  EXPECT_TRUE(s.SMTPIdModified);
}

}  // namespace
}  // namespace mobrelle
