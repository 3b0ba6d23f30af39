// Lengths of AAC and ALAC sound in MPEG-4 and QuickTime movies (see StatedLength.h): from the
// demultiplexer's sample index, or from every packet read, none decoded.

extern "C" {
#include <libavformat/avformat.h>
}

#include <algorithm>
#include <climits>
#include <vector>

#include "quicktime/detail/MediaReader.h"
#include "quicktime/detail/MovieData.h"
#include "quicktime/detail/StatedLength.h"

namespace sp_platform {
namespace quicktime {
namespace {

// The frames AAC and ALAC packets present, counted without decoding them: the AAC decoder
// gives the codec's frames for every packet (each packet but the last must state as many, else
// the stream is counted by decoding); the ALAC decoder gives the frames the sample table states
// for each. The trimming FFmpeg asks for is applied to those as PresentedCount applies it to
// decoded frames, and a movie's edit list's end as Scan applies it.
class UndecodedCount {
 public:
  UndecodedCount(bool aac, bool movie) : aac_(aac), movie_(movie) {}

  // The next packet, stating `stated` frames (`timed`: by its duration, not a guess from the
  // codec); false when the count cannot be exact.
  bool Add(SInt64 stated, bool timed, const PacketTrim& trim) {
    // The packet before this one was not the last: it must have stated the codec's frames.
    if (aac_ && (trim.codecFrames <= 0 || (packets_ > 0 && lastStated_ != trim.codecFrames)))
      return false;
    // ALAC packets vary up to the codec's most: a packet without a duration (those of a
    // fragmented file) says nothing of its own.
    if (!aac_ && !timed) return false;
    // More than a media time holds: a damaged table, whose sums would overflow.
    if (stated > INT32_MAX) return false;
    const SInt64 n = aac_ ? trim.codecFrames : stated;
    lastKept_ = trimming_.Take(n, UInt32(trim.skip), trim.discard, trim.dropped);
    lastStated_ = stated;
    most_ = std::max(most_, n);
    ++packets_;
    return true;
  }

  bool Finish(StatedLength& out) const {
    if (packets_ == 0) return false;
    SInt64 presented = trimming_.Presented();
    if (movie_) presented -= std::max<SInt64>(0, lastKept_ - lastStated_);
    out.presented = std::max<SInt64>(0, presented);
    out.priming = trimming_.Priming();
    out.packets = packets_;
    out.mostPacketFrames = UInt32(std::min<SInt64>(most_, INT32_MAX));
    return true;
  }

 private:
  const bool aac_;
  const bool movie_;
  Trimming trimming_;
  SInt64 lastStated_ = 0, lastKept_ = 0, packets_ = 0, most_ = 1;
};

bool CountedWithoutDecoding(const MediaRecord& media) {
  return media.codecID == AV_CODEC_ID_AAC ||
         (IsMovieContainer(media.track->movie->container) && media.codecID == AV_CODEC_ID_ALAC);
}

// The packets of the sample index entry `i` of `n` as the MPEG-4 demultiplexer gives them:
// the entry's place, and a duration up to the next entry's time stamp or, for the last, the
// stream's end. False for an entry that could not give that packet exactly: outside the file,
// empty, or with no duration (FFmpeg guesses one then), times that do not follow each other.
bool IndexedPacket(const AVStream* st, int i, int n, UInt64 fileSize, PacketPlace& place) {
  const AVIndexEntry* e = avformat_index_get_entry(const_cast<AVStream*>(st), i);
  const AVIndexEntry* next =
      i + 1 < n ? avformat_index_get_entry(const_cast<AVStream*>(st), i + 1) : nullptr;
  if (e == nullptr || (i + 1 < n && next == nullptr)) return false;
  const SInt64 end = next != nullptr ? next->timestamp : st->duration;
  if (e->pos < 0 || e->size <= 0 || UInt64(e->size) > fileSize ||
      UInt64(e->pos) > fileSize - UInt64(e->size) || e->timestamp == AV_NOPTS_VALUE ||
      end == AV_NOPTS_VALUE || end <= e->timestamp ||
      __builtin_sub_overflow(end, e->timestamp, &place.duration))
    return false;
  place.pos = e->pos;
  place.size = e->size;
  place.dts = e->timestamp;
  place.dropped = (e->flags & AVINDEX_DISCARD_FRAME) != 0;
  return true;
}

}  // namespace

// AAC and ALAC in MPEG-4 and QuickTime movies, from the demultiplexer's sample index: only the
// first packet is read (it carries what FFmpeg asks to skip at the start, as no later one does)
// and the last, and each must be where and as long as its entry says. After the last the
// stream must end: a fragmented file whose further fragments are read as it is played gives
// more packets there, and one read whole gives its first packet no duration. Anything else
// the index cannot tell exactly is left to reading every packet.
bool SampleIndexLength(MediaRecord& media, StatedLength& out, std::unique_ptr<Demuxer> opened) {
  if (!IsMovieContainer(media.track->movie->container) || !CountedWithoutDecoding(media))
    return false;
  MediaReader reader(media, std::move(opened));
  const AVStream* st = reader.Stream();
  if (st == nullptr) return false;
  const int n = avformat_index_get_entries_count(const_cast<AVStream*>(st));
  // The demultiplexer drops entries past an edit list's end, never adds to the table's.
  if (n <= 0 || st->nb_frames <= 0 || n > st->nb_frames) return false;
  const UInt64 fileSize = media.track->movie->source->Size();
  std::vector<UInt8> data;
  SInt64 stated = 0;
  PacketTrim firstTrim;
  PacketPlace read, indexed;
  if (reader.Next(data, stated, nullptr, &firstTrim, &read) != MediaReader::Status::kPacket ||
      !IndexedPacket(st, 0, n, fileSize, indexed) || !(read == indexed))
    return false;
  UndecodedCount count(media.codecID == AV_CODEC_ID_AAC, true);
  PacketTrim trim;
  trim.codecFrames = firstTrim.codecFrames;
  for (int i = 0; i < n; ++i) {
    if (i > 0) {
      if (!IndexedPacket(st, i, n, fileSize, indexed)) return false;
      trim.dropped = indexed.dropped;
    }
    if (!count.Add(StatedFrames(indexed.duration, st, media),
                   TimedFrames(indexed.duration, st, media) > 0, i == 0 ? firstTrim : trim))
      return false;
  }
  if (n > 1 &&
      (!reader.SeekTo(indexed.dts) ||
       reader.Next(data, stated, nullptr, nullptr, &read) != MediaReader::Status::kPacket ||
       !(read == indexed)))
    return false;
  if (reader.Next(data, stated) != MediaReader::Status::kEnd) return false;
  return count.Finish(out);
}

// AAC in any container, and ALAC in MPEG-4 and QuickTime movies: every packet as FFmpeg reads
// it, none decoded.
bool ReadPacketsLength(MediaRecord& media, StatedLength& out) {
  if (!CountedWithoutDecoding(media)) return false;
  MediaReader reader(media);
  UndecodedCount count(media.codecID == AV_CODEC_ID_AAC,
                       IsMovieContainer(media.track->movie->container));
  std::vector<UInt8> data;
  SInt64 stated = 0;
  PacketTrim trim;
  PacketPlace place;
  MediaReader::Status status;
  while ((status = reader.Next(data, stated, nullptr, &trim, &place)) ==
         MediaReader::Status::kPacket) {
    const bool timed =
        reader.Stream() != nullptr && TimedFrames(place.duration, reader.Stream(), media) > 0;
    if (!count.Add(stated, timed, trim)) return false;
  }
  return status == MediaReader::Status::kEnd && count.Finish(out);
}

}  // namespace quicktime
}  // namespace sp_platform
