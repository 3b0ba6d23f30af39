// Saved start data: the bytes of both files, keys and the least-recently-used limit, reading
// back after a restart of the manager, and damaged files.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "ErrorLogCapture.h"
#include "Folders.h"
#include "KillSteps.h"
#include "SaveRaces.h"
#include "SpCDRSaveIniDataMgrObj.h"
#include "SpTesting.h"
#include "TestFiles.h"

namespace {

SoundComponentData Format(OSType code, SInt16 channels, SInt16 bits, UnsignedFixed rate) {
  SoundComponentData f{};
  f.format = code;
  f.numChannels = channels;
  f.sampleSize = bits;
  f.sampleRate = rate;
  return f;
}

const SoundComponentData kCDFormat = Format(SpFourCC("twos"), 2, 16, 0xAC440000u);

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

void WriteFile(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), std::streamsize(bytes.size()));
}

// Leaves a socket under the name in the folder: 0, or -1. It is bound through the folder's
// descriptor, since a socket's path is held to 108 bytes.
int MakeSocket(const std::string& folder, const char* name) {
  const int dir = open(folder.c_str(), O_PATH | O_DIRECTORY | O_CLOEXEC);
  const int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  const std::string path = "/proc/self/fd/" + std::to_string(dir) + "/" + name;
  sockaddr_un address{};
  address.sun_family = AF_UNIX;
  bool bound = dir >= 0 && fd >= 0 && path.size() < sizeof address.sun_path;
  if (bound) {
    std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
    bound = bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
  }
  if (fd >= 0) close(fd);
  if (dir >= 0) close(dir);
  return bound ? 0 : -1;
}

std::string BE32(UInt32 v) {
  return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}

// A "QTFILE-Data" record as the file holds it.
std::string FileRecord(const std::string& name, UInt32 size, UInt32 level) {
  return BE32(UInt32(name.size())) + name + BE32(size) + BE32(0) + BE32(SpFourCC("twos")) +
         std::string("\x00\x02\x00\x10", 4) + BE32(0xAC440000u) + BE32(0) + BE32(0) + BE32(0) +
         BE32(600) + BE32(44100) + BE32(level);
}

class StartData : public ::testing::Test {
 protected:
  void SetUp() override {
    SpDisposeCDQTFileInitManager();
    mkdir(home_.Path(".config").c_str(), 0700);
    mkdir(Folder().c_str(), 0700);
  }
  void TearDown() override { SpDisposeCDQTFileInitManager(); }

  std::string Folder() const { return home_.Path(".config/Zanthe Folder"); }
  std::string CDFile() const { return Folder() + "/CDDA-Data"; }
  std::string SoundFile() const { return Folder() + "/QTFILE-Data"; }

  // As after a restart of the program: the next look-up makes the manager and loads.
  static cSpCDRSaveInitDataMgr* Restart() {
    SpDisposeCDQTFileInitManager();
    return SpGetCDQTFileInitMaganer(1);
  }
  static cCDSaveInitialData* CD(UInt32 tracks, UInt32 m, UInt32 s, UInt32 f,
                                unsigned char create = 1) {
    return SpGetCDInitData(tracks, cDiscPosition(m, s, f), create, nullptr);
  }
  static cQTFileSaveInitialData* Sound(const char* name, UInt32 size = 1000,
                                       unsigned char create = 1) {
    return SpGetQTFileInitData(name, size, kCDFormat, 600, 44100, create, nullptr);
  }
  // The level of a known CD or sound file; -1 when it is not known.
  static SInt64 CDLevel(UInt32 tracks, UInt32 m, UInt32 s, UInt32 f) {
    UInt32 level = 0;
    cCDSaveInitialData* cd = CD(tracks, m, s, f, 0);
    if (cd == nullptr) return -1;
    cd->GetCDData(nullptr, nullptr, &level);
    return level;
  }
  // No manager, and neither file nor anything a save left beside them.
  void RemoveFiles() const {
    SpDisposeCDQTFileInitManager();
    for (const char* name : {"CDDA-Data", "QTFILE-Data"}) {
      for (const std::string& side : test_support::SideFilesOf(Folder(), name)) {
        unlink((Folder() + "/" + side).c_str());
      }
      unlink((Folder() + "/" + name).c_str());
      rmdir((Folder() + "/" + name).c_str());
      unlink((Folder() + "/" + name + ".saving").c_str());
    }
  }
  static SInt64 SoundLevel(const char* name, UInt32 size = 1000) {
    cQTFileSaveInitialData* sound = Sound(name, size, 0);
    return sound == nullptr ? -1 : SInt64(sound->GetVolumeLevel());
  }

  sp_testing::HomeScope home_;
};

TEST_F(StartData, SoundFileDataIsWrittenFieldByFieldBigEndianAndReadBack) {
  SoundComponentData f = kCDFormat;
  f.flags = 0x11223344;
  f.sampleCount = 0x55667788;
  Byte samples[4] = {};
  f.buffer = samples;  // an address never reaches the file
  f.reserved = 0x0A0B0C0D;
  SpGetQTFileInitData("Song.aif", 0x01020304, f, 0x00ABCDEF, 44100, 1, nullptr)
      ->SetupVolumeLevel(77);
  SpSaveCDQTFileInitialData();
  const std::string expected(
      "\x00\x00\x00\x01"                  // records
      "\x00\x00\x00\x08Song.aif"          // name
      "\x01\x02\x03\x04\x11\x22\x33\x44"  // file size, flags
      "twos\x00\x02\x00\x10"              // format, channels, sample size
      "\xAC\x44\x00\x00\x55\x66\x77\x88"  // 44.1 kHz as 16.16, sample count
      "\x00\x00\x00\x00\x0A\x0B\x0C\x0D"  // buffer, reserved
      "\x00\xAB\xCD\xEF\x00\x00\xAC\x44"  // duration, time scale
      "\x00\x00\x00\x4D",                 // level
      60);
  EXPECT_EQ(ReadFile(SoundFile()), expected);
  Restart();
  EXPECT_EQ(SpGetQTFileInitData("Song.aif", 0x01020304, kCDFormat, 0x00ABCDEF, 44100, 0, nullptr)
                ->GetVolumeLevel(),
            77u);
}

TEST_F(StartData, CDDataIsOneTabbedLinePerCDAndKeepsTheCDsOfEarlierRuns) {
  CD(5, 30, 0, 0)->SetupVolumeLevel(30);
  CD(5, 31, 0, 0)->SetupVolumeLevel(31);                       // same track count, another disc
  CD(3, 0, 59, 74);                                            // a level nobody set
  SpGetCDInitData(1, cDiscPosition(70, 0, 0, 1), 1, nullptr);  // the negative flag is not written
  SpSaveCDQTFileInitialData();
  const std::string first =
      "5\t30\t0\t0\t30\t\r5\t31\t0\t0\t31\t\r3\t0\t59\t74\t255\t\r1\t70\t0\t0\t255\t\r";
  EXPECT_EQ(ReadFile(CDFile()), first);

  // The next run sees another CD only, and saves.
  EXPECT_EQ(Restart()->GetCDInitialDataCount(), 4u);
  EXPECT_EQ(CDLevel(5, 30, 0, 0), 30);
  EXPECT_EQ(CDLevel(5, 31, 0, 0), 31);
  unsigned char created = 0;
  SpGetCDInitData(9, cDiscPosition(61, 2, 3), 1, &created)->SetupVolumeLevel(100);
  EXPECT_EQ(created, 1);
  SpSaveCDQTFileInitialData();
  // The two looked up again are now more recently used than the ones left alone.
  EXPECT_EQ(ReadFile(CDFile()), first.substr(26) + first.substr(0, 26) + "9\t61\t2\t3\t100\t\r");
}

TEST_F(StartData, AFiftiethRecordDropsTheLeastRecentlyUsedOne) {
  for (UInt32 i = 0; i < 49; ++i) {
    CD(1, i, 0, 0);
    Sound(("file " + std::to_string(i)).c_str());
  }
  // Looked up again, records 0 and 1 become the most recently used.
  for (UInt32 i : {0u, 1u}) {
    ASSERT_NE(CD(1, i, 0, 0, 0), nullptr);
    ASSERT_NE(Sound(("file " + std::to_string(i)).c_str(), 1000, 0), nullptr);
  }
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(0);
  cCDSaveInitialData* droppedCD = manager->GetCDInitialDataList();
  cQTFileSaveInitialData* droppedSound = manager->GetFileInitialDataList();
  CD(1, 99, 0, 0);
  Sound("file 99");
  EXPECT_NE(manager->GetCDInitialDataList(), droppedCD);
  EXPECT_NE(manager->GetFileInitialDataList(), droppedSound);
  // The media objects of more CDs and files than the list keeps still point at the dropped
  // records: these stay readable.
  UInt32 droppedLevel = 0;
  droppedCD->GetCDData(nullptr, nullptr, &droppedLevel);
  EXPECT_EQ(droppedLevel, 255u);
  EXPECT_EQ(droppedSound->GetVolumeLevel(), 100u);

  SpSaveCDQTFileInitialData();
  // Written least recently used first.
  const std::string text = ReadFile(CDFile());
  EXPECT_EQ(text.substr(0, 13), "1\t3\t0\t0\t255\t\r");
  const std::string tail = "1\t0\t0\t0\t255\t\r1\t1\t0\t0\t255\t\r1\t99\t0\t0\t255\t\r";
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  cSpCDRSaveInitDataMgr* reloaded = Restart();
  EXPECT_EQ(reloaded->GetCDInitialDataCount(), 49u);
  EXPECT_EQ(reloaded->GetFileInitialDataCount(), 49u);
  EXPECT_EQ(CDLevel(1, 2, 0, 0), -1);
  EXPECT_EQ(SoundLevel("file 2"), -1);
  EXPECT_NE(SoundLevel("file 99"), -1);
}

// Files of many thousand records, more than any save writes: damaged, they leave no record
// alive, and they are kept aside.
TEST_F(StartData, FilesOfMoreRecordsThanAListKeepsLeaveNoneAlive) {
  std::string cds, sounds = BE32(20000);
  for (UInt32 i = 0; i < 20000; ++i) {
    cds += "1\t" + std::to_string(i % 100) + "\t" + std::to_string(i / 100 % 60) + "\t" +
           std::to_string(i / 6000) + "\t50\t\r";
    sounds += FileRecord("file " + std::to_string(i), 1000, 50);
  }
  WriteFile(CDFile(), cds);
  WriteFile(SoundFile(), sounds);
  const UInt32 cdsBefore = cCDSaveInitialData::CountAlive();
  const UInt32 soundsBefore = cQTFileSaveInitialData::CountAlive();
  ErrorLogCapture log;
  cSpCDRSaveInitDataMgr* manager = Restart();
  EXPECT_EQ(manager->GetCDInitialDataCount(), 0u);
  EXPECT_EQ(manager->GetFileInitialDataCount(), 0u);
  EXPECT_EQ(cCDSaveInitialData::CountAlive(), cdsBefore);
  EXPECT_EQ(cQTFileSaveInitialData::CountAlive(), soundsBefore);
  EXPECT_EQ(log.Count(), 2u);
  EXPECT_EQ(ReadFile(CDFile() + " (damaged)"), cds);
  EXPECT_EQ(ReadFile(SoundFile() + " (damaged)"), sounds);
}

// A disposed manager's records stay for the media objects that hold them, until whoever
// knows that nothing holds them any more deletes them; the current manager's are not touched.
TEST_F(StartData, RecordsOfDisposedManagersStayUntilDeletedOnRequest) {
  SpDeleteRecordsOfDisposedManagers();  // what earlier tests of the run left
  const UInt32 cdsBefore = cCDSaveInitialData::CountAlive();
  const UInt32 soundsBefore = cQTFileSaveInitialData::CountAlive();
  CD(3, 10, 0, 0)->SetupVolumeLevel(7);
  CD(4, 20, 0, 0);
  cQTFileSaveInitialData* held = Sound("a.aiff");
  held->SetupVolumeLevel(9);
  Sound("b.aiff");
  SpSaveCDQTFileInitialData();
  Restart();  // the first manager goes, its records stay; the files are loaded again
  Sound("c.aiff");
  EXPECT_EQ(held->GetVolumeLevel(), 9u);
  EXPECT_EQ(cCDSaveInitialData::CountAlive() - cdsBefore, 4u) << "two left, two loaded again";
  EXPECT_EQ(cQTFileSaveInitialData::CountAlive() - soundsBefore, 5u);
  SpDeleteRecordsOfDisposedManagers();
  SpDeleteRecordsOfDisposedManagers();
  EXPECT_EQ(cCDSaveInitialData::CountAlive() - cdsBefore, 2u);
  EXPECT_EQ(cQTFileSaveInitialData::CountAlive() - soundsBefore, 3u);
  EXPECT_EQ(SoundLevel("a.aiff"), 9) << "the current manager's records are kept";
  EXPECT_EQ(SoundLevel("c.aiff"), 100);
}

SoundComponentData Other() {  // the CD format with other flags, sample count and reserved
  SoundComponentData f = kCDFormat;
  f.flags = 7;
  f.sampleCount = 12345;
  f.reserved = 9;
  return f;
}

TEST_F(StartData, SoundFileKeyIsNameSizeAndSoundButNotFlagsOrSampleCount) {
  Sound("Take.aif", 5000);
  struct Case {
    const char* name;
    UInt32 size;
    SoundComponentData format;
    SInt32 duration;
    bool same;
    SInt32 scale = 44100;
  } cases[] = {
      {"Take.aif", 5000, kCDFormat, 600, true},
      {"Take.aif", 5001, kCDFormat, 600, false},
      {"Take.aif2", 5000, kCDFormat, 600, false},
      {"Take.ai", 5000, kCDFormat, 600, false},
      {"take.aif", 5000, kCDFormat, 600, false},
      {nullptr, 5000, kCDFormat, 600, false},
      {"Take.aif", 5000, Format(SpFourCC("twos"), 1, 16, 0xAC440000u), 600, false},
      {"Take.aif", 5000, Format(SpFourCC("sowt"), 2, 16, 0xAC440000u), 600, false},
      {"Take.aif", 5000, Format(SpFourCC("twos"), 2, 24, 0xAC440000u), 600, false},
      {"Take.aif", 5000, Format(SpFourCC("twos"), 2, 16, 0xBB800000u), 600, false},
      {"Take.aif", 5000, kCDFormat, 601, false},
      {"Take.aif", 5000, kCDFormat, 600, false, 600},
      {"Take.aif", 5000, Other(), 600, true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(
        SpGetQTFileInitData(c.name, c.size, c.format, c.duration, c.scale, 0, nullptr) != nullptr,
        c.same)
        << (c.name ? c.name : "null") << " " << c.size << " " << c.scale;
  }
}

// Names up to the longest the file holds (510 bytes) are saved and come back after a restart;
// a longer one is left out of the file, its count included, and the records after it stay.
TEST_F(StartData, NamesUpToTheLongestAreSavedAndALongerOneIsLeftOut) {
  const std::string names[] = {std::string(509, 'a'), std::string(510, 'b'), std::string(511, 'c'),
                               "after.aif"};
  UInt32 level = 1;
  for (const std::string& name : names) Sound(name.c_str())->SetupVolumeLevel(level++);
  SpSaveCDQTFileInitialData();
  const std::string file = ReadFile(SoundFile());
  ASSERT_GE(file.size(), 4u);
  EXPECT_EQ(file.substr(0, 4), BE32(3));
  EXPECT_EQ(file.size(), 4 + 3 * 48 + 509 + 510 + 9);
  EXPECT_EQ(Restart()->GetFileInitialDataCount(), 3u);
  EXPECT_EQ(SoundLevel(names[0].c_str()), 1);
  EXPECT_EQ(SoundLevel(names[1].c_str()), 2);
  EXPECT_EQ(SoundLevel(names[2].c_str()), -1);
  EXPECT_EQ(SoundLevel("after.aif"), 4);
}

// A damaged start-data file is not used in part (one flipped byte could otherwise add a record
// or set a level no one chose): the list starts empty, and the file is kept aside as
// "<name> (damaged)" with one record saying so and why.
TEST_F(StartData, DamagedSoundFileDataIsNotUsedAndKeptAside) {
  const std::string one = FileRecord("one.aif", 10, 11);
  const std::string two = FileRecord("two.aif", 20, 22);
  const auto field = [&](std::size_t at, UInt32 value) {
    std::string bytes = BE32(1) + one;
    return bytes.replace(4 + 4 + 7 + at, 4, BE32(value));
  };
  std::string fifty = BE32(50);
  for (int i = 0; i < 50; ++i) fifty += FileRecord("s" + std::to_string(i), 1, 1);
  struct Case {
    std::string bytes;
    UInt32 loaded;
    SInt32 code;  // 0: not damaged
    const char* why;
  } cases[] = {
      {"", 0, 0, "an empty file"},
      {BE32(0), 0, 0, "no records"},
      {BE32(2) + one + two, 2, 0, "well formed"},
      {BE32(1) + FileRecord("one.aif", 10, 100), 1, 0, "the highest level"},
      {BE32(0xFFFFFFFF), 0, kSpStartDataBadRecord, "a negative count"},
      {fifty, 0, kSpStartDataBadRecord, "50 records, more than a list keeps"},
      {BE32(1) + BE32(511) + std::string(600, 'x'), 0, 2, "name length 511"},
      {BE32(2) + one + BE32(0x80000000u), 0, 2, "negative name length"},
      {BE32(2) + one + one, 0, 3, "the same record twice"},
      {BE32(2) + one + two.substr(0, 30), 0, 1, "the file ends inside a record"},
      {BE32(5) + one + two, 0, 1, "a count beyond the records"},
      {BE32(1) + one + two, 0, kSpStartDataBadRecord, "a count below the records"},
      {std::string("\x00\x00", 2), 0, 1, "the file ends inside the count"},
      {BE32(1) + FileRecord("one.aif", 10, 101), 0, kSpStartDataBadRecord, "level 101"},
      {BE32(1) + FileRecord("one.aif", 10, 0x0100000B), 0, kSpStartDataBadRecord,
       "a flipped byte in the level"},
      {field(12, 0xFFFF0010u), 0, kSpStartDataBadRecord, "negative channels"},
      {field(24, 1), 0, kSpStartDataBadRecord, "a buffer address"},
      {field(32, 0xFFFFFFFFu), 0, kSpStartDataBadRecord, "a negative duration"},
      {field(36, 0xFFFFFFFFu), 0, kSpStartDataBadRecord, "a negative time scale"},
      {BE32(1) + FileRecord("x.aif", 10, 100).replace(17, 32, std::string(32, '\0')), 1, 0,
       "a file that could not be described: no format, duration or time scale"},
      {field(12, 0x00FD0010u), 0, kSpStartDataBadRecord, "a flipped byte: 253 channels"},
      {field(12, 0x00090010u), 0, kSpStartDataBadRecord, "9 channels"},
      {field(12, 0x00080010u), 1, 0, "8 channels"},
      {field(12, 0x00020041u), 0, kSpStartDataBadRecord, "65-bit samples"},
      {field(16, 0x03E70000u), 0, kSpStartDataBadRecord, "999 Hz"},
      {field(16, 0x03E80000u), 1, 0, "1,000 Hz"},
      {field(16, 0), 1, 0, "a rate that 16.16 cannot hold"},
      {field(8, SpFourCC("twoz")), 0, kSpStartDataBadRecord, "a format nobody knows"},
      {field(36, 0), 0, kSpStartDataBadRecord, "a duration without a time scale"},
      {BE32(1) + FileRecord("", 10, 11), 0, kSpStartDataBadRecord, "no name"},
      {BE32(1) + FileRecord(std::string("one\0aif", 7), 10, 11), 0, kSpStartDataBadRecord,
       "a NUL inside the name"},
  };
  const std::string damaged = SoundFile() + " (damaged)";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    unlink(damaged.c_str());
    WriteFile(SoundFile(), c.bytes);
    ErrorLogCapture log;
    EXPECT_EQ(Restart()->GetFileInitialDataCount(), c.loaded);
    EXPECT_EQ(log.Count(), c.code == 0 ? 0u : 1u);
    EXPECT_EQ(log.Has("cSpCDRSaveInitDataMgr::LoadFileInitialData", c.code), c.code != 0);
    EXPECT_EQ(ReadFile(damaged), c.code == 0 ? "" : c.bytes);
    EXPECT_EQ(access(SoundFile().c_str(), F_OK) == 0, c.code == 0);
    if (c.code != 0) {
      EXPECT_EQ(SoundLevel("one.aif", 10), -1) << "nothing of it is used";
    } else if (c.loaded == 2) {
      EXPECT_EQ(SoundLevel("one.aif", 10), 11);
    }
  }
}

// A record that no file's description gives (here one of a damaged media list) is not saved:
// the file holds the others and reads back whole.
TEST_F(StartData, ARecordOutOfRangeIsNotSavedAndTheOthersReadBack) {
  Sound("a.aif")->SetupVolumeLevel(50);
  SpGetQTFileInitData("b.aif", 1000, Format(SpFourCC("twos"), 253, 16, 0xAC440000u), 600, 44100, 1,
                      nullptr);
  Sound("c.aif")->SetupVolumeLevel(70);
  SpSaveCDQTFileInitialData();
  ErrorLogCapture log;
  EXPECT_EQ(Restart()->GetFileInitialDataCount(), 2u);
  EXPECT_EQ(SoundLevel("a.aif"), 50);
  EXPECT_EQ(SoundLevel("c.aif"), 70);
  EXPECT_EQ(log.Count(), 0u);
  EXPECT_NE(access((SoundFile() + " (damaged)").c_str(), F_OK), 0);
}

// What stands under a start-data name and cannot be read as a file (a link to itself, a
// folder, a FIFO, a socket) is reported, kept aside under "<name> (damaged)" as it is and never
// saved over; the next save writes a good file. Only the latest is kept: all but a folder take
// the place of a file kept there before.
TEST_F(StartData, AFileThatCannotBeOpenedIsKeptAsideAndNeverSavedOver) {
  const struct {
    const char* name;
    const char* method;
    SInt32 code;
  } files[] = {
      {"CDDA-Data", "cSpCDRSaveInitDataMgr::LoadCDInitialData", kSpStartDataBadLine},
      {"QTFILE-Data", "cSpCDRSaveInitDataMgr::LoadFileInitialData", kSpStartDataReadError},
  };
  enum Kind { kLoop, kFolder, kFifo, kSocket };
  for (const auto& f : files) {
    for (Kind kind : {kLoop, kFolder, kFifo, kSocket}) {
      SCOPED_TRACE(std::string(f.name) + " kind " + std::to_string(int(kind)));
      RemoveFiles();
      const std::string path = Folder() + "/" + f.name;
      const std::string damaged = path + " (damaged)";
      if (kind != kFolder) WriteFile(damaged, "kept before");
      ASSERT_EQ(kind == kLoop     ? symlink(f.name, path.c_str())
                : kind == kFolder ? mkdir(path.c_str(), 0700)
                : kind == kFifo   ? mkfifo(path.c_str(), 0600)
                                  : MakeSocket(Folder(), f.name),
                0);
      // What stands aside is still what it was.
      auto keptAside = [&] {
        struct stat st {};
        if (lstat(damaged.c_str(), &st) != 0) return false;
        if (kind == kFolder) return S_ISDIR(st.st_mode);
        if (kind == kFifo) return S_ISFIFO(st.st_mode);
        if (kind == kSocket) return S_ISSOCK(st.st_mode);
        char target[64] = {};
        return S_ISLNK(st.st_mode) &&
               readlink(damaged.c_str(), target, sizeof target - 1) == ssize_t(strlen(f.name)) &&
               strcmp(target, f.name) == 0;
      };
      ErrorLogCapture log;
      Restart();
      EXPECT_EQ(log.Count(), 1u);
      EXPECT_TRUE(log.Has(f.method, f.code));
      EXPECT_TRUE(keptAside());
      CD(2, 10, 0, 0)->SetupVolumeLevel(51);
      Sound("a.aif")->SetupVolumeLevel(61);
      EXPECT_TRUE(SpGetCDQTFileInitMaganer(0)->SaveModifyData());
      EXPECT_TRUE(keptAside()) << "never saved over";
      struct stat st {};
      EXPECT_TRUE(lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode));
      Restart();
      EXPECT_EQ(CDLevel(2, 10, 0, 0), 51);
      EXPECT_EQ(SoundLevel("a.aif"), 61);
      if (kind == kFolder) {
        rmdir(damaged.c_str());
      } else {
        unlink(damaged.c_str());
      }
    }
  }
}

TEST_F(StartData, DamagedCDDataIsNotUsedAndKeptAside) {
  const std::string good = "12\t45\t3\t20\t100\t\r";
  std::string fifty;
  for (int i = 1; i <= 50; ++i) fifty += std::to_string(i) + "\t1\t2\t3\t4\t\r";
  struct Case {
    std::string bytes;
    UInt32 loaded;
    const char* why;
  } cases[] = {
      {good + "0\t1\t2\t3\t4\t\r" + "\r" + "3\t0\t59\t74\t255\t\r", 2,
       "no tracks and empty lines are skipped; 255 is a level nobody set"},
      {"", 0, "an empty file"},
      {good + "x\t1\t2\t3\t4\t\r", 0, "not a number"},
      {good + "7\t1\t2\r", 0, "fields missing"},
      {good + "7\t1\t2\t3\t4\t5\t\r", 0, "a field too many"},
      {good + "7\t1\t60\t0\t50\t\r", 0, "60 seconds"},
      {good + "7\t1\t0\t75\t50\t\r", 0, "75 frames"},
      {good + "7\t477219\t0\t0\t50\t\r", 0, "more minutes than a sector count holds"},
      {good + "120\t477218\t0\t0\t50\t\r", 2, "long emulated discs of many tracks"},
      {good + "7\t1\t-2\t0\t50\t\r", 0, "a sign"},
      {good + "7\t1\t2\t0\t101\t\r", 0, "level 101"},
      {good + "7\t1\t2\t0\t180\t\r", 0, "a flipped digit in the level"},
      {good + "12\t45\t3\t20\t30\t\r", 0, "the same CD again"},
      {good + std::string(600, '9') + "\r", 0, "longer than any record"},
      {good + "3\t0\t59\t74\t25", 0, "the last line cut short"},
      {fifty, 0, "50 records, more than a list keeps"},
  };
  const std::string damaged = CDFile() + " (damaged)";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.why);
    unlink(damaged.c_str());
    WriteFile(CDFile(), c.bytes);
    ErrorLogCapture log;
    EXPECT_EQ(Restart()->GetCDInitialDataCount(), c.loaded);
    const bool kept = c.loaded == 0 && !c.bytes.empty();
    EXPECT_EQ(log.Count(), kept ? 1u : 0u);
    EXPECT_EQ(log.Has("cSpCDRSaveInitDataMgr::LoadCDInitialData", kSpStartDataBadLine), kept);
    EXPECT_EQ(ReadFile(damaged), kept ? c.bytes : "");
    EXPECT_EQ(CDLevel(12, 45, 3, 20), c.loaded > 0 && !c.bytes.empty() ? 100 : -1);
  }
}

TEST_F(StartData, RandomFilesNeverCrashTheReaders) {
  std::mt19937 random(77);
  ErrorLogCapture log;
  for (int i = 0; i < 200; ++i) {
    std::string bytes(random() % 300, '\0');
    for (char& b : bytes) b = char(random() % 4 == 0 ? "\t\r0123456789"[random() % 12] : random());
    std::string sound = bytes;
    if (i % 2 == 0 && sound.size() >= 8) {
      sound.replace(0, 8, BE32(1 + random() % 3) + BE32(random() % 40));
    }
    WriteFile(CDFile(), bytes);
    WriteFile(SoundFile(), sound);
    EXPECT_LE(Restart()->GetCDInitialDataCount(), kSpStartDataListLimit);
    SpSaveCDQTFileInitialData();
  }
}

TEST_F(StartData, ReadsFromTheDocumentsFolderWhenPreferencesHaveNone) {
  const std::string documents = home_.Path("Documents");
  mkdir(documents.c_str(), 0700);
  mkdir((documents + "/Zanthe Folder").c_str(), 0700);
  WriteFile(documents + "/Zanthe Folder/QTFILE-Data", BE32(1) + FileRecord("doc.aif", 10, 11));
  WriteFile(documents + "/Zanthe Folder/CDDA-Data", "4\t20\t0\t0\t66\t\r");
  EXPECT_EQ(SoundLevel("doc.aif", 10), 11);
  EXPECT_EQ(CDLevel(4, 20, 0, 0), 66);
}

TEST_F(StartData, FailedSaveKeepsTheListMarkedChangedAndLeavesNoSideFiles) {
  // A file where the folder belongs: nothing can be written.
  rmdir(Folder().c_str());
  WriteFile(Folder(), "in the way");
  ErrorLogCapture log;
  CD(2, 10, 0, 0)->SetupVolumeLevel(50);
  cSpCDRSaveInitDataMgr* manager = SpGetCDQTFileInitMaganer(0);
  EXPECT_FALSE(manager->SaveModifyData());
  EXPECT_EQ(manager->IsCDInitDataModified(), 1);
  EXPECT_TRUE(log.Has("cSpCDRSaveInitDataMgr::SaveCDInitialData", kSpStartDataSaveFailed));

  unlink(Folder().c_str());
  EXPECT_TRUE(manager->SaveModifyData());
  EXPECT_EQ(manager->IsCDInitDataModified(), 0);
  EXPECT_EQ(ReadFile(CDFile()), "2\t10\t0\t0\t50\t\r");
  // A second save replaces the file; nothing is left beside it.
  CD(2, 10, 0, 0, 0)->SetupVolumeLevel(51);
  EXPECT_TRUE(manager->SaveModifyData());
  EXPECT_EQ(ReadFile(CDFile()), "2\t10\t0\t0\t51\t\r");
  EXPECT_EQ(test_support::SideFilesOf(Folder(), "CDDA-Data"), std::vector<std::string>{});
}

// A save of both files killed just before any of its steps leaves under each name the old or
// the whole new data, and the next start gets them (a first save's whole new file, left
// beside the name, is taken back), never nothing; the next save removes the leftovers.
TEST_F(StartData, ASaveKilledAtAnyStepLeavesTheOldOrTheNewDataForTheNextStart) {
  const std::string oldCD = "2\t10\t0\t0\t50\t\r";
  const std::string newCD = "2\t10\t0\t0\t51\t\r";
  const std::string oldSound = BE32(1) + FileRecord("a.aif", 1000, 60);
  const std::string newSound = BE32(1) + FileRecord("a.aif", 1000, 61);
  const struct {
    bool hadFiles;
    const char* why;
  } cases[] = {
      {true, "data saved before: it stays until the new data replaces it"},
      {false, "the first save: its whole new files are taken back when the names are empty"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    auto prepare = [&] {
      RemoveFiles();
      if (c.hadFiles) {
        WriteFile(CDFile(), oldCD);
        WriteFile(SoundFile(), oldSound);
      }
    };
    auto job = [&] {
      CD(2, 10, 0, 0)->SetupVolumeLevel(51);
      Sound("a.aif")->SetupVolumeLevel(61);
      return SpGetCDQTFileInitMaganer(0)->SaveModifyData() ? 0 : 1;
    };
    // Each file: the level the next start must find (-1: none), from what the kill left.
    auto expected = [&](const std::string& path, const char* name, const std::string& before,
                        const std::string& after, SInt64 oldLevel, SInt64 newLevel) {
      bool wholeSide = false;
      for (const std::string& side : test_support::SideFilesOf(Folder(), name)) {
        wholeSide |= ReadFile(Folder() + "/" + side) == after;
      }
      struct stat st;
      if (stat(path.c_str(), &st) != 0) {
        EXPECT_FALSE(c.hadFiles) << name << ": the name never stands empty";
        return wholeSide ? newLevel : -1;
      }
      const std::string named = ReadFile(path);
      EXPECT_TRUE(named == before || named == after) << name;
      return named == after ? newLevel : oldLevel;
    };
    const int steps =
        test_support::RunKilledAtEachStep(prepare, job, [&](const test_support::KilledRun& run) {
          SCOPED_TRACE(run.step);
          if (run.finished) {
            EXPECT_EQ(run.status, 0);
          }
          const SInt64 cd = expected(CDFile(), "CDDA-Data", oldCD, newCD, 50, 51);
          const SInt64 sound = expected(SoundFile(), "QTFILE-Data", oldSound, newSound, 60, 61);
          ErrorLogCapture log;
          Restart();
          EXPECT_EQ(CDLevel(2, 10, 0, 0), cd);
          EXPECT_EQ(SoundLevel("a.aif"), sound);
          EXPECT_EQ(log.Count(), 0u);
          CD(2, 10, 0, 0)->SetupVolumeLevel(52);
          Sound("a.aif")->SetupVolumeLevel(62);
          EXPECT_TRUE(SpGetCDQTFileInitMaganer(0)->SaveModifyData());
          EXPECT_EQ(test_support::SideFilesOf(Folder(), "CDDA-Data"), std::vector<std::string>{});
          EXPECT_EQ(test_support::SideFilesOf(Folder(), "QTFILE-Data"), std::vector<std::string>{});
        });
    EXPECT_GE(steps, 4) << "two new files and their renames";
  }
}

// With a start-data file missing, the newest whole file that a killed save left beside it is
// read and takes the name; one cut short, with a line that is no CD, or of a save still going
// on is not.
TEST_F(StartData, AMissingFileIsTakenBackFromTheWholeFileAKilledSaveLeft) {
  const std::string gone = std::to_string(test_support::EndedProcessId());
  const std::string running = std::to_string(getppid());
  const std::string sound = BE32(1) + FileRecord("a.aif", 1000, 61);
  const struct {
    std::string name;  // in the start-data folder, beside "CDDA-Data" or "QTFILE-Data"
    std::string bytes;
    SInt64 cdLevel, soundLevel;
    const char* why;
  } cases[] = {
      {".CDDA-Data." + gone + "-1.saving", "2\t10\t0\t0\t51\t\r", 51, -1, "a whole CD list"},
      {".CDDA-Data." + gone + "-1.saving", "2\t10\t0\t0\t5", -1, -1, "cut inside its last line"},
      {".CDDA-Data." + gone + "-1.saving", "2\t10\t0\t0\t51\t\rx\r", -1, -1, "a line no CD's"},
      {".CDDA-Data." + running + "-1.saving", "2\t10\t0\t0\t51\t\r", -1, -1,
       "a save still going on"},
      {"CDDA-Data.saving", "2\t10\t0\t0\t51\t\r", 51, -1, "the older program's new file"},
      {".QTFILE-Data." + gone + "-3.saving", sound, -1, 61, "a whole sound-file list"},
      {".QTFILE-Data." + gone + "-3.saving", sound.substr(0, sound.size() - 1), -1, -1,
       "a sound-file list cut short"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.why);
    RemoveFiles();
    WriteFile(Folder() + "/" + c.name, c.bytes);
    ErrorLogCapture log;
    Restart();
    EXPECT_EQ(CDLevel(2, 10, 0, 0), c.cdLevel);
    EXPECT_EQ(SoundLevel("a.aif"), c.soundLevel);
    const std::string taken = c.cdLevel >= 0 ? CDFile() : SoundFile();
    struct stat st;
    if (c.cdLevel >= 0 || c.soundLevel >= 0) {
      EXPECT_EQ(ReadFile(taken), c.bytes) << "it took the name";
    } else {
      EXPECT_NE(stat(CDFile().c_str(), &st), 0);
      EXPECT_NE(stat(SoundFile().c_str(), &st), 0);
    }
    EXPECT_EQ(log.Count(), 0u);
    EXPECT_EQ(SpGetCDQTFileInitMaganer(0)->IsCDInitDataModified(), c.cdLevel >= 0 ? 1 : 0)
        << "a side file that was not taken leaves nothing behind";
  }
}

}  // namespace
