#pragma once
// TMimeDecode reads one Internet message (the lines a POP3 server returned) and gives its main header
// fields, its header lines, its parts with their own header fields, and the decoded bytes of each
// part, through notifications raised in message order. It converts no character set and leaves
// RFC 2047 encoded words as they are.

#include <cstddef>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace mobrelle {

class TMimeDecode {
 public:
  using Notify = std::function<void()>;
  using LineNotify = std::function<void(std::string_view line)>;
  // The bytes are followed by a NUL at bytes[length], so a receiver may read them as text.
  using BytesNotify = std::function<void(const char* bytes, size_t length)>;

  // Every notification is optional.
  Notify OnHeaderBegin;
  LineNotify OnHeaderLine;  // each unfolded line of the message header
  Notify OnHeaderEnd;
  Notify OnPartHeaderBegin;
  LineNotify OnPartHeaderLine;
  Notify OnPartHeaderEnd;
  Notify OnPartBegin;
  BytesNotify OnPartLine;  // one decoded piece of the current part
  Notify OnPartEnd;
  Notify OnMessageEnd;
  std::function<void(std::string_view fileName)> OnInlineDecodeBegin;
  BytesNotify OnInlineDecodeLine;  // the uudecoded bytes of one line of an inline file
  Notify OnInlineDecodeEnd;

  // When set, every non-empty decoded piece delivered through OnPartLine is appended here too.
  std::string* DecodedSink = nullptr;

  // Decodes from the stream's current position to its end.
  void DecodeStream(std::istream& stream);
  // The same on bytes in memory.
  void DecodeBytes(std::string_view message);
  // The same on a file; false (and no notification) when it cannot be opened.
  bool DecodeFile(const std::string& fileName);

  // Main header fields: the last such header wins; empty when absent.
  const std::string& HdrFrom() const { return hdrFrom_; }
  const std::string& HdrTo() const { return hdrTo_; }
  const std::string& HdrSubject() const { return hdrSubject_; }
  const std::string& HdrDate() const { return hdrDate_; }
  const std::string& HdrReturnPath() const { return hdrReturnPath_; }
  const std::string& HdrMimeVersion() const { return hdrMimeVersion_; }
  const std::string& HdrEncoding() const { return hdrEncoding_; }
  const std::string& HdrContentType() const { return hdrContentType_; }
  const std::string& HdrCharset() const { return hdrCharset_; }
  const std::string& HdrName() const { return hdrName_; }
  const std::string& HdrDisposition() const { return hdrDisposition_; }
  const std::string& HdrFileName() const { return hdrFileName_; }
  // "--" + the boundary parameter in lower case; not empty for a multipart message.
  const std::string& Boundary() const { return boundary_; }
  const std::vector<std::string>& HeaderLines() const { return headerLines_; }

  // Fields of the current (after decoding: the last) part.
  int PartNumber() const { return partNumber_; }
  const std::string& PartContentType() const { return partContentType_; }
  const std::string& PartName() const { return partName_; }
  const std::string& PartCharset() const { return partCharset_; }
  const std::string& PartEncoding() const { return partEncoding_; }
  const std::string& PartDisposition() const { return partDisposition_; }
  const std::string& PartFileName() const { return partFileName_; }
  const std::string& PartContentId() const { return partContentId_; }
  // Boundaries of the parts' own multipart contents, "--" + value in lower case, whole message.
  const std::vector<std::string>& NestedBoundaries() const { return nestedBoundaries_; }
  bool EndOfMime() const { return endOfMime_; }

 private:
  enum class Handler { MessageHeader, SingleBody, WaitBoundary, PartHeader, PartBody };

  void Start();
  void Feed(const char* data, size_t size);
  void Finish();
  void TakeLine(const char* data, size_t size, bool hadCr);
  void HandleLine(std::string_view line);

  void ProcessHeaderLine(std::string_view line);
  void ProcessMessageLine(std::string_view line);
  void ProcessWaitBoundary(std::string_view line);
  void ProcessPartHeaderLine(std::string_view line);
  void ProcessPartLine(std::string_view line);
  void PreparePart();
  void BeginPartBody();
  bool IsBoundaryLine(std::string_view line, bool alsoClosing, bool& closing);

  void DecodeBodyLine(std::string_view line, const std::string& encoding);
  void ProcessDecodedLine(std::string_view piece);
  bool InlineUudecode(std::string_view piece);
  void Deliver(std::string_view piece);

  // main header
  std::string hdrFrom_, hdrTo_, hdrSubject_, hdrDate_, hdrReturnPath_, hdrMimeVersion_, hdrEncoding_,
      hdrContentType_, hdrCharset_, hdrName_, hdrDisposition_, hdrFileName_, boundary_;
  std::vector<std::string> headerLines_;
  // parts
  int partNumber_ = 0;
  std::string partContentType_, partName_, partCharset_, partEncoding_, partDisposition_, partFileName_,
      partContentId_;
  std::vector<std::string> nestedBoundaries_;
  bool endOfMime_ = false;

  // reading state
  Handler handler_ = Handler::MessageHeader;
  bool unfolding_ = true;
  bool headerBegun_ = false;      // OnHeaderBegin raised
  bool partHeaderBegun_ = false;  // the current part header has had a line
  bool partBodyBegun_ = false;    // OnPartBegin raised since the last part end
  bool inUuFile_ = false;         // between "begin" and "end" of an x-uuencode body
  bool inInlineFile_ = false;     // between "begin" and "end" of an inline uuencoded file
  std::string carry_;             // a line cut by the end of a block
  std::string pending_;  // a header line that a continuation line may still extend
  bool hasPending_ = false;
  bool pendingCr_ = false;
  std::string lowerScratch_, pieceScratch_, decodeScratch_;
};

}  // namespace mobrelle
