// `mobrelle --analyse FILE` on saved messages, archives and files that cannot be read.
#include <gtest/gtest.h>

#include <sstream>

#include "inspect/analysis/analyse_command.h"
#include "tests/unit/inspect/analysis/analysis_test_util.h"

namespace mobrelle {
namespace {

struct Outcome {
  int code;
  std::string out, err;
};

Outcome Analyse(const std::string& path) {
  std::ostringstream out, err;
  const int code = RunAnalyseCommand(path, out, err);
  return {code, out.str(), err.str()};
}

Outcome AnalyseBytes(const std::string& name, const std::string& bytes) {
  test::TempDir dir;
  test::WriteFileBytes(dir.File(name), bytes);
  return Analyse(dir.File(name));
}

const std::string kUnzippedUtf8 = "\t*D\xC3\xA9zipp\xC3\xA9 par Mobrelle*\t\t";

TEST(AnalyseCommand, SavedMessage) {
  const Outcome r = Analyse(std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/mail/msg_07.txt");
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "1\ttext/plain\t\t\t41\n2\timage/gif\tattachment\tdingusfish.gif\t3.512\n");
  EXPECT_EQ(r.err, "");
}

TEST(AnalyseCommand, MessageWithArchiveAndNothingFound) {
  const std::string zip = test::Zip({test::Member("caf\xE9.txt", "x")});
  const Outcome r = AnalyseBytes("m.eml", test::MessageWithAttachment("\"=?utf-8?b?Y2Fmw6kuemlw?=\"", zip));
  EXPECT_EQ(r.code, 0);
  EXPECT_EQ(r.out, "1\ttext/plain\t\t\t15\n2\tapplication/zip\tattachment\tcaf\xC3\xA9.zip\t" +
                       std::to_string(zip.size()) + "\n" + kUnzippedUtf8 + "> caf\xC3\xA9.txt\t1\n");
  EXPECT_EQ(AnalyseBytes("e.eml", "Subject: x\r\n\r\nhi\r\n").out, "\tAucun attachement trouv\xC3\xA9\t\t\t\n");
}

TEST(AnalyseCommand, ArchivesAreRecognisedByContent) {
  // A plain archive under a name that says nothing, and one behind a program (self-extracting).
  const Outcome nested = AnalyseBytes("noext", test::Fixture("zip", "iz-nested.zip"));
  EXPECT_EQ(nested.code, 0);
  EXPECT_EQ(nested.out, kUnzippedUtf8 + "> iz-inner.zip\t5.391\n" + kUnzippedUtf8 + ">> msg.txt\t5.227\n" +
                            kUnzippedUtf8 + "> numbers.txt\t108.894\n");
  const Outcome prefixed = Analyse(std::string(MOBRELLE_SOURCE_DIR) + "/tests/fixtures/zip/iz-prefixed.zip");
  EXPECT_EQ(prefixed.out, kUnzippedUtf8 + "> msg.txt\t5.227\n");
  // Begins like an archive and is none: the window's message, on the error stream, still exit 0.
  const Outcome broken = AnalyseBytes("broken.zip", "PK\x03\x04 and then nothing");
  EXPECT_EQ(broken.code, 0);
  EXPECT_EQ(broken.out, "");
  EXPECT_EQ(broken.err, "Impossible de d\xC3\xA9zipper 'broken.zip'\n");
}

TEST(AnalyseCommand, WhatLooksLikeAnArchive) {
  EXPECT_TRUE(LooksLikeZipArchive(std::string("PK\x05\x06", 4) + std::string(18, '\0')));
  EXPECT_TRUE(LooksLikeZipArchive("PK00PK\x03\x04"));
  EXPECT_TRUE(LooksLikeZipArchive(test::Fixture("zip", "iz-prefixed.zip")));
  EXPECT_FALSE(LooksLikeZipArchive("PKCS#7 notes\n"));
  EXPECT_FALSE(LooksLikeZipArchive(test::Fixture("zip", "invalid-zip.zip")));
  EXPECT_FALSE(LooksLikeZipArchive(test::Fixture("mail", "msg_07.txt")));
}

TEST(AnalyseCommand, FieldsCannotBreakTheRows) {
  const Outcome r = AnalyseBytes("t.eml", test::MessageWithAttachment("\"=?utf-8?q?a=09b=0Ac?=\"", "data", "text/plain"));
  EXPECT_EQ(r.out, "1\ttext/plain\t\t\t15\n2\ttext/plain\tattachment\ta b c\t4\n");
}

TEST(AnalyseCommand, UnreadableFiles) {
  test::TempDir dir;
  for (const std::string& path : {dir.File("missing.eml"), dir.Path()}) {
    const Outcome r = Analyse(path);
    EXPECT_EQ(r.code, 1) << path;
    EXPECT_EQ(r.out, "") << path;
    EXPECT_EQ(r.err.rfind("mobrelle: cannot read " + path + ": ", 0), 0u) << r.err;
  }
}

}  // namespace
}  // namespace mobrelle
