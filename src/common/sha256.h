#pragma once
#include <string>

// The SHA-256 digest of the bytes, as 64 lowercase hex digits: the form
// sha256sum prints and CMake's file(SHA256) gives, so a record of shipped
// files can be written by either and read by the other.
std::string Sha256Hex(const std::string& bytes);
