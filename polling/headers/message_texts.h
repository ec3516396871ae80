#pragma once
// The texts of a waiting message that the filters, the message list and the alert work with, taken
// from its decoded header.

#include <string>
#include <vector>

#include "inspect/mime/mime_decode.h"

namespace mobrelle {

struct MessageTexts {
  std::string sender;             // Return-Path when it holds an address, else From; decoded, lower-cased
  std::string subjectForFilters;  // decoded, lower-cased
  std::string subject;            // decoded, case kept
  std::string toForFilters;       // as received
  std::string to;                 // decoded
  std::string cc;                 // as received, at most 255 bytes
  std::string date;               // display date, possibly empty
  std::string contentType;        // charset + part type + "/" + type + "/" + encoding, e.g. "iso-8859-1/text/plain/8bit"
};

// `header` has just decoded the header lines of one message.
MessageTexts DeriveMessageTexts(const TMimeDecode& header);

// The first "Cc:" line (any case, with or without a space after the colon), from after that prefix,
// at most 255 bytes; empty when there is none.
std::string CcText(const std::vector<std::string>& headerLines);

}  // namespace mobrelle
