#pragma once
// Converts filter files of versions before 2.2.0.04 ("Mobrelle.rej", "Mobrelle.rjs") to the
// current line format, keeping the previous content as "Mobrelle.rjo".

#include <string>

namespace mobrelle {

// Runs in `folder`; the names are the program's bare file names inside it.
void ConvertOldFilterFiles(const std::string& folder);
// Whether a stored "Version" is older than the current file format.
bool NeedsOldFilterConversion(const std::string& version);

}  // namespace mobrelle
