#pragma once
// `mobrelle --analyse FILE`: the analysis rows of a saved message, or the members of FILE itself
// when it is a ZIP archive, for use without a display.

#include <iosfwd>
#include <string>

namespace mobrelle {

// Prints one row per line, columns separated by tabs, in UTF-8, on `out`; what the analysis window
// would show in message boxes goes to `err`, one per line. Returns 0, or 1 with a message on `err`
// when the file cannot be read.
int RunAnalyseCommand(const std::string& path, std::ostream& out, std::ostream& err);

// True when `data` is to be taken as a ZIP archive rather than as a message.
bool LooksLikeZipArchive(const std::string& data);

}  // namespace mobrelle
