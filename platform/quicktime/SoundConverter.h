// Sound Converter: turns sound of one format into another (decoding, sample-format and
// byte-order changes, channel mixing, sample-rate conversion, encoding).
//
// This step of the layer opens and closes converters, which answers whether a conversion
// between two formats is possible: the input must be a format the layer can decode, the
// output a format it can encode (GetCompressionInfo in Sound.h lists both; which compressed
// formats can be encoded depends on the codecs the system's FFmpeg has). The conversion
// calls themselves come with the sound engine.
#pragma once

#include "MacTypes.h"
#include "Sound.h"

typedef struct SoundConverterRecord* SoundConverter;

// Information selectors of the converter.
enum : OSType {
  siClientAcceptsVBR = SpFourCC("cvbr"),
  siDecompressionParams = SpFourCC("wave"),
  siCompressionSampleRate = SpFourCC("cprt"),
  siCompressionChannels = SpFourCC("cpct"),
  siCompressionOutputSampleRate = SpFourCC("cort"),
  siCompressionFactor = SpFourCC("cmfa"),
  siCompressionMaxPacketSize = SpFourCC("cmxp"),
};

// Output flags of a fill.
enum : UInt32 {
  kSoundConverterDidntFillBuffer = 1,
  kSoundConverterHasLeftOverData = 2,
};

// A converter from `inputFormat` to `outputFormat`, which describe the formats (their
// buffers and sample counts are not used): format, channels (1 to 8), sample
// size (for the linear formats: 8, 16, 24 or 32 bits, 32 or 64 for floating point) and rate
// (above 0). paramErr for a null argument; badFormat when either side is a format the layer
// cannot decode (input) or encode (output), or has a channel count or sample size it cannot
// have; siInvalidSampleRate for a rate of 0; memFullErr when memory runs out.
OSErr SoundConverterOpen(const SoundComponentData* inputFormat,
                         const SoundComponentData* outputFormat, SoundConverter* sc);
// Ends a converter. paramErr for a null or unknown converter.
OSErr SoundConverterClose(SoundConverter sc);
