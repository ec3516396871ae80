#pragma once
// The built-in French texts, by number. Sorted by number; each number appears once.

#include <span>

namespace mobrelle {

struct TextEntry {
  int id;
  const char* text;  // UTF-8
};

// UTF-8 French text of `id`, or nullptr when the table has no such number.
const char* DefaultText(int id);
std::span<const TextEntry> AllTexts();

}  // namespace mobrelle
