#pragma once
// Stored form of passwords in the configuration file. The scramble has no key: it only keeps a
// password from being readable at a glance.

#include <string>

namespace mobrelle {

std::string ScramblePassword(const std::string& clear);
std::string UnscramblePassword(const std::string& stored);
// XOR with the lock password, byte by byte over the positions the lock password covers.
// Its own inverse.
std::string MaskWithLockPassword(const std::string& text, const std::string& lockPassword);

// The value written to the file for a password and read back from it: scrambled, then masked while a
// lock password is active (empty `lockPassword` = no lock). Values that a file line cannot hold
// intact get an escaped form that still reads back to the same password.
std::string StoredPasswordValue(const std::string& clear, const std::string& lockPassword);
std::string PasswordFromStoredValue(const std::string& value, const std::string& lockPassword);

}  // namespace mobrelle
