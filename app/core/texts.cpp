#include "app/core/texts.h"

#include "app/core/cp1252.h"
#include "resources/text_table.h"

namespace mobrelle {
namespace {
TextTranslator& Translator() {
  static TextTranslator translator;
  return translator;
}
int& Generation() {
  static int generation = 0;
  return generation;
}
}  // namespace

std::string TxtUtf8(int id) {
  const char* french = DefaultText(id);
  if (!french) return {};
  if (const auto& t = Translator()) return t(id, french);
  return french;
}

std::string Txt(int id) { return Utf8ToCp1252(TxtUtf8(id)); }

void SetTextTranslator(TextTranslator translator) {
  Translator() = std::move(translator);
  ++Generation();
}

int TextGeneration() { return Generation(); }

}  // namespace mobrelle
