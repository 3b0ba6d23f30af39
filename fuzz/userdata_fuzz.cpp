// Movie user data and the MP4 'meta' item: the bytes as the last atoms of a movie's 'moov'
// atom (a 'udta' atom as the Movie Toolbox writes one, or anything else), in a small movie
// file of one sound track. The movie is opened, its user data read into a tag record as the
// program reads the tags of a movie the user adds, and the record's texts read out and drawn
// as an ID3 tag, as saving a track with its tags does.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "Files.h"
#include "FuzzProgramHome.h"
#include "MacMemory.h"
#include "Movies.h"
#include "SpQTInterface.h"
#include "SpQTMusicInfo.h"

namespace {

// An atom around what `fill` writes.
template <typename Fill>
void Atom(sp::ByteWriter& w, OSType type, Fill fill) {
  const std::size_t start = w.Size();
  w.BE32(0);
  w.FourCC(type);
  fill();
  w.PatchBE32(start, UInt32(w.Size() - start));
}

void Matrix(sp::ByteWriter& w) {
  const UInt32 identity[9] = {0x10000, 0, 0, 0, 0x10000, 0, 0, 0, 0x40000000};
  for (UInt32 v : identity) w.BE32(v);
}

// A QuickTime movie of one 16-bit stereo sound track with one sample, its sample data first
// and its 'moov' atom last, ending with the input.
std::vector<UInt8> MovieEndingWith(const uint8_t* tail, std::size_t tailSize) {
  sp::ByteWriter w;
  Atom(w, SpFourCC("ftyp"), [&] {
    w.FourCC(SpFourCC("qt  "));
    w.BE32(0);
    w.FourCC(SpFourCC("qt  "));
  });
  const std::size_t sampleOffset = w.Size() + 8;
  Atom(w, SpFourCC("mdat"), [&] { w.Zeros(4); });
  Atom(w, SpFourCC("moov"), [&] {
    Atom(w, SpFourCC("mvhd"), [&] {
      w.BE32(0);    // version and flags
      w.Zeros(8);   // creation and modification times
      w.BE32(600);  // time scale
      w.BE32(1);    // duration
      w.BE32(0x10000);
      w.BE16(0x100);
      w.Zeros(10);
      Matrix(w);
      w.Zeros(24);
      w.BE32(2);  // next track id
    });
    Atom(w, SpFourCC("trak"), [&] {
      Atom(w, SpFourCC("tkhd"), [&] {
        w.BE32(3);  // enabled, in the movie
        w.Zeros(8);
        w.BE32(1);  // track id
        w.BE32(0);
        w.BE32(1);  // duration
        w.Zeros(8);
        w.BE16(0);
        w.BE16(0);
        w.BE16(0x100);
        w.BE16(0);
        Matrix(w);
        w.BE32(0);
        w.BE32(0);
      });
      Atom(w, SpFourCC("mdia"), [&] {
        Atom(w, SpFourCC("mdhd"), [&] {
          w.BE32(0);
          w.Zeros(8);
          w.BE32(44100);
          w.BE32(1);
          w.BE16(0);
          w.BE16(0);
        });
        Atom(w, SpFourCC("hdlr"), [&] {
          w.BE32(0);
          w.FourCC(SpFourCC("mhlr"));
          w.FourCC(SpFourCC("soun"));
          w.Zeros(12);
          w.U8(0);
        });
        Atom(w, SpFourCC("minf"), [&] {
          Atom(w, SpFourCC("smhd"), [&] { w.Zeros(8); });
          Atom(w, SpFourCC("dinf"), [&] {
            Atom(w, SpFourCC("dref"), [&] {
              w.BE32(0);
              w.BE32(1);
              Atom(w, SpFourCC("alis"), [&] { w.BE32(1); });  // the data is in this file
            });
          });
          Atom(w, SpFourCC("stbl"), [&] {
            Atom(w, SpFourCC("stsd"), [&] {
              w.BE32(0);
              w.BE32(1);
              Atom(w, SpFourCC("twos"), [&] {
                w.Zeros(6);
                w.BE16(1);  // data reference index
                w.BE16(0);  // version
                w.BE16(0);
                w.BE32(0);
                w.BE16(2);   // channels
                w.BE16(16);  // bits
                w.BE16(0);
                w.BE16(0);
                w.BE32(44100u << 16);
              });
            });
            Atom(w, SpFourCC("stts"), [&] {
              w.BE32(0);
              w.BE32(1);
              w.BE32(1);
              w.BE32(1);
            });
            Atom(w, SpFourCC("stsc"), [&] {
              w.BE32(0);
              w.BE32(1);
              w.BE32(1);
              w.BE32(1);
              w.BE32(1);
            });
            Atom(w, SpFourCC("stsz"), [&] {
              w.BE32(0);
              w.BE32(4);
              w.BE32(1);
            });
            Atom(w, SpFourCC("stco"), [&] {
              w.BE32(0);
              w.BE32(1);
              w.BE32(UInt32(sampleOffset));
            });
          });
        });
      });
    });
    w.Bytes(tail, tailSize);
  });
  return std::move(w.Data());
}

void ReadOut(cSp_MusicFileMusicInfoDataObj& record) {
  char text[256];
  unsigned char cut = 0;
  record.GetMusicTitle(text, sizeof text, &cut);
  record.GetAlbumTitle(text, sizeof text, &cut);
  record.GetArtistName(text, sizeof text, &cut);
  record.GetGenreString(text, sizeof text, &cut);
  short track = 0, count = 0;
  record.GetTrackNo(&track, &count);
  UInt32 length = 0, blockSize = 0;
  char* block = nullptr;
  if (record.GetID3TagDrawedMemory(1, &length, &block, &blockSize) == noErr) DisposePtr(block);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const bool entered = EnterMovies() == noErr;
  if (!entered) return 0;
  // 'moov' holds at most 4 GB less its header in this form.
  if (size > 0xFFFF0000u) return 0;
  const std::vector<UInt8> file = MovieEndingWith(data, size);
  SInt16 vRefNum = 0;
  SInt32 dirID = 0;
  if (!sp_fuzz::WritePreferencesFile("input.mov", file.data(), file.size(), vRefNum, dirID))
    return 0;

  static const unsigned char kName[] = "\x09input.mov";
  FSSpec spec{};
  if (FSMakeFSSpec(vRefNum, dirID, kName, &spec) != noErr) return 0;
  SInt16 refNum = 0;
  if (OpenMovieFile(&spec, &refNum, fsRdPerm) != noErr) return 0;
  Movie movie = nullptr;
  const OSErr opened = NewMovieFromFile(&movie, refNum, nullptr, nullptr, 0, nullptr);
  CloseMovieFile(refNum);
  if (opened != noErr) return 0;

  cSp_MusicFileMusicInfoDataObj* record = nullptr;
  SpQTI_LoadQuickTimeUserDataAndSetupMusicInfo(movie, nullptr, record);
  if (record != nullptr) ReadOut(*record);
  delete record;
  DisposeMovie(movie);
  return 0;
}
