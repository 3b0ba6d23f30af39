// FNV-1a, the one short, stable hash of a run of bytes the system uses: for keys that stand in
// for a longer text, digests of records and checksums of stored data. Its 32- and 64-bit forms
// take the bytes in order; a run in pieces gives the hash of the whole when each piece goes on
// from the hash of those before it.
#pragma once

#include <cstddef>

#include "MacTypes.h"

namespace sp {

constexpr UInt32 kFnv1a32Basis = 2166136261u;
constexpr UInt64 kFnv1a64Basis = 14695981039346656037ull;

inline UInt32 Fnv1a32(const void* data, std::size_t size, UInt32 hash = kFnv1a32Basis) {
  const UInt8* bytes = static_cast<const UInt8*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 16777619u;
  return hash;
}

inline UInt64 Fnv1a64(const void* data, std::size_t size, UInt64 hash = kFnv1a64Basis) {
  const UInt8* bytes = static_cast<const UInt8*>(data);
  for (std::size_t i = 0; i < size; ++i) hash = (hash ^ bytes[i]) * 1099511628211ull;
  return hash;
}

}  // namespace sp
