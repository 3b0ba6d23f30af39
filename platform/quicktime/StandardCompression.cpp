// The standard sound compression component: its settings and its dialog.

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "Alerts.h"
#include "ByteOrder.h"
#include "Dialogs.h"
#include "MacMemory.h"
#include "OSUtils.h"
#include "QuickTimeComponents.h"
#include "SoundConverter.h"
#include "SpTextCodec.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/ComponentRecords.h"
#include "quicktime/detail/SoundFormats.h"
#include "quicktime/internal/SoundSettingsDialog.h"

namespace sp_platform {
namespace quicktime {
namespace {

struct SoundSettings {
  OSType compression = k16BitBigEndianFormat;
  UnsignedFixed rate = rate44khz;
  UnsignedFixed inputRate = 0;
  SInt16 sampleSize = 16;
  SInt16 channels = 2;
  EncoderSettings encoder;
  Boolean variableOK = 0;
  Boolean rateChangeOK = 0;
  std::vector<OSType> offered;  // empty: every compressor the system encodes
};

SoundSettings* SettingsOf(ComponentInstance ci) {
  ComponentInstanceRecord* instance = LiveComponentInstance(ci);
  if (instance == nullptr || instance->component == nullptr ||
      instance->component->description.componentType != StandardCompressionType ||
      instance->component->description.componentSubType != StandardCompressionSubTypeSound) {
    return nullptr;
  }
  if (instance->state == nullptr) instance->state = std::make_shared<SoundSettings>();
  return static_cast<SoundSettings*>(instance->state.get());
}

bool IsUncompressed(OSType format) {
  return format == kSoundNotCompressed || format == k16BitBigEndianFormat ||
         format == k8BitOffsetBinaryFormat;
}

// The compressor's settings as a 'wave' atom.
Handle SettingsHandle(const SoundSettings& s) {
  std::vector<UInt8> inner;
  std::vector<UInt8> frma(4);
  sp::StoreBE32(frma.data(), s.compression);
  const std::vector<UInt8> parts[] = {MakeAtom(kAudioFormatAtomType, frma),
                                      MakeEncoderSettingsAtom(s.encoder),
                                      {0, 0, 0, 8, 0, 0, 0, 0}};
  for (const std::vector<UInt8>& p : parts) inner.insert(inner.end(), p.begin(), p.end());
  const std::vector<UInt8> wave = MakeAtom(SpFourCC("wave"), inner);
  Handle h = NewHandle(Size(wave.size()));
  if (h != nullptr) std::memcpy(*h, wave.data(), wave.size());
  return h;
}

// ---- The dialog ---------------------------------------------------------------------------

struct ItemSpec {
  Rect rect;
  UInt8 type;
  const char* utf8;
};

Rect R(SInt16 top, SInt16 left, SInt16 bottom, SInt16 right) {
  return Rect{top, left, bottom, right};
}

std::string MJ(const char* utf8) {
  std::string out;
  sp::text::UTF8ToMacJapanese(utf8, out, '?');
  return out;
}

// The 'DITL' bytes of the items.
std::vector<UInt8> ItemList(const std::vector<ItemSpec>& items,
                            const std::vector<std::string>& texts) {
  sp::ByteWriter w;
  w.BE16(UInt16(items.size() - 1));
  for (std::size_t i = 0; i < items.size(); ++i) {
    const ItemSpec& item = items[i];
    w.BE32(0);
    w.BE16(UInt16(item.rect.top));
    w.BE16(UInt16(item.rect.left));
    w.BE16(UInt16(item.rect.bottom));
    w.BE16(UInt16(item.rect.right));
    w.U8(item.type);
    const std::string& text = texts[i];
    const std::size_t n = std::min<std::size_t>(text.size(), 255);
    w.U8(UInt8(n));
    w.Bytes(text.data(), n);
    if (n % 2 != 0) w.U8(0);
  }
  return w.Data();
}

std::vector<ItemSpec> DialogItems() {
  std::vector<ItemSpec> items = {
      {R(270, 320, 290, 400), kButtonDialogItem, "OK"},
      {R(270, 220, 290, 300), kButtonDialogItem, "キャンセル"},
      {R(180, 160, 196, 250), kRadioButtonDialogItem, "モノラル"},
      {R(180, 260, 196, 350), kRadioButtonDialogItem, "ステレオ"},
      {R(128, 160, 144, 240), kEditTextDialogItem, ""},
      {R(154, 160, 170, 200), kEditTextDialogItem, ""},
      {R(206, 160, 222, 220), kEditTextDialogItem, ""},
      {R(232, 20, 248, 200), kCheckBoxDialogItem, "可変ビットレート"},
      {R(232, 270, 248, 310), kEditTextDialogItem, ""},
      {R(10, 10, 26, 200), kStaticTextDialogItem | kItemDisableBit, "圧縮プログラム："},
      {R(130, 10, 146, 150), kStaticTextDialogItem | kItemDisableBit, "レート（Hz）："},
      {R(156, 10, 172, 150), kStaticTextDialogItem | kItemDisableBit, "サイズ（ビット）："},
      {R(182, 10, 198, 150), kStaticTextDialogItem | kItemDisableBit, "チャンネル："},
      {R(208, 10, 224, 150), kStaticTextDialogItem | kItemDisableBit, "ビットレート（kbps）："},
      {R(234, 210, 250, 262), kStaticTextDialogItem | kItemDisableBit, "品質："},
  };
  SInt16 index = 0;
  for (OSType format : kSoundSettingsCompressors) {
    (void)format;
    const SInt16 top = SInt16(32 + 20 * (index / 2));
    const SInt16 left = index % 2 == 0 ? 20 : 210;
    items.push_back(
        {R(top, left, SInt16(top + 16), SInt16(left + 180)), kRadioButtonDialogItem, nullptr});
    ++index;
  }
  return items;
}

std::string CompressorTitle(OSType format) {
  if (format == kSoundNotCompressed) return MJ("なし");
  Str255 name;
  if (GetCompressionName(format, name) != noErr) return std::string();
  return std::string(reinterpret_cast<const char*>(name + 1), name[0]);
}

bool CanOffer(const SoundSettings& s, OSType format) {
  if (!s.offered.empty() &&
      std::find(s.offered.begin(), s.offered.end(), format) == s.offered.end())
    return false;
  if (format == kSoundNotCompressed) return true;
  const SoundFormat* f = FindSoundFormat(format);
  const SInt16 size = f != nullptr && f->fixedSampleSize != 0 ? SInt16(f->fixedSampleSize) : 16;
  return CanEncodeFormat(format, size, 2);
}

ControlRef ControlOf(DialogRef dialog, SInt16 item) {
  ControlRef control = nullptr;
  GetDialogItemAsControl(dialog, item, &control);
  return control;
}

void SetValue(DialogRef dialog, SInt16 item, SInt32 value) {
  if (ControlRef c = ControlOf(dialog, item)) SetControl32BitValue(c, value);
}

SInt32 Value(DialogRef dialog, SInt16 item) {
  ControlRef c = ControlOf(dialog, item);
  return c != nullptr ? GetControl32BitValue(c) : 0;
}

void PascalOf(const std::string& text, Str255 p) {
  p[0] = UInt8(std::min<std::size_t>(text.size(), 255));
  std::memcpy(p + 1, text.data(), p[0]);
}

void SetText(DialogRef dialog, SInt16 item, const std::string& text) {
  DialogItemType type = 0;
  Handle h = nullptr;
  Rect box;
  GetDialogItem(dialog, item, &type, &h, &box);
  Str255 p;
  PascalOf(text, p);
  SetDialogItemText(h, p);
}

// The number an edit-text item holds: false when it holds something else or is out of
// [low, high]; an empty field gives `empty` (when allowed).
bool Number(DialogRef dialog, SInt16 item, long low, long high, bool emptyAllowed, long& out) {
  DialogItemType type = 0;
  Handle h = nullptr;
  Rect box;
  GetDialogItem(dialog, item, &type, &h, &box);
  Str255 p;
  GetDialogItemText(h, p);
  const std::string text(reinterpret_cast<const char*>(p + 1), p[0]);
  if (text.empty()) {
    out = 0;
    return emptyAllowed;
  }
  if (text.find_first_not_of("0123456789") != std::string::npos || text.size() > 9) return false;
  out = std::strtol(text.c_str(), nullptr, 10);
  return out >= low && out <= high;
}

// Only one of the buttons of a group is on.
void Choose(DialogRef dialog, SInt16 first, SInt16 count, SInt16 chosen) {
  for (SInt16 i = first; i < first + count; ++i) SetValue(dialog, i, i == chosen ? 1 : 0);
}

constexpr SInt16 kCompressorCount =
    SInt16(sizeof kSoundSettingsCompressors / sizeof kSoundSettingsCompressors[0]);

void ShowSettings(DialogRef dialog, const SoundSettings& s) {
  // The settings' compressor when the dialog offers it, else the first it offers.
  SInt16 chosen = 0;
  for (SInt16 i = 0; i < kCompressorCount; ++i) {
    const OSType format = kSoundSettingsCompressors[i];
    const SInt16 item = SInt16(kSoundSettingsFirstCompressor + i);
    if (!CanOffer(s, format)) continue;
    if (chosen == 0 || format == s.compression ||
        (format == kSoundNotCompressed && IsUncompressed(s.compression)))
      chosen = item;
  }
  Choose(dialog, kSoundSettingsFirstCompressor, kCompressorCount, chosen);
  Choose(dialog, kSoundSettingsMono, 2,
         s.channels == 1 ? kSoundSettingsMono : kSoundSettingsStereo);
  SetText(dialog, kSoundSettingsRate, std::to_string(s.rate >> 16));
  SetText(dialog, kSoundSettingsSize, std::to_string(s.sampleSize));
  SetText(dialog, kSoundSettingsBitRate,
          s.encoder.bitRate > 0 ? std::to_string(s.encoder.bitRate / 1000) : std::string());
  SetValue(dialog, kSoundSettingsVariable, s.encoder.variable ? 1 : 0);
  SetText(dialog, kSoundSettingsQuality,
          s.encoder.quality > 0 ? std::to_string(s.encoder.quality) : std::string());
}

// The highest rate the rate field takes: the highest a 16.16 rate holds.
constexpr long kHighestFieldRate = 65535;

// The compressor whose button is on.
OSType ChosenCompressor(DialogRef dialog) {
  OSType format = kSoundNotCompressed;
  for (SInt16 i = 0; i < kCompressorCount; ++i) {
    if (Value(dialog, SInt16(kSoundSettingsFirstCompressor + i)) != 0)
      format = kSoundSettingsCompressors[i];
  }
  return format;
}

// What the dialog holds; 0 when every field is good, else the item of the first one that is
// not.
SInt16 ReadSettings(DialogRef dialog, SoundSettings& s) {
  long rate = 0, size = 0, kbps = 0, quality = 0;
  // The lowest rate a conversion makes, up to the highest a 16.16 rate holds.
  if (!Number(dialog, kSoundSettingsRate, long(kLowestSoundRate), kHighestFieldRate, false, rate))
    return kSoundSettingsRate;
  OSType format = ChosenCompressor(dialog);
  // A rate the compressor's encoder does not take would fail the save only after its file
  // dialog, as if the sound were damaged: it is refused here.
  const std::vector<int> rates = EncoderSampleRates(format);
  if (!rates.empty() && std::find(rates.begin(), rates.end(), int(rate)) == rates.end())
    return kSoundSettingsRate;
  const SoundFormat* f = FindSoundFormat(format);
  const bool linear = f != nullptr && f->layout == SoundLayout::kLinear;
  if (linear && f->fixedSampleSize == 0) {
    if (!Number(dialog, kSoundSettingsSize, 8, 32, false, size) || size % 8 != 0)
      return kSoundSettingsSize;
  } else {
    size = f != nullptr && f->fixedSampleSize != 0 ? long(f->fixedSampleSize) : 16;
  }
  if (!Number(dialog, kSoundSettingsBitRate, 8, 640, true, kbps)) return kSoundSettingsBitRate;
  if (!Number(dialog, kSoundSettingsQuality, 1, 100, true, quality)) return kSoundSettingsQuality;
  if (format == kSoundNotCompressed)
    format = size == 8 ? k8BitOffsetBinaryFormat : k16BitBigEndianFormat;
  s.compression = format;
  s.rate = UnsignedFixed(rate) << 16;
  s.sampleSize = SInt16(size);
  s.channels = Value(dialog, kSoundSettingsMono) != 0 ? 1 : 2;
  s.encoder.bitRate = UInt32(kbps) * 1000;
  s.encoder.quality = UInt32(quality);
  s.encoder.variable = Value(dialog, kSoundSettingsVariable) != 0;
  return 0;
}

DialogRef MakeDialog(const SoundSettings& s) {
  const std::vector<ItemSpec> items = DialogItems();
  std::vector<std::string> texts;
  for (std::size_t i = 0; i < items.size(); ++i) {
    const SInt16 number = SInt16(i + 1);
    if (number >= kSoundSettingsFirstCompressor) {
      texts.push_back(
          CompressorTitle(kSoundSettingsCompressors[number - kSoundSettingsFirstCompressor]));
    } else {
      texts.push_back(MJ(items[i].utf8));
    }
  }
  const std::vector<UInt8> bytes = ItemList(items, texts);
  Handle list = NewHandle(Size(bytes.size()));
  if (list == nullptr) return nullptr;
  std::memcpy(*list, bytes.data(), bytes.size());
  const std::string title = MJ("サウンド設定");
  Str255 pTitle;
  pTitle[0] = UInt8(title.size());
  std::memcpy(pTitle + 1, title.data(), title.size());
  const Rect bounds = R(120, 160, 420, 580);
  DialogRef dialog = NewDialog(nullptr, &bounds, pTitle, false, kWindowMovableModalDialogProc,
                               reinterpret_cast<WindowRef>(-1), false, 0, list);
  DisposeHandle(list);
  if (dialog == nullptr) return nullptr;
  for (SInt16 i = 0; i < kCompressorCount; ++i) {
    if (!CanOffer(s, kSoundSettingsCompressors[i]))
      HideDialogItem(dialog, SInt16(kSoundSettingsFirstCompressor + i));
  }
  SetDialogDefaultItem(dialog, kSoundSettingsOK);
  SetDialogCancelItem(dialog, kSoundSettingsCancel);
  return dialog;
}

// Tells, in a caution alert, which field holds a value the settings cannot take and what it
// may hold.
// The alert naming a field whose value cannot be taken with the compressor chosen.
void TellBadField(SInt16 item, OSType compressor) {
  static const struct {
    SInt16 item;
    const char* message;
    const char* explanation;
  } kFields[] = {
      {kSoundSettingsRate, "「レート（Hz）」の値が正しくありません。",
       "1000 から 65535 までの整数を入れてください。"},
      {kSoundSettingsSize, "「サイズ（ビット）」の値が正しくありません。",
       "8、16、24、32 のいずれかを入れてください。"},
      {kSoundSettingsBitRate, "「ビットレート（kbps）」の値が正しくありません。",
       "8 から 640 までの整数を入れるか、空けておいてください。"},
      {kSoundSettingsQuality, "「品質」の値が正しくありません。",
       "1 から 100 までの整数を入れるか、空けておいてください。"},
  };
  const std::vector<int> rates = EncoderSampleRates(compressor);
  for (const auto& field : kFields) {
    if (field.item != item) continue;
    std::string says = field.explanation;
    if (item == kSoundSettingsRate && !rates.empty()) {
      says = "この圧縮では次のいずれかを入れてください：";
      bool first = true;
      for (const int rate : rates) {
        if (rate < kLowestSoundRate || rate > kHighestFieldRate) continue;
        says += (first ? "" : "、") + std::to_string(rate);
        first = false;
      }
    }
    Str255 message, explanation;
    PascalOf(MJ(field.message), message);
    PascalOf(MJ(says.c_str()), explanation);
    AlertStdAlertParamRec param;
    std::memset(&param, 0, sizeof param);
    param.movable = true;
    param.defaultText = reinterpret_cast<ConstStringPtr>(kAlertDefaultOKText);
    param.defaultButton = kAlertStdAlertOKButton;
    SInt16 hit = 0;
    StandardAlert(kAlertCautionAlert, message, explanation, &param, &hit);
  }
}

// The modal loop: the item that ended it (OK or Cancel).
SInt16 RunDialog(DialogRef dialog, SoundSettings& s) {
  for (;;) {
    DialogItemIndex hit = 0;
    ModalDialog(nullptr, &hit);
    if (hit == kSoundSettingsCancel) return hit;
    if (hit == kSoundSettingsOK) {
      SoundSettings chosen = s;
      const SInt16 bad = ReadSettings(dialog, chosen);
      if (bad == 0) {
        s = chosen;
        return hit;
      }
      TellBadField(bad, ChosenCompressor(dialog));
      SelectDialogItemText(dialog, bad, 0, 32767);
    } else if (hit == kSoundSettingsMono || hit == kSoundSettingsStereo) {
      Choose(dialog, kSoundSettingsMono, 2, hit);
    } else if (hit == kSoundSettingsVariable) {
      SetValue(dialog, hit, Value(dialog, hit) != 0 ? 0 : 1);
    } else if (hit >= kSoundSettingsFirstCompressor &&
               hit < kSoundSettingsFirstCompressor + kCompressorCount) {
      Choose(dialog, kSoundSettingsFirstCompressor, kCompressorCount, hit);
    } else if (hit == 0) {
      // The loop gave up (nothing can answer it): as Cancel.
      return kSoundSettingsCancel;
    }
  }
}

}  // namespace
}  // namespace quicktime
}  // namespace sp_platform

namespace qt = sp_platform::quicktime;

ComponentInstance OpenDefaultComponent(OSType componentType, OSType componentSubType) {
  if (componentType == StandardCompressionType &&
      componentSubType == StandardCompressionSubTypeSound) {
    ComponentDescription d{StandardCompressionType, StandardCompressionSubTypeSound, 0, 0, 0};
    qt::RegisterComponent(d, "Standard Sound Compression");
  }
  const ComponentDescription looking{componentType, componentSubType, 0, 0, 0};
  Component component = FindNextComponent(nullptr, &looking);
  return component != nullptr ? OpenComponent(component) : nullptr;
}

ComponentResult SCSetInfo(ComponentInstance ci, OSType infoType, void* info) {
  qt::SoundSettings* s = qt::SettingsOf(ci);
  if (s == nullptr) return badComponentInstance;
  if (info == nullptr) return paramErr;
  switch (infoType) {
    case scSoundCompressionType:
      s->compression = *static_cast<OSType*>(info);
      return noErr;
    case scSoundSampleRateType:
      if (*static_cast<UnsignedFixed*>(info) == 0) return paramErr;
      s->rate = *static_cast<UnsignedFixed*>(info);
      return noErr;
    case scSoundInputSampleRateType:
      s->inputRate = *static_cast<UnsignedFixed*>(info);
      return noErr;
    case scSoundSampleSizeType: {
      const SInt16 size = *static_cast<SInt16*>(info);
      if (size != 8 && size != 16 && size != 24 && size != 32) return paramErr;
      s->sampleSize = size;
      return noErr;
    }
    case scSoundChannelCountType: {
      const SInt16 channels = *static_cast<SInt16*>(info);
      if (channels != 1 && channels != 2) return paramErr;
      s->channels = channels;
      return noErr;
    }
    case scCodecSettingsType: {
      Handle h = *static_cast<Handle*>(info);
      if (h == nullptr || *h == nullptr) return paramErr;
      qt::DecompressionParams params;
      if (!qt::ReadDecompressionAtom(reinterpret_cast<const UInt8*>(*h),
                                     std::size_t(std::max<Size>(GetHandleSize(h), 0)), params) ||
          !params.hasEncoderSettings) {
        return paramErr;
      }
      s->encoder = params.encoder;
      return noErr;
    }
    case scSoundVBRCompressionOK:
      s->variableOK = *static_cast<Boolean*>(info);
      return noErr;
    case scSoundSampleRateChangeOK:
      s->rateChangeOK = *static_cast<Boolean*>(info);
      return noErr;
    case scCompressionListType: {
      Handle h = *static_cast<Handle*>(info);
      s->offered.clear();
      if (h == nullptr || *h == nullptr) return noErr;
      const std::size_t count = std::size_t(std::max<Size>(GetHandleSize(h), 0)) / sizeof(OSType);
      const OSType* types = reinterpret_cast<const OSType*>(*h);
      s->offered.assign(types, types + count);
      return noErr;
    }
    default:
      return scTypeNotFoundErr;
  }
}

ComponentResult SCGetInfo(ComponentInstance ci, OSType infoType, void* info) {
  qt::SoundSettings* s = qt::SettingsOf(ci);
  if (s == nullptr) return badComponentInstance;
  if (info == nullptr) return paramErr;
  switch (infoType) {
    case scSoundCompressionType:
      *static_cast<OSType*>(info) = s->compression;
      return noErr;
    case scSoundSampleRateType:
      *static_cast<UnsignedFixed*>(info) = s->rate;
      return noErr;
    case scSoundInputSampleRateType:
      *static_cast<UnsignedFixed*>(info) = s->inputRate;
      return noErr;
    case scSoundSampleSizeType:
      *static_cast<SInt16*>(info) = s->sampleSize;
      return noErr;
    case scSoundChannelCountType:
      *static_cast<SInt16*>(info) = s->channels;
      return noErr;
    case scCodecSettingsType: {
      Handle h = qt::SettingsHandle(*s);
      *static_cast<Handle*>(info) = h;
      return h != nullptr ? ComponentResult(noErr) : ComponentResult(memFullErr);
    }
    case scSoundVBRCompressionOK:
      *static_cast<Boolean*>(info) = s->variableOK;
      return noErr;
    case scSoundSampleRateChangeOK:
      *static_cast<Boolean*>(info) = s->rateChangeOK;
      return noErr;
    default:
      return scTypeNotFoundErr;
  }
}

ComponentResult SCRequestImageSettings(ComponentInstance ci) {
  qt::SoundSettings* s = qt::SettingsOf(ci);
  if (s == nullptr) return badComponentInstance;
  DialogRef dialog = qt::MakeDialog(*s);
  if (dialog == nullptr) return memFullErr;
  qt::ShowSettings(dialog, *s);
  ShowWindow(GetDialogWindow(dialog));
  const SInt16 hit = qt::RunDialog(dialog, *s);
  DisposeDialog(dialog);
  return hit == qt::kSoundSettingsOK ? ComponentResult(noErr) : ComponentResult(userCanceledErr);
}
