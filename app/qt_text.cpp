#include "app/qt_text.h"

#include <QList>

#include "app/core/cp1252.h"
#include "app/core/texts.h"

namespace mobrelle {

QString ToQt(const std::string& cp1252) {
  QString out;
  out.reserve(static_cast<qsizetype>(cp1252.size()));
  for (char c : cp1252) out += QChar(static_cast<char16_t>(Cp1252ToUnicode(static_cast<unsigned char>(c))));
  return out;
}

std::string FromQt(const QString& text) {
  std::string out;
  out.reserve(static_cast<size_t>(text.size()));
  for (char32_t cp : text.toUcs4()) out += static_cast<char>(UnicodeToCp1252(cp));
  return out;
}

QString QTxt(int id) { return QString::fromStdString(TxtUtf8(id)); }

}  // namespace mobrelle
