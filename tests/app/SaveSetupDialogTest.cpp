// The save set-up dialog: its defaults, the speeds it offers, the window that shrinks and grows
// with the file type, the compression chosen in the compression dialog, what it keeps on OK
// and on Cancel, and the folder and name example of saving each item into its own file.
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

#include "CDMediaMgrDialogSupport.h"
#include "CDMediaMgrFileName.h"
#include "CDMediaMgrSaveSetupDlg.h"
#include "DialogTestSupport.h"
#include "Gestalt.h"
#include "MacMemory.h"
#include "Sound.h"
#include "SpCDREngineAlert.h"
#include "SpTesting.h"
#include "TestNavigation.h"
#include "TevoSaveFileNameDefObj.h"

namespace app_test {
namespace {

// Items of the compression dialog: OK, mono, and the compressors from 16 on ('NONE',
// 'ima4', ...).
constexpr DialogItemIndex kCompressionOK = 1;
constexpr DialogItemIndex kCompressionMono = 3;
constexpr DialogItemIndex kCompressionIMA = 17;

constexpr UInt32 k44100 = 0xAC440000;

struct Seen {
  std::string title;
  std::vector<std::string> speeds;
  SInt32 speed = 0, type = 0, channels = 0;
  bool optionsActive = false;
  short height = 0;
  Rect content = {0, 0, 0, 0};
  std::vector<std::string> texts;
};

Answer Look(Seen* seen) {
  return Answer().Do(
      [seen](WindowRef window) {
        Str255 title;
        GetWTitle(window, title);
        seen->title.assign(reinterpret_cast<const char*>(title + 1), title[0]);
        seen->speeds = DialogTest::PopupTexts(window, kCDR_SaveSetupSpeedItem);
        seen->speed = DialogTest::Value(window, kCDR_SaveSetupSpeedItem);
        seen->type = DialogTest::Value(window, kCDR_SaveSetupTypeItem);
        seen->channels = DialogTest::Value(window, kCDR_SaveSetupChannelsItem);
        seen->optionsActive = DialogTest::Active(window, kCDR_SaveSetupOptionsItem);
        seen->content = DialogTest::Content(window);
        seen->height = short(seen->content.bottom - seen->content.top);
        seen->texts = DialogTest::ViewTexts(window);
      },
      "look");
}

class SaveSetupDialog : public DialogTest {
 protected:
  void TearDown() override {
    if (result_.codecSettings != nullptr) DisposeHandle(result_.codecSettings);
    sp_testing::ResetGestalt();
    DialogTest::TearDown();
  }
  unsigned char Ask(unsigned char eachFile = 0, short items = 1, short channels = 2) {
    Rect area = {100, 100, 500, 700};
    return CDRMGR_AskSaveSetup(area, stock_.get(), speeds_, k44100, 16, channels, result_,
                               eachFile, items);
  }
  cPrefStockData* Stored(UInt32 key) const {
    return CDRDlg_StockItem(stock_.get(), kCDR_SaveSetupGroup, key, false);
  }
  static short ShrunkHeight() { return 156; }  // item 11's bottom in both dialogs

  sCDR_SaveSetupDlgSpeedInfo speeds_ = {1.0, 5.0, 0.2};
  sCDR_SaveSetupInfo result_{};
};

TEST_F(SaveSetupDialog, FirstRunGivesTheDefaultsInAShrunkWindow) {
  const struct {
    SInt32 quickTime;
    OSType compression;
  } cases[] = {{0x07008000, SpFourCC("mp4a")}, {0x05FF0000, SpFourCC("twos")}};
  for (const auto& c : cases) {
    sp_testing::SetGestalt(gestaltQuickTimeVersion, c.quickTime);
    stock_->ClearPrefData();
    Seen seen;
    Respond(Look(&seen).ClickItem(kCDR_SaveSetupOKItem));
    ASSERT_EQ(Ask(), 1);
    EXPECT_EQ(seen.title, SpCDR_MJ("保存の設定"));
    ASSERT_EQ(seen.speeds.size(), 21u);
    EXPECT_EQ(seen.speeds.front(), "1.0");
    EXPECT_EQ(seen.speeds.back(), "5.0");
    EXPECT_EQ(seen.speeds.at(size_t(seen.speed - 1)), "2.0");
    EXPECT_EQ(seen.type, 1) << "AIFF";
    EXPECT_EQ(seen.channels, 2);
    EXPECT_FALSE(seen.optionsActive);
    EXPECT_EQ(seen.height, ShrunkHeight());
    EXPECT_TRUE(seen.texts.empty()) << "no compression texts for AIFF";
    EXPECT_FLOAT_EQ(result_.speed, 2.0f);
    EXPECT_EQ(result_.fileType, SpFourCC("AIFF"));
    EXPECT_EQ(result_.movieFlag, 0);
    EXPECT_EQ(result_.compressionType, c.compression);
    EXPECT_EQ(result_.sampleRate, k44100);
    EXPECT_EQ(result_.sampleSize, 16);
    EXPECT_EQ(result_.channels, 2);
    EXPECT_EQ(result_.codecSettings, nullptr);
    double speed = 0;
    ASSERT_NE(Stored(kCDR_SaveSpeedKey), nullptr);
    Stored(kCDR_SaveSpeedKey)->GetDblData(speed);
    EXPECT_EQ(speed, 2.0);
    SInt32 type = 0;
    Stored(kCDR_SaveFileTypeKey)->GetLongData(type);
    EXPECT_EQ(OSType(type), SpFourCC("AIFF"));
    EXPECT_NE(Stored(kCDR_DialogPositionKey), nullptr);
    EXPECT_EQ(Stored(kCDR_SaveCompressionKey), nullptr) << "kept for movies only";
  }
}

TEST_F(SaveSetupDialog, AMovieGrowsTheWindowAndTakesWhatTheCompressionDialogChose) {
  Seen movie, compressed, back;
  Respond(Look(&back)
              .SetControlValue(kCDR_SaveSetupTypeItem, 3)
              .Do([&movie](WindowRef window) { Look(&movie).Steps()[0].custom(window); }, "look")
              .ClickItem(kCDR_SaveSetupOptionsItem));
  Respond(Answer::Click(kCompressionIMA).ClickItem(kCompressionMono).ClickItem(kCompressionOK));
  Respond(Look(&compressed).ClickItem(kCDR_SaveSetupOKItem));
  ASSERT_EQ(Ask(0, 3), 1);
  EXPECT_EQ(back.title, SpCDR_MJ("ひとつに保存の設定")) << "several items";
  EXPECT_GT(movie.height, ShrunkHeight());
  EXPECT_TRUE(movie.optionsActive);
  Str255 aac;
  ASSERT_EQ(GetCompressionName(SpFourCC("mp4a"), aac), noErr);
  EXPECT_EQ(movie.texts,
            (std::vector<std::string>{
                SpCDR_MJ("圧縮プログラム：") + std::string(reinterpret_cast<char*>(aac + 1), aac[0]),
                SpCDR_MJ("レート：44.100 kHz"), SpCDR_MJ("サイズ：16 ビット")}));
  Str255 ima;
  ASSERT_EQ(GetCompressionName(SpFourCC("ima4"), ima), noErr);
  ASSERT_FALSE(compressed.texts.empty());
  EXPECT_EQ(compressed.texts[0],
            SpCDR_MJ("圧縮プログラム：") + std::string(reinterpret_cast<char*>(ima + 1), ima[0]));
  EXPECT_EQ(compressed.channels, 1) << "the channels follow the compression dialog";
  EXPECT_EQ(result_.fileType, SpFourCC("MooV"));
  EXPECT_EQ(result_.movieFlag, 1);
  EXPECT_EQ(result_.compressionType, SpFourCC("ima4"));
  EXPECT_EQ(result_.channels, 1);
  EXPECT_NE(result_.codecSettings, nullptr) << "a movie keeps the compressor's settings";
  OSType stored = 0;
  ASSERT_NE(Stored(kCDR_SaveCompressionKey), nullptr);
  Stored(kCDR_SaveCompressionKey)->GetOSTypeData(stored);
  EXPECT_EQ(stored, SpFourCC("ima4"));
  SInt32 channels = 0;
  Stored(kCDR_SaveChannelsKey)->GetLongData(channels);
  EXPECT_EQ(channels, 1);

  // Next time the kept compression comes back, but the caller's channels replace the kept
  // ones; AIFF-C keeps the Options button yet shrinks the window; WAVE drops the settings.
  Seen again, aiffc;
  Respond(Look(&again)
              .SetControlValue(kCDR_SaveSetupTypeItem, 5)
              .Do([&aiffc](WindowRef window) { Look(&aiffc).Steps()[0].custom(window); }, "look")
              .SetControlValue(kCDR_SaveSetupTypeItem, 2)
              .ClickItem(kCDR_SaveSetupOKItem));
  DisposeHandle(result_.codecSettings);
  result_.codecSettings = nullptr;
  ASSERT_EQ(Ask(0, 1, 2), 1);
  EXPECT_EQ(again.type, 3);
  EXPECT_EQ(again.channels, 2);
  ASSERT_FALSE(again.texts.empty());
  EXPECT_EQ(again.texts[0], compressed.texts[0]);
  EXPECT_TRUE(aiffc.optionsActive);
  EXPECT_EQ(aiffc.height, ShrunkHeight());
  EXPECT_EQ(result_.fileType, SpFourCC("WAVE"));
  EXPECT_EQ(result_.movieFlag, 0);
  EXPECT_EQ(result_.codecSettings, nullptr);
}

TEST_F(SaveSetupDialog, CancelLeavesTheResultAndKeepsOnlyThePlace) {
  const Answer cancels[] = {
      Answer().SetControlValue(kCDR_SaveSetupTypeItem, 2).ClickItem(kCDR_SaveSetupCancelItem),
      Answer().SetControlValue(kCDR_SaveSetupTypeItem, 2).PressEscape(),
      Answer().SetControlValue(kCDR_SaveSetupTypeItem, 2).PressCommandPeriod()};
  for (const Answer& cancel : cancels) {
    stock_->ClearPrefData();
    Respond(cancel);
    result_.speed = 9;
    EXPECT_EQ(Ask(), 0) << cancel.Describe();
    EXPECT_EQ(result_.speed, 9) << "untouched";
    EXPECT_EQ(Stored(kCDR_SaveFileTypeKey), nullptr);
    EXPECT_EQ(Stored(kCDR_SaveSpeedKey), nullptr);
    EXPECT_NE(Stored(kCDR_DialogPositionKey), nullptr);
  }
  Respond(Answer::Return());
  EXPECT_EQ(Ask(), 1) << "Return confirms";
}

TEST_F(SaveSetupDialog, KeptValuesComeBackWithinTheScreenAndAnUnknownSpeedIsTheFirst) {
  const Rect screen = Screen();
  const struct {
    double speed;
    OSType type;
    Point position;
    SInt32 selected;
    float result;
    SInt32 typeItem;
    short left, top;
  } cases[] = {
      {3.0, SpFourCC("WAVE"), {150, 120}, 11, 3.0f, 2, 120, 150},
      {3.05, SpFourCC("QTnc"), {150, 120}, 1, 1.0f, 4, 120, 150},
      {1.2, SpFourCC("junk"), {short(screen.bottom + 50), short(screen.left - 300)}, 2, 1.2f, 3,
       short(screen.left + 10), 0},
  };
  for (const auto& c : cases) {
    CDRDlg_StoreDouble(stock_.get(), kCDR_SaveSetupGroup, kCDR_SaveSpeedKey, c.speed);
    CDRDlg_StoreLong(stock_.get(), kCDR_SaveSetupGroup, kCDR_SaveFileTypeKey, SInt32(c.type));
    CDRDlg_StorePoint(stock_.get(), kCDR_SaveSetupGroup, kCDR_DialogPositionKey, c.position);
    Seen seen;
    Respond(Look(&seen).ClickItem(kCDR_SaveSetupCancelItem));
    Ask();
    EXPECT_EQ(seen.speed, c.selected) << c.speed;
    EXPECT_EQ(seen.type, c.typeItem) << c.speed;
    EXPECT_EQ(seen.content.left, c.left) << c.speed;
    if (c.top != 0) {
      EXPECT_EQ(seen.content.top, c.top) << c.speed;
    } else {
      // Placed at its full height (226), then shrunk.
      EXPECT_EQ(seen.content.top + 226, screen.bottom - 10) << "kept 10 pixels inside the screen";
    }
  }
  float speed = 0;
  EXPECT_EQ(CDRMGRFileSaveSetup_GetDefaultSpeed(stock_.get(), speed), 1);
  EXPECT_FLOAT_EQ(speed, 1.2f);
}

TEST_F(SaveSetupDialog, SpeedsAreOfferedExactlyAndNeverNoneOrWithoutEnd) {
  const struct {
    sCDR_SaveSetupDlgSpeedInfo speeds;
    std::vector<std::string> texts;
    const char* why;
  } cases[] = {
      {{0.5, 3.0, 0.5}, {"0.5", "1.0", "1.5", "2.0", "2.5", "3.0"}, "the kept range"},
      {{1.0, 2.0, 0.25}, {"1.0", "1.25", "1.5", "1.75", "2.0"}, "quarters keep their digits"},
      {{1.0, 1.01, 0.005}, {"1.0", "1.005", "1.01"}, "three decimals"},
      {{2.0, 1.0, 0.5}, {"1.0"}, "an end below the start still offers one speed"},
      {{1.5, 3.0, 0.0}, {"1.5"}, "no interval: the start alone, not a loop without end"},
      {{1.5, 3.0, -1.0}, {"1.5"}, "a negative interval likewise"},
      {{0.0, 0.0, 0.0}, {"1.0"}, "nothing kept"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(CDRMGRFileSaveSetup_SpeedItemTexts(c.speeds), c.texts) << c.why;
  }
  EXPECT_EQ(CDRMGRFileSaveSetup_SpeedItemTexts({0.001, 1000.0, 0.001}).size(),
            size_t(kCDR_MaxSpeedItems));
}

// Every interval the speed set-up offers, from its lowest start to its highest end: each item
// reads start + k x interval as the C library writes it, and choosing it gives that speed.
// Adding the interval up in binary fractions once showed 2.8 as "2.801".
TEST_F(SaveSetupDialog, EverySpeedStepReadsAndGivesItsExactValue) {
  const int intervals[] = {1, 2, 5, 10};  // tenths, as the interval popup offers them
  const int lowest = 5, highest = 100;    // the start popup's first and the end popup's last
  for (int interval : intervals) {
    speeds_ = {lowest / 10.0, highest / 10.0, interval / 10.0};
    std::vector<std::string> expected;
    for (int tenths = lowest; tenths <= highest; tenths += interval) {
      char text[16];
      std::snprintf(text, sizeof text, "%.1f", tenths / 10.0);
      expected.push_back(text);
    }
    ASSERT_EQ(CDRMGRFileSaveSetup_SpeedItemTexts(speeds_), expected) << "interval " << interval;
    for (std::size_t k = 0; k < expected.size(); ++k) {
      Respond(Answer()
                  .SetControlValue(kCDR_SaveSetupSpeedItem, SInt32(k + 1))
                  .ClickItem(kCDR_SaveSetupOKItem));
      ASSERT_EQ(Ask(), 1);
      EXPECT_EQ(result_.speed, std::strtof(expected[k].c_str(), nullptr)) << expected[k];
      double stored = 0;
      Stored(kCDR_SaveSpeedKey)->GetDblData(stored);
      EXPECT_EQ(stored, std::strtod(expected[k].c_str(), nullptr)) << expected[k];
    }
  }
}

TEST_F(SaveSetupDialog, EachFileShowsTheFolderAndTheNameAndKeepsThemOnOK) {
  Seen first, wave;
  Respond(Look(&first)
              .SetControlValue(kCDR_SaveSetupTypeItem, 2)
              .Do([&wave](WindowRef window) { Look(&wave).Steps()[0].custom(window); }, "look")
              .ClickItem(kCDR_SaveSetupOKItem));
  ASSERT_EQ(Ask(1, 4), 1);
  EXPECT_EQ(first.title, SpCDR_MJ("それぞれに保存の設定"));
  // Labels, then the outputs: the folder (Documents, made when missing) and the example.
  ASSERT_EQ(first.texts.size(), 4u);
  EXPECT_EQ(first.texts[0], SpCDR_MJ("保存先："));
  EXPECT_EQ(first.texts[1], SpCDR_MJ("ファイル名："));
  EXPECT_EQ(first.texts[2], "~/Documents") << "as the desktop writes the place";
  EXPECT_EQ(first.texts[3], SpCDR_MJ("トラック名_2_0.aif"));
  EXPECT_EQ(wave.texts.at(3), SpCDR_MJ("トラック名_2_0.wav"));
  EXPECT_EQ(result_.folderValid, 1);
  EXPECT_NE(Stored(kCDR_SaveEachFileFolderKey), nullptr);
  std::ifstream file(home_.Path(std::string(".config/") + kTevo_FileNameDefFolderName + "/" +
                                kTevo_FileNameDefIntoEachFileName),
                     std::ios::binary);
  const std::string bytes(std::istreambuf_iterator<char>(file), {});
  EXPECT_EQ(bytes.size(), 8u + 4 * 5) << "the default definition was written";
  FSRef kept;
  EXPECT_FALSE(CDRMM_GetDefaultStockPositionForMultiFileIntoEachFile(stock_.get(), kept))
      << "the folder did not change";
}

// The keys every set-up dialog answers by itself: Return and Enter are OK, Escape and
// Command-period are Cancel; a plain period, other keys and a key event without its character
// are left to the dialog.
TEST(DialogKeys, ReturnAndEnterAreOKEscapeAndCommandPeriodAreCancel) {
  const struct {
    bool withChar;
    UInt8 charCode;
    UInt32 modifiers;
    short answer;
  } cases[] = {
      {true, 0x0D, 0, 1},      {true, 0x03, 0, 1},      {true, 0x1B, 0, 2},
      {true, '.', cmdKey, 2},  {true, '.', 0, 0},       {true, '.', optionKey, 0},
      {true, 'a', cmdKey, 0},  {true, 0x0A, 0, 0},      {false, 0x0D, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(int(c.charCode));
    EventRef event = nullptr;
    ASSERT_EQ(CreateEvent(nullptr, kEventClassKeyboard, kEventRawKeyDown, 0, kEventAttributeNone,
                          &event),
              noErr);
    const char charCode = char(c.charCode);
    if (c.withChar) {
      SetEventParameter(event, kEventParamKeyMacCharCodes, typeChar, sizeof charCode, &charCode);
    }
    SetEventParameter(event, kEventParamKeyModifiers, typeUInt32, sizeof c.modifiers,
                      &c.modifiers);
    EXPECT_EQ(CDRDlg_AnswerOfKey(event), c.answer);
    ReleaseEvent(event);
  }
}

}  // namespace
}  // namespace app_test

namespace app_test {
namespace {

// The folder button chooses where each item goes, kept as the new default folder on OK; the
// rule button edits the each-file rule, whose example follows at once and which is written on
// OK.
TEST_F(SaveSetupDialog, EachFileFolderAndRuleButtonsChangeWhatIsSavedWhere) {
  const std::string folder = home_.Path("Music Out");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);
  sp_testing::ResetNavigation();
  Seen chosen;
  Respond(Answer::Click(kCDR_SaveSetupFolderButtonItem));
  Respond(sp_testing::NavChooseFolder(folder));
  Respond(Answer::Click(kCDR_SaveSetupDefinitionButtonItem));
  Str255 ruleTitle = {0};
  Respond(Answer()
              .Do([&ruleTitle](WindowRef w) { GetWTitle(w, ruleTitle); }, "read the title")
              .SetControlValue(4, 3)
              .ClickItem(1));  // the album first, in dialog 151
  Respond(Look(&chosen).ClickItem(kCDR_SaveSetupOKItem));
  ASSERT_EQ(Ask(1, 2), 1);
  ASSERT_EQ(chosen.texts.size(), 4u);
  EXPECT_NE(chosen.texts[2].find("Music Out"), std::string::npos) << chosen.texts[2];
  EXPECT_EQ(chosen.texts[3], SpCDR_MJ("アルバム名_2_0.aif"));
  EXPECT_EQ(std::string(reinterpret_cast<const char*>(ruleTitle + 1), ruleTitle[0]),
            SpCDR_MJ("ファイル名ルールの設定"));
  FSRef kept;
  ASSERT_TRUE(CDRMM_GetDefaultStockPositionForMultiFileIntoEachFile(stock_.get(), kept));
  EXPECT_EQ(FSCompareFSRefs(&kept, &result_.folder), noErr);
  short vRefNum = 0;
  SInt32 dirID = 0;
  ASSERT_TRUE(CDRMMgr_GetFileNameDefFolder(vRefNum, dirID));
  cTevo_SaveFileNameDefObject written(vRefNum, dirID, kTevo_FileNameDefIntoEachFileName);
  ASSERT_TRUE(written.LoadFileNameDefinitionFromDefaultFileInPreferenceFolder());
  EXPECT_EQ(written.FileNameDefItemListHeadPtr()->GetDefinitionType(), kTevo_NameDefAlbumTitle);

  // A kept folder that is gone is not offered again: the default folder is.
  ASSERT_EQ(rmdir(folder.c_str()), 0);
  Seen again;
  Respond(Look(&again).ClickItem(kCDR_SaveSetupCancelItem));
  EXPECT_EQ(Ask(1, 2), 0);
  ASSERT_EQ(again.texts.size(), 4u);
  EXPECT_EQ(again.texts[2].find("Music Out"), std::string::npos) << again.texts[2];
}

// OK with the kept folder gone (removed, or on a disc taken out) is no save that does nothing:
// a sheet says the folder is not there and the folder dialog asks for one. Without one the
// set-up stays open; with one it ends with that folder. Return goes the same way as OK.
TEST_F(SaveSetupDialog, OKWithTheKeptFolderGoneAsksForAFolderFirst) {
  const std::string gone = home_.Path("Gone"), chosen = home_.Path("Chosen");
  ASSERT_EQ(mkdir(gone.c_str(), 0700), 0);
  ASSERT_EQ(mkdir(chosen.c_str(), 0700), 0);
  sp_testing::ResetNavigation();
  Respond(Answer::Click(kCDR_SaveSetupFolderButtonItem));
  Respond(sp_testing::NavChooseFolder(gone));
  Respond(Answer::Click(kCDR_SaveSetupOKItem));
  ASSERT_EQ(Ask(1, 2), 1);
  ASSERT_EQ(rmdir(gone.c_str()), 0);

  const std::size_t before = sp_testing::ShownSoFar().size();
  Respond(Answer::Click(kCDR_SaveSetupOKItem));
  Respond(Answer().ClickButtonUTF8("フォルダを選ぶ"));
  Respond(sp_testing::NavCancel());
  Seen still;
  Respond(Look(&still).ClickItem(kCDR_SaveSetupCancelItem));
  EXPECT_EQ(Ask(1, 2), 0) << "no folder: the set-up stayed open until cancelled";
  const std::vector<sp_testing::Shown> shown = sp_testing::ShownSoFar();
  ASSERT_GE(shown.size(), before + 3);
  EXPECT_EQ(shown[before + 1].message, SpCDR_MJ("フォルダが見つかりません。"));
  ASSERT_EQ(still.texts.size(), 4u);
  EXPECT_EQ(still.texts[2], SpCDR_MJ("未設定"));

  Respond(Answer().PressKey(13, 0x24));
  Respond(Answer().ClickButtonUTF8("フォルダを選ぶ"));
  Respond(sp_testing::NavChooseFolder(chosen));
  ASSERT_EQ(Ask(1, 2), 1) << "the folder chosen: the set-up ended as with OK";
  std::string path;
  ASSERT_EQ(SpShownPathOfFSRef(&result_.folder, &path), noErr);
  EXPECT_NE(path.find("Chosen"), std::string::npos) << path;
  EXPECT_EQ(result_.folderValid, 1);
}

// The caller's 16 bits replace a kept sample size, but not the size of a kept uncompressed
// format that has only one: a movie of 32-bit floats at 16 bits is nothing a writer writes.
TEST_F(SaveSetupDialog, AKeptFormatOfOneSampleSizeKeepsThatSize) {
  const struct {
    OSType compression;
    SInt16 size;
    const char* shown;
  } cases[] = {
      {SpFourCC("fl32"), 32, "サイズ：32 ビット"},
      {SpFourCC("in24"), 24, "サイズ：24 ビット"},
      {SpFourCC("twos"), 16, "サイズ：16 ビット"},
  };
  for (const auto& c : cases) {
    stock_->ClearPrefData();
    CDRDlg_StoreLong(stock_.get(), kCDR_SaveSetupGroup, kCDR_SaveFileTypeKey,
                     SInt32(SpFourCC("MooV")));
    CDRDlg_StockItem(stock_.get(), kCDR_SaveSetupGroup, kCDR_SaveCompressionKey, true)
        ->SetupOSTypeData(c.compression, 1);
    CDRDlg_StoreLong(stock_.get(), kCDR_SaveSetupGroup, kCDR_SaveSampleSizeKey, 24);
    Seen seen;
    Respond(Look(&seen).ClickItem(kCDR_SaveSetupOKItem));
    ASSERT_EQ(Ask(), 1);
    ASSERT_EQ(seen.texts.size(), 3u);
    EXPECT_EQ(seen.texts[2], SpCDR_MJ(c.shown));
    EXPECT_EQ(result_.compressionType, c.compression);
    EXPECT_EQ(result_.sampleSize, c.size);
    CompressionInfo info{};
    info.recordSize = kCompressionInfoRecordSize;
    EXPECT_EQ(GetCompressionInfo(fixedCompression, result_.compressionType, 2,
                                 result_.sampleSize, &info),
              noErr)
        << "a size the format can have";
    DisposeHandle(result_.codecSettings);
    result_.codecSettings = nullptr;
  }
}

}  // namespace
}  // namespace app_test
