#include "ByteOrder.h"

#include <cmath>
#include <cstring>
#include <limits>

namespace sp {

void DoubleToExtended80(double value, UInt8 out[10]) {
  std::memset(out, 0, 10);
  UInt64 bits;
  std::memcpy(&bits, &value, sizeof bits);
  const UInt16 sign = UInt16((bits >> 63) & 1u) << 15;
  const int exponent = int((bits >> 52) & 0x7FF);
  UInt64 fraction = bits & 0x000FFFFFFFFFFFFFull;
  if (exponent == 0 && fraction == 0) {  // zero keeps its sign
    StoreBE16(out, sign);
    return;
  }
  UInt16 exp80;
  UInt64 mantissa;
  if (exponent == 0x7FF) {  // infinity or NaN
    exp80 = 0x7FFF;
    mantissa = (UInt64(1) << 63) | (fraction << 11);
  } else if (exponent == 0) {  // subnormal: normalise
    int shift = 0;
    while ((fraction & (UInt64(1) << 52)) == 0) {
      fraction <<= 1;
      ++shift;
    }
    exp80 = UInt16(1 - 1023 - shift + 16383);
    mantissa = fraction << 11;
  } else {
    exp80 = UInt16(exponent - 1023 + 16383);
    mantissa = (UInt64(1) << 63) | (fraction << 11);
  }
  StoreBE16(out, UInt16(sign | exp80));
  StoreBE64(out + 2, mantissa);
}

double Extended80ToDouble(const UInt8 in[10]) {
  const UInt16 se = LoadBE16(in);
  const UInt64 mantissa = LoadBE64(in + 2);
  const bool negative = (se & 0x8000) != 0;
  const int exponent = se & 0x7FFF;
  double result;
  if (exponent == 0 && mantissa == 0) {
    result = 0.0;
  } else if (exponent == 0x7FFF) {
    result = (mantissa << 1) == 0 ? std::numeric_limits<double>::infinity()
                                  : std::numeric_limits<double>::quiet_NaN();
  } else {
    result = std::ldexp(double(mantissa), exponent - 16383 - 63);
  }
  return negative ? -result : result;
}

bool ByteReader::Need(std::size_t n) {
  if (!ok_ || n > size_ - pos_) {
    ok_ = false;
    return false;
  }
  return true;
}

template <typename T, typename Load>
T ByteReader::Take(std::size_t n, Load load) {
  if (!Need(n)) return T(0);
  const T v = load(data_ + pos_);
  pos_ += n;
  return v;
}

bool ByteReader::Seek(std::size_t pos) {
  if (!ok_ || pos > size_) {
    ok_ = false;
    return false;
  }
  pos_ = pos;
  return true;
}

bool ByteReader::Skip(std::size_t n) {
  if (!Need(n)) return false;
  pos_ += n;
  return true;
}

UInt8 ByteReader::U8() {
  if (!Need(1)) return 0;
  return data_[pos_++];
}

UInt16 ByteReader::BE16() {
  return Take<UInt16>(2, LoadBE16);
}

UInt32 ByteReader::BE24() {
  if (!Need(3)) return 0;
  const UInt8* b = data_ + pos_;
  pos_ += 3;
  return (UInt32(b[0]) << 16) | (UInt32(b[1]) << 8) | b[2];
}

UInt32 ByteReader::BE32() {
  return Take<UInt32>(4, LoadBE32);
}

UInt64 ByteReader::BE64() {
  return Take<UInt64>(8, LoadBE64);
}

UInt16 ByteReader::LE16() {
  return Take<UInt16>(2, LoadLE16);
}

UInt32 ByteReader::LE32() {
  return Take<UInt32>(4, LoadLE32);
}

UInt64 ByteReader::LE64() {
  return Take<UInt64>(8, LoadLE64);
}

UInt32 ByteReader::Synchsafe32() {
  if (!Need(4)) return 0;
  const UInt8* b = data_ + pos_;
  if ((b[0] | b[1] | b[2] | b[3]) & 0x80) {
    ok_ = false;
    return 0;
  }
  pos_ += 4;
  return (UInt32(b[0]) << 21) | (UInt32(b[1]) << 14) | (UInt32(b[2]) << 7) | b[3];
}

double ByteReader::Extended80() {
  return Take<double>(10, Extended80ToDouble);
}

bool ByteReader::Bytes(void* out, std::size_t n) {
  if (!Need(n)) return false;
  if (n > 0) std::memcpy(out, data_ + pos_, n);
  pos_ += n;
  return true;
}

bool ByteReader::Bytes(std::vector<UInt8>& out, std::size_t n) {
  if (!Need(n)) return false;
  out.assign(data_ + pos_, data_ + pos_ + n);
  pos_ += n;
  return true;
}

bool ByteReader::PascalString(unsigned char* out) {
  if (!Need(1)) return false;
  std::size_t length = data_[pos_];
  if (!Need(1 + length)) return false;
  std::memcpy(out, data_ + pos_, 1 + length);
  pos_ += 1 + length;
  return true;
}

template <typename T>
void ByteWriter::Put(T v, void (*store)(void*, T)) {
  UInt8 b[sizeof(T)];
  store(b, v);
  Bytes(b, sizeof b);
}

template <typename T>
bool ByteWriter::Patch(std::size_t offset, T v, void (*store)(void*, T)) {
  if (offset > data_.size() || data_.size() - offset < sizeof(T)) return false;
  store(data_.data() + offset, v);
  return true;
}

void ByteWriter::BE16(UInt16 v) {
  Put<UInt16>(v, StoreBE16);
}

void ByteWriter::BE24(UInt32 v) {
  U8(UInt8(v >> 16));
  U8(UInt8(v >> 8));
  U8(UInt8(v));
}

void ByteWriter::BE32(UInt32 v) {
  Put<UInt32>(v, StoreBE32);
}

void ByteWriter::BE64(UInt64 v) {
  Put<UInt64>(v, StoreBE64);
}

void ByteWriter::LE16(UInt16 v) {
  Put<UInt16>(v, StoreLE16);
}

void ByteWriter::LE32(UInt32 v) {
  Put<UInt32>(v, StoreLE32);
}

void ByteWriter::LE64(UInt64 v) {
  Put<UInt64>(v, StoreLE64);
}

bool ByteWriter::Synchsafe32(UInt32 v) {
  if (v > 0x0FFFFFFFu) return false;
  U8(UInt8((v >> 21) & 0x7F));
  U8(UInt8((v >> 14) & 0x7F));
  U8(UInt8((v >> 7) & 0x7F));
  U8(UInt8(v & 0x7F));
  return true;
}

void ByteWriter::Extended80(double v) {
  UInt8 b[10];
  DoubleToExtended80(v, b);
  Bytes(b, 10);
}

void ByteWriter::Bytes(const void* p, std::size_t n) {
  if (p == nullptr || n == 0) return;
  const UInt8* b = static_cast<const UInt8*>(p);
  data_.insert(data_.end(), b, b + n);
}

void ByteWriter::PascalString(const unsigned char* s) {
  if (s == nullptr) {
    U8(0);
    return;
  }
  Bytes(s, std::size_t(s[0]) + 1);
}

bool ByteWriter::PatchBE32(std::size_t offset, UInt32 v) {
  return Patch<UInt32>(offset, v, StoreBE32);
}

bool ByteWriter::PatchLE32(std::size_t offset, UInt32 v) {
  return Patch<UInt32>(offset, v, StoreLE32);
}

}  // namespace sp
