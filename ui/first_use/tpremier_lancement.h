#pragma once
// The window of a first run: the first-use guide, read from its RTF file, in one scrolling view.

#include <QDialog>
#include <QString>

#include "ui/first_use/rtf_text.h"

class QTextDocument;
class QTextEdit;

namespace mobrelle {

// The document's paragraphs and runs as a rich text (bold, italic, underline, line breaks).
void FillTextDocument(const RtfDocument& rtf, QTextDocument& document);

class TPremierLancement : public QDialog {
  Q_OBJECT

 public:
  explicit TPremierLancement(QWidget* parent = nullptr);

  // Where the guide shipped with the program is; empty when it is not there.
  static QString ShippedGuidePath();

  // False when the file is missing, unreadable or too large for a guide: the caller then skips the
  // window.
  bool Load(const QString& rtfPath);

  QTextEdit* View() const { return view_; }

  static constexpr qint64 kMaxFileSize = 4 * 1024 * 1024;

 private:
  QTextEdit* view_;
};

}  // namespace mobrelle
