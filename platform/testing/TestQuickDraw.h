// Test API: the pixels of ports.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "MacTypes.h"
#include "QuickDraw.h"

namespace sp_testing {

// Writes the port's pixels as a PNG file (RGB, 8 bits a channel); false for an invalid port,
// a port without pixels, or a file that cannot be written.
bool SnapshotPort(CGrafPtr port, const std::string& path);

// The pixel at local (h, v) of the port as 0xRRGGBB; 0xFF000000 (no colour) outside its
// pixels or for an invalid port.
UInt32 ReadPixel(CGrafPtr port, SInt16 h, SInt16 v);
// The same as a 16-bit colour (each channel times 257); black outside.
RGBColor ReadPixelColor(CGrafPtr port, SInt16 h, SInt16 v);

// Sets every pixel of the port to the colour 0xRRGGBB, ignoring the clip (a known start).
void FillPort(CGrafPtr port, UInt32 rgb);

// Reads a PNG file into rows of 0xRRGGBB pixels (alpha dropped); false when it cannot be read
// or is no PNG.
bool ReadPNG(const std::string& path, std::vector<UInt32>* pixels, UInt32* width,
             UInt32* height);

// QDFlushPortBuffer calls on the port since it was made.
UInt32 FlushCount(CGrafPtr port);

// Calls `observer` with the port after each QDFlushPortBuffer while the scope lasts: a test
// sees every frame an animation presents.
class FlushObserverScope {
 public:
  explicit FlushObserverScope(std::function<void(CGrafPtr)> observer);
  ~FlushObserverScope();
  FlushObserverScope(const FlushObserverScope&) = delete;
  FlushObserverScope& operator=(const FlushObserverScope&) = delete;
};

}  // namespace sp_testing
