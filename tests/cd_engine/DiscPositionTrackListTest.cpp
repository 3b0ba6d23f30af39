// Track-file lists compared, save formats mapped to Mac file types, and ejecting a disc
// through the classic CD-driver layer.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "SpCDDiscPosition.h"
#include "SpCDTOCInfoObject.h"

namespace {

OSType Code(const char* s) {
  return OSType(UInt8(s[0])) << 24 | OSType(UInt8(s[1])) << 16 | OSType(UInt8(s[2])) << 8 |
         OSType(UInt8(s[3]));
}

struct Track {
  UInt32 number;
  const char* name;
  const char* title;
  UInt32 sectors;
};

// A list owned by the test, freed with the layer's own dispose call.
class TrackList {
 public:
  explicit TrackList(const std::vector<Track>& tracks) {
    sTrackDataForOSX* tail = nullptr;
    for (const Track& t : tracks) {
      sTrackDataForOSX* r = Sp_NewMusicTrackData();
      r->trackNo = t.number;
      std::strcpy(r->fileName, t.name);
      std::strcpy(r->title, t.title);
      r->lengthInSectors = t.sectors;
      r->before = tail;
      if (tail != nullptr)
        tail->next = r;
      else
        head_ = r;
      tail = r;
    }
  }
  ~TrackList() { Sp_DisposeMusicTrackDataList(head_); }
  const sTrackDataForOSX* Head() const { return head_; }

 private:
  sTrackDataForOSX* head_ = nullptr;
};

TEST(TrackListCompareTest, TellsChangedTrackFilesFromRenamedTitles) {
  const std::vector<Track> base = {{1, "1 A.aiff", "A", 100}, {2, "2 B.aiff", "B", 200}};
  const struct {
    const char* why;
    std::vector<Track> other;
    Boolean same;
  } cases[] = {
      {"identical", base, true},
      {"title differs only", {{1, "1 A.aiff", "A", 100}, {2, "2 B.aiff", "Other", 200}}, true},
      {"one track more",
       {{1, "1 A.aiff", "A", 100}, {2, "2 B.aiff", "B", 200}, {3, "3 C.aiff", "C", 1}},
       false},
      {"one track less", {{1, "1 A.aiff", "A", 100}}, false},
      {"file renamed", {{1, "1 A.aiff", "A", 100}, {2, "2 b.aiff", "B", 200}}, false},
      {"length differs", {{1, "1 A.aiff", "A", 100}, {2, "2 B.aiff", "B", 201}}, false},
      {"number differs", {{1, "1 A.aiff", "A", 100}, {3, "2 B.aiff", "B", 200}}, false},
  };
  const TrackList a(base);
  for (const auto& c : cases) {
    const TrackList b(c.other);
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(a.Head(), b.Head())) << c.why;
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(b.Head(), a.Head())) << c.why;
  }
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(a.Head(), nullptr));
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(nullptr, nullptr));
}

TEST(TrackListCompareTest, ClassicListsCompareByPosition) {
  sTrackData a2{2, cDiscPosition(0, 4, 0), nullptr};
  sTrackData a1{1, cDiscPosition(0, 2, 0), &a2};
  sTrackData b2{9, cDiscPosition(0, 3, 75), nullptr};  // the same sector as 0:04:00
  sTrackData b1{9, cDiscPosition(0, 2, 0), &b2};
  EXPECT_TRUE(Sp_CDTrackListComp(&a1, &b1));
  b2.position.frames = 74;
  EXPECT_FALSE(Sp_CDTrackListComp(&a1, &b1));
  EXPECT_FALSE(Sp_CDTrackListComp(&a1, &a2));
}

TEST(SoundFileTypeTest, SaveFormatsMapToMacFileTypes) {
  const struct {
    const char* type;
    const char* osType;
    Boolean known;
  } cases[] = {
      {"AIFF", "AIFF", true}, {"WAVE", "WAVE", true},  {"MooV", "MooV", true},
      {"QTnc", "MooV", true}, {"AIFC", "    ", false}, {"aiff", "    ", false},
  };
  for (const auto& c : cases) {
    OSType osType = 0;
    EXPECT_EQ(c.known, SpCDRI_GetOSFileTypeFromSoundFileType(Code(c.type), osType)) << c.type;
    EXPECT_EQ(Code(c.osType), osType) << c.type;
  }
}

}  // namespace
