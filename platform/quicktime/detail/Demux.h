// FFmpeg's demultiplexers over the layer's byte sources. Not for the program's own code.
#pragma once

#include <memory>
#include <string>

#include "MacTypes.h"
#include "quicktime/detail/ByteSource.h"

struct AVFormatContext;
struct AVInputFormat;
struct AVStream;

namespace sp_platform {
namespace quicktime {

// Silences FFmpeg's messages (warnings go to standard error when SP_FFMPEG_LOG is set and not
// empty). Done once; every entry that reaches FFmpeg calls it.
void StartFFmpeg();

// The rate and channels a sound header states (FLAC's STREAMINFO, an MPEG audio file's first
// frame); 0 where it was not read.
struct StatedFormat {
  UInt32 rate = 0;
  UInt32 channels = 0;
};

// A file opened by FFmpeg: probed (the name hint lends the file's extension to formats known
// by it) and with its stream information read. It reads only through the byte source: a
// format that would open further files or URLs (playlists, concatenations) fails to open.
class Demuxer {
 public:
  // What the open is for. kStreamInfo has FFmpeg decode the first packets of every stream for
  // what its header leaves out (the decoders' formats and frame sizes, a rate or channel count
  // only the sound itself shows). kSummary (a FileSummary) and kDescription (a movie's tracks)
  // skip that where the header alone says all they ask of the file's streams (Demux.cpp).
  enum Reading { kStreamInfo, kSummary, kDescription };
  static std::unique_ptr<Demuxer> Open(std::shared_ptr<ByteSource> source,
                                       const std::string& nameHint, Reading reading = kStreamInfo);
  ~Demuxer();
  Demuxer(const Demuxer&) = delete;
  Demuxer& operator=(const Demuxer&) = delete;

  AVFormatContext* Context() const { return context_; }

  struct Io;  // the byte source as FFmpeg reads it (Demux.cpp)

 private:
  Demuxer() = default;
  // Opened as the format given, or as FFmpeg's probe finds it (null). `endHidden`: the header
  // is read without the file's size, and a description that needs more than the header fails
  // (to be opened again as any other file). `stated`: what the file's sound header says, for
  // a summary of a format whose reader leaves it to the first packets.
  static std::unique_ptr<Demuxer> OpenAs(std::shared_ptr<ByteSource> source,
                                         const std::string& nameHint, Reading reading,
                                         const AVInputFormat* format, bool endHidden,
                                         const StatedFormat& stated = StatedFormat());
  std::unique_ptr<Io> io_;
  AVFormatContext* context_ = nullptr;
};

// The frames of each packet of plain AAC (low complexity, no band replication or parametric
// stereo possible, the channels given) with this audio specific configuration: 1,024, or 960
// for short frames; 0 for any other configuration, which is left to the decoder to tell.
int AacFramesPerPacket(const UInt8* config, std::size_t size);

// What a stream is to the movie layer.
enum class StreamKind { kNone, kSound, kVideo, kText };
// Sound: a decodable audio codec with a rate sound files have (IsSoundRate) and channels;
// video: any video stream but a cover picture; text: subtitles. Everything else is no track.
StreamKind KindOfStream(const AVStream* stream);
// An audio stream whose rate no sound file really has (kind kNone for that reason).
bool HasRefusedRate(const AVStream* stream);

// What a file is, in the terms of the importer calls.
struct FileSummary {
  bool readable = false;    // FFmpeg opened it
  bool stillImage = false;  // a single picture (a graphics importer's business)
  bool hasSound = false;
  bool hasVideo = false;
  bool hasText = false;
  OSType container = 0;  // the container's four-character code
};
FileSummary SummariseFile(const Demuxer& demuxer);
// The summary of the file behind a source, opening it only when it was not summarised as it is
// now under that name: a dialog listing a folder asks of every file, more than once, and again
// whenever it lists the folder anew.
FileSummary SummariseSource(const std::shared_ptr<ByteSource>& source, const std::string& nameHint);
// Summaries kept for files are forgotten (with the kept lengths).
void ForgetFileSummaries();
// How many files FFmpeg was asked to open since the start, and of those, how many had their
// streams decoded to learn them.
UInt64 CountedDemuxerOpens();
UInt64 CountedStreamInfoReads();

}  // namespace quicktime
}  // namespace sp_platform
