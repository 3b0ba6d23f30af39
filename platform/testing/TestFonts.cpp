#include "TestFonts.h"

#include "quickdraw/internal/FontTable.h"
#include "quickdraw/internal/TextMeasure.h"

namespace sp_testing {

static_assert(kFixedMetricFont == sp_platform::kFixedMetricFontNumber,
              "the test API and the layer name the same font");

void UseFixedMetricFont(bool on) {
  sp_platform::SetFixedMetricFontAsSystemFont(on);
}

std::vector<FontFamily> InstalledFontFamilies() {
  std::vector<FontFamily> families;
  for (const sp_platform::InstalledFontFamily& family : sp_platform::InstalledFontFamilies()) {
    families.push_back({family.number, family.name});
  }
  return families;
}

UInt64 MeasuredTextBytes() {
  return sp_platform::MeasuredTextBytes();
}

void ResetMeasuredTextBytes() {
  sp_platform::ResetMeasuredTextBytes();
}

FixedMetricFontScope::FixedMetricFontScope()
    : previous_(sp_platform::FixedMetricFontIsSystemFont()) {
  UseFixedMetricFont(true);
}

FixedMetricFontScope::~FixedMetricFontScope() {
  UseFixedMetricFont(previous_);
}

}  // namespace sp_testing
