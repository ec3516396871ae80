// The rows of an analysis: real messages, attachments that are archives (nested, deep, hostile).
#include <gtest/gtest.h>

#include "inspect/analysis/attachment_analysis.h"
#include "inspect/zip/zip_errors.h"
#include "tests/unit/inspect/analysis/analysis_test_util.h"

namespace mobrelle {
namespace {

using test::Member;
using test::MessageWithAttachment;
using test::Zip;
using Rows = std::vector<std::string>;

// "block|content|type|file|size", so a failure shows the whole row.
Rows Texts(const AnalysisResult& r) {
  Rows out;
  for (const AnalysisRow& row : r.rows) {
    out.push_back(row.block + "|" + row.content + "|" + row.type + "|" + row.file + "|" + row.size);
  }
  return out;
}

const std::string kUnzipped = "|*D\xE9zipp\xE9 par Mobrelle*||";
const std::string kNothing = "|Aucun attachement trouv\xE9|||";

TEST(AttachmentAnalysis, RealMessages) {
  struct Case {
    const char* file;
    Rows rows;
  } cases[] = {
      {"msg_07.txt", {"1|text/plain|||41", "2|image/gif|attachment|dingusfish.gif|3.512"}},
      {"msg_13.txt",  // nested multipart: the inner multipart part is listed too
       {"1|text/plain|||21", "2|multipart/mixed|||2", "3|text/plain|||41",
        "4|image/gif|attachment|dingusfish.gif|3.512"}},
      {"msg_22.txt",
       {"1|text/plain|||17", "2|image/jpeg|attachment|wibble.JPG|272", "3|image/jpeg|attachment|wibble2.JPG|317",
        "4|text/plain|||17"}},
  };
  for (const Case& c : cases) {
    const AnalysisResult r = AnalyseMessage(test::Fixture("mail", c.file));
    EXPECT_EQ(Texts(r), c.rows) << c.file;
    EXPECT_TRUE(r.messages.empty()) << c.file;
  }
}

TEST(AttachmentAnalysis, MessagesWithoutPartsListNothingFound) {
  const char* messages[] = {
      "From: a@example.org\r\nSubject: hello\r\n\r\nJust text.\r\n",
      "From: a@example.org\r\nContent-Type: text/plain; charset=utf-8\r\n\r\nJust text.\r\n",
      "",
  };
  for (const char* m : messages) EXPECT_EQ(Texts(AnalyseMessage(m)), Rows{kNothing}) << m;
}

TEST(AttachmentAnalysis, NestedArchiveInAnAttachment) {
  const std::string inner = Zip({Member("deep.txt", "deep down"), Member("folder/", "", 0)});
  const std::string outer = Zip({Member("a.txt", std::string(1500, 'a')), Member("inner.zip", inner, 0)});
  // Upper-case ZIP and an RFC 2047 file name are both recognised.
  const AnalysisResult r = AnalyseMessage(MessageWithAttachment("\"=?iso-8859-1?q?r=E9sum=E9.ZIP?=\"", outer));
  EXPECT_EQ(Texts(r), (Rows{"1|text/plain|||15",
                            "2|application/zip|attachment|r\xE9sum\xE9.ZIP|" + std::to_string(outer.size()),
                            kUnzipped + "> a.txt|1.500",
                            kUnzipped + "> inner.zip|" + std::to_string(inner.size()),
                            kUnzipped + ">> deep.txt|9",
                            kUnzipped + ">> folder/|0"}));
  EXPECT_TRUE(r.messages.empty());
}

TEST(AttachmentAnalysis, NameEndingInZipThatIsNoArchive) {
  // Without a dot the name still counts; the part is listed, then the failure is reported.
  const AnalysisResult r = AnalyseMessage(MessageWithAttachment("fauxzip", "not an archive at all"));
  ASSERT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.rows[1].file, "fauxzip");
  EXPECT_EQ(r.messages, Rows{"Impossible de d\xE9zipper 'fauxzip'"});
  // A real archive under a name that does not end in zip is not opened.
  const AnalysisResult notOpened = AnalyseMessage(MessageWithAttachment("data.bin", Zip({Member("x", "y")})));
  EXPECT_EQ(notOpened.rows.size(), 2u);
}

TEST(AttachmentAnalysis, NameEndsInZip) {
  EXPECT_TRUE(NameEndsInZip("a.zip"));
  EXPECT_TRUE(NameEndsInZip("A.ZiP"));
  EXPECT_TRUE(NameEndsInZip("zip"));
  EXPECT_FALSE(NameEndsInZip("ip"));
  EXPECT_FALSE(NameEndsInZip("a.zip "));
  EXPECT_FALSE(NameEndsInZip(""));
}

TEST(AttachmentAnalysis, RealArchiveWithANestedArchive) {
  AnalysisResult r;
  EXPECT_TRUE(ListZipArchive(test::Fixture("zip", "iz-nested.zip"), "iz-nested.zip", r));
  EXPECT_EQ(Texts(r), (Rows{kUnzipped + "> iz-inner.zip|5.391", kUnzipped + ">> msg.txt|5.227",
                            kUnzipped + "> numbers.txt|108.894"}));
}

TEST(AttachmentAnalysis, MemberFailuresAreReportedAndTheListingGoesOn) {
  // An encrypted inner archive cannot be opened: the reader's text, and the next member still listed.
  zip::test::MemberSpec locked = Member("locked.zip", Zip({Member("x", "y")}), 0);
  locked.flags = 1;
  AnalysisResult r;
  EXPECT_TRUE(ListZipArchive(Zip({locked, Member("after.txt", "z")}), "outer.zip", r));
  EXPECT_EQ(r.rows.size(), 2u);
  EXPECT_EQ(r.messages, Rows{zip::ZipErrorText(zip::kZipInvalidPassword)});
  // A directory that cannot be read ends the listing.
  AnalysisResult bad;
  EXPECT_FALSE(ListZipArchive("PK\x05\x06 truncated", "bad.zip", bad));
  EXPECT_TRUE(bad.rows.empty());
}

// Archive k holds archive k+1; the last holds a text file.
std::string Chain(int levels) {
  std::string z = Zip({Member("leaf.txt", "leaf")});
  for (int k = levels - 1; k >= 0; --k) z = Zip({Member("z" + std::to_string(k + 1) + ".zip", z)});
  return z;
}

TEST(AttachmentAnalysis, NestingStopsAtDepthTwenty) {
  AnalysisResult r;
  EXPECT_TRUE(ListZipArchive(Chain(25), "chain.zip", r));
  // Depths 0 to 20 are listed; the archive found at depth 20 is not opened.
  ASSERT_EQ(r.rows.size(), 21u);
  EXPECT_EQ(r.rows.back().file, std::string(21, '>') + " z21.zip");
  EXPECT_TRUE(r.messages.empty());

  AnalysisResult shallow;
  AnalysisLimits limits;
  limits.maxDepth = 2;
  EXPECT_TRUE(ListZipArchive(Chain(25), "chain.zip", shallow, limits));
  EXPECT_EQ(shallow.rows.size(), 3u);
}

TEST(AttachmentAnalysis, OversizedMemberIsRefusedNotExtracted) {
  // 8 MiB of zeros deflate to a few KB; the member bound is set below them.
  const std::string bomb = Zip({Member("big.zip", std::string(8 << 20, '\0')), Member("next.txt", "n")});
  AnalysisLimits limits;
  limits.maxMemberSize = 1 << 20;
  AnalysisResult r;
  EXPECT_TRUE(ListZipArchive(bomb, "bomb.zip", r, limits));
  EXPECT_EQ(Texts(r), (Rows{kUnzipped + "> big.zip|8.388.608",
                            "|" + zip::ZipErrorText(zip::kZipMemberTooLarge) + "||> big.zip|",
                            kUnzipped + "> next.txt|1"}));
  EXPECT_TRUE(r.messages.empty());
}

TEST(AttachmentAnalysis, TotalExtractionOfOneAnalysisIsBounded) {
  // Ten copies of a 300 KB archive under a 1 MB budget: three are opened, the others refused.
  const std::string piece = Zip({Member("filler.bin", std::string(300000, 'x'), 0)});
  std::vector<zip::test::MemberSpec> members;
  for (int i = 0; i < 10; ++i) members.push_back(Member("copy" + std::to_string(i) + ".zip", piece, 0));
  AnalysisLimits limits;
  limits.maxExtracted = 1000000;
  AnalysisResult r;
  EXPECT_TRUE(ListZipArchive(Zip(members), "copies.zip", r, limits));
  EXPECT_EQ(r.rows.size(), 10u + 3u + 7u);  // the seven refused copies each get a failure row
  EXPECT_TRUE(r.messages.empty());
}

TEST(AttachmentAnalysis, ArchiveThatMultipliesItsMembersIsCut) {
  // Each level holds 16 copies of the one below: 16^5 rows if nothing stopped it.
  std::string level = Zip({Member("0.txt", std::string(1000, '0'))});
  for (int depth = 0; depth < 5; ++depth) {
    std::vector<zip::test::MemberSpec> copies;
    for (int i = 0; i < 16; ++i) copies.push_back(Member(std::to_string(i) + ".zip", level));
    level = Zip(copies);
  }
  AnalysisLimits limits;
  limits.maxRows = 5000;
  const AnalysisResult r = AnalyseMessage(MessageWithAttachment("42.zip", level), limits);
  EXPECT_EQ(r.rows.size(), 5000u);
  // One report for the attachment, none for the archives inside it.
  EXPECT_EQ(r.messages, Rows{"Impossible de d\xE9zipper '42.zip'"});
}

}  // namespace
}  // namespace mobrelle
