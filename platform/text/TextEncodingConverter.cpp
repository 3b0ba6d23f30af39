// Text Encoding Converter over the layer's codec. A converter remembers its two encodings and,
// for host-order Unicode input, the byte order its conversion's byte-order mark chose; every
// call converts whole characters and keeps no text back.
#include "TextEncodingConverter.h"

#include <new>
#include <string>
#include <vector>

#include "SpTextCodec.h"

struct SpTECObject {
  TextEncoding input;
  TextEncoding output;
  // A conversion begins with the first call that reads input and ends with TECFlushText; a
  // byte-order mark is looked for only at its start.
  bool begun = false;
  TextEncoding inputInOrder = 0;  // the input encoding in the order the mark chose
};

namespace {

// What one call has read of its input: the UTF-16 text so far, where each of its units came
// from, and why reading stopped. Input is read only as far as the output asks, so a long
// input fed through a small output buffer is read once over all the calls.
class InputText {
 public:
  InputText(TextEncoding encoding, ConstTextPtr bytes, ByteCount length, ByteCount start)
      : encoding_(encoding), bytes_(bytes), length_(length), pos_(start) {}

  // Reads characters until `units` units lie ahead of `index`, or the input ends.
  void ReadAhead(std::size_t index, std::size_t units) {
    while (text_.size() < index + units && status_ == noErr && pos_ < length_) {
      const std::size_t before = text_.size();
      const int n = sp::text::DecodeStep(encoding_, bytes_ + pos_, length_ - pos_, text_);
      if (n <= 0) {
        status_ = n == 0 ? OSStatus(kTextMalformedInputErr) : OSStatus(kTECPartialCharErr);
        return;
      }
      for (std::size_t i = before; i < text_.size(); ++i) {
        inputAt_.push_back(i == before ? pos_ : kInsideCharacter);
      }
      pos_ += ByteCount(n);
    }
  }
  const std::u16string& Text() const { return text_; }
  // The input offset where the unit at index begins its character; kInsideCharacter when it
  // is not the first unit of one.
  ByteCount InputAt(std::size_t index) const {
    return index < inputAt_.size() ? inputAt_[index] : pos_;
  }
  OSStatus Status() const { return status_; }

  static constexpr ByteCount kInsideCharacter = ~ByteCount(0);

 private:
  TextEncoding encoding_;
  ConstTextPtr bytes_;
  ByteCount length_;
  ByteCount pos_;
  std::u16string text_;
  std::vector<ByteCount> inputAt_;
  OSStatus status_ = noErr;
};

// Units an encoding step may look at: a surrogate pair, and the pair of the character after
// it that the output encoding may join to it.
constexpr std::size_t kUnitsAStepSees = 4;

}  // namespace

OSStatus TECCreateConverter(TECObjectRef* newEncodingConverter, TextEncoding inputEncoding,
                            TextEncoding outputEncoding) {
  if (newEncodingConverter == nullptr) return paramErr;
  *newEncodingConverter = nullptr;
  if (!sp::text::IsSupportedEncoding(inputEncoding) ||
      !sp::text::IsSupportedEncoding(outputEncoding)) {
    return kTECNoConversionPathErr;
  }
  SpTECObject* converter =
      new (std::nothrow) SpTECObject{inputEncoding, outputEncoding, false, inputEncoding};
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

  // A byte-order mark opens a conversion only.
  ByteCount markLength = 0;
  if (!encodingConverter->begun) {
    markLength = ByteCount(sp::text::ReadByteOrderMark(
        encodingConverter->input, inputBuffer, inputBufferLength, &encodingConverter->inputInOrder));
  }
  InputText input(encodingConverter->inputInOrder, inputBuffer, inputBufferLength, markLength);

  ByteCount written = 0;
  ByteCount committedInput = markLength;
  ByteCount committedOutput = 0;
  OSStatus status = noErr;
  std::string bytes;
  std::size_t index = 0;
  for (;;) {
    input.ReadAhead(index, kUnitsAStepSees);
    const std::u16string& units = input.Text();
    if (index >= units.size()) {
      status = input.Status();
      break;
    }
    bytes.clear();
    const std::size_t taken =
        sp::text::EncodeStep(encodingConverter->output, units.data(), units.size(), index, bytes);
    if (taken == 0) {
      status = kTECUnmappableElementErr;
      break;
    }
    if (written + bytes.size() > outputBufferLength) {
      status = kTECOutputBufferFullStatus;
      break;
    }
    for (char c : bytes) outputBuffer[written++] = UInt8(c);
    index += taken;
    if (input.InputAt(index) != InputText::kInsideCharacter) {
      committedInput = input.InputAt(index);
      committedOutput = written;
    }
  }
  if (committedInput > 0) encodingConverter->begun = true;
  *actualInputLength = committedInput;
  *actualOutputLength = committedOutput;
  return status;
}

OSStatus TECFlushText(TECObjectRef encodingConverter, TextPtr /*outputBuffer*/,
                      ByteCount /*outputBufferLength*/, ByteCount* actualOutputLength) {
  if (actualOutputLength != nullptr) *actualOutputLength = 0;
  if (encodingConverter == nullptr || actualOutputLength == nullptr) return paramErr;
  encodingConverter->begun = false;
  return noErr;
}

OSStatus TECDisposeConverter(TECObjectRef newEncodingConverter) {
  if (newEncodingConverter == nullptr) return paramErr;
  delete newEncodingConverter;
  return noErr;
}
