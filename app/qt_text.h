#pragma once
// The one pair of conversions between the program's Windows-1252 text and Qt's strings, used where
// text meets the windows.

#include <QString>
#include <string>

namespace mobrelle {

QString ToQt(const std::string& cp1252);
std::string FromQt(const QString& text);  // characters outside Windows-1252 become '?'

// A numbered text as a QString.
QString QTxt(int id);

}  // namespace mobrelle
