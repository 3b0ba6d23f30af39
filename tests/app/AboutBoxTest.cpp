// The About box as it shows: the title its resource gives it and a version line that can be
// read (text in its own colour over the box's background).
#include <set>

#include "CDObjectSource.h"
#include "DialogTestSupport.h"
#include "SpCDREngineAlert.h"
#include "TestQuickDraw.h"

namespace app_test {
namespace {

struct Seen {
  std::string title;
  std::set<UInt32> versionColours;
  bool versionColourSeen = false;
};

class AboutBoxLook : public DialogTest {};

TEST_F(AboutBoxLook, IsTitledByItsResourceAndItsVersionLineHoldsText) {
  Seen seen;
  Respond(Answer()
              .Do(
                  [&seen](WindowRef window) {
                    Str255 title;
                    GetWTitle(window, title);
                    seen.title.assign(reinterpret_cast<const char*>(title + 1), title[0]);
                    Sp_RedrawViewWindow(window, 0);
                    CGrafPtr port = GetWindowPort(window);
                    // Item 7, where the version is written.
                    for (SInt16 v = 142; v < 158; ++v) {
                      for (SInt16 h = 84; h < 370; ++h) {
                        seen.versionColours.insert(sp_testing::ReadPixel(port, h, v));
                        const RGBColor c = sp_testing::ReadPixelColor(port, h, v);
                        // The version's colour, (24, 21, 59) percent, where a glyph is solid.
                        if (c.red >> 8 == 0x3D && c.green >> 8 == 0x35 && c.blue >> 8 == 0x97) {
                          seen.versionColourSeen = true;
                        }
                      }
                    }
                  },
                  "look")
              .ClickItem(1));
  sSpModifiersDataStruct modifiers = {};
  ASSERT_TRUE(CDR_AboutDialog(nullptr, nullptr, modifiers, 0));
  EXPECT_EQ(seen.title, SpCDR_MJ("メディアマネージャについて")) << "not an untitled window";
  EXPECT_GT(seen.versionColours.size(), 1u) << "a line of one colour shows no text";
  EXPECT_TRUE(seen.versionColourSeen) << "the text in the version's colour";
  EXPECT_EQ(log_.Count(), 0u);
}

}  // namespace
}  // namespace app_test
