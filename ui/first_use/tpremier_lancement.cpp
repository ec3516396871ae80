#include "ui/first_use/tpremier_lancement.h"

#include <algorithm>

#include <QFile>
#include <QFontMetrics>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <QVBoxLayout>

#include "app/program_folder.h"
#include "app/qt_text.h"

namespace mobrelle {
namespace {

constexpr int kGuideFileText = 1007;  // "Premiere utilisation.rtf"

}  // namespace

void FillTextDocument(const RtfDocument& rtf, QTextDocument& document) {
  document.clear();
  QTextCursor cursor(&document);
  cursor.beginEditBlock();
  bool first = true;
  for (const auto& paragraph : rtf.Paragraphs) {
    if (!first) cursor.insertBlock();
    first = false;
    for (const auto& run : paragraph.Runs) {
      QTextCharFormat format;
      format.setFontWeight(run.Bold ? QFont::Bold : QFont::Normal);
      format.setFontItalic(run.Italic);
      format.setFontUnderline(run.Underline);
      // Sizes as the text gives them, kept readable.
      if (run.HalfPoints > 0) format.setFontPointSize(std::clamp(run.HalfPoints / 2.0, 6.0, 48.0));
      QString text = QString::fromUtf8(run.Text.data(), static_cast<qsizetype>(run.Text.size()));
      text.replace(QChar('\n'), QChar::LineSeparator);
      cursor.insertText(text, format);
    }
  }
  cursor.endEditBlock();
}

TPremierLancement::TPremierLancement(QWidget* parent) : QDialog(parent), view_(new QTextEdit(this)) {
  setObjectName("TPremierLancement");
  setWindowTitle(QString::fromUtf8("Avant d'utiliser Mobrelle"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
  setModal(true);
  view_->setObjectName("RichEdit1");
  view_->setReadOnly(true);
  view_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  view_->document()->setDocumentMargin(10);
  view_->setTabStopDistance(3 * QFontMetrics(view_->font()).horizontalAdvance(QLatin1Char('M')));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(view_);
  resize(640, 480);
}

QString TPremierLancement::ShippedGuidePath() { return ShippedFile(QTxt(kGuideFileText)); }

bool TPremierLancement::Load(const QString& rtfPath) {
  if (rtfPath.isEmpty()) return false;
  QFile file(rtfPath);
  if (!file.open(QIODevice::ReadOnly) || file.size() > kMaxFileSize) return false;
  const QByteArray bytes = file.read(kMaxFileSize + 1);
  if (bytes.size() > kMaxFileSize || file.error() != QFileDevice::NoError) return false;
  const RtfDocument rtf = ParseRtf(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())));
  FillTextDocument(rtf, *view_->document());
  view_->moveCursor(QTextCursor::Start);
  return true;
}

}  // namespace mobrelle
