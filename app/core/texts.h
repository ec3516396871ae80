#pragma once
// Lookup of the numbered texts in the language in use.

#include <functional>
#include <string>

namespace mobrelle {

// Text `id` in Windows-1252; empty when the table has no such number.
std::string Txt(int id);
// The same text in UTF-8.
std::string TxtUtf8(int id);

// Replaces the French built-in texts by a translation (the language module). The function receives
// the number and the French UTF-8 text and returns UTF-8. An empty function restores French.
using TextTranslator = std::function<std::string(int id, const char* frenchUtf8)>;
void SetTextTranslator(TextTranslator translator);
// Changes whenever the texts may have: lets a caller keep what it derived from a text until then.
int TextGeneration();

}  // namespace mobrelle
