// Text Encoding Converter: conversions between any two encodings of the layer, in one call or
// fed in pieces. Host-order UTF-16 and UTF-32 input may open with a byte-order mark, which
// chooses the byte order of the whole conversion and is not converted.
#pragma once

#include "MacTypes.h"
#include "TextCommon.h"

typedef struct SpTECObject* TECObjectRef;

// paramErr for a null out-pointer; kTECNoConversionPathErr when either encoding is unknown.
OSStatus TECCreateConverter(TECObjectRef* newEncodingConverter, TextEncoding inputEncoding,
                            TextEncoding outputEncoding);

// Converts whole characters from inputBuffer into outputBuffer (no terminating zero).
// Returns noErr when all input was converted; kTECOutputBufferFullStatus when the output
// filled first (what fitted is written and counted); kTextMalformedInputErr for bytes that
// are not text in the input encoding; kTECUnmappableElementErr for a character the output
// encoding cannot hold; kTECPartialCharErr when the input ends inside a character. The
// actual lengths always describe what was converted before the stop.
OSStatus TECConvertText(TECObjectRef encodingConverter, ConstTextPtr inputBuffer,
                        ByteCount inputBufferLength, ByteCount* actualInputLength,
                        TextPtr outputBuffer, ByteCount outputBufferLength,
                        ByteCount* actualOutputLength);

// Ends the conversion: the next call starts a new one (and may open with a byte-order mark).
// No text is buffered between calls, so flushing writes nothing.
OSStatus TECFlushText(TECObjectRef encodingConverter, TextPtr outputBuffer,
                      ByteCount outputBufferLength, ByteCount* actualOutputLength);

OSStatus TECDisposeConverter(TECObjectRef newEncodingConverter);
