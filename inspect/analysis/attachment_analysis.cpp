#include "inspect/analysis/attachment_analysis.h"

#include <exception>
#include <string>

#include "app/core/cp1252.h"
#include "inspect/mime/mime_decode.h"
#include "inspect/zip/zip_archive.h"
#include "polling/headers/encoded_words.h"
#include "polling/headers/format_size.h"

namespace mobrelle {

std::string NothingFoundText() { return "Aucun attachement trouv\xE9"; }
std::string UnzippedText() { return "*D\xE9zipp\xE9 par Mobrelle*"; }
std::string CannotUnzipText(std::string_view fileName) {
  return "Impossible de d\xE9zipper '" + std::string(fileName) + "'";
}

bool NameEndsInZip(std::string_view fileName) {
  return fileName.size() >= 3 && LowerCase(fileName.substr(fileName.size() - 3)) == "zip";
}

namespace {

// One analysis: the rows so far and what has been spent of its bounds.
class Analysis {
 public:
  Analysis(AnalysisResult& result, const AnalysisLimits& limits) : result_(result), limits_(limits) {}

  bool Full() const { return result_.rows.size() >= limits_.maxRows; }
  // Set once the row bound stopped a listing: the archives being listed then are not "unreadable".
  bool Stopped() const { return stopped_; }

  void AddRow(AnalysisRow row) { result_.rows.push_back(std::move(row)); }
  void AddMessage(std::string text) { result_.messages.push_back(std::move(text)); }

  // Lists the members of `data` at the current depth; false when the archive could not be read to
  // the end (or the row bound was reached).
  bool ListZip(std::string_view data, const std::string& name) {
    try {
      auto zip = zip::TZipArchive::FromBuffer(data, name);
      zip->OnItemFailure = [this](zip::TZipArchive&, const zip::TZipItem& item, zip::TZipProcessType,
                                  zip::TZipErrorClass errorClass, int code) {
        if (errorClass != zip::TZipErrorClass::ecZipReader) return;
        std::string text = zip::ZipErrorText(code);
        if (code == zip::kZipMemberTooLarge) {
          // A member refused by the memory bounds gets a row of its own under the member's row, not a
          // message box for each of what may be thousands of members.
          AddRow({"", text, "", std::string(depth_ + 1, '>') + " " + item.FileName, ""});
          return;
        }
        if (!text.empty()) AddMessage(std::move(text));
      };
      zip->Load();
      zip->OnExtractToStream = zip::UnzipToStream;
      zip->SetMaxMemberSize(limits_.maxMemberSize);
      for (const zip::TZipItem& item : zip->Items()) {
        if (Full()) {
          stopped_ = true;
          return false;
        }
        AddRow({"", UnzippedText(), "", std::string(depth_ + 1, '>') + " " + item.FileName,
                FormatSize(item.UncompressedSize, '.')});
        // Only members that will be listed are worth extracting.
        if (!NameEndsInZip(item.FileName) || depth_ >= limits_.maxDepth) continue;
        // The stream's bound is what is left of the analysis's budget: past it the reader refuses
        // the member before decoding anything (code 31), which the failure notification reports.
        zip::TZipMemoryStream member(limits_.maxExtracted - extracted_);
        const bool extracted = zip->ExtractToStream(item, member);
        extracted_ += member.Size();
        // A member that failed has been reported; its partial bytes are not worth reading.
        if (!extracted) continue;
        ++depth_;
        const bool listed = ListZip(member.View(), item.FileName);
        --depth_;
        if (!listed && !stopped_) AddMessage(CannotUnzipText(item.FileName));
      }
      return true;
    } catch (const std::exception&) {  // ZipError, or memory refused for a directory
      return false;
    }
  }

 private:
  AnalysisResult& result_;
  const AnalysisLimits& limits_;
  int depth_ = 0;
  uint64_t extracted_ = 0;
  bool stopped_ = false;
};

}  // namespace

bool ListZipArchive(std::string_view archive, const std::string& name, AnalysisResult& result,
                    const AnalysisLimits& limits) {
  Analysis analysis(result, limits);
  return analysis.ListZip(archive, name);
}

AnalysisResult AnalyseMessage(std::string_view message, const AnalysisLimits& limits) {
  AnalysisResult result;
  Analysis analysis(result, limits);
  TMimeDecode decoder;
  // Each part is examined on its own: its bytes are dropped at its end.
  std::string partData;
  decoder.DecodedSink = &partData;
  decoder.OnPartEnd = [&] {
    const std::string fileName = DecodeEncodedWords(decoder.PartFileName());
    const std::string& contentType = decoder.PartContentType();
    const std::string& disposition = decoder.PartDisposition();
    if ((!contentType.empty() || !disposition.empty() || !fileName.empty()) && !analysis.Full()) {
      analysis.AddRow({std::to_string(decoder.PartNumber()), contentType, disposition, fileName,
                       FormatSize(partData.size(), '.')});
      if (NameEndsInZip(fileName) && !analysis.ListZip(partData, fileName)) {
        analysis.AddMessage(CannotUnzipText(fileName));
      }
    }
    partData.clear();
  };
  decoder.DecodeBytes(message);
  if (result.rows.empty()) result.rows.push_back({"", NothingFoundText(), "", "", ""});
  return result;
}

}  // namespace mobrelle
