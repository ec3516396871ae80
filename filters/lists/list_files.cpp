#include "filters/lists/list_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "filters/lists/history_retention.h"

namespace fs = std::filesystem;

namespace mobrelle {

namespace {

constexpr std::size_t kReadPiece = 1021;

bool ReadWholeFile(const std::string& path, std::string& out) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  std::ostringstream ss;
  ss << in.rdbuf();
  out = ss.str();
  return true;
}

// Calls `line` for each piece as a line reader with a 1021-byte buffer gives them: up to and
// including a LF, or 1021 bytes.
template <typename F>
void ForEachPiece(std::string_view content, F line) {
  std::size_t i = 0;
  while (i < content.size()) {
    std::size_t end = std::min(content.size(), i + kReadPiece);
    const std::size_t lf = content.substr(i, end - i).find('\n');
    if (lf != std::string_view::npos) end = i + lf + 1;
    line(content.substr(i, end - i));
    i = end;
  }
}

bool IsInteger(const std::string& s) {
  std::size_t i = (!s.empty() && (s[0] == '+' || s[0] == '-')) ? 1 : 0;
  if (i >= s.size() || s.size() - i > 10) return false;
  for (std::size_t j = i; j < s.size(); ++j)
    if (s[j] < '0' || s[j] > '9') return false;
  const long long v = std::stoll(s.substr(i));
  return v <= 2147483647LL + (s[0] == '-' ? 1 : 0);
}

// A field must never break the line format when read back.
std::string CleanField(const std::string& s) {
  std::string out = s;
  for (char& c : out)
    if (c == ',' || c == '\r' || c == '\n' || c == '\0') c = ' ';
  return out;
}

void FixOldAvant(FilterList& list) {
  for (auto& e : list.Entries) {
    if (e.Avant.empty()) continue;
    if (e.Avant[0] == 'm') e.Avant[0] = 'g';
    else if (e.Avant[0] == 'D') e.Avant[0] = 'd';
  }
}

void Status(const ListStatus& status, const std::string& text) {
  if (status) status(text);
}

}  // namespace

std::string ListFiles::PathOf(ListIndex list) const {
  const char* ext = ".rej";
  switch (list) {
    case ListIndex::Adr: ext = ".rej"; break;
    case ListIndex::Suj: ext = ".rjs"; break;
    case ListIndex::Dest: ext = ".rjd"; break;
    case ListIndex::Hist: ext = ".his"; break;
  }
  return (fs::path(Folder) / (BaseName + ext)).string();
}

std::vector<std::string> SplitListLine(std::string_view line, std::size_t columns) {
  const std::size_t stop = line.find_first_of(std::string_view("\r\n\0", 3));
  if (stop != std::string_view::npos) line = line.substr(0, stop);
  std::vector<std::string> fields;
  std::size_t start = 0;
  while (fields.size() < columns) {
    if (start > line.size()) {
      fields.emplace_back();
      continue;
    }
    const std::size_t comma = line.find(',', start);
    const std::size_t end = comma == std::string_view::npos ? line.size() : comma;
    fields.emplace_back(line.substr(start, end - start));
    start = comma == std::string_view::npos ? line.size() + 1 : comma + 1;
  }
  return fields;
}

bool FilterEntryFromFields(const std::vector<std::string>& f, bool recipientList, FilterEntry& e) {
  std::size_t i = 0;
  e.Text = f[i++];
  if (recipientList) e.Field = f[i++];
  e.Avant = f[i++];
  e.Pendant = f[i++];
  e.Effectues = f[i++];
  std::string last = f[i];
  bool changed = false;
  if (recipientList && e.Field != "A" && e.Field != "C" && e.Field != "L") {
    e.Field = "A";
    changed = true;
  }
  if (last == "A") {
    e.Accepted = true;
    return changed;
  }
  e.Accepted = false;
  if (last != "R") changed = true;
  if (e.Avant != "R" && e.Avant != "d" && e.Avant != "g") {
    e.Avant = "g";
    changed = true;
  }
  if (e.Pendant.empty() ||
      (e.Pendant != "N " && e.Pendant[0] != 'o' && e.Pendant[0] != 'v' && e.Pendant[0] != 's')) {
    if (e.Pendant != "N ") changed = true;
    e.Pendant = "N ";
  }
  if (!e.Effectues.empty() && !IsInteger(e.Effectues)) {
    e.Effectues.clear();
    changed = true;
  }
  return changed;
}

std::string FilterEntryLine(const FilterEntry& e, bool recipientList) {
  std::string line = CleanField(e.Text);
  if (recipientList) line += "," + CleanField(e.Field);
  line += "," + CleanField(e.Avant) + "," + CleanField(e.Pendant) + "," + CleanField(e.Effectues);
  line += e.Accepted ? ",A" : ",R";
  return line;
}

std::string HistoryEntryLine(const HistoryEntry& e) {
  return CleanField(e.DateTime) + "," + CleanField(e.Sender) + "," + CleanField(e.Subject) + "," +
         CleanField(e.Recipients) + "," + CleanField(e.CopyRecipients) + "," + CleanField(e.Mailbox);
}

bool ParseFilterFile(std::string_view content, bool recipientList, FilterList& list) {
  bool corrected = false;
  const std::size_t columns = recipientList ? 6 : 5;
  ForEachPiece(content, [&](std::string_view piece) {
    if (piece[0] == '\r' || piece[0] == '\n') return;
    FilterEntry e;
    if (FilterEntryFromFields(SplitListLine(piece, columns), recipientList, e)) corrected = true;
    list.Entries.push_back(std::move(e));
  });
  // Old versions' codes are renamed without counting as a correction.
  FixOldAvant(list);
  if (corrected) list.Modified = true;
  return corrected;
}

void ParseHistoryFile(std::string_view content, HistoryList& list) {
  ForEachPiece(content, [&](std::string_view piece) {
    if (piece[0] < '0' || piece[0] > '9') return;
    const auto f = SplitListLine(piece, 6);
    list.Entries.push_back({f[0], f[1], f[2], f[3], f[4], f[5]});
  });
}

void LoadLists(const ListFiles& files, FilterLists& lists, const ListStatus& status) {
  Status(status, kLoadingListsText);
  std::string content;
  struct {
    ListIndex index;
    FilterList* list;
  } filters[] = {{ListIndex::Adr, &lists.ListeAdr}, {ListIndex::Suj, &lists.ListeSuj},
                 {ListIndex::Dest, &lists.ListeDest}};
  for (auto& f : filters) {
    if (f.list->Entries.empty() && ReadWholeFile(files.PathOf(f.index), content))
      ParseFilterFile(content, f.index == ListIndex::Dest, *f.list);
  }
  if (lists.ListeHist.Entries.empty() && ReadWholeFile(files.PathOf(ListIndex::Hist), content))
    ParseHistoryFile(content, lists.ListeHist);
  for (auto& f : filters) FixOldAvant(*f.list);
  Status(status, "");
}

bool WriteFileAtomically(const std::string& path, std::string_view content) {
  std::string tmp = path + ".XXXXXX";
  const int fd = ::mkstemp(tmp.data());
  if (fd < 0) return false;
  bool ok = ::fchmod(fd, 0600) == 0;
  std::size_t done = 0;
  while (ok && done < content.size()) {
    const ssize_t n = ::write(fd, content.data() + done, content.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) ok = false;
    else done += static_cast<std::size_t>(n);
  }
  if (ok && ::fsync(fd) != 0) ok = false;
  if (::close(fd) != 0) ok = false;
  if (ok && ::rename(tmp.c_str(), path.c_str()) != 0) ok = false;
  if (!ok) ::unlink(tmp.c_str());
  return ok;
}

void RotateBackups(const std::string& folder, const std::string& file, int backups) {
  std::error_code ec;
  const fs::path sauv = fs::path(folder) / "sauv";
  const std::string b = (sauv / fs::path(file).filename()).string();
  // Renames never replace an existing backup.
  auto renameIfFree = [&](const std::string& from, const std::string& to) {
    if (fs::exists(from, ec) && !fs::exists(to, ec)) fs::rename(from, to, ec);
  };
  for (int k = backups; k >= 2; --k) {
    if (k == backups) fs::remove(b + std::to_string(k), ec);
    renameIfFree(b + std::to_string(k - 1), b + std::to_string(k));
  }
  renameIfFree(b, b + "1");
  std::string content;
  if (ReadWholeFile(file, content)) WriteFileAtomically(b, content);
}

SaveResult SaveLists(const ListFiles& files, FilterLists& lists, int backups, const HistoryClock& clock,
                     const ListStatus& status) {
  Status(status, kSavingListsText);
  SaveResult result;
  std::error_code ec;
  fs::create_directories(fs::path(files.Folder) / "sauv", ec);

  auto save = [&](ListIndex index, bool& modified, bool empty, const std::function<std::string()>& text) {
    if (!modified) return;
    const std::string path = files.PathOf(index);
    bool ok;
    if (!empty) {
      if (fs::exists(path, ec)) RotateBackups(files.Folder, path, backups);
      ok = WriteFileAtomically(path, text());
    } else {
      ok = !fs::exists(path, ec) || fs::remove(path, ec);
    }
    if (ok) {
      modified = false;
    } else {
      result.Ok = false;
      result.FailedFiles.push_back(path);
    }
  };
  auto filterText = [](const FilterList& list, bool recipient) {
    return [&list, recipient] {
      std::string out;
      for (const auto& e : list.Entries) out += FilterEntryLine(e, recipient) + "\r\n";
      return out;
    };
  };
  save(ListIndex::Adr, lists.ListeAdr.Modified, lists.ListeAdr.Entries.empty(), filterText(lists.ListeAdr, false));
  save(ListIndex::Suj, lists.ListeSuj.Modified, lists.ListeSuj.Entries.empty(), filterText(lists.ListeSuj, false));
  save(ListIndex::Dest, lists.ListeDest.Modified, lists.ListeDest.Entries.empty(),
       filterText(lists.ListeDest, true));
  save(ListIndex::Hist, lists.ListeHist.Modified, lists.ListeHist.Entries.empty(), [&] {
    SortHistoryNewestFirst(lists.ListeHist, clock);
    std::string out;
    for (const auto& e : lists.ListeHist.Entries) out += HistoryEntryLine(e) + "\r\n";
    return out;
  });

  if (!result.Ok) {
    result.ErrorText = "Impossible d'enregistrer ";
    for (std::size_t i = 0; i < result.FailedFiles.size(); ++i)
      result.ErrorText += (i ? ", " : "") + result.FailedFiles[i];
    result.ErrorText += " : les modifications restent en m\xE9moire.";
    Status(status, result.ErrorText);
  } else {
    Status(status, kListsSavedText);
  }
  return result;
}

int CopyDefaultLists(const std::string& sourceFolder, const ListFiles& files) {
  int copied = 0;
  std::string content;
  const std::pair<const char*, ListIndex> pairs[] = {{"Defaut.rej", ListIndex::Adr}, {"Defaut.rjs", ListIndex::Suj}};
  for (const auto& [name, index] : pairs) {
    const std::string to = files.PathOf(index);
    std::error_code ec;
    if (fs::exists(to, ec)) continue;
    if (ReadWholeFile((fs::path(sourceFolder) / name).string(), content) && WriteFileAtomically(to, content))
      ++copied;
  }
  return copied;
}

}  // namespace mobrelle
