// Shared by the fuzz targets: a temporary home for the whole run, so that the files the
// parsers read never reach the home of whoever runs them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace sp_fuzz {

// The temporary home, made on first use and removed when the process exits normally.
// Empty when it could not be made.
const std::string& Home();

// Writes the bytes to the file at path (made afresh); false when that failed.
bool WriteFile(const std::string& path, const uint8_t* data, std::size_t size);

}  // namespace sp_fuzz
