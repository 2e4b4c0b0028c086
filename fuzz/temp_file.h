#pragma once
// The readers under test take paths; fuzz inputs go to files in a private directory that is
// removed when the process ends.
#include <cstddef>
#include <cstdint>
#include <string>

// Replaces the file name (no slashes) in the private directory with the bytes; returns its path.
std::string WriteTempFile(const char* name, const uint8_t* data, size_t size);
