// Event references: class, kind, time, retain count and typed parameters with the toolbox's
// coercions.
#include <algorithm>
#include <cmath>
#include <cstring>
#include <new>
#include <string>
#include <unordered_set>
#include <vector>

#include "CarbonEvents.h"
#include "SpTextCodec.h"
#include "TextCommon.h"
#include "base/internal/Clock.h"
#include "events/detail/EventInternal.h"

struct OpaqueEventRef {
  struct Param {
    EventParamName name;
    EventParamType type;
    std::vector<UInt8> data;
  };
  UInt32 eventClass = 0;
  UInt32 kind = 0;
  EventTime when = 0;
  EventAttributes attributes = 0;
  UInt32 retainCount = 1;
  std::vector<Param> params;
};

namespace {

using sp_platform::events::IsLiveEvent;

// Every event alive, so that a stale or foreign reference is refused rather than followed.
std::unordered_set<const OpaqueEventRef*>& LiveEvents() {
  static auto* live = new std::unordered_set<const OpaqueEventRef*>;  // to the program's end
  return *live;
}

OpaqueEventRef::Param* FindParam(EventRef event, EventParamName name) {
  for (OpaqueEventRef::Param& p : event->params) {
    if (p.name == name) return &p;
  }
  return nullptr;
}

EventRef StoredEventRef(const OpaqueEventRef::Param& p) {
  if (p.type != typeEventRef || p.data.size() != sizeof(EventRef)) return nullptr;
  EventRef stored = nullptr;
  std::memcpy(&stored, p.data.data(), sizeof stored);
  return stored;
}

// Releases what a parameter holds (an event stored with typeEventRef).
void DropParam(const OpaqueEventRef::Param& p) {
  EventRef stored = StoredEventRef(p);
  if (stored != nullptr && IsLiveEvent(stored)) ReleaseEvent(stored);
}

// ---- Coercion ----
// The numeric types: integers of both signs and floating point.
enum class NumKind { kNone, kSigned, kUnsigned, kBool, kFloat };

struct NumType {
  NumKind kind;
  std::size_t size;
};

NumType NumericType(EventParamType type) {
  switch (type) {
    case typeSInt16:
      return {NumKind::kSigned, 2};
    case typeSInt32:
      return {NumKind::kSigned, 4};
    case typeSInt64:
      return {NumKind::kSigned, 8};
    case typeUInt16:
      return {NumKind::kUnsigned, 2};
    case typeUInt32:
      return {NumKind::kUnsigned, 4};
    case typeUInt64:
      return {NumKind::kUnsigned, 8};
    case typeBoolean:
      return {NumKind::kBool, 1};
    case typeIEEE32BitFloatingPoint:
      return {NumKind::kFloat, 4};
    case typeIEEE64BitFloatingPoint:
      return {NumKind::kFloat, 8};
    default:
      return {NumKind::kNone, 0};
  }
}

// A number read from a parameter: whole numbers exactly, others as a double.
struct Number {
  bool whole = true;
  __int128 integer = 0;
  double real = 0;
};

template <typename T>
__int128 Load(const void* p) {
  T v;
  std::memcpy(&v, p, sizeof v);
  return v;
}

// An integer of 2, 4 or 8 bytes, of the sign the three types have.
template <typename T16, typename T32, typename T64>
__int128 LoadInteger(const void* p, std::size_t size) {
  if (size == 2) return Load<T16>(p);
  if (size == 4) return Load<T32>(p);
  return Load<T64>(p);
}

bool ReadNumber(const std::vector<UInt8>& data, NumType t, Number* n) {
  if (data.size() != t.size) return false;
  const void* p = data.data();
  switch (t.kind) {
    case NumKind::kSigned:
      n->integer = LoadInteger<SInt16, SInt32, SInt64>(p, t.size);
      n->real = double(n->integer);
      return true;
    case NumKind::kUnsigned:
      n->integer = LoadInteger<UInt16, UInt32, UInt64>(p, t.size);
      n->real = double(n->integer);
      return true;
    case NumKind::kBool:
      n->integer = (data[0] != 0) ? 1 : 0;
      n->real = double(n->integer);
      return true;
    case NumKind::kFloat: {
      double d;
      if (t.size == 4) {
        float f;
        std::memcpy(&f, p, 4);
        d = f;
      } else {
        std::memcpy(&d, p, 8);
      }
      n->real = d;
      // A whole value within 64 bits converts to the integer types.
      n->whole = std::isfinite(d) && d == std::trunc(d) && d >= -9.2e18 && d <= 1.8e19;
      if (n->whole) n->integer = (d < 0) ? __int128(SInt64(d)) : __int128(UInt64(d));
      return true;
    }
    case NumKind::kNone:
      break;
  }
  return false;
}

template <typename T>
void Append(std::vector<UInt8>& out, T value) {
  out.resize(sizeof value);
  std::memcpy(out.data(), &value, sizeof value);
}

bool WriteNumber(const Number& n, NumType t, std::vector<UInt8>& out) {
  switch (t.kind) {
    case NumKind::kSigned:
    case NumKind::kUnsigned:
    case NumKind::kBool: {
      if (!n.whole) return false;
      __int128 lo = 0, hi = 0;
      if (t.kind == NumKind::kBool) {
        hi = 1;
      } else if (t.kind == NumKind::kSigned) {
        hi = (__int128(1) << (t.size * 8 - 1)) - 1;
        lo = -hi - 1;
      } else {
        hi = (__int128(1) << (t.size * 8)) - 1;
      }
      if (n.integer < lo || n.integer > hi) return false;
      if (t.kind == NumKind::kBool) {
        Append(out, UInt8(n.integer));
      } else if (t.size == 2) {
        Append(out, UInt16(UInt64(n.integer)));
      } else if (t.size == 4) {
        Append(out, UInt32(UInt64(n.integer)));
      } else {
        Append(out, UInt64(n.integer));
      }
      return true;
    }
    case NumKind::kFloat:
      if (t.size == 4) {
        Append(out, float(n.real));
      } else {
        Append(out, n.real);
      }
      return true;
    case NumKind::kNone:
      break;
  }
  return false;
}

bool CoerceText(const OpaqueEventRef::Param& p, EventParamType desired, std::vector<UInt8>& out) {
  if (p.type == typeChar && desired == typeUnicodeText) {
    std::u16string units;
    if (!sp::text::DecodeToUTF16(kTextEncodingMacJapanese, p.data.data(), p.data.size(), units)) {
      return false;
    }
    out.resize(units.size() * sizeof(char16_t));
    if (!units.empty()) std::memcpy(out.data(), units.data(), out.size());
    return true;
  }
  if (p.type == typeUnicodeText && desired == typeChar) {
    if (p.data.size() % 2 != 0) return false;
    std::u16string units(p.data.size() / 2, u'\0');
    if (!units.empty()) std::memcpy(&units[0], p.data.data(), p.data.size());
    std::string bytes;
    if (!sp::text::EncodeFromUTF16(kTextEncodingMacJapanese, units.data(), units.size(), 0,
                                   bytes)) {
      return false;
    }
    out.assign(bytes.begin(), bytes.end());
    return true;
  }
  return false;
}

// The parameter's data as the desired type, or errAECoercionFail.
OSStatus Coerce(const OpaqueEventRef::Param& p, EventParamType desired, std::vector<UInt8>& out) {
  NumType from = NumericType(p.type);
  NumType to = NumericType(desired);
  if (from.kind != NumKind::kNone && to.kind != NumKind::kNone) {
    Number n;
    if (ReadNumber(p.data, from, &n) && WriteNumber(n, to, out)) return noErr;
    return errAECoercionFail;
  }
  if (CoerceText(p, desired, out)) return noErr;
  return errAECoercionFail;
}

}  // namespace

namespace sp_platform {
namespace events {

bool IsLiveEvent(EventRef event) {
  return event != nullptr && LiveEvents().count(event) != 0;
}

bool ReadUInt32(EventRef event, EventParamName name, UInt32* out) {
  UInt32 v = 0;
  if (GetEventParameter(event, name, typeUInt32, nullptr, sizeof v, nullptr, &v) != noErr) {
    return false;
  }
  *out = v;
  return true;
}

bool ReadPoint(EventRef event, EventParamName name, Point* out) {
  Point pt = {0, 0};
  ByteCount size = 0;
  if (GetEventParameter(event, name, typeQDPoint, nullptr, sizeof pt, &size, &pt) != noErr ||
      size != sizeof pt) {
    return false;
  }
  *out = pt;
  return true;
}

bool ReadPointer(EventRef event, EventParamName name, EventParamType type, void** out) {
  void* p = nullptr;
  ByteCount size = 0;
  if (GetEventParameter(event, name, type, nullptr, sizeof p, &size, &p) != noErr ||
      size != sizeof p) {
    return false;
  }
  *out = p;
  return true;
}

EventTime SecondsFromMicroseconds(SInt64 micros) {
  return EventTime(micros) / 1e6;
}

}  // namespace events
}  // namespace sp_platform

// ---- Public calls ----

EventTime GetCurrentEventTime() {
  return sp_platform::events::SecondsFromMicroseconds(sp_platform::ClockNowMicroseconds());
}

OSStatus CreateEvent(CFAllocatorRef, UInt32 inClassID, UInt32 inKind, EventTime inWhen,
                     EventAttributes inAttributes, EventRef* outEvent) {
  if (outEvent == nullptr) return paramErr;
  *outEvent = nullptr;
  OpaqueEventRef* event = new (std::nothrow) OpaqueEventRef;
  if (event == nullptr) return memFullErr;
  event->eventClass = inClassID;
  event->kind = inKind;
  event->when = (inWhen == 0) ? GetCurrentEventTime() : inWhen;
  event->attributes = inAttributes;
  LiveEvents().insert(event);
  *outEvent = event;
  return noErr;
}

EventRef CopyEvent(EventRef inOther) {
  if (!IsLiveEvent(inOther)) return nullptr;
  EventRef copy = nullptr;
  if (CreateEvent(nullptr, inOther->eventClass, inOther->kind, inOther->when, inOther->attributes,
                  &copy) != noErr) {
    return nullptr;
  }
  copy->params = inOther->params;
  for (const OpaqueEventRef::Param& p : copy->params) {
    EventRef stored = StoredEventRef(p);
    if (stored != nullptr && IsLiveEvent(stored)) RetainEvent(stored);
  }
  return copy;
}

EventRef RetainEvent(EventRef inEvent) {
  if (!IsLiveEvent(inEvent)) return inEvent;
  ++inEvent->retainCount;
  return inEvent;
}

void ReleaseEvent(EventRef inEvent) {
  if (!IsLiveEvent(inEvent)) return;
  if (--inEvent->retainCount > 0) return;
  LiveEvents().erase(inEvent);
  std::vector<OpaqueEventRef::Param> params;
  params.swap(inEvent->params);
  delete inEvent;
  for (const OpaqueEventRef::Param& p : params) DropParam(p);
}

ItemCount GetEventRetainCount(EventRef inEvent) {
  return IsLiveEvent(inEvent) ? inEvent->retainCount : 0;
}

UInt32 GetEventClass(EventRef inEvent) {
  return IsLiveEvent(inEvent) ? inEvent->eventClass : 0;
}

UInt32 GetEventKind(EventRef inEvent) {
  return IsLiveEvent(inEvent) ? inEvent->kind : 0;
}

EventTime GetEventTime(EventRef inEvent) {
  return IsLiveEvent(inEvent) ? inEvent->when : 0;
}

OSStatus SetEventTime(EventRef inEvent, EventTime inTime) {
  if (!IsLiveEvent(inEvent)) return paramErr;
  inEvent->when = inTime;
  return noErr;
}

OSStatus GetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inDesiredType,
                           EventParamType* outActualType, ByteCount inBufferSize,
                           ByteCount* outActualSize, void* outData) {
  if (!IsLiveEvent(inEvent)) return paramErr;
  if (outData == nullptr && inBufferSize > 0) return paramErr;
  const OpaqueEventRef::Param* p = FindParam(inEvent, inName);
  if (p == nullptr) return eventParameterNotFoundErr;

  std::vector<UInt8> coerced;
  const std::vector<UInt8>* data = &p->data;
  EventParamType actualType = p->type;
  if (inDesiredType != typeWildCard && inDesiredType != p->type) {
    OSStatus err = Coerce(*p, inDesiredType, coerced);
    if (err != noErr) return err;
    data = &coerced;
    actualType = inDesiredType;
  }
  std::size_t n = std::min<std::size_t>(inBufferSize, data->size());
  if (n > 0) std::memcpy(outData, data->data(), n);
  if (outActualType != nullptr) *outActualType = actualType;
  if (outActualSize != nullptr) *outActualSize = ByteCount(data->size());
  return noErr;
}

OSStatus SetEventParameter(EventRef inEvent, EventParamName inName, EventParamType inType,
                           ByteCount inSize, const void* inDataPtr) {
  if (!IsLiveEvent(inEvent)) return paramErr;
  if (inDataPtr == nullptr && inSize > 0) return paramErr;
  OpaqueEventRef::Param fresh{inName, inType, {}};
  if (inSize > 0) {
    const UInt8* bytes = static_cast<const UInt8*>(inDataPtr);
    fresh.data.assign(bytes, bytes + inSize);
  }
  EventRef stored = StoredEventRef(fresh);
  if (stored != nullptr) {
    // An event may not hold itself (it would never be freed).
    if (stored == inEvent || !IsLiveEvent(stored)) return paramErr;
    RetainEvent(stored);
  }
  OpaqueEventRef::Param* old = FindParam(inEvent, inName);
  if (old != nullptr) {
    OpaqueEventRef::Param previous = std::move(*old);
    *old = std::move(fresh);
    DropParam(previous);
  } else {
    inEvent->params.push_back(std::move(fresh));
  }
  return noErr;
}
