#pragma once
// Errors of the ZIP reader: a class, a code, and the text of the reader's own codes.

#include <stdexcept>
#include <string>

namespace mobrelle::zip {

// Where an error comes from. Only ecZipReader errors carry one of the codes below; ecInOutError,
// ecFileCreateError and ecFileOpenError carry the system's error number; the others carry 0.
enum class TZipErrorClass {
  ecZipReader,
  ecInOutError,
  ecFilerError,
  ecFileCreateError,
  ecFileOpenError,
  ecCabError,
  ecOther
};

// What was being done when a member failed; the reader only extracts.
enum class TZipProcessType { ptExtract };

// The reader's own codes (class ecZipReader). 1 to 29 are the long-standing ones; 30 to 32 guard against hostile archives
// (paths leaving the base folder, bounded output, spanned archives read from a file).
enum ZipErrorCode : int {
  kZipNewerVersion = 1,         // version needed to extract above 2.1
  kZipUnsupportedMethod = 2,    // a method other than 0 to 6, 8 and 9
  kZipNoExtractionSupport = 3,  // the hook an extraction needs is unset
  kZipInvalidPassword = 4,      // an encrypted member: no password is ever supplied
  kZipSpannedInMemory = 13,     // a member of a multi-volume archive held in memory
  kZipDirectoryMissing = 19,    // base folder or a member's folder missing
  kZipFailedCrc = 23,           // CRC-32 of the produced bytes differs from the member's
  kZipFileNotFound = 25,        // begins with "PK" but holds no end of central directory record
  kZipNotPkZip = 28,            // not an archive, or a record whose signature does not match
  kZipReadError = 29,           // shrunk, reduced or imploded data ends before it is complete
  kZipUnsafePath = 30,          // a member path that is absolute, has a drive letter or climbs out with ".."
  kZipMemberTooLarge = 31,      // a member larger than the bound set for its extraction
  kZipSpannedArchive = 32,      // a member of a multi-volume archive read from a file
};

// The text of a code of class ecZipReader; "" for a code that has none.
std::string ZipErrorText(int code);

// The exception the reader raises inside; what() is the code's text for ecZipReader errors.
class ZipError : public std::runtime_error {
 public:
  ZipError(TZipErrorClass errorClass, int code, const std::string& message);
  // An ecZipReader error with the text of its code.
  explicit ZipError(int readerCode);

  TZipErrorClass ErrorClass() const { return class_; }
  int Code() const { return code_; }

 private:
  TZipErrorClass class_;
  int code_;
};

// Raising helpers, so call sites stay one line.
[[noreturn]] void ThrowZip(int readerCode);
[[noreturn]] void ThrowCorrupt(const char* what);  // ecOther, code 0: corrupt compressed data
[[noreturn]] void ThrowErrno(TZipErrorClass errorClass, int err, const std::string& what);

}  // namespace mobrelle::zip
