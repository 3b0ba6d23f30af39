// Sound Converter: opening and closing converters between two formats.

#include "SoundConverter.h"

#include <new>
#include <unordered_set>

#include "quicktime/detail/Demux.h"
#include "quicktime/detail/SoundFormats.h"

struct SoundConverterRecord {
  SoundComponentData input{};
  SoundComponentData output{};
};

namespace {

std::unordered_set<const SoundConverterRecord*>& Live() {
  static std::unordered_set<const SoundConverterRecord*> live;
  return live;
}

}  // namespace

OSErr SoundConverterOpen(const SoundComponentData* inputFormat,
                         const SoundComponentData* outputFormat, SoundConverter* sc) {
  if (inputFormat == nullptr || outputFormat == nullptr || sc == nullptr) return paramErr;
  *sc = nullptr;
  sp_platform::quicktime::StartFFmpeg();
  if (inputFormat->sampleRate == 0 || outputFormat->sampleRate == 0) return siInvalidSampleRate;
  if (!sp_platform::quicktime::CanDecodeFormat(inputFormat->format, inputFormat->sampleSize,
                                               inputFormat->numChannels) ||
      !sp_platform::quicktime::CanEncodeFormat(outputFormat->format, outputFormat->sampleSize,
                                               outputFormat->numChannels))
    return badFormat;
  auto* converter = new (std::nothrow) SoundConverterRecord;
  if (converter == nullptr) return memFullErr;
  converter->input = *inputFormat;
  converter->output = *outputFormat;
  converter->input.buffer = nullptr;
  converter->output.buffer = nullptr;
  Live().insert(converter);
  *sc = converter;
  return noErr;
}

OSErr SoundConverterClose(SoundConverter sc) {
  if (Live().erase(sc) == 0) return paramErr;
  delete sc;
  return noErr;
}
