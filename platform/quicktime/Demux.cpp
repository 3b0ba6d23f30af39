// FFmpeg's demultiplexers reading through the layer's byte sources.

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/log.h>
}

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "quicktime/detail/Demux.h"

#include "base/internal/HeapBlocks.h"
#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/KeptByFile.h"
#include "quicktime/detail/SoundFormats.h"
#include "quicktime/detail/StatedLength.h"

namespace sp_platform {
namespace quicktime {

struct Demuxer::Io {
  std::shared_ptr<ByteSource> source;
  UInt64 position = 0;
  AVIOContext* avio = nullptr;
  // The file's size and end are not told (FFmpeg then leaves the end unread).
  bool endHidden = false;
};

namespace {

constexpr int kIoBufferSize = 64 * 1024;
constexpr int kProbePackets = 4;
constexpr int64_t kPcmStreamInfoBytes = 64 * 1024;

// The read buffer of the last demultiplexer closed, for the next one: files are opened one
// after another by the hundred, and a buffer of its own for each would leave the heap holed by
// the small blocks made meanwhile that stay.
unsigned char* gSpareIoBuffer = nullptr;

unsigned char* TakeIoBuffer() {
  unsigned char* buffer = gSpareIoBuffer;
  gSpareIoBuffer = nullptr;
  return buffer != nullptr ? buffer : static_cast<unsigned char*>(av_malloc(kIoBufferSize));
}

// FFmpeg may have put a buffer of another size in its place; that one is freed.
void GiveBackIoBuffer(unsigned char* buffer, int size) {
  if (buffer != nullptr && size == kIoBufferSize && gSpareIoBuffer == nullptr) {
    gSpareIoBuffer = buffer;
  } else {
    av_free(buffer);
  }
}

int ReadPacket(void* opaque, uint8_t* buffer, int size) {
  auto* io = static_cast<Demuxer::Io*>(opaque);
  if (size <= 0) return 0;
  const long n = io->source->ReadAt(io->position, buffer, std::size_t(size));
  if (n < 0) return AVERROR(EIO);
  // Nothing before the size the file had when it was opened: it was cut short since, and what
  // is missing is an error, not the end of the sound.
  if (n == 0) return io->position < io->source->Size() ? AVERROR(EIO) : AVERROR_EOF;
  io->position += UInt64(n);
  return int(n);
}

int64_t SeekSource(void* opaque, int64_t offset, int whence) {
  auto* io = static_cast<Demuxer::Io*>(opaque);
  const UInt64 size = io->source->Size();
  whence &= ~AVSEEK_FORCE;
  if (io->endHidden && (whence == AVSEEK_SIZE || whence == SEEK_END)) return AVERROR(ENOSYS);
  if (whence == AVSEEK_SIZE) return int64_t(size);
  int64_t base = 0;
  if (whence == SEEK_CUR) {
    base = int64_t(io->position);
  } else if (whence == SEEK_END) {
    base = int64_t(size);
  } else if (whence != SEEK_SET) {
    return AVERROR(EINVAL);
  }
  const int64_t target = base + offset;
  if (target < 0) return AVERROR(EINVAL);
  io->position = UInt64(target);
  return target;
}

// Formats that would open more files (playlists, image sequences, concatenations) get no
// further file from here: the movie is the one file it was made from.
int RefuseNestedOpen(AVFormatContext*, AVIOContext**, const char*, int, AVDictionary**) {
  return AVERROR(EPERM);
}

bool EndsWith(const char* s, const char* suffix) {
  const std::size_t a = std::strlen(s), b = std::strlen(suffix);
  return a >= b && std::strcmp(s + a - b, suffix) == 0;
}

OSType ContainerCode(const AVFormatContext* ctx) {
  const char* name = ctx->iformat != nullptr ? ctx->iformat->name : "";
  if (std::strncmp(name, "mov,", 4) == 0) {
    const AVDictionaryEntry* brand = av_dict_get(ctx->metadata, "major_brand", nullptr, 0);
    if (brand != nullptr && std::strncmp(brand->value, "qt", 2) == 0) return SpFourCC("MooV");
    return SpFourCC("mpg4");
  }
  static const struct {
    const char* name;
    OSType code;
  } kCodes[] = {
      {"aiff", SpFourCC("AIFF")}, {"wav", SpFourCC("WAVE")},           {"mp3", SpFourCC("MP3 ")},
      {"flac", SpFourCC("FLAC")}, {"ogg", SpFourCC("OggS")},           {"aac", SpFourCC("ADTS")},
      {"au", SpFourCC("ULAW")},   {"caf", SpFourCC("caff")},           {"w64", SpFourCC("W64 ")},
      {"avi", SpFourCC("VfW ")},  {"matroska,webm", SpFourCC("MKV ")}, {"mpeg", SpFourCC("MPEG")},
  };
  for (const auto& c : kCodes) {
    if (std::strcmp(c.name, name) == 0) return c.code;
  }
  // Others: the first four characters of FFmpeg's name, upper case, padded with blanks.
  char code[4] = {' ', ' ', ' ', ' '};
  for (int i = 0; i < 4 && name[i] != '\0' && name[i] != ','; ++i)
    code[i] = char(std::toupper(static_cast<unsigned char>(name[i])));
  return (OSType(UInt8(code[0])) << 24) | (OSType(UInt8(code[1])) << 16) |
         (OSType(UInt8(code[2])) << 8) | OSType(UInt8(code[3]));
}

UInt64 gDemuxerOpens = 0;
UInt64 gStreamInfoReads = 0;

// Bits of a byte string, most significant first; reading past the end gives zeros and marks
// the reader as overrun.
class Bits {
 public:
  Bits(const UInt8* data, std::size_t size) : data_(data), size_(size) {}
  UInt32 Take(int n) {
    UInt32 v = 0;
    for (int i = 0; i < n; ++i) {
      const std::size_t byte = at_ >> 3;
      UInt32 bit = 0;
      if (byte < size_) {
        bit = (data_[byte] >> (7 - (at_ & 7))) & 1;
      } else {
        overrun_ = true;
      }
      v = (v << 1) | bit;
      ++at_;
    }
    return v;
  }
  bool Overrun() const { return overrun_; }
  // Whether every bit left is zero (the padding of the last byte).
  bool RestIsZero() {
    while ((at_ >> 3) < size_) {
      if (Take(1) != 0) return false;
    }
    return true;
  }

 private:
  const UInt8* data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool overrun_ = false;
};

// FFmpeg's readers of the files of plain samples (whose codec may still be other sound).
bool IsPcmContainer(const AVFormatContext* ctx) {
  const char* name = ctx->iformat->name;
  return std::strcmp(name, "wav") == 0 || std::strcmp(name, "aiff") == 0;
}

// FFmpeg's FLAC and MPEG audio readers leave a sound stream's rate and channels to the decoding
// of its first packets (their parser run over them, a frame decoded: most of the time of
// listing a folder of such files). A summary takes them from the header that was read to
// open the file as that format.
void TakeStatedFormat(AVFormatContext* ctx, const StatedFormat& stated) {
  if (stated.rate == 0 || stated.channels == 0) return;
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    AVCodecParameters* par = ctx->streams[i]->codecpar;
    const AVCodecID id = par->codec_id;
    if (par->codec_type != AVMEDIA_TYPE_AUDIO || par->sample_rate != 0 ||
        par->ch_layout.nb_channels != 0 ||
        (id != AV_CODEC_ID_FLAC && id != AV_CODEC_ID_MP1 && id != AV_CODEC_ID_MP2 &&
         id != AV_CODEC_ID_MP3))
      continue;
    par->sample_rate = int(stated.rate);
    av_channel_layout_default(&par->ch_layout, int(stated.channels));
    return;
  }
}

// Whether the header FFmpeg has read says all the reading asks of the streams, so that no
// packet need be decoded for it. Both readings take only a file whose header names every
// stream's codec, and a sound stream's rate and channels; AAC only at more than 24 kHz and in
// more than one channel, since AAC at lower rates or in one channel may carry spectral band
// replication or parametric stereo that only its decoder shows, doubling the rate or the
// channels.
//   kSummary: such a movie, Ogg, WAVE, AIFF, FLAC or MPEG audio file (a summary asks no more;
//     the last two with the rate and channels their sound header states, TakeStatedFormat).
//     The first packets of a WAVE's 16-bit sound are looked into only for another codec
//     carried as PCM (DTS), which leaves it a file of sound all the same: the look, every
//     format's probe run over them, took most of the time of listing a folder of WAVE files.
//   kDescription: sound only, as Vorbis or Opus in Ogg, whose identification headers give all
//     a sound description holds, or as plain AAC in a movie, whose frames per packet its
//     configuration states (set here, as the decoder would). The decoders add only their
//     sample formats.
bool HeaderIsWhole(AVFormatContext* ctx, Demuxer::Reading reading) {
  if (reading == Demuxer::kStreamInfo || (ctx->ctx_flags & AVFMTCTX_NOHEADER) != 0) return false;
  const char* name = ctx->iformat->name;
  const bool ogg = std::strcmp(name, "ogg") == 0;
  const bool pcmContainer = IsPcmContainer(ctx);
  const bool statedSound = std::strcmp(name, "flac") == 0 || std::strcmp(name, "mp3") == 0;
  if ((pcmContainer || statedSound) && reading != Demuxer::kSummary) return false;
  if (!ogg && !pcmContainer && !statedSound && std::strncmp(name, "mov,", 4) != 0) return false;
  std::vector<int> frameSizes(ctx->nb_streams, 0);
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    const AVCodecParameters* par = ctx->streams[i]->codecpar;
    const bool sound = par->codec_type == AVMEDIA_TYPE_AUDIO;
    if (par->codec_id == AV_CODEC_ID_NONE) return false;
    if (!sound) {
      if (reading == Demuxer::kDescription) return false;
      continue;
    }
    if (par->sample_rate <= 0 || par->ch_layout.nb_channels <= 0) return false;
    const bool aac = par->codec_id == AV_CODEC_ID_AAC;
    if (aac && (par->sample_rate <= 24000 || par->ch_layout.nb_channels == 1)) return false;
    if (reading != Demuxer::kDescription) continue;
    if (ogg ? par->codec_id != AV_CODEC_ID_VORBIS && par->codec_id != AV_CODEC_ID_OPUS : !aac)
      return false;
    if (aac) {
      frameSizes[i] =
          AacFramesPerPacket(par->extradata, std::size_t(std::max(0, par->extradata_size)));
      if (frameSizes[i] == 0) return false;
    }
  }
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    if (frameSizes[i] > 0) ctx->streams[i]->codecpar->frame_size = frameSizes[i];
  }
  return ctx->nb_streams > 0;
}

// Summaries by the file as it is and the name it was opened under (the name lends formats
// their extension).
using KeptSummaries = KeptByFile<std::string, FileSummary, 8192>;

KeptSummaries& Summaries() {
  static KeptSummaries kept;
  return kept;
}

}  // namespace

int AacFramesPerPacket(const UInt8* config, std::size_t size) {
  if (config == nullptr) return 0;
  Bits bits(config, size);
  if (bits.Take(5) != 2) return 0;        // AAC LC
  if (bits.Take(4) == 15) bits.Take(24);  // a rate of its own
  const UInt32 channels = bits.Take(4);
  // A program configuration element, or a layout of no fixed channels: left to the decoder.
  if (channels == 0 || channels > 7) return 0;
  const bool shortFrames = bits.Take(1) != 0;
  if (bits.Take(1) != 0 || bits.Take(1) != 0) return 0;  // a core coder, or extensions
  if (bits.Overrun()) return 0;
  Bits rest = bits;
  // After the configuration, nothing, or only the extension that says there is no band
  // replication.
  if (!rest.RestIsZero() && (bits.Take(11) != 0x2B7 || bits.Take(5) != 5 || bits.Take(1) != 0 ||
                             bits.Overrun() || !bits.RestIsZero()))
    return 0;
  return shortFrames ? 960 : 1024;
}

void StartFFmpeg() {
  static const bool started = [] {
    const char* verbose = std::getenv("SP_FFMPEG_LOG");
    const bool shown = verbose != nullptr && verbose[0] != '\0';
    av_log_set_level(shown ? AV_LOG_WARNING : AV_LOG_QUIET);
    // Quiet, no message is even handed on: the movie demultiplexer asks to trace every sample
    // of the table it reads.
    if (!shown) av_log_set_callback(nullptr);
    return true;
  }();
  (void)started;
}

// Whether the file starts with an Ogg page, as FFmpeg's probe of Ogg finds it (which then
// scores it above every other format).
bool StartsAsOgg(ByteSource& source) {
  UInt8 head[6] = {};
  return source.ReadAt(0, head, sizeof head) == long(sizeof head) &&
         std::memcmp(head, "OggS", 5) == 0 && head[5] <= 7;
}

namespace {

// Whether the file starts with an 'ftyp' atom of a brand other than JPEG 2000's or JPEG XL's,
// which FFmpeg's probe scores as a movie above every other format.
bool StartsAsMovie(ByteSource& source) {
  UInt8 head[12] = {};
  return source.ReadAt(0, head, sizeof head) == long(sizeof head) &&
         std::memcmp(head + 4, "ftyp", 4) == 0 && head[0] == 0 && head[1] == 0 &&
         (head[2] != 0 || head[3] >= 12) && std::memcmp(head + 8, "jp2 ", 4) != 0 &&
         std::memcmp(head + 8, "jxl ", 4) != 0;
}

}  // namespace

std::unique_ptr<Demuxer> Demuxer::Open(std::shared_ptr<ByteSource> source,
                                       const std::string& nameHint, Reading reading) {
  StartFFmpeg();
  if (source == nullptr) return nullptr;
  // An Ogg file for a summary or a description is opened as Ogg without running every
  // format's probe, and with its end left unread: FFmpeg reads the last 64 KiB of an Ogg file
  // whose size it knows, checksumming every page, for a duration that neither reading takes
  // from it (the sound's length is found in StatedLength.cpp). A description that needs more
  // than the header (a stream not of sound, FLAC) opens the file again as any other. (The
  // formats are found once: the search compares the name with every format's.)
  if (reading != kStreamInfo && StartsAsOgg(*source)) {
    static const AVInputFormat* const ogg = av_find_input_format("ogg");
    std::unique_ptr<Demuxer> d = OpenAs(source, nameHint, reading, ogg, true);
    if (d != nullptr) return d;
  }
  // A movie, a file of MPEG audio frames or a native FLAC file is opened as FFmpeg's probe
  // would find it, for any reading, but without the probe, which ran every format's over its
  // first kilobytes two or more times (most of the time of listing a folder of MP3 files, and
  // 0.2 ms of each opening of a movie) and read all of a large ID3v2 tag.
  static const AVInputFormat* const movie = av_find_input_format("mov");
  static const AVInputFormat* const mp3 = av_find_input_format("mp3");
  static const AVInputFormat* const flac = av_find_input_format("flac");
  StatedFormat stated;
  const AVInputFormat* known = StartsAsMovie(*source)                ? movie
                               : StartsAsFlac(*source, &stated)      ? flac
                               : StartsAsMpegAudio(*source, &stated) ? mp3
                                                                     : nullptr;
  if (known != nullptr) {
    std::unique_ptr<Demuxer> d = OpenAs(source, nameHint, reading, known, false, stated);
    if (d != nullptr) return d;
  }
  return OpenAs(std::move(source), nameHint, reading, nullptr, false);
}

std::unique_ptr<Demuxer> Demuxer::OpenAs(std::shared_ptr<ByteSource> source,
                                         const std::string& nameHint, Reading reading,
                                         const AVInputFormat* format, bool endHidden,
                                         const StatedFormat& stated) {
  ++gDemuxerOpens;
  std::unique_ptr<Demuxer> d(new Demuxer);
  d->io_.reset(new Io);
  d->io_->source = std::move(source);
  unsigned char* buffer = TakeIoBuffer();
  if (buffer == nullptr) return nullptr;
  d->io_->avio =
      avio_alloc_context(buffer, kIoBufferSize, 0, d->io_.get(), ReadPacket, nullptr, SeekSource);
  if (d->io_->avio == nullptr) {
    av_free(buffer);
    return nullptr;
  }
  AVFormatContext* ctx = avformat_alloc_context();
  if (ctx == nullptr) return nullptr;
  ctx->pb = d->io_->avio;
  ctx->flags |= AVFMT_FLAG_CUSTOM_IO;
  ctx->io_open = RefuseNestedOpen;
  // FFmpeg looks into the first packets of a stream whose codec it may have wrong (16-bit PCM
  // in a WAVE that could hold DTS) by running every format's probe over them, 32 packets deep
  // by default: 5 ms for each description of a WAVE. Four packets (16 KB of a WAVE, eight
  // frames of DTS carried as PCM) still find DTS, and take half the time of eight; two do not.
  ctx->max_probe_packets = kProbePackets;
  // A format opened without its end is not told the file's size until its header is read.
  // (A file read as one that cannot seek would do too, but FFmpeg's Ogg reader then grows the
  // read buffer for every page to be able to go back over it.)
  d->io_->endHidden = endHidden;
  // A summary of a movie leaves its edit lists alone: FFmpeg rebuilds a track's whole sample
  // index for one, an entry at a time (most of the time of opening an M4A file), and a
  // summary asks only what the tracks are.
  AVDictionary* options = nullptr;
  if (reading == kSummary && format != nullptr && std::strncmp(format->name, "mov,", 4) == 0)
    av_dict_set(&options, "ignore_editlist", "1", 0);
  // FFmpeg's tables of the file (a movie's sample index) come from the heap, and go back to
  // it when the file is closed, ready for the next file's.
  HeapBlocksScope heap;
  // On failure FFmpeg frees the context (not our I/O context, which the destructor frees).
  const int opened = avformat_open_input(&ctx, nameHint.c_str(), format, &options);
  av_dict_free(&options);
  if (opened < 0) return nullptr;
  d->context_ = ctx;
  d->io_->endHidden = false;
  if (reading == kSummary) TakeStatedFormat(ctx, stated);
  if (HeaderIsWhole(ctx, reading)) return d;
  if (endHidden && reading == kDescription) return nullptr;
  ++gStreamInfoReads;
  // The stream information of plain samples needs their first packets (those looked into for
  // DTS, 16 KB): FFmpeg's default limit of 5 MB had it read a quarter of a megabyte of each.
  if (IsPcmContainer(ctx)) ctx->probesize = kPcmStreamInfoBytes;
  if (avformat_find_stream_info(ctx, nullptr) < 0) return nullptr;
  return d;
}

Demuxer::~Demuxer() {
  if (context_ != nullptr) avformat_close_input(&context_);
  if (io_ != nullptr && io_->avio != nullptr) {
    GiveBackIoBuffer(io_->avio->buffer, io_->avio->buffer_size);
    io_->avio->buffer = nullptr;
    avio_context_free(&io_->avio);
  }
}

bool HasRefusedRate(const AVStream* stream) {
  const AVCodecParameters* par = stream->codecpar;
  return par->codec_type == AVMEDIA_TYPE_AUDIO && !IsSoundRate(par->sample_rate);
}

StreamKind KindOfStream(const AVStream* stream) {
  const AVCodecParameters* par = stream->codecpar;
  if ((stream->disposition & AV_DISPOSITION_ATTACHED_PIC) != 0) return StreamKind::kNone;
  switch (par->codec_type) {
    case AVMEDIA_TYPE_AUDIO:
      if (par->codec_id == AV_CODEC_ID_NONE || HasRefusedRate(stream) ||
          par->ch_layout.nb_channels <= 0)
        return StreamKind::kNone;
      return StreamKind::kSound;
    case AVMEDIA_TYPE_VIDEO:
      return StreamKind::kVideo;
    case AVMEDIA_TYPE_SUBTITLE:
      return StreamKind::kText;
    default:
      return StreamKind::kNone;
  }
}

FileSummary SummariseFile(const Demuxer& demuxer) {
  FileSummary summary;
  const AVFormatContext* ctx = demuxer.Context();
  if (ctx == nullptr) return summary;
  summary.readable = true;
  summary.container = ContainerCode(ctx);
  for (unsigned i = 0; i < ctx->nb_streams; ++i) {
    switch (KindOfStream(ctx->streams[i])) {
      case StreamKind::kSound:
        summary.hasSound = true;
        break;
      case StreamKind::kVideo:
        summary.hasVideo = true;
        break;
      case StreamKind::kText:
        summary.hasText = true;
        break;
      case StreamKind::kNone:
        break;
    }
  }
  const char* name = ctx->iformat != nullptr ? ctx->iformat->name : "";
  const bool imageFormat = EndsWith(name, "_pipe") || std::strcmp(name, "image2") == 0;
  summary.stillImage = imageFormat && summary.hasVideo && !summary.hasSound;
  return summary;
}

namespace {

// The rate and channels of plain AAC (low complexity) whose AudioSpecificConfig is its two
// bytes alone, or those followed by the sync extension that says band replication is absent
// (0x2B7, object type 5, flag 0: what FFmpeg's encoder writes); false for any other, band
// replication possible. FFmpeg gives an AAC stream in a movie these, not those of its sample
// entry.
bool PlainAacFormat(const std::vector<UInt8>& config, UInt32& rate, UInt32& channels) {
  static const UInt32 kRates[] = {96000, 88200, 64000, 48000, 44100, 32000, 24000,
                                  22050, 16000, 12000, 11025, 8000,  7350};
  static const UInt32 kChannels[] = {0, 1, 2, 3, 4, 5, 6, 8};
  const bool withoutReplication =
      config.size() == 5 && config[2] == 0x56 && config[3] == 0xE5 && (config[4] & 0x80) == 0;
  if (config.size() != 2 && !withoutReplication) return false;
  const unsigned objectType = config[0] >> 3;
  const unsigned rateIndex = ((config[0] & 7u) << 1) | (config[1] >> 7);
  const unsigned channelConfig = (config[1] >> 3) & 15u;
  if (objectType != 2 || rateIndex >= sizeof kRates / sizeof kRates[0] || channelConfig == 0 ||
      channelConfig >= sizeof kChannels / sizeof kChannels[0])
    return false;
  rate = kRates[rateIndex];
  channels = kChannels[channelConfig];
  return true;
}

// A movie of AAC sound tracks only, summarised from its 'moov' atom as FFmpeg's open of it for
// a summary would (HeaderIsWhole: plain AAC above 24 kHz in more than one channel): FFmpeg's
// open builds every track's sample index, a table entry at a time, which a summary does not
// use. False for any other movie (a track of another kind or codec, AAC whose format only
// its decoder shows, a protected entry, damage), which FFmpeg then opens.
bool SummariseAacMovie(ByteSource& source, FileSummary& summary) {
  UInt8 head[12] = {};
  if (!StartsAsMovie(source) || source.ReadAt(0, head, sizeof head) != long(sizeof head))
    return false;
  MovieAtomInfo info;
  if (!ReadMovieFileStructure(source, info) || info.isProtected || !info.tracksComplete ||
      info.tracks.empty())
    return false;
  bool sound = false;
  for (const MovieTrackInfo& track : info.tracks) {
    UInt32 rate = 0, channels = 0;
    if (track.handler != SpFourCC("soun") || track.format != SpFourCC("mp4a") ||
        !track.hasEsds || track.objectType != 0x40 ||
        !PlainAacFormat(track.config, rate, channels) || rate <= 24000 || channels < 2)
      return false;
    sound = sound || IsSoundRate(rate);
  }
  summary = FileSummary();
  summary.readable = true;
  summary.hasSound = sound;
  summary.container = std::memcmp(head + 8, "qt", 2) == 0 ? SpFourCC("MooV") : SpFourCC("mpg4");
  return true;
}

}  // namespace

FileSummary SummariseSource(const std::shared_ptr<ByteSource>& source, const std::string& nameHint) {
  FileSummary summary;
  if (source == nullptr) return summary;
  FileIdentity file;
  const bool identified = source->Identity(&file);
  if (identified && Summaries().Find(file, nameHint, summary)) return summary;
  if (!SummariseAacMovie(*source, summary)) {
    const std::unique_ptr<Demuxer> demuxer = Demuxer::Open(source, nameHint, Demuxer::kSummary);
    if (demuxer != nullptr) summary = SummariseFile(*demuxer);
  }
  if (identified) Summaries().Keep(file, nameHint, summary);
  return summary;
}

void ForgetFileSummaries() { Summaries().Clear(); }

UInt64 CountedDemuxerOpens() { return gDemuxerOpens; }
UInt64 CountedStreamInfoReads() {
  return gStreamInfoReads;
}

}  // namespace quicktime
}  // namespace sp_platform
