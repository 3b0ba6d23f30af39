// Sound Converter: turns sound of one format into another (decoding, sample-format and
// byte-order changes, channel mixing, sample-rate conversion, encoding).
//
// The input must be a format the layer can decode, the output a format it can encode
// (GetCompressionInfo in Sound.h lists both; which compressed formats can be encoded depends
// on the codecs the system's FFmpeg has). Linear PCM of every size and byte order and the
// channel mixing are the layer's own; compressed formats are decoded and encoded by FFmpeg's
// libavcodec, rates changed by libswresample. Linear input already in the output's format
// comes out byte for byte as it went in.
//
// Channels: one channel goes to every output channel; more channels mixed into two put the
// left ones to the left and the right ones to the right, centre channels to both at -3 dB and
// side and back channels at -3 dB on their side, leaving the bass channel out, each side
// scaled so that it stays within full scale; into one channel all but the bass are averaged.
// Other counts keep the channels they share.
//
// A conversion runs from SoundConverterBeginConversion to SoundConverterEndConversion:
// - SoundConverterFillBuffer pulls its input through the client's fill-buffer procedure
//   until the output buffer is full. The procedure answers true with a block of input (a
//   SoundComponentData, or an ExtendedSoundComponentData with kExtendedSoundData in its flags
//   whose bufferSize counts the bytes and whose commonFrameSize, with its flag, splits
//   packets of one size), or false when the input is at its end: the converter then gives
//   out what it still holds (a decoder's delay, a rate change's tail) in that fill and the
//   fills after it, and asks for no more input in this conversion.
//   kSoundConverterHasLeftOverData: the buffer is full and more output may follow;
//   kSoundConverterDidntFillBuffer: the input ended before the buffer was full.
//   Output of packets of varying size (AAC, ALAC, ...) comes one packet per fill, its frame
//   count being 1.
// - SoundConverterConvertBuffer converts a block of linear or fixed-packet input at once.
// - Frame counts of compressed formats count packets (a linear frame is a packet).
// Input of packets of varying size needs siClientAcceptsVBR and the fill-buffer procedure,
// whose blocks are whole packets; so does output of such packets. Otherwise those calls
// answer siVBRCompressionNotSupported (-213).
//
// Information (SoundConverterSetInfo, SoundConverterGetInfo):
// - siClientAcceptsVBR ('cvbr'): set with the value itself as infoPtr (nonzero: accepts);
//   got into a Boolean.
// - siDecompressionParams ('wave'): set with a pointer to a 'wave' atom (size, type, atoms) as
//   a sound description's extension holds it (Movies.h): the codec's configuration, the byte
//   order of linear samples, the stream's rate when the input's rate field is 0 (65,536 Hz
//   and above), the encoder's delay to drop and the frames to present. Got into a Handle*: a
//   new handle holding the encoder's 'wave' atom (the format, an MPEG-4 'esds' or the ALAC
//   configuration, the terminator); siUnknownInfoType for an output that has none.
// - siCompressionSampleRate ('cprt', UnsignedFixed*) and siCompressionChannels ('cpct',
//   SInt16*): the output's rate and channel count; set before the conversion begins.
// - siCompressionOutputSampleRate ('cort', UnsignedFixed*): the rate the output has (0 for
//   65,536 Hz and above).
// - siCompressionFactor ('cmfa', CompressionInfo*): how the output format packs its samples.
// - siCompressionMaxPacketSize ('cmxp', UInt16*): the largest packet an encoder makes
//   (65,535 at most); 0 for linear output.
// Other selectors answer siUnknownInfoType.
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

// The client's source of input for SoundConverterFillBuffer.
typedef Boolean (*SoundConverterFillBufferDataProcPtr)(SoundComponentDataPtr* data, void* refCon);
typedef SoundConverterFillBufferDataProcPtr SoundConverterFillBufferDataUPP;
SoundConverterFillBufferDataUPP NewSoundConverterFillBufferDataUPP(
    SoundConverterFillBufferDataProcPtr proc);
void DisposeSoundConverterFillBufferDataUPP(SoundConverterFillBufferDataUPP upp);

// A converter from `inputFormat` to `outputFormat`, which describe the formats (their
// buffers and sample counts are not used): format, channels (1 to 8), sample size (for the
// linear formats: 8, 16, 24 or 32 bits, 32 or 64 for floating point) and rate. An input rate
// of 0 is taken from the decompression parameters (siDecompressionParams) before the
// conversion. paramErr for a null argument; badFormat when either side is a format the layer
// cannot decode (input) or encode (output), or has a channel count or sample size it cannot
// have; siInvalidSampleRate for an output rate of 0; memFullErr when memory runs out.
OSErr SoundConverterOpen(const SoundComponentData* inputFormat,
                         const SoundComponentData* outputFormat, SoundConverter* sc);
// Ends a converter. paramErr for a null or unknown converter.
OSErr SoundConverterClose(SoundConverter sc);

// The sizes of one conversion of about `inputBytesTarget` bytes: the input frames and bytes
// (whole frames or packets of the input, at most the target; for input of varying packets
// the target itself and the frames of one packet) and the most output bytes they become.
// Every output may be null. siInvalidSampleRate when the input's rate is not known yet;
// badFormat when the formats cannot be converted.
OSErr SoundConverterGetBufferSizes(SoundConverter sc, UInt32 inputBytesTarget, UInt32* inputFrames,
                                   UInt32* inputBytes, UInt32* outputBytes);

// Starts a conversion (a converter's first conversion call also starts one).
OSErr SoundConverterBeginConversion(SoundConverter sc);
// Converts `inputFrames` frames (packets count their frames) of linear or fixed-packet input
// into `outputPtr`, which holds the output bytes SoundConverterGetBufferSizes gives for them.
OSErr SoundConverterConvertBuffer(SoundConverter sc, const void* inputPtr, UInt32 inputFrames,
                                  void* outputPtr, UInt32* outputFrames, UInt32* outputBytes);
// See above. paramErr for null arguments.
OSErr SoundConverterFillBuffer(SoundConverter sc, SoundConverterFillBufferDataUPP fillBufferDataUPP,
                               void* fillBufferDataRefCon, void* outputBuffer,
                               UInt32 outputBufferByteSize, UInt32* bytesWritten,
                               UInt32* framesWritten, UInt32* outputFlags);
// Ends the conversion: what the converter still holds goes into `outputPtr` (at most as many
// bytes as the largest output buffer of the conversion; packets of varying size back to back,
// counted as frames). The next conversion starts afresh.
OSErr SoundConverterEndConversion(SoundConverter sc, void* outputPtr, UInt32* outputFrames,
                                  UInt32* outputBytes);

OSErr SoundConverterSetInfo(SoundConverter sc, OSType selector, void* infoPtr);
OSErr SoundConverterGetInfo(SoundConverter sc, OSType selector, void* infoPtr);
