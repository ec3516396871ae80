#pragma once
// The files of the four lists: one entry a line, fields joined by ',', Windows-1252 with CR LF.
// Saving keeps rotating copies in the "sauv" folder.

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "filters/lists/filter_lists.h"
#include "filters/lists/history_dates.h"

namespace mobrelle {

inline constexpr char kLoadingListsText[] = "Chargement des listes de filtres...";
inline constexpr char kSavingListsText[] = "Enregistrement des listes de filtres...";
inline constexpr char kListsSavedText[] = "Listes de filtres sauvegard\xE9" "es";

// Event-log output (ShowStatus index 0); may be empty.
using ListStatus = std::function<void(const std::string& text)>;

// Where the lists live: the program folder and the program's base name ("Mobrelle").
struct ListFiles {
  std::string Folder;
  std::string BaseName = "Mobrelle";
  std::string PathOf(ListIndex list) const;  // Folder/BaseName + ".rej" / ".rjs" / ".rjd" / ".his"
};

// Splits one line into `columns` fields (missing ones empty, extra ones dropped).
std::vector<std::string> SplitListLine(std::string_view line, std::size_t columns);
// Makes a filter entry from its fields, correcting invalid codes; true when something was changed.
bool FilterEntryFromFields(const std::vector<std::string>& fields, bool recipientList, FilterEntry& entry);
// The line of an entry, without its CR LF.
std::string FilterEntryLine(const FilterEntry& entry, bool recipientList);
std::string HistoryEntryLine(const HistoryEntry& entry);

// Reads one file's content into a list (the list is not cleared), renaming the old codes "D" and
// "m" of the action. Returns whether it was corrected (which sets the modified flag).
bool ParseFilterFile(std::string_view content, bool recipientList, FilterList& list);
void ParseHistoryFile(std::string_view content, HistoryList& list);

// Fills each empty list from its file; a file that cannot be read leaves its list empty.
void LoadLists(const ListFiles& files, FilterLists& lists, const ListStatus& status = {});

struct SaveResult {
  bool Ok = true;
  std::vector<std::string> FailedFiles;  // paths that could not be written or removed
  std::string ErrorText;                 // for the user and the event log, Windows-1252
};

// Writes every modified list (an empty one removes its file), keeping `backups` rotating copies
// ("NbFicSauv"). A list whose file cannot be written keeps its modified flag.
SaveResult SaveLists(const ListFiles& files, FilterLists& lists, int backups, const HistoryClock& clock,
                     const ListStatus& status = {});

// Shifts sauv/<name>, sauv/<name>1, ... one step and copies `file` to sauv/<name>.
void RotateBackups(const std::string& folder, const std::string& file, int backups);

// Writes `content` to a temporary file beside `path`, mode 0600, then renames it over `path`.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// First run: copies Defaut.rej and Defaut.rjs from `sourceFolder` as the program's .rej and .rjs,
// never over an existing file. Returns how many were copied.
int CopyDefaultLists(const std::string& sourceFolder, const ListFiles& files);

}  // namespace mobrelle
