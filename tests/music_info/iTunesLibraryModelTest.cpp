// The music library model: where tracks are filed, album matching by track lengths, and the
// tag records built from a match.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "SpQTMusicInfo.h"
#include "SpTesting.h"
#include "SpiTunesMusicInfoObject.h"
#include "TestResources.h"
#include "iTunesLibraryTestSupport.h"

namespace {

using ittest::AddAll;
using ittest::Groups;
using ittest::Make;
using ittest::T;

std::unique_ptr<ciTunesMusicInfoObj> NewLibrary() {
  return std::unique_ptr<ciTunesMusicInfoObj>(new (std::nothrow) ciTunesMusicInfoObj());
}

// Track lengths in whole seconds, as the engine hands them over.
struct Lengths : cSp_uLongCollection {
  explicit Lengths(const std::vector<unsigned long>& seconds) {
    for (unsigned long s : seconds) SetValue(-1, s);
  }
};

// The names of the groups GetTargetAlbum finds, in order.
std::vector<std::string> Matches(ciTunesMusicInfoObj& library, const std::vector<unsigned long>& s,
                                 unsigned char playlists, short trackCount = -1) {
  Lengths lengths(s);
  cSp_uLongCollection found;
  const unsigned char any = library.GetTargetAlbum(trackCount < 0 ? short(s.size()) : trackCount,
                                                   &lengths, playlists, &found);
  std::vector<std::string> names;
  unsigned long value = 0;
  for (SInt32 i = 1; found.GetValue(i, value); ++i)
    names.push_back(reinterpret_cast<ciTunesInfoMusicGroupObj*>(value)->GetName());
  EXPECT_EQ(any != 0, !names.empty());
  return names;
}

// The items of a record as "id=bytes" lines, a zero byte shown as "|".
std::vector<std::string> Items(cSp_MusicFileMusicInfoDataObj* record) {
  std::vector<std::string> out;
  for (auto* item = record->GetFirstItemPtr(); item != nullptr; item = item->GetNextObjectPtr()) {
    const UInt32 id = item->GetItemType();
    std::string line{char(id >> 24), char(id >> 16), char(id >> 8), char(id), '='};
    for (SInt32 i = 0; i < item->GetDataLength(); ++i)
      line += item->GetDataPtr()[i] ? item->GetDataPtr()[i] : '|';
    out.push_back(line);
  }
  return out;
}

class LibraryModelTest : public ::testing::Test {
 protected:
  void SetUp() override { library_ = NewLibrary(); }
  std::unique_ptr<ciTunesMusicInfoObj> library_;
};

// ---- Filing ---------------------------------------------------------------------------------

TEST_F(LibraryModelTest, TracksAreKeptInAscendingIdWithTheNewestOfAnIdFirstAndOnlyOnce) {
  AddAll(*library_, {{70000, "A", "X", 1, 2, 1000},
                     {5, "A", "X", 2, 2, 1000},
                     {-3, "A", "X", 0, 0, 1000},
                     {65536, "B", "Y", 1, 1, 1000},
                     {5, "C", "Z", 1, 1, 1000, 0, 0, 0, "newer copy"}});
  EXPECT_EQ((std::vector<SInt32>{-3, 5, 5, 65536, 70000}), ittest::TrackIds(*library_));
  // Whole 32-bit ids: 70000 and 4464 share their low 16 bits but not their track.
  EXPECT_EQ(70000, library_->SerchTrackInfoObjectFromTrackID(70000)->GetTrackID());
  EXPECT_EQ(nullptr, library_->SerchTrackInfoObjectFromTrackID(4464));
  EXPECT_EQ(nullptr, library_->SerchTrackInfoObjectFromTrackID(0));
  EXPECT_STREQ("newer copy", library_->SerchTrackInfoObjectFromTrackID(5)->GetText(kSpiTMI_Name));
  // The same track object filed twice is refused and reported.
  ErrorLogCapture log;
  EXPECT_EQ(0, library_->AddTrackInfoItem(library_->GetFirstTrack()));
  EXPECT_TRUE(log.Has("ciTunesMusicInfoObj::AddTrackInfoItem", 3));
  EXPECT_EQ(1u, log.Beeps());
  EXPECT_EQ(5u, ittest::TrackIds(*library_).size());
}

// Ids that rise are kept apart from ids that come after a greater one; a look-up, the place a
// track is filed at and the newest track of an id must not depend on which part holds an id.
TEST_F(LibraryModelTest, IdsInAndOutOfRisingOrderFindTheirNewestTrackAndPlace) {
  AddAll(*library_, {{10, "A", "X", 1, 1, 1000, 0, 0, 0, "10"},
                     {20, "A", "X", 1, 1, 1000, 0, 0, 0, "20"},
                     {30, "A", "X", 1, 1, 1000, 0, 0, 0, "30"},
                     {15, "A", "X", 1, 1, 1000, 0, 0, 0, "15"},
                     {20, "A", "X", 1, 1, 1000, 0, 0, 0, "20 newer"},
                     {15, "A", "X", 1, 1, 1000, 0, 0, 0, "15 newer"},
                     {40, "A", "X", 1, 1, 1000, 0, 0, 0, "40"},
                     {5, "A", "X", 1, 1, 1000, 0, 0, 0, "5"}});
  EXPECT_EQ((std::vector<SInt32>{5, 10, 15, 15, 20, 20, 30, 40}), ittest::TrackIds(*library_));
  const struct {
    SInt32 id;
    const char* name;  // null: no track
    const char* why;
  } cases[] = {
      {10, "10", "rising, never repeated"},
      {20, "20 newer", "rising, then repeated later"},
      {15, "15 newer", "after a greater id, then repeated"},
      {40, "40", "rising again after ids out of order"},
      {5, "5", "below every other id"},
      {25, nullptr, "between two ids"},
      {50, nullptr, "above every id"},
  };
  for (const auto& c : cases) {
    const cSPiTMI_TrackInfoObj* track = library_->SerchTrackInfoObjectFromTrackID(c.id);
    if (c.name == nullptr) {
      EXPECT_EQ(nullptr, track) << c.why;
    } else {
      ASSERT_NE(nullptr, track) << c.why;
      EXPECT_STREQ(c.name, track->GetText(kSpiTMI_Name)) << c.why;
    }
  }
  // The newest of an id comes first among its id's tracks in the list.
  std::vector<std::string> names;
  for (const cSPiTMI_TrackInfoObj* t = library_->GetFirstTrack(); t != nullptr;
       t = t->GetTrackLinkNextObjectPtr()) {
    names.push_back(t->GetText(kSpiTMI_Name));
  }
  EXPECT_EQ((std::vector<std::string>{"5", "10", "15 newer", "15", "20 newer", "20", "30", "40"}),
            names);
}

TEST_F(LibraryModelTest, ArtistsAlbumsAndSlotsAreFiledInByteOrder) {
  AddAll(*library_, {{1, "b", "Two", 3, 9, 1000},
                     {2, "B", "One", 1, 9, 1000},
                     {3, "", "", 0, 0, 1000},
                     {4, "\x83\x41", "K", 1, 1, 1000},  // MacJapanese sorts after ASCII
                     {5, "b", "One", 0, 9, 1000},
                     {6, "b", "One", 2, 9, 1000},
                     {7, "b", "One", 0, 9, 1000},
                     {8, "b", "One", 1, 9, 1000},
                     {9, "b", "One", 2, 12, 1000},  // same name, other count: another album
                     {10, "b", "One", -1, 9, 1000},
                     {11, "b", "One", 1, 9, 1000, 0, 0, 0, "", 4},
                     {12, "b", "One", 1, 9, 1000, 0, 0, 0, "", 3}});
  std::vector<std::string> artists;
  for (auto* a = library_->GetFirstArtist(); a != nullptr; a = a->GetArtistLinkNextObjectPtr())
    artists.push_back(a->GetName());
  EXPECT_EQ((std::vector<std::string>{"", "B", "b", "\x83\x41"}), artists);

  ciTunesInfoArtistObj* b =
      library_->GetFirstArtist()->GetArtistLinkNextObjectPtr()->GetArtistLinkNextObjectPtr();
  std::vector<std::string> albums;
  for (auto* a = b->GetFirstAlbum(); a != nullptr; a = a->GetArtistLinkNextObjectPtr())
    albums.push_back(std::string(a->GetName()) + "/" + std::to_string(a->GetTrackCount()));
  // A later album of an existing name goes in front of the albums of that name.
  EXPECT_EQ((std::vector<std::string>{"One/12", "One/9", "Two/9"}), albums);

  ciTunesInfoAlbumObj* one = b->GetFirstAlbum()->GetArtistLinkNextObjectPtr();
  std::vector<std::string> slots;
  for (auto* s = one->GetFirstSlot(); s != nullptr; s = s->GetTrackRootNextObjectPtr())
    slots.push_back(std::to_string(s->GetTrackNumber()) + ":" +
                    std::to_string(s->GetTopTrackItemPtr()->GetTrackID()));
  // Numbered slots ascend; every track without a number has a slot of its own at the end.
  EXPECT_EQ((std::vector<std::string>{"-1:10", "1:11", "2:6", "0:5", "0:7"}), slots);
  EXPECT_EQ(5, one->GetSlotCount());
  // The most completely described copy of a track leads its slot; earlier copies win ties.
  std::vector<SInt32> copies;
  for (auto* t = one->GetFirstSlot()->GetTrackRootNextObjectPtr()->GetTopTrackItemPtr();
       t != nullptr; t = t->GetArtistLinkNextObjectPtr())
    copies.push_back(t->GetTrackID());
  EXPECT_EQ((std::vector<SInt32>{11, 12, 8}), copies);
}

TEST_F(LibraryModelTest, AlbumGroupsGatherTracksWhoseNumbersAgree) {
  struct Case {
    const char* why;
    std::vector<T> tracks;
    std::vector<std::string> groups;
  } cases[] = {
      {"copies of one album share a group and its items",
       {{1, "A", "X", 1, 2, 1000, 1, 1, 1999},
        {2, "A", "X", 2, 2, 1000, 1, 1, 1999},
        {3, "B", "X", 1, 2, 1000, 1, 1, 1999}},
       {"X (1/1 2 1999) [1:1+3 2:2]"}},
      {"another track count is another album",
       {{1, "A", "X", 1, 11, 1000}, {2, "A", "X", 1, 12, 1000}, {3, "A", "X", 2, 11, 1000}},
       {"X (0/0 11 0) [1:1 2:3]", "X (0/0 12 0) [1:2]"}},
      {"all numbers 0 join the group whose numbers are all 0",
       {{1, "A", "", 0, 0, 1000}, {2, "B", "", 0, 0, 1000}},
       {" [0:1+2]"}},
      {"a track missing every number agrees with nothing of a tagged album",
       {{1, "A", "X", 1, 2, 1000, 1, 1, 1999}, {2, "A", "X", 2, 0, 1000}},
       {"X (1/1 2 1999) [1:1]", "X [2:2]"}},
      {"a missing number neither conflicts nor agrees",
       {{1, "A", "X", 1, 2, 1000, 1, 1, 1999}, {2, "A", "X", 2, 2, 1000, 0, 0, 1999}},
       {"X (1/1 2 1999) [1:1 2:2]"}},
      {"the last fitting group takes the track",
       {{1, "A", "X", 1, 2, 1000, 1, 0, 0},
        {2, "A", "X", 1, 2, 1000, 2, 0, 0},
        {3, "A", "X", 2, 2, 1000, 0, 0, 0}},
       {"X (1/0 2 0) [1:1]", "X (2/0 2 0) [1:2 2:3]"}},
      {"items ascend with gaps; the highest number counts",
       {{1, "A", "X", 4, 4, 1000}, {2, "A", "X", 1, 4, 1000}, {3, "A", "X", 2, 4, 1000}},
       {"X (0/0 4 0) [1:2 2:3 4:1]"}},
  };
  for (const Case& c : cases) {
    auto library = NewLibrary();
    AddAll(*library, c.tracks);
    EXPECT_EQ(c.groups, Groups(library->GetFirstAlbumGroup())) << c.why;
  }
  auto library = NewLibrary();
  AddAll(*library, cases[6].tracks);
  EXPECT_EQ(4, library->GetFirstAlbumGroup()->GetHighestNumber());
  EXPECT_EQ(3, library->GetFirstAlbumGroup()->GetContainGroupItem());
}

// Many groups of one name: every track lands in the group the rule gives (the latest group
// that agrees), whether the name's groups are walked or looked up by pattern.
TEST_F(LibraryModelTest, ManyGroupsOfOneNameChooseTheLatestAgreeingGroup) {
  const SInt16 values[] = {-2, 0, 1, 2};
  std::vector<T> tracks;
  for (SInt32 i = 0; i < 600; ++i) {
    const SInt32 r = (i * 7919 + 13) % 256;  // every combination, in a scrambled order
    tracks.push_back({i + 1, "A", "X", 1, values[r % 4], 1000, values[r / 4 % 4],
                      values[r / 16 % 4], values[r / 64]});
  }
  AddAll(*library_, tracks);
  // The rule, walked over every group made so far.
  std::vector<std::vector<SInt16>> groups;
  std::vector<size_t> expected;
  for (const T& t : tracks) {
    const SInt16 v[4] = {t.disc, t.discs, t.count, t.year};
    size_t chosen = groups.size();
    for (size_t g = 0; g < groups.size(); ++g) {
      int score = 0;
      bool conflict = false;
      for (int i = 0; i < 4; ++i) {
        conflict = conflict || (groups[g][i] > 0 && v[i] > 0 && groups[g][i] != v[i]);
        score += (groups[g][i] > 0 && groups[g][i] == v[i]) || (groups[g][i] == 0 && v[i] == 0);
      }
      if (!conflict && score > 0) chosen = g;
    }
    if (chosen == groups.size()) groups.push_back({v[0], v[1], v[2], v[3]});
    expected.push_back(chosen);
  }
  std::vector<size_t> got(tracks.size(), 999);
  size_t ordinal = 0;
  for (auto* g = library_->GetFirstAlbumGroup(); g != nullptr;
       g = g->GetMusicGroupLinkNextObjectPtr(), ++ordinal) {
    for (auto* item = g->GetFirstItem(); item; item = item->GetMusicGroupItemLinkNextObjectPtr())
      for (SInt32 i = 1; auto* t = item->GetTrackAt(i); ++i) got[t->GetTrackID() - 1] = ordinal;
  }
  EXPECT_EQ(groups.size(), ordinal);
  EXPECT_EQ(expected, got);
}

// Large libraries are filed in work that grows with the tracks, not with their square: the
// walks of the model count their steps.
TEST_F(LibraryModelTest, FilingFortyThousandTracksTakesLinearWork) {
  constexpr SInt32 kTracks = 40000;
  struct Case {
    const char* why;
    T (*make)(SInt32 i);
    SInt32 tracks, groups, albums, firstSlotTracks, slots, topOfFirstSlot;
  } cases[] = {
      {"one album, two copies of each number, numbers ascending",
       [](SInt32 i) { return T{i + 1, "A", "X", SInt16(1 + i / 2), 20000, 1000}; }, kTracks, 1, 1,
       2, 20000, 1},
      {"one album, every track numbered 1, better described copies later",
       [](SInt32 i) { return T{i + 1, "A", "X", 1, 1, 1000, 0, 0, 0, "", UInt16(i % 3)}; }, kTracks,
       1, 1, kTracks, 1, 3},
      {"forty thousand albums of one track",
       [](SInt32 i) {
         static std::vector<std::string> names;
         if (names.size() < size_t(kTracks)) {
           for (SInt32 n = 0; n < kTracks; ++n) names.push_back("Album " + std::to_string(n));
         }
         return T{i + 1, "A", names[size_t(i)].c_str(), 1, 1, 1000};
       },
       kTracks, kTracks, kTracks, 1, 1, 1},
      {"forty thousand albums of one name told apart by disc and year",
       [](SInt32 i) {
         return T{i + 1, "A", "X", 1, 1, 1000, SInt16(1 + i % 200), 0, SInt16(1 + i / 200)};
       },
       10000, 10000, 1, 10000, 1, 1},
  };
  for (const Case& c : cases) {
    auto library = NewLibrary();
    const unsigned long before = sp_itunes::gFilingSteps;
    for (SInt32 i = 0; i < c.tracks; ++i) ASSERT_TRUE(library->AddTrackInfoItem(Make(c.make(i))));
    // A crowded album name costs a fixed number of pattern look-ups per track.
    EXPECT_LT(sp_itunes::gFilingSteps - before, 100ul * c.tracks) << c.why;
    SInt32 groups = 0, albums = 0;
    for (auto* g = library->GetFirstAlbumGroup(); g; g = g->GetMusicGroupLinkNextObjectPtr())
      ++groups;
    const ciTunesInfoArtistObj* artist = library->GetFirstArtist();
    for (auto* a = artist->GetFirstAlbum(); a; a = a->GetArtistLinkNextObjectPtr()) ++albums;
    EXPECT_EQ(c.groups, groups) << c.why;
    EXPECT_EQ(c.albums, albums) << c.why;
    EXPECT_EQ(c.slots, artist->GetFirstAlbum()->GetSlotCount()) << c.why;
    SInt32 inFirstSlot = 0;
    for (auto* t = artist->GetFirstAlbum()->GetFirstSlot()->GetTopTrackItemPtr(); t;
         t = t->GetArtistLinkNextObjectPtr())
      ++inFirstSlot;
    EXPECT_EQ(c.firstSlotTracks, inFirstSlot) << c.why;
    EXPECT_EQ(c.topOfFirstSlot,
              artist->GetFirstAlbum()->GetFirstSlot()->GetTopTrackItemPtr()->GetTrackID())
        << c.why;
    EXPECT_EQ(c.tracks, library->SerchTrackInfoObjectFromTrackID(c.tracks)->GetTrackID()) << c.why;
  }
}

// ---- Matching -------------------------------------------------------------------------------

TEST_F(LibraryModelTest, AlbumsMatchOnlyByExactWholeSecondsInOrder) {
  AddAll(*library_, {{1, "A", "Exact", 1, 3, 215900},
                     {2, "A", "Exact", 2, 3, 180000},
                     {3, "A", "Exact", 3, 3, 240999},
                     {4, "A", "Short", 1, 3, 214999},
                     {5, "A", "Short", 2, 3, 180000},
                     {6, "A", "Short", 3, 3, 240999},
                     {7, "A", "Gap", 1, 4, 215000},
                     {8, "A", "Gap", 2, 4, 180500},
                     {9, "A", "Gap", 4, 4, 240000},
                     {10, "A", "Copies", 1, 2, 100000},
                     {11, "A", "Copies", 2, 2, 200000},
                     {12, "B", "Copies", 1, 2, 101000},
                     {13, "B", "Copies", 2, 2, 202000}});
  struct Case {
    std::vector<unsigned long> seconds;
    std::vector<std::string> found;
    const char* why;
  } cases[] = {
      {{215, 180, 240}, {"Exact"}, "215,900 ms is 215 s; 240,999 ms is 240 s"},
      {{214, 180, 240}, {"Short"}, "214,999 ms is 214 s, not 215"},
      {{180, 215, 240}, {}, "order counts"},
      {{215, 180}, {}, "a 2-track CD is no 3-track album"},
      {{215, 180, 240, 100}, {"Gap"}, "items 1, 2 and 4 take the first three lengths"},
      {{215, 181, 240, 100}, {}, "no tolerance"},
      {{100, 202}, {"Copies"}, "either copy of a track will do"},
      {{101, 200}, {"Copies"}, "either copy of a track will do"},
  };
  for (const Case& c : cases) EXPECT_EQ(c.found, Matches(*library_, c.seconds, 0)) << c.why;
  // More items than lengths: the lengths run out first.
  EXPECT_TRUE(Matches(*library_, {215, 180}, 0, 3).empty());
  EXPECT_TRUE(Matches(*library_, {215, 180, 240}, 1).empty()) << "albums are no playlists";
}

TEST_F(LibraryModelTest, PlaylistsHoldEntriesInOrderAndMatchAsAlbums) {
  AddAll(*library_, {{1, "A", "X", 1, 9, 100000}, {2, "A", "X", 2, 9, 200000}});
  auto* list = new (std::nothrow) ciTunesInfoMusicGroupObj();
  list->SetupName("Mix", 1);
  cSPiTMI_TrackInfoObj* one = library_->SerchTrackInfoObjectFromTrackID(1);
  cSPiTMI_TrackInfoObj* two = library_->SerchTrackInfoObjectFromTrackID(2);
  for (cSPiTMI_TrackInfoObj* t : {two, one, two}) list->SetupPlayListTrackInfoObject(t);
  ASSERT_EQ(1, library_->AddPlayListGroup(list));
  EXPECT_EQ((std::vector<std::string>{"Mix [1:2 2:1 3:2]"}), Groups(library_->GetFirstPlayList()));
  EXPECT_EQ(3, list->GetHighestNumber());
  EXPECT_EQ((std::vector<std::string>{"Mix"}), Matches(*library_, {200, 100, 200}, 1));
  EXPECT_TRUE(Matches(*library_, {200, 100, 200}, 0).empty());

  // A list cannot go on the playlists twice, nor an album group on them.
  ErrorLogCapture log;
  EXPECT_EQ(0, library_->AddPlayListGroup(list));
  EXPECT_EQ(0, library_->AddPlayListGroup(library_->GetFirstAlbumGroup()));
  EXPECT_TRUE(log.Has("ciTunesMusicInfoObj::AddPlayListGroup", 3));
  EXPECT_EQ(1u, Groups(library_->GetFirstPlayList()).size());

  // Cut to 16 bits a playlist of 65,538 entries would claim two and match a 2-track CD.
  auto* longList = new (std::nothrow) ciTunesInfoMusicGroupObj();
  for (int i = 0; i < 65538; ++i) ASSERT_EQ(1, longList->SetupPlayListTrackInfoObject(one));
  library_->AddPlayListGroup(longList);
  EXPECT_EQ(65538, longList->GetHighestNumber());
  EXPECT_TRUE(Matches(*library_, {100, 100}, 1).empty());
}

// ---- Tag records ------------------------------------------------------------------------------

class LibraryRecordTest : public LibraryModelTest {
 protected:
  void SetUp() override {
    LibraryModelTest::SetUp();
    ASSERT_EQ(noErr, sp_testing::UseCompiledAppResources());
  }
  void TearDown() override { sp_testing::ResetResources(); }

  void AddAlbum(const char* secondArtist) {
    AddAll(*library_,
           {{1, "Ann", "Songs", 1, 2, 215900, 1, 1, 2003, "First", 9, "Cole", "Rock"},
            {2, secondArtist, "Songs", 2, 2, 180000, 1, 1, 2003, "Second", 9, "Cole", "Rock"}});
    cSPiTMI_TrackInfoObj* first = library_->SerchTrackInfoObjectFromTrackID(1);
    first->SetupText(kSpiTMI_Comments, "liner", 1);
    first->SetupText(kSpiTMI_Grouping, "Live", 1);
  }
  std::vector<std::string> Record(short trackRef, const std::vector<unsigned long>& s,
                                  ciTunesInfoMusicGroupObj* group = nullptr) {
    Lengths lengths(s);
    if (group == nullptr) group = library_->GetFirstAlbumGroup();
    cSp_MusicFileMusicInfoDataObj* record = nullptr;
    if (!group->CreateMusicInfoWithID3VersionUnder2(trackRef, &lengths, record)) {
      EXPECT_EQ(nullptr, record);
      return {"<none>"};
    }
    std::unique_ptr<cSp_MusicFileMusicInfoDataObj> owned(record);
    return Items(record);
  }
};

TEST_F(LibraryRecordTest, OneTrackGivesEveryItemItHasInTagOrder) {
  AddAlbum("Ann");
  EXPECT_EQ((std::vector<std::string>{"TAL =Songs", "TT2 =First", "TP1 =Ann", "TCM =Cole",
                                      "TAL =Songs", "COM =eng|liner", "TT1 =Live", "TCO =(17)",
                                      "TPA =1/1", "TRK =1/2", "TYE =2003"}),
            Record(1, {215}));
  EXPECT_EQ((std::vector<std::string>{"<none>"}), Record(1, {216})) << "no track of that length";
  EXPECT_EQ((std::vector<std::string>{"<none>"}), Record(3, {215})) << "no track numbered 3";
  EXPECT_EQ((std::vector<std::string>{"<none>"}), Record(1, {})) << "no length at all";
}

TEST_F(LibraryRecordTest, APlaylistRecordIsNamedAfterThePlaylist) {
  AddAll(*library_, {{1, "Ann", "Songs", 4, 9, 215900, 0, 0, 0, "Tune", 9, "", "No Such Genre"}});
  auto* list = new (std::nothrow) ciTunesInfoMusicGroupObj();
  list->SetupName("Drive", 1);
  list->SetupPlayListTrackInfoObject(library_->GetFirstTrack());
  library_->AddPlayListGroup(list);
  EXPECT_EQ(
      (std::vector<std::string>{"TAL =Drive", "TT2 =Tune", "TP1 =Ann", "TAL =Songs", "TRK =4/9"}),
      Record(1, {215}, list))
      << "the entry's position is its number; an unknown genre gives no genre item";
}

// Track and disc items are "n/m" and come only when both numbers are known (above 0).
TEST_F(LibraryRecordTest, TrackAndDiscItemsComeOnlyWithBothNumberAndCount) {
  const struct {
    SInt16 number, count, disc, discs;
    std::vector<std::string> items;
  } cases[] = {
      {4, 9, 1, 2, {"TPA =1/2", "TRK =4/9"}},
      {1, 1, 2, 2, {"TPA =2/2", "TRK =1/1"}},
      {4, 0, 1, 0, {}},
      {0, 9, 0, 2, {}},
      {-4, 9, 1, -2, {}},
  };
  SInt32 id = 0;
  for (const auto& c : cases) {
    ++id;
    AddAll(*library_,
           {{id, "Ann", "Songs", c.number, c.count, 215900, c.disc, c.discs, 0, "Tune"}});
    auto* list = new (std::nothrow) ciTunesInfoMusicGroupObj();
    list->SetupName("Drive", 1);
    list->SetupPlayListTrackInfoObject(library_->SerchTrackInfoObjectFromTrackID(id));
    library_->AddPlayListGroup(list);
    std::vector<std::string> want = {"TAL =Drive", "TT2 =Tune", "TP1 =Ann", "TAL =Songs"};
    want.insert(want.end(), c.items.begin(), c.items.end());
    EXPECT_EQ(want, Record(1, {215}, list)) << c.number << "/" << c.count;
  }
}

TEST_F(LibraryRecordTest, TheArtistTreeMatchesAndDescribesItsAlbums) {
  AddAlbum("Ann");
  AddAll(*library_, {{3, "Ann", "Solo", 1, 2, 215000}, {4, "Ann", "Solo", 2, 2, 181000}});
  ciTunesInfoArtistObj* ann = library_->GetFirstArtist();
  Lengths lengths({215, 180});
  cSp_uLongCollection found;
  ASSERT_EQ(1, ann->GetTargetAlbum(2, &lengths, &found));
  ASSERT_EQ(1, found.GetNumberOfItem());
  unsigned long value = 0;
  found.GetValue(1, value);
  auto* album = reinterpret_cast<ciTunesInfoAlbumObj*>(value);
  EXPECT_STREQ("Songs", album->GetName());
  // A disc of another track count is no match, even where the album's lengths begin or end
  // its own.
  const struct {
    short count;
    std::vector<unsigned long> seconds;
  } others[] = {{3, {215, 180, 100}}, {1, {215}}, {3, {215, 180}}};
  for (const auto& o : others) {
    Lengths other(o.seconds);
    EXPECT_EQ(0, ann->GetTargetAlbum(o.count, &other, nullptr)) << o.count;
  }
  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  ASSERT_EQ(1, album->CreateMusicInfoWithID3VersionUnder2(0, record));
  std::unique_ptr<cSp_MusicFileMusicInfoDataObj> owned(record);
  const std::vector<std::string> whole = {"TAL =Songs", "TP1 =Ann", "TCM =Cole", "TCO =(17)"};
  EXPECT_EQ(whole, Items(record));
  // A whole album of the library's groups gives its name and what all its tracks share.
  EXPECT_EQ(whole, Record(0, {215, 180}));
  auto other = NewLibrary();
  library_.swap(other);
  AddAlbum("Bob");
  EXPECT_EQ((std::vector<std::string>{"TAL =Songs", "TCM =Cole", "TCO =(17)"}),
            Record(-1, {215, 180}))
      << "artists differ: no artist item";
}

// ---- Memory ---------------------------------------------------------------------------------

// A track keeps its texts in one block: replacing one keeps the others, and a text or file
// record that cannot be stored is left empty without touching the rest.
TEST(LibraryTrackTexts, OneTextChangesAloneAndAFailedStoreLosesOnlyThatText) {
  std::unique_ptr<cSPiTMI_TrackInfoObj> track(Make({1, "Ann", "Songs", 1, 1, 1000}));
  const auto texts = [&] {
    std::string s;
    for (int f = 0; f < kSpiTMI_TextFieldCount; ++f) {
      s += std::string(track->GetText(tSpiTMI_TextField(f))) + "/" +
           std::to_string(track->GetTextEncoding(tSpiTMI_TextField(f))) + "|";
    }
    return s;
  };
  ASSERT_EQ(noErr, track->SetupText(kSpiTMI_Comments, std::string(40, 'c').c_str(), 7));
  ASSERT_EQ(noErr, track->SetupText(kSpiTMI_Album, "", 1));
  const std::string comments = std::string(40, 'c') + "/7|";
  EXPECT_EQ("/0|/0|/0|Ann/1|/0|/0|" + comments + "/0|", texts());
  const std::string genre(64, 'g');  // one byte more than the field takes
  EXPECT_EQ(paramErr, track->SetupText(kSpiTMI_Genre, genre.c_str(), 1));
  const char* tooLong[kSpiTMI_TextFieldCount] = {"Tune", nullptr, genre.c_str()};
  EXPECT_EQ(paramErr, track->SetupTexts(tooLong, 1));
  EXPECT_EQ("/0|/0|/0|Ann/1|/0|/0|" + comments + "/0|", texts()) << "nothing changed";

  sp_testing::FailNthAllocation(1);
  EXPECT_EQ(memFullErr, track->SetupText(kSpiTMI_Artist, "Bob", 1));
  sp_testing::FailNthAllocation(1);
  const char* all[kSpiTMI_TextFieldCount] = {"Tune"};
  EXPECT_EQ(memFullErr, track->SetupTexts(all, 1));
  sp_testing::FailNthAllocation(1);
  sExtStdFileInfo file = {1, -1, 2, "song.aiff", 7};
  EXPECT_EQ(memFullErr, track->SetupLocationFile(file));
  sp_testing::FailNthAllocation(0);
  EXPECT_EQ("/0|/0|/0|/0|/0|/0|" + comments + "/0|", texts()) << "only the artist is gone";
  EXPECT_EQ(0, track->GetLocationFile().valid);

  ASSERT_EQ(noErr, track->SetupLocationFile(file));
  ASSERT_EQ(noErr, track->SetupTexts(all, 3));
  EXPECT_EQ("Tune/3|/0|/0|/0|/0|/0|/0|/0|", texts()) << "every text replaced";
  EXPECT_STREQ("song.aiff", track->GetLocationFile().fileName);
}

TEST_F(LibraryModelTest, RunningOutOfMemoryLeavesEveryStructureConsistent) {
  const std::vector<T> tracks = {{3, "A", "X", 1, 2, 1000},
                                 {1, "A", "X", 2, 2, 2000},
                                 {2, "B", "Y", 1, 1, 3000},
                                 {4, "A", "X", 1, 2, 1000}};
  ErrorLogCapture log;
  for (UInt32 n = 1; n < 40; ++n) {
    auto library = NewLibrary();
    std::vector<cSPiTMI_TrackInfoObj*> made;
    for (const T& t : tracks) made.push_back(Make(t));
    sp_testing::FailNthAllocation(n);
    for (cSPiTMI_TrackInfoObj* track : made) {
      if (!library->AddTrackInfoItem(track)) delete track;
    }
    sp_testing::FailNthAllocation(0);
    // Whatever was left out, the lists hold together and matching still runs.
    SInt32 previous = -1;
    for (auto* t = library->GetFirstTrack(); t != nullptr; t = t->GetTrackLinkNextObjectPtr()) {
      EXPECT_LE(previous, t->GetTrackID()) << n;
      previous = t->GetTrackID();
    }
    Matches(*library, {1, 2}, 0);
    // The library deletes what it holds when it goes (the sanitizer sees any leak).
  }
}

}  // namespace
