// Byte order: explicit big- and little-endian access, and one bounds-checked reader and
// writer for every file format and stored record of the system. A record is always read and
// written field by field; a struct is never copied to or from a file.
#pragma once

#include <cstring>
#include <string>
#include <vector>

#include "MacTypes.h"

namespace sp {

inline UInt16 LoadBE16(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return UInt16((UInt16(b[0]) << 8) | b[1]);
}
inline UInt32 LoadBE32(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return (UInt32(b[0]) << 24) | (UInt32(b[1]) << 16) | (UInt32(b[2]) << 8) | UInt32(b[3]);
}
inline UInt64 LoadBE64(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return (UInt64(LoadBE32(b)) << 32) | LoadBE32(b + 4);
}
inline UInt16 LoadLE16(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return UInt16((UInt16(b[1]) << 8) | b[0]);
}
inline UInt32 LoadLE32(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return (UInt32(b[3]) << 24) | (UInt32(b[2]) << 16) | (UInt32(b[1]) << 8) | UInt32(b[0]);
}
inline UInt64 LoadLE64(const void* p) {
  const UInt8* b = static_cast<const UInt8*>(p);
  return (UInt64(LoadLE32(b + 4)) << 32) | LoadLE32(b);
}
inline void StoreBE16(void* p, UInt16 v) {
  UInt8* b = static_cast<UInt8*>(p);
  b[0] = UInt8(v >> 8);
  b[1] = UInt8(v);
}
inline void StoreBE32(void* p, UInt32 v) {
  UInt8* b = static_cast<UInt8*>(p);
  b[0] = UInt8(v >> 24);
  b[1] = UInt8(v >> 16);
  b[2] = UInt8(v >> 8);
  b[3] = UInt8(v);
}
inline void StoreBE64(void* p, UInt64 v) {
  StoreBE32(p, UInt32(v >> 32));
  StoreBE32(static_cast<UInt8*>(p) + 4, UInt32(v));
}
inline void StoreLE16(void* p, UInt16 v) {
  UInt8* b = static_cast<UInt8*>(p);
  b[0] = UInt8(v);
  b[1] = UInt8(v >> 8);
}
inline void StoreLE32(void* p, UInt32 v) {
  UInt8* b = static_cast<UInt8*>(p);
  b[0] = UInt8(v);
  b[1] = UInt8(v >> 8);
  b[2] = UInt8(v >> 16);
  b[3] = UInt8(v >> 24);
}
inline void StoreLE64(void* p, UInt64 v) {
  StoreLE32(p, UInt32(v));
  StoreLE32(static_cast<UInt8*>(p) + 4, UInt32(v >> 32));
}

inline UInt16 Swap16(UInt16 v) {
  return UInt16((v >> 8) | (v << 8));
}
inline UInt32 Swap32(UInt32 v) {
  return (v >> 24) | ((v >> 8) & 0xFF00u) | ((v << 8) & 0xFF0000u) | (v << 24);
}

// The 16-bit values of `bytes` bytes at `from`, each with its two bytes swapped, into `to`
// (which may be `from`); an odd last byte is left out. Written value by value, which the
// compiler turns into vector shuffles.
inline void SwapBytePairs(void* to, const void* from, std::size_t bytes) {
  auto* out = static_cast<UInt8*>(to);
  const auto* in = static_cast<const UInt8*>(from);
  for (std::size_t i = 0; i + 1 < bytes; i += 2) {
    UInt16 v;
    std::memcpy(&v, in + i, 2);
    v = Swap16(v);
    std::memcpy(out + i, &v, 2);
  }
}

// The 80-bit extended value of a double: sign and 15-bit exponent (bias 16383), then a
// 64-bit significand with an explicit integer bit; big-endian. Zero gives ten zero bytes;
// infinities and NaNs keep their class, subnormal doubles are normalised.
void DoubleToExtended80(double value, UInt8 out[10]);
// The double nearest to an 80-bit extended value (out-of-range values become infinities).
double Extended80ToDouble(const UInt8 in[10]);

// Reads a byte range that it knows the end of. A read past the end reads nothing, returns
// zero values and sets the failure flag, which stays set; callers check Ok() once at the end
// of a record or after each field, as suits them.
class ByteReader {
 public:
  ByteReader(const void* data, std::size_t size)
      : data_(static_cast<const UInt8*>(data)), size_(data ? size : 0) {}

  bool Ok() const { return ok_; }
  std::size_t Position() const { return pos_; }
  std::size_t Size() const { return size_; }
  std::size_t Remaining() const { return size_ - pos_; }
  bool AtEnd() const { return pos_ >= size_; }
  const UInt8* Current() const { return data_ + pos_; }

  bool Seek(std::size_t pos);
  bool Skip(std::size_t n);
  bool Has(std::size_t n) const { return ok_ && n <= size_ - pos_; }

  UInt8 U8();
  SInt8 S8() { return SInt8(U8()); }
  UInt16 BE16();
  UInt32 BE24();
  UInt32 BE32();
  UInt64 BE64();
  SInt16 SBE16() { return SInt16(BE16()); }
  SInt32 SBE32() { return SInt32(BE32()); }
  SInt64 SBE64() { return SInt64(BE64()); }
  UInt16 LE16();
  UInt32 LE32();
  UInt64 LE64();
  // A 28-bit integer stored in four bytes of seven bits each (ID3 tag sizes). A byte with its
  // top bit set is malformed and fails the read.
  UInt32 Synchsafe32();
  double Extended80();
  OSType FourCC() { return BE32(); }
  // Copies n bytes; fails (copying nothing) when fewer remain.
  bool Bytes(void* out, std::size_t n);
  bool Bytes(std::vector<UInt8>& out, std::size_t n);
  // A length byte and that many bytes; `out` must hold 256 bytes.
  bool PascalString(unsigned char* out);

 private:
  bool Need(std::size_t n);
  // A value of `n` bytes read through `load`, stepping past them; zero when they are not there.
  template <typename T, typename Load>
  T Take(std::size_t n, Load load);

  const UInt8* data_;
  std::size_t size_;
  std::size_t pos_ = 0;
  bool ok_ = true;
};

// Appends to a growing byte vector.
class ByteWriter {
 public:
  ByteWriter() = default;

  const std::vector<UInt8>& Data() const { return data_; }
  std::vector<UInt8>& Data() { return data_; }
  std::size_t Size() const { return data_.size(); }

  void U8(UInt8 v) { data_.push_back(v); }
  void BE16(UInt16 v);
  void BE24(UInt32 v);
  void BE32(UInt32 v);
  void BE64(UInt64 v);
  void LE16(UInt16 v);
  void LE32(UInt32 v);
  void LE64(UInt64 v);
  // Fails (writing nothing) for a value above 0x0FFFFFFF.
  bool Synchsafe32(UInt32 v);
  void Extended80(double v);
  void FourCC(OSType v) { BE32(v); }
  void Bytes(const void* p, std::size_t n);
  void Zeros(std::size_t n) { data_.insert(data_.end(), n, 0); }
  // Writes a length byte and the bytes of a length-prefixed string.
  void PascalString(const unsigned char* s);
  // Overwrites already written bytes (for sizes known only at the end of a record); false
  // when the range is not inside what was written.
  bool PatchBE32(std::size_t offset, UInt32 v);
  bool PatchLE32(std::size_t offset, UInt32 v);

 private:
  // A value stored through `store` and appended, or written over bytes already there.
  template <typename T>
  void Put(T v, void (*store)(void*, T));
  template <typename T>
  bool Patch(std::size_t offset, T v, void (*store)(void*, T));

  std::vector<UInt8> data_;
};

}  // namespace sp
