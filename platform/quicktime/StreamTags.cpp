// The tags of FLAC and Ogg files as movie user data. Such a file carries its tags as Vorbis
// comments (FLAC's VORBIS_COMMENT block; the comment header of a Vorbis, Opus or FLAC
// stream in Ogg), which FFmpeg reads while it opens the file. A movie importer of these
// files gives them as the movie's text items, and so does this layer: one UTF-8 entry per
// item, marked with the undetermined ISO language. Other files keep the user data of their
// own atoms (movies) or none: their tags are in the file itself (ID3, AIFF chunks).
extern "C" {
#include <libavformat/avformat.h>
#include <libavutil/dict.h>
}

#include <cstring>
#include <string>
#include <vector>

#include "quicktime/detail/Atoms.h"
#include "quicktime/detail/MovieData.h"

namespace sp_platform {
namespace quicktime {
namespace {

// A longer text is cut (at a character's start): tags hold names, and an entry's size field
// has 16 bits.
constexpr std::size_t kMaxTagBytes = 4096;

constexpr OSType kUndeterminedLanguage = 0x7FFF;

struct TagItem {
  OSType type;
  const char* key;  // FFmpeg's name of the comment (looked up ignoring case)
};

constexpr TagItem kTagItems[] = {
    {kUserDataTextFullName, "title"},       {kUserDataTextArtist, "artist"},
    {kUserDataTextAlbum, "album"},          {kUserDataTextComposer, "composer"},
    {kUserDataTextCreationDate, "date"},    {kUserDataTextGenre, "genre"},
    {kUserDataTextComment, "comment"},
};

// The value of the key in the file's comments, else in its first sound stream's.
std::string Comment(const AVFormatContext* ctx, const char* key) {
  const AVDictionaryEntry* e = av_dict_get(ctx->metadata, key, nullptr, 0);
  for (unsigned i = 0; e == nullptr && i < ctx->nb_streams; ++i) {
    if (ctx->streams[i]->codecpar->codec_type != AVMEDIA_TYPE_AUDIO) continue;
    e = av_dict_get(ctx->streams[i]->metadata, key, nullptr, 0);
    break;
  }
  return e != nullptr && e->value != nullptr ? std::string(e->value) : std::string();
}

void AddText(std::vector<UserDataRecord::Item>& items, OSType type, std::string text) {
  if (text.size() > kMaxTagBytes) {
    std::size_t cut = kMaxTagBytes;
    while (cut > 0 && (UInt8(text[cut]) & 0xC0) == 0x80) --cut;
    text.resize(cut);
  }
  if (text.empty()) return;
  TextEntry entry;
  entry.language = PackedISOLanguageOfMacLanguage(kUndeterminedLanguage);
  entry.text.assign(text.begin(), text.end());
  UserDataRecord::Item item;
  item.type = type;
  item.payload = BuildTextEntries({entry});
  items.push_back(std::move(item));
}

}  // namespace

std::vector<UserDataRecord::Item> VorbisCommentUserData(const AVFormatContext* ctx) {
  std::vector<UserDataRecord::Item> items;
  if (ctx == nullptr || ctx->iformat == nullptr) return items;
  const char* format = ctx->iformat->name;
  if (format == nullptr || (std::strcmp(format, "flac") != 0 && std::strcmp(format, "ogg") != 0))
    return items;
  for (const TagItem& t : kTagItems) AddText(items, t.type, Comment(ctx, t.key));
  // "n", or "n/m" with the count of tracks where the file gives it apart; a count without a
  // number stays "/m", the track unknown.
  std::string track = Comment(ctx, "track");
  if (track.find('/') == std::string::npos) {
    std::string total = Comment(ctx, "tracktotal");
    if (total.empty()) total = Comment(ctx, "totaltracks");
    if (!total.empty()) track += "/" + total;
  }
  AddText(items, kUserDataTextTrack, track);
  return items;
}

}  // namespace quicktime
}  // namespace sp_platform
