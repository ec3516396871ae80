#include "inspect/zip/zip_errors.h"

#include <cstring>

namespace mobrelle::zip {

std::string ZipErrorText(int code) {
  switch (code) {
    case kZipNewerVersion:
      return "Cannot extract file - newer version required";
    case kZipUnsupportedMethod:
      return "Cannot extract file - unsupported compression method";
    case kZipNoExtractionSupport:
      return "Cannot extract file - no extraction support provided";
    case kZipInvalidPassword:
      return "Cannot extract file - invalid password";
    case kZipSpannedInMemory:
      return "Spanned archives must be opened as file streams";
    case kZipDirectoryMissing:
      return "Directory does not exist";
    case kZipFailedCrc:
      return "Failed CRC Check";
    case kZipFileNotFound:
      return "File not found";
    case kZipNotPkZip:
      return "Invalid file - not a PKZip file";
    case kZipReadError:
      return "Error reading archive";
    case kZipUnsafePath:
      return "Cannot extract file - path leaves the destination folder";
    case kZipMemberTooLarge:
      return "Cannot extract file - file too large";
    case kZipSpannedArchive:
      return "Cannot extract file - spanned archives are not supported";
    default:
      return "";
  }
}

ZipError::ZipError(TZipErrorClass errorClass, int code, const std::string& message)
    : std::runtime_error(message), class_(errorClass), code_(code) {}

ZipError::ZipError(int readerCode)
    : std::runtime_error(ZipErrorText(readerCode)), class_(TZipErrorClass::ecZipReader), code_(readerCode) {}

void ThrowZip(int readerCode) { throw ZipError(readerCode); }

void ThrowCorrupt(const char* what) { throw ZipError(TZipErrorClass::ecOther, 0, what); }

void ThrowErrno(TZipErrorClass errorClass, int err, const std::string& what) {
  throw ZipError(errorClass, err, what + ": " + std::strerror(err));
}

}  // namespace mobrelle::zip
