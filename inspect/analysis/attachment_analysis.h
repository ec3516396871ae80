#pragma once
// What a message is made of, as the analysis window lists it: one row per MIME part that has a
// content type, a disposition or a file name, then the members of the parts that are ZIP archives
// (nested archives included), or a single row saying nothing was found. Also the texts the window
// shows in message boxes meanwhile. All text is Windows-1252.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace mobrelle {

// The five columns of the list: "Bloc N°", "Contenu", "Type", "Fichier attaché", "Taille".
struct AnalysisRow {
  std::string block;
  std::string content;
  std::string type;
  std::string file;
  std::string size;
  bool operator==(const AnalysisRow&) const = default;
};

// Bounds on the work one analysis does, whatever the message holds (quines, bombs, huge directories).
struct AnalysisLimits {
  int maxDepth = 20;                          // archives deeper than this are listed, not opened
  uint64_t maxMemberSize = uint64_t{64} << 20;  // one extracted member
  uint64_t maxExtracted = uint64_t{256} << 20;  // all members extracted in one analysis
  size_t maxRows = 100000;                     // rows of one analysis
};

struct AnalysisResult {
  std::vector<AnalysisRow> rows;
  std::vector<std::string> messages;  // message box texts, in the order they would appear
};

// The texts of the list and of its message boxes.
std::string NothingFoundText();                           // "Aucun attachement trouvé"
std::string UnzippedText();                               // "*Dézippé par Mobrelle*"
std::string CannotUnzipText(std::string_view fileName);  // "Impossible de dézipper '" + name + "'"

// True when the last three characters of `fileName`, in lower case, are "zip".
bool NameEndsInZip(std::string_view fileName);

// Analyses a whole message: the bytes of its lines (CR LF or LF line ends).
AnalysisResult AnalyseMessage(std::string_view message, const AnalysisLimits& limits = {});

// Lists the members of an archive held in `archive`, named `name` in messages, as the analysis of
// a message does for an attachment (nested archives included). Returns false when the archive
// could not be read to the end (the rows read so far stay, CannotUnzipText is not added).
bool ListZipArchive(std::string_view archive, const std::string& name, AnalysisResult& result,
                    const AnalysisLimits& limits = {});

}  // namespace mobrelle
