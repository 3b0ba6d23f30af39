// The standard sound compression component: the settings of a compressed sound output and the
// dialog in which a person chooses them.
//
// OpenDefaultComponent(StandardCompressionType, StandardCompressionSubTypeSound) gives an
// instance holding one set of settings: the compressor, the output's rate, sample size and
// channels, and the compressor's own settings (a bit rate, or a quality for a bit rate that
// varies). SCSetInfo and SCGetInfo exchange them one by one; SCRequestImageSettings shows the
// dialog with them, and keeps what the person chose when they click OK.
//
// The dialog ("サウンド設定") lists the compressors the system's FFmpeg can encode ('NONE'
// stands for no compression: 'twos', or 'raw ' at 8 bits), the rate in hertz, the sample size
// in bits (linear output only), the channels, the bit rate in kbit/s, "可変ビットレート" and
// the quality (1 to 100). A value it cannot take beeps and keeps the dialog open on that field.
//
// The compressor's settings ('cdec') travel as a 'wave' atom: the compressor ('frma') and the
// settings ('sset': bit rate, quality, variable bit rate); a Sound Converter given that atom
// (siDecompressionParams) encodes with them.
#pragma once

#include "Components.h"
#include "MacTypes.h"

typedef SInt32 ComponentResult;

enum : OSType {
  StandardCompressionType = SpFourCC("scdi"),
  StandardCompressionSubTypeSound = SpFourCC("soun"),
};

// Settings (SCGetInfo / SCSetInfo) and the type of their value.
enum : OSType {
  scSoundCompressionType = SpFourCC("ssct"),      // OSType
  scSoundSampleRateType = SpFourCC("ssrt"),       // UnsignedFixed: the output's rate
  scSoundInputSampleRateType = SpFourCC("ssir"),  // UnsignedFixed: the input's rate, 0 unknown
  scSoundSampleSizeType = SpFourCC("ssss"),       // SInt16
  scSoundChannelCountType = SpFourCC("sscc"),     // SInt16
  scCodecSettingsType = SpFourCC("cdec"),         // Handle (a new handle, the caller's)
  scSoundVBRCompressionOK = SpFourCC("cvbr"),     // Boolean
  scSoundSampleRateChangeOK = SpFourCC("rcok"),   // Boolean
  // Handle of OSTypes: the dialog offers only these compressors ('NONE': no compression); a
  // null handle offers all again. The caller keeps its handle.
  scCompressionListType = SpFourCC("ctyl"),
};

enum : ComponentResult {
  scTypeNotFoundErr = -8971,
};

// Sets one setting from *info. paramErr for a null info or a value the setting cannot take
// (a rate of 0, channels other than 1 or 2, a sample size other than 8, 16, 24 or 32, a
// settings handle that is no such atom); scTypeNotFoundErr for another type; badComponentInstance
// for an instance that is not the sound compression component's.
ComponentResult SCSetInfo(ComponentInstance ci, OSType infoType, void* info);
// Gets one setting into *info; the same errors.
ComponentResult SCGetInfo(ComponentInstance ci, OSType infoType, void* info);
// Shows the dialog modally: noErr when the person clicked OK (the settings are what they
// chose), userCanceledErr (-128) on Cancel (nothing changes); memFullErr when the dialog
// cannot be made.
ComponentResult SCRequestImageSettings(ComponentInstance ci);
