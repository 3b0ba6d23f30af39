// The standard sound compression component: settings in and out, its dialog answered as a
// person would, and the compressor settings it hands out driving an encoder.
#include <memory>
#include <string>

#include "ByteOrder.h"
#include "MacMemory.h"
#include "QuickTimeComponents.h"
#include "SoundConverter.h"
#include "SpTextCodec.h"
#include "TestResponder.h"
#include "UiFixture.h"
#include "quicktime/internal/SoundSettingsDialog.h"

namespace ui_test {
namespace {

namespace qt = sp_platform::quicktime;
using sp_testing::Answer;
using sp_testing::Respond;

// The compressor item of a format.
SInt16 CompressorItem(OSType format) {
  SInt16 item = qt::kSoundSettingsFirstCompressor;
  for (OSType f : qt::kSoundSettingsCompressors) {
    if (f == format) return item;
    ++item;
  }
  return 0;
}

class SoundSettingsTest : public UiTest {
 protected:
  void SetUp() override {
    UiTest::SetUp();
    responder_ = std::make_unique<sp_testing::ResponderScope>();
    ci_ = OpenDefaultComponent(StandardCompressionType, StandardCompressionSubTypeSound);
    ASSERT_NE(ci_, nullptr);
  }
  void TearDown() override {
    if (ci_ != nullptr) CloseComponent(ci_);
    responder_.reset();
    UiTest::TearDown();
  }
  template <typename T>
  T Get(OSType type) {
    T value{};
    EXPECT_EQ(SCGetInfo(ci_, type, &value), noErr);
    return value;
  }
  ComponentInstance ci_ = nullptr;
  std::unique_ptr<sp_testing::ResponderScope> responder_;
};

// The settings the program gives come back unchanged, and values a setting cannot take are
// refused without changing it.
TEST_F(SoundSettingsTest, SettingsGoInAndComeBackAndBadValuesAreRefused) {
  OSType type = SpFourCC("ima4");
  UnsignedFixed rate = rate22050hz;
  SInt16 size = 16, channels = 1, badChannels = 3, badSize = 12;
  Boolean yes = 1;
  EXPECT_EQ(SCSetInfo(ci_, scSoundCompressionType, &type), noErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundSampleRateType, &rate), noErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundSampleSizeType, &size), noErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundChannelCountType, &channels), noErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundVBRCompressionOK, &yes), noErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundChannelCountType, &badChannels), paramErr);
  EXPECT_EQ(SCSetInfo(ci_, scSoundSampleSizeType, &badSize), paramErr);
  EXPECT_EQ(SCSetInfo(ci_, SpFourCC("what"), &yes), scTypeNotFoundErr);
  EXPECT_EQ(Get<OSType>(scSoundCompressionType), SpFourCC("ima4"));
  EXPECT_EQ(Get<UnsignedFixed>(scSoundSampleRateType), rate22050hz);
  EXPECT_EQ(Get<UnsignedFixed>(scSoundInputSampleRateType), 0u) << "never given";
  EXPECT_EQ(Get<SInt16>(scSoundChannelCountType), 1);
  EXPECT_EQ(Get<SInt16>(scSoundSampleSizeType), 16);
  EXPECT_EQ(Get<Boolean>(scSoundVBRCompressionOK), 1);
  EXPECT_EQ(SCGetInfo(nullptr, scSoundCompressionType, &type), badComponentInstance);
}

// A person picks AAC at 96 kbit/s in mono at 32 kHz and clicks OK: the settings say so, and
// their 'cdec' handle, given to an encoding converter, makes it encode at that bit rate.
TEST_F(SoundSettingsTest, ThePersonsChoiceBecomesTheSettingsAndDrivesTheEncoder) {
  Respond(Answer()
              .ClickItem(CompressorItem(kMPEG4AudioFormat))
              .ClickItem(qt::kSoundSettingsMono)
              .SetEditText(qt::kSoundSettingsRate, "32000")
              .SetEditText(qt::kSoundSettingsBitRate, "96")
              .ClickItem(qt::kSoundSettingsOK));
  ASSERT_EQ(SCRequestImageSettings(ci_), noErr);
  EXPECT_EQ(sp_testing::ShownSoFar().at(0).title, SJ("サウンド設定"));
  EXPECT_EQ(Get<OSType>(scSoundCompressionType), kMPEG4AudioFormat);
  EXPECT_EQ(Get<SInt16>(scSoundChannelCountType), 1);
  EXPECT_EQ(Get<UnsignedFixed>(scSoundSampleRateType), rate32khz);
  Handle settings = nullptr;
  ASSERT_EQ(SCGetInfo(ci_, scCodecSettingsType, &settings), noErr);
  ASSERT_NE(settings, nullptr);

  const SoundComponentData in{0, k16BitBigEndianFormat, 1, 16, rate44khz, 0, nullptr, 0};
  const SoundComponentData out{0, kMPEG4AudioFormat, 1, 16, rate32khz, 0, nullptr, 0};
  SoundConverter sc = nullptr;
  ASSERT_EQ(SoundConverterOpen(&in, &out, &sc), noErr);
  EXPECT_EQ(SoundConverterSetInfo(sc, siDecompressionParams, *settings), noErr);
  Handle wave = nullptr;
  ASSERT_EQ(SoundConverterGetInfo(sc, siDecompressionParams, &wave), noErr);
  // The esds's average bit rate is the chosen one.
  const std::string bytes(*wave, std::size_t(GetHandleSize(wave)));
  const std::size_t esds = bytes.find("esds");
  ASSERT_NE(esds, std::string::npos);
  std::size_t at = bytes.find('\x04', esds + 8);
  ASSERT_NE(at, std::string::npos);
  while (UInt8(bytes[++at]) & 0x80) {
  }
  // After the length: object type, stream type, buffer size, maximum and average bit rates.
  EXPECT_EQ(sp::LoadBE32(bytes.data() + at + 1 + 1 + 1 + 3 + 4), 96000u);
  DisposeHandle(wave);
  SoundConverterClose(sc);

  // The same settings handed back preset the dialog: Cancel leaves everything as it was.
  EXPECT_EQ(SCSetInfo(ci_, scCodecSettingsType, &settings), noErr);
  DisposeHandle(settings);
  Respond(Answer::Click(qt::kSoundSettingsCancel));
  EXPECT_EQ(SCRequestImageSettings(ci_), userCanceledErr);
  EXPECT_EQ(Get<OSType>(scSoundCompressionType), kMPEG4AudioFormat);
  EXPECT_EQ(Get<UnsignedFixed>(scSoundSampleRateType), rate32khz);
}

// The alert that says which field holds a value the dialog cannot take.
std::string BadFieldMessage(SInt16 field) {
  const char* name = field == qt::kSoundSettingsRate      ? "レート（Hz）"
                     : field == qt::kSoundSettingsSize    ? "サイズ（ビット）"
                     : field == qt::kSoundSettingsBitRate ? "ビットレート（kbps）"
                                                          : "品質";
  return SJ(std::string("「") + name + "」の値が正しくありません。");
}

// A rate the dialog cannot take is named in an alert and keeps the dialog open with that
// field chosen; no compression at 8 bits is 'raw '.
TEST_F(SoundSettingsTest, AFieldItCannotTakeKeepsTheDialogOpen) {
  Respond(Answer()
              .ClickItem(CompressorItem(kSoundNotCompressed))
              .SetEditText(qt::kSoundSettingsRate, "44k")
              .ClickItem(qt::kSoundSettingsOK));
  Respond(Answer::Return());
  Respond(Answer()
              .SetEditText(qt::kSoundSettingsRate, "11025")
              .SetEditText(qt::kSoundSettingsSize, "8")
              .ClickItem(qt::kSoundSettingsOK));
  ASSERT_EQ(SCRequestImageSettings(ci_), noErr);
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 3u);
  const sp_testing::Shown& alert = sp_testing::ShownSoFar()[1];
  EXPECT_EQ(alert.kind, sp_testing::ShownKind::kAlert);
  EXPECT_EQ(alert.message, BadFieldMessage(qt::kSoundSettingsRate));
  EXPECT_EQ(alert.explanation, SJ("1000 から 65535 までの整数を入れてください。"));
  EXPECT_EQ(Get<OSType>(scSoundCompressionType), k8BitOffsetBinaryFormat);
  EXPECT_EQ(Get<UnsignedFixed>(scSoundSampleRateType), rate11025hz);
  EXPECT_EQ(Get<SInt16>(scSoundSampleSizeType), 8);
}

// A rate the compressor's encoder does not take (AAC has its steps) is refused in the dialog,
// which names the rates it takes, rather than failing the save after its file dialog.
TEST_F(SoundSettingsTest, ACompressorTakesOnlyTheRatesItsEncoderTakes) {
  const SInt16 aac = CompressorItem(kMPEG4AudioFormat);
  ASSERT_NE(aac, 0);
  Respond(Answer().ClickItem(aac).SetEditText(qt::kSoundSettingsRate, "12345").ClickItem(
      qt::kSoundSettingsOK));
  Respond(Answer::Return());
  Respond(Answer().SetEditText(qt::kSoundSettingsRate, "22050").ClickItem(qt::kSoundSettingsOK));
  ASSERT_EQ(SCRequestImageSettings(ci_), noErr);
  ASSERT_EQ(sp_testing::ShownSoFar().size(), 3u);
  const sp_testing::Shown& alert = sp_testing::ShownSoFar()[1];
  EXPECT_EQ(alert.message, BadFieldMessage(qt::kSoundSettingsRate));
  EXPECT_NE(alert.explanation.find(SJ("：64000、48000、44100、32000、24000、22050")),
            std::string::npos)
      << sp::text::MacJapaneseToUTF8(alert.explanation) << ": rates the field takes";
  EXPECT_EQ(Get<OSType>(scSoundCompressionType), kMPEG4AudioFormat);
  EXPECT_EQ(Get<UnsignedFixed>(scSoundSampleRateType), rate22050hz);
}

// Each field of the dialog at and just past its limits: a value it takes is the setting; a
// value it cannot take is named in an alert and keeps the dialog open, and Cancel then leaves
// the settings as they were.
TEST_F(SoundSettingsTest, FieldsTakeValuesUpToTheirLimitsAndRefuseOnePast) {
  const struct {
    SInt16 field;
    const char* text;
    bool taken;
  } cases[] = {
      {qt::kSoundSettingsRate, "1000", true},     {qt::kSoundSettingsRate, "65535", true},
      {qt::kSoundSettingsRate, "65536", false},   {qt::kSoundSettingsRate, "999", false},
      {qt::kSoundSettingsSize, "8", true},        {qt::kSoundSettingsSize, "32", true},
      {qt::kSoundSettingsSize, "40", false},      {qt::kSoundSettingsSize, "12", false},
      {qt::kSoundSettingsSize, "0", false},       {qt::kSoundSettingsBitRate, "8", true},
      {qt::kSoundSettingsBitRate, "640", true},   {qt::kSoundSettingsBitRate, "7", false},
      {qt::kSoundSettingsBitRate, "641", false},  {qt::kSoundSettingsQuality, "1", true},
      {qt::kSoundSettingsQuality, "100", true},   {qt::kSoundSettingsQuality, "0", false},
      {qt::kSoundSettingsQuality, "101", false},  {qt::kSoundSettingsRate, "9999999999", false},
      {qt::kSoundSettingsBitRate, "1 28", false}, {qt::kSoundSettingsQuality, "-5", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.field) + " " + c.text);
    const std::size_t shownBefore = sp_testing::ShownSoFar().size();
    const UnsignedFixed rateBefore = Get<UnsignedFixed>(scSoundSampleRateType);
    Answer answer;
    answer.ClickItem(CompressorItem(kSoundNotCompressed))
        .SetEditText(qt::kSoundSettingsRate, "22050")
        .SetEditText(qt::kSoundSettingsSize, "16")
        .SetEditText(c.field, c.text)
        .ClickItem(qt::kSoundSettingsOK);
    Respond(answer);
    if (!c.taken) {
      Respond(Answer::Return());
      Respond(Answer::Click(qt::kSoundSettingsCancel));
    }
    EXPECT_EQ(SCRequestImageSettings(ci_), c.taken ? noErr : userCanceledErr);
    const std::vector<sp_testing::Shown>& shown = sp_testing::ShownSoFar();
    ASSERT_EQ(shown.size() - shownBefore, c.taken ? 1u : 3u);
    if (!c.taken) {
      EXPECT_EQ(shown[shownBefore + 1].message, BadFieldMessage(c.field));
    }
    const UnsignedFixed rate = Get<UnsignedFixed>(scSoundSampleRateType);
    if (!c.taken) {
      EXPECT_EQ(rate, rateBefore);
    } else if (c.field == qt::kSoundSettingsRate) {
      EXPECT_EQ(rate, UnsignedFixed(std::stoul(c.text)) << 16);
    } else if (c.field == qt::kSoundSettingsSize) {
      EXPECT_EQ(Get<SInt16>(scSoundSampleSizeType), std::stoi(c.text));
    }
  }
}

}  // namespace
}  // namespace ui_test
