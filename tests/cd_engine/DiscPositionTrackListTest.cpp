// Track-file lists compared: a rescan of a disc tells changed track files from renamed titles.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "SpCDDiscPosition.h"
#include "SpCDTOCInfoObject.h"

namespace {

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
    for (auto it = tracks.rbegin(); it != tracks.rend(); ++it) {
      sTrackDataForOSX* r = Sp_NewMusicTrackData();
      r->trackNo = it->number;
      std::strcpy(r->fileName, it->name);
      std::strcpy(r->title, it->title);
      r->lengthInSectors = it->sectors;
      r->next = head_;
      if (head_ != nullptr) head_->before = r;
      head_ = r;
    }
  }
  ~TrackList() { Sp_DisposeMusicTrackDataList(head_); }
  sTrackDataForOSX* head_ = nullptr;
};

TEST(TrackListCompareTest, TellsChangedTrackFilesFromRenamedTitles) {
  const Track a = {1, "1 A.aiff", "A", 100}, b = {2, "2 B.aiff", "B", 200};
  const struct {
    const char* why;
    std::vector<Track> other;
    Boolean same;
  } cases[] = {
      {"identical", {a, b}, true},
      {"title differs only", {a, {2, "2 B.aiff", "Other", 200}}, true},
      {"one track more", {a, b, {3, "3 C.aiff", "C", 1}}, false},
      {"one track less", {a}, false},
      {"file renamed", {a, {2, "2 b.aiff", "B", 200}}, false},
      {"length differs", {a, {2, "2 B.aiff", "B", 201}}, false},
      {"number differs", {a, {3, "2 B.aiff", "B", 200}}, false},
  };
  const TrackList base({a, b});
  for (const auto& c : cases) {
    const TrackList other(c.other);
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(base.head_, other.head_)) << c.why;
    EXPECT_EQ(c.same, Sp_CDTrackListCompForOSX(other.head_, base.head_)) << c.why;
  }
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(base.head_, nullptr));
  EXPECT_FALSE(Sp_CDTrackListCompForOSX(nullptr, nullptr));
}

}  // namespace
