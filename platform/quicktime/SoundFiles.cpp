// The Sound Manager's AIFF header writer.

#include "ByteOrder.h"
#include "Files.h"
#include "Sound.h"

OSErr SetupAIFFHeader(SInt16 fRefNum, SInt16 numChannels, UnsignedFixed sampleRate,
                      SInt16 sampleSize, OSType compressionType, UInt32 numBytes,
                      UInt32 numFrames) {
  if (compressionType != kSoundNotCompressed && compressionType != k16BitBigEndianFormat)
    return siInvalidCompression;
  if (numChannels < 1 || sampleRate == 0 ||
      (sampleSize != 8 && sampleSize != 16 && sampleSize != 24 && sampleSize != 32)) {
    return paramErr;
  }
  sp::ByteWriter w;
  w.FourCC(SpFourCC("FORM"));
  w.BE32(46 + numBytes);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(UInt16(numChannels));
  w.BE32(numFrames);
  w.BE16(UInt16(sampleSize));
  w.Extended80(double(sampleRate) / 65536.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(numBytes + 8);
  w.BE32(0);
  w.BE32(0);
  SInt32 count = SInt32(w.Size());
  OSErr err = FSWrite(fRefNum, &count, w.Data().data());
  if (err == noErr && count != SInt32(w.Size())) err = ioErr;
  return err;
}
