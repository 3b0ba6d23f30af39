// Text Encoding Converter over the layer's codec. A converter only remembers its two
// encodings: every call converts whole characters and keeps nothing back.
#include "TextEncodingConverter.h"

#include <new>
#include <string>
#include <vector>

#include "SpTextCodec.h"

struct SpTECObject {
  TextEncoding input;
  TextEncoding output;
};

OSStatus TECCreateConverter(TECObjectRef* newEncodingConverter, TextEncoding inputEncoding,
                            TextEncoding outputEncoding) {
  if (newEncodingConverter == nullptr) return paramErr;
  *newEncodingConverter = nullptr;
  if (!sp::text::IsSupportedEncoding(inputEncoding) ||
      !sp::text::IsSupportedEncoding(outputEncoding)) {
    return kTECNoConversionPathErr;
  }
  SpTECObject* converter = new (std::nothrow) SpTECObject{inputEncoding, outputEncoding};
  if (converter == nullptr) return memFullErr;
  *newEncodingConverter = converter;
  return noErr;
}

OSStatus TECConvertText(TECObjectRef encodingConverter, ConstTextPtr inputBuffer,
                        ByteCount inputBufferLength, ByteCount* actualInputLength,
                        TextPtr outputBuffer, ByteCount outputBufferLength,
                        ByteCount* actualOutputLength) {
  if (actualInputLength != nullptr) *actualInputLength = 0;
  if (actualOutputLength != nullptr) *actualOutputLength = 0;
  if (encodingConverter == nullptr || actualInputLength == nullptr ||
      actualOutputLength == nullptr || (inputBuffer == nullptr && inputBufferLength > 0) ||
      (outputBuffer == nullptr && outputBufferLength > 0)) {
    return paramErr;
  }

  // Read the input one character at a time, remembering where each character began, so
  // that a stop on the output side can be told in input bytes.
  std::u16string units;
  std::vector<ByteCount> inputAtUnit;  // input offset of each unit that starts a character
  std::vector<bool> startsCharacter;
  OSStatus inputStatus = noErr;
  ByteCount pos = 0;
  while (pos < inputBufferLength) {
    const std::size_t before = units.size();
    const int n = sp::text::DecodeStep(encodingConverter->input, inputBuffer + pos,
                                       inputBufferLength - pos, units);
    if (n <= 0) {
      inputStatus = n == 0 ? OSStatus(kTextMalformedInputErr) : OSStatus(kTECPartialCharErr);
      break;
    }
    for (std::size_t i = before; i < units.size(); ++i) {
      inputAtUnit.push_back(pos);
      startsCharacter.push_back(i == before);
    }
    pos += ByteCount(n);
  }
  inputAtUnit.push_back(pos);
  startsCharacter.push_back(true);

  ByteCount written = 0;
  ByteCount committedInput = 0;
  ByteCount committedOutput = 0;
  std::string bytes;
  std::size_t index = 0;
  while (index < units.size()) {
    bytes.clear();
    const std::size_t taken =
        sp::text::EncodeStep(encodingConverter->output, units.data(), units.size(), index, bytes);
    if (taken == 0) {
      *actualInputLength = committedInput;
      *actualOutputLength = committedOutput;
      return kTECUnmappableElementErr;
    }
    if (written + bytes.size() > outputBufferLength) {
      *actualInputLength = committedInput;
      *actualOutputLength = committedOutput;
      return kTECOutputBufferFullStatus;
    }
    for (char c : bytes) outputBuffer[written++] = UInt8(c);
    index += taken;
    if (startsCharacter[index]) {
      committedInput = inputAtUnit[index];
      committedOutput = written;
    }
  }
  *actualInputLength = committedInput;
  *actualOutputLength = committedOutput;
  return inputStatus;
}

OSStatus TECFlushText(TECObjectRef encodingConverter, TextPtr /*outputBuffer*/,
                      ByteCount /*outputBufferLength*/, ByteCount* actualOutputLength) {
  if (actualOutputLength != nullptr) *actualOutputLength = 0;
  if (encodingConverter == nullptr || actualOutputLength == nullptr) return paramErr;
  return noErr;
}

OSStatus TECDisposeConverter(TECObjectRef newEncodingConverter) {
  if (newEncodingConverter == nullptr) return paramErr;
  delete newEncodingConverter;
  return noErr;
}
