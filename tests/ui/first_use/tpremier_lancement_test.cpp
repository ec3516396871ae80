#include "ui/first_use/tpremier_lancement.h"

#include <gtest/gtest.h>

#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

#include "tests/support/temp_dir.h"

namespace mobrelle {
namespace {

using test::TempDir;
using test::WriteFileBytes;

TEST(FirstUseWindow, ShowsTheShippedGuideWithItsFormat) {
  TPremierLancement window;
  EXPECT_EQ(window.windowTitle(), QString::fromUtf8("Avant d'utiliser Mobrelle"));
  EXPECT_EQ(window.size(), QSize(640, 480));
  EXPECT_EQ(window.View()->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
  EXPECT_TRUE(window.View()->isReadOnly());

  const QString path = TPremierLancement::ShippedGuidePath();
  ASSERT_FALSE(path.isEmpty()) << "the guide is copied beside the test programs";
  ASSERT_TRUE(window.Load(path));
  QTextDocument* doc = window.View()->document();
  EXPECT_EQ(doc->firstBlock().text(), QString("Bienvenue dans Mobrelle !"));
  const QTextCharFormat title = doc->firstBlock().begin().fragment().charFormat();
  EXPECT_EQ(title.fontWeight(), QFont::Bold);
  EXPECT_EQ(title.fontPointSize(), 14.0);
  EXPECT_TRUE(doc->toPlainText().contains(QString::fromUtf8("Créer votre première boîte")));
}

TEST(FirstUseWindow, FormatsAndLineBreaksReachTheView) {
  TempDir dir;
  WriteFileBytes(dir.File("guide.rtf"), "{\\rtf1 {\\i pench\\'e9}\\line {\\ul soulign\\'e9}\\par fin}");
  TPremierLancement window;
  ASSERT_TRUE(window.Load(QString::fromStdString(dir.File("guide.rtf"))));
  QTextDocument* doc = window.View()->document();
  ASSERT_EQ(doc->blockCount(), 2);
  EXPECT_EQ(doc->firstBlock().text(), QString::fromUtf8("penché") + QChar::LineSeparator + QString::fromUtf8("souligné"));
  auto it = doc->firstBlock().begin();
  EXPECT_TRUE(it.fragment().charFormat().fontItalic());
  EXPECT_FALSE(it.fragment().charFormat().fontUnderline());
  ++it;  // the line break, between the two groups
  EXPECT_EQ(it.fragment().text(), QString(QChar::LineSeparator));
  ++it;
  EXPECT_TRUE(it.fragment().charFormat().fontUnderline());
  EXPECT_EQ(doc->lastBlock().text(), QString("fin"));
}

TEST(FirstUseWindow, MissingOrUnreadableFileIsNotLoaded) {
  TempDir dir;
  TPremierLancement window;
  EXPECT_FALSE(window.Load(QString()));
  EXPECT_FALSE(window.Load(QString::fromStdString(dir.File("absent.rtf"))));
  EXPECT_FALSE(window.Load(QString::fromStdString(dir.Path())));  // a folder
  WriteFileBytes(dir.File("huge.rtf"), std::string(TPremierLancement::kMaxFileSize + 1, 'a'));
  EXPECT_FALSE(window.Load(QString::fromStdString(dir.File("huge.rtf"))));
}

}  // namespace
}  // namespace mobrelle
