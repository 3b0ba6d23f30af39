// Movie Toolbox: sound files and movies opened as movies, their tracks, media, sample
// descriptions, samples and user data.
//
// Any file the system's FFmpeg can demultiplex opens as a movie (AIFF, AIFF-C, WAVE, MP3,
// MPEG-4 audio and QuickTime movies, FLAC, Ogg, ...): one track per audio, video or text
// stream of the file, in the file's order (cover pictures are no tracks). A movie reads its
// file while it lives; playing is in MoviePlayback.h.
//
// Sound media. The media's time scale is its sample rate. Linear formats ('twos', 'sowt',
// 'in24', 'fl32', ...) and formats of fixed packets ('ulaw', 'alaw', 'ima4', ...) count one
// media sample per sample frame; formats of varying packets ('.mp3', 'mp4a', 'alac', 'flac',
// ...; compression id variableCompression) count one media sample per packet, whose duration
// is the packet's frame count. GetMediaSample hands out the samples as the file holds them:
// linear PCM in its own byte order, compressed packets as they are (the decompression
// parameters are the sample description's 'wave' extension).
//
// A media's length is what the file presents, as ffprobe reads it:
// - a file of linear or fixed-packet sound cut short (an AIFF whose header claims more than
//   it holds) has the whole frames it holds;
// - sound of varying packets leaves out the encoder's delay at its start and the padding of
//   its last packet (an MPEG-4 edit list, an MP3 encoder tag, an Ogg stream's granules).
//   Its packets' times still count every frame they hold, so the last packets may lie at or
//   past the media's duration: reading ends with invalidTime only past the last packet. The
//   'wave' extension tells the converter how many decoded frames to drop and to present.
//
// Every call sets the error GetMoviesError answers (noErr on success). Movies, tracks and
// media are checked where they enter: a null or disposed one answers the call's error
// (invalidMovie, invalidTrack, invalidMedia) and zero values.
#pragma once

#include "Aliases.h"
#include "Components.h"
#include "MacTypes.h"
#include "Sound.h"
#include "UserData.h"

typedef struct MovieRecord* Movie;
typedef struct TrackRecord* Track;
typedef struct MediaRecord* Media;
typedef SInt32 TimeValue;
typedef SInt32 TimeScale;
typedef SInt64 TimeValue64;
typedef ComponentInstance MovieImportComponent;

// Movie Toolbox result codes.
enum : OSErr {
  couldNotResolveDataRef = -2000,
  cantFindHandler = -2003,
  noMediaHandler = -2006,
  invalidMedia = -2008,
  invalidTrack = -2009,
  invalidMovie = -2010,
  invalidDataRef = -2012,
  invalidTime = -2015,
  maxSizeToGrowTooSmall = -2027,
  badTrackIndex = -2028,
  noMovieFound = -2048,
  cannotFindAtomErr = -2101,
};

// Media types, characteristics and handler types.
enum : OSType {
  SoundMediaType = SpFourCC("soun"),
  VideoMediaType = SpFourCC("vide"),
  TextMediaType = SpFourCC("text"),
  MusicMediaType = SpFourCC("musi"),
  AudioMediaCharacteristic = SpFourCC("ears"),
  VisualMediaCharacteristic = SpFourCC("eyes"),
  rAliasType = SpFourCC("alis"),
  MovieFileType = SpFourCC("MooV"),
  MovieImportType = SpFourCC("eat "),
};

// newMovieFlags.
enum : SInt16 {
  newMovieActive = 1 << 0,
  newMovieDontResolveDataRefs = 1 << 1,
  newMovieDontAskUnresolvedDataRefs = 1 << 2,
  newMovieDontAutoAlternates = 1 << 3,
};
// The resource id NewMovieFromFile gives for a movie kept in the file's data.
enum : SInt16 { movieInDataForkResID = -1 };

// GetMovieIndTrackType flags: trackType is a media type or a characteristic; only enabled
// tracks count.
enum : SInt32 {
  movieTrackMediaType = 1 << 0,
  movieTrackCharacteristic = 1 << 1,
  movieTrackEnabledOnly = 1 << 2,
};

// CanQuickTimeOpenFile flags.
enum : UInt32 {
  kQTDontUseDataToFindImporter = 1 << 0,
  kQTDontLookForMovieImporterIfGraphicsImporterFound = 1 << 1,
  kQTAllowOpeningStillImagesAsMovies = 1 << 2,
  kQTAllowImportersThatWouldCreateNewFile = 1 << 3,
  kQTAllowAggressiveImporters = 1 << 4,
};

// Importer component flags: the component's manufacturer field is its destination media
// type unless this flag says to ask MovieImportGetDestinationMediaType.
enum : UInt32 {
  movieImportMustGetDestinationMediaType = 1 << 16,
};

// Movie properties (QTGetMovieProperty).
typedef OSType QTPropertyClass;
typedef OSType QTPropertyID;
typedef void* QTPropertyValuePtr;
enum : OSType {
  kQTPropertyClass_DRM = SpFourCC("drm "),
  kQTDRMPropertyID_IsProtected = SpFourCC("prot"),
};
enum : OSStatus {
  kQTPropertyNotSupportedErr = -2195,
  kQTPropertyBadValueSizeErr = -2196,
};

// Sample descriptions. The handle holds the record in the host's byte order, followed by its
// extension atoms (big-endian, as in a file) up to descSize.
struct SampleDescription {
  SInt32 descSize;
  OSType dataFormat;
  SInt32 resvd1;
  SInt16 resvd2;
  SInt16 dataRefIndex;
};
typedef SampleDescription* SampleDescriptionPtr;
typedef SampleDescription** SampleDescriptionHandle;

struct SoundDescription {
  SInt32 descSize;
  OSType dataFormat;
  SInt32 resvd1;
  SInt16 resvd2;
  SInt16 dataRefIndex;
  SInt16 version;
  SInt16 revlevel;
  SInt32 vendor;
  SInt16 numChannels;
  SInt16 sampleSize;
  SInt16 compressionID;
  SInt16 packetSize;
  UnsignedFixed sampleRate;
};
typedef SoundDescription* SoundDescriptionPtr;
typedef SoundDescription** SoundDescriptionHandle;

// Version 1 adds how the format packs its samples (as in CompressionInfo, Sound.h).
struct SoundDescriptionV1 {
  SoundDescription desc;
  UInt32 samplesPerPacket;
  UInt32 bytesPerPacket;
  UInt32 bytesPerFrame;
  UInt32 bytesPerSample;
};
typedef SoundDescriptionV1* SoundDescriptionV1Ptr;
typedef SoundDescriptionV1** SoundDescriptionV1Handle;

static_assert(sizeof(SampleDescription) == 16, "sample description fields are packed");
static_assert(sizeof(SoundDescription) == 36, "sound description fields are packed");
static_assert(sizeof(SoundDescriptionV1) == 52, "sound description fields are packed");

// ---- Start and errors ------------------------------------------------------------------------

// Starts the toolbox: FFmpeg's messages are silenced (set SP_FFMPEG_LOG to see its warnings
// on standard error). The other calls work also before it; calling it again does no harm.
OSErr EnterMovies();
void ExitMovies();
// The result of the last Movie Toolbox call.
OSErr GetMoviesError();
// Services the playing movies (`theMovie`, or every live movie when it is null): their time
// moves on and their video draws the frame it reached (MoviePlayback.h).
void MoviesTask(Movie theMovie, SInt32 maxMilliSecToUse);

// ---- Movie files -----------------------------------------------------------------------------

// Opens the file for NewMovieFromFile and gives a movie file reference number (positive;
// its own numbering, not the File Manager's). fsRdPerm (or fsCurPerm) reads; a write
// permission is refused with permErr (movies are written through CreateMovieFile). The File
// Manager's error for a bad location (fnfErr for a missing file), notAFileErr for a folder;
// paramErr for a null argument. rfNumErr from CloseMovieFile for an unknown number.
OSErr OpenMovieFile(const FSSpec* fileSpec, SInt16* resRefNum, SInt8 permission);
// Also ends the writing of a file made by CreateMovieFile (what AddMovieResource did not
// complete stays as it is: a file without its movie).
OSErr CloseMovieFile(SInt16 resRefNum);

// The movie of an open movie file. `resId` (may be null) is taken as 0 (the first movie)
// and gives back movieInDataForkResID; `resName` and `dataRefWasChanged` (may be null) get
// an empty name and false; a resource id above 0 answers resNotFound (the file holds no
// movie resources). noMovieFound when FFmpeg cannot read the file or finds no audio, video
// or text stream in it; rfNumErr for an unknown reference number; paramErr for a null
// output.
OSErr NewMovieFromFile(Movie* theMovie, SInt16 resRefNum, SInt16* resId, StringPtr resName,
                       SInt16 newMovieFlags, Boolean* dataRefWasChanged);
// The movie of a file opened with the File Manager (FSpOpenDF), read through that reference
// number from `fileOffset` on; the file must stay open while the movie lives.
OSErr NewMovieFromDataFork(Movie* theMovie, SInt16 fRefNum, SInt32 fileOffset, SInt16 newMovieFlags,
                           Boolean* dataRefWasChanged);
// The movie of the file an 'alis' data reference (an alias, Aliases.h) designates. `id`
// (may be null) gives back movieInDataForkResID. invalidDataRef for another type or a
// damaged alias; couldNotResolveDataRef when its file is gone.
OSErr NewMovieFromDataRef(Movie* theMovie, SInt16 flags, SInt16* id, Handle dataRef,
                          OSType dataRefType);
// Disposes the movie with its tracks, media and user data (a null movie is ignored).
void DisposeMovie(Movie theMovie);

// ---- Movies ----------------------------------------------------------------------------------

// The movie's time scale (600 unless the file's movie header gives one) and duration in it.
TimeScale GetMovieTimeScale(Movie theMovie);
TimeValue GetMovieDuration(Movie theMovie);
SInt32 GetMovieTrackCount(Movie theMovie);
// The index-th track (from 1); null with badTrackIndex past the last.
Track GetMovieIndTrack(Movie theMovie, SInt32 index);
// The index-th track (from 1) among those of that media type (movieTrackMediaType) or that
// characteristic (movieTrackCharacteristic: AudioMediaCharacteristic for sound tracks,
// VisualMediaCharacteristic for video), enabled ones only with movieTrackEnabledOnly. Null
// when there is none.
Track GetMovieIndTrackType(Movie theMovie, SInt32 index, OSType trackType, SInt32 flags);
// The movie's user data (owned by the movie). Null for a null or disposed movie.
UserData GetMovieUserData(Movie theMovie);

// Movie properties: kQTPropertyClass_DRM / kQTDRMPropertyID_IsProtected gives a Boolean, true
// when the file's sound or video is encrypted (protected sample entries 'drms', 'drmi',
// 'enca', 'encv', a 'sinf' scheme, or FFmpeg's report of encryption).
// kQTPropertyNotSupportedErr for any other property; kQTPropertyBadValueSizeErr when the
// value does not fit in propValueSize bytes. `propValueSizeUsed` may be null.
OSErr QTGetMovieProperty(Movie theMovie, QTPropertyClass propClass, QTPropertyID propID,
                         ByteCount propValueSize, QTPropertyValuePtr propValueAddress,
                         ByteCount* propValueSizeUsed);

// ---- Tracks ----------------------------------------------------------------------------------

Media GetTrackMedia(Track theTrack);
Movie GetTrackMovie(Track theTrack);
// Tracks are enabled as the file says (a movie's track header), else enabled.
Boolean GetTrackEnabled(Track theTrack);
void SetTrackEnabled(Track theTrack, Boolean isEnabled);
// In the movie's time scale.
TimeValue GetTrackDuration(Track theTrack);

// ---- Media -----------------------------------------------------------------------------------

Track GetMediaTrack(Media theMedia);
// The media type ('soun', 'vide', 'text'), a handler name and manufacturer 0. Every output
// may be null.
void GetMediaHandlerDescription(Media theMedia, OSType* mediaType, Str255 creatorName,
                                OSType* creatorManufacturer);
// Sound media: the sample rate (rounded to an integer). Others: 600.
TimeScale GetMediaTimeScale(Media theMedia);
// In the media's time scale.
TimeValue GetMediaDuration(Media theMedia);
// Media samples: sample frames for linear and fixed-packet sound, packets for sound of
// varying packets, frames of video when the file says how many.
SInt32 GetMediaSampleCount(Media theMedia);
// GetMediaSampleCount's answer when it is known without reading more of the file than the
// media's length needs; -1 when the samples would have to be counted first (an Ogg stream's
// packets: every page header is walked, once for the file, and kept after).
SInt32 SpGetMediaSampleCountIfKnown(Media theMedia);

// The description of the media's samples into `descH` (resized). Index 1 is the only one.
// Sound media give a SoundDescriptionV1 (version 1): format, channels, sample size, rate as
// 16.16 (0 for rates of 65,536 Hz and above, which 16.16 cannot hold: the media's time scale
// has them, and so does the 'wave' extension), compression id, and samplesPerPacket (never 0;
// for formats whose packets have no set length, the first packet's frames), bytesPerPacket,
// bytesPerFrame, bytesPerSample (the sizes of a varying format are 0), followed by a 'wave'
// extension when a decoder needs more than the description: an MPEG-4 'esds', an ALAC
// cookie, the little-endian flag 'enda' of linear formats stored little-endian under a
// big-endian code, FFmpeg's set-up bytes of the codec ('cset'), and for varying formats and
// rates of 65,536 Hz and above the stream's parameters ('strp': rate in hertz, block size,
// the encoder's delay and the frames presented). Other media give a SampleDescription with
// their codec's four-character code.
// paramErr for another index or a null handle.
void GetMediaSampleDescription(Media theMedia, SInt32 index, SampleDescriptionHandle descH);

// The extension atom of type `idType` of a sound description ('wave'; also an atom inside
// the 'wave' atom, such as 'esds' or 'frma'), as a new handle holding the whole atom (size,
// type, contents). cannotFindAtomErr when there is none; paramErr for null arguments or a
// description whose size does not match its handle.
OSErr GetSoundDescriptionExtension(SoundDescriptionHandle desc, Handle* extension, OSType idType);

// Adds an extension atom of type `idType` to a sound description (resizing the handle and
// its descSize): `extension` holds either the whole atom (size, type, contents, as
// GetSoundDescriptionExtension and the converter's siDecompressionParams give it) or only
// its contents. An extension of that type already there is replaced. paramErr for null
// arguments or a description whose size does not match its handle; memFullErr.
OSErr AddSoundDescriptionExtension(SoundDescriptionHandle desc, Handle extension, OSType idType);

// Reads a group of samples starting at `time` (media time) into `dataOut` (resized to the
// group; may be null to learn sizes and times only):
// - linear and fixed-packet sound: consecutive whole packets (for linear formats one frame is
//   one packet) from the one holding `time`, as many as fit in maxSizeToGrow bytes and as
//   maxNumberOfSamples allows (0: no limit of that kind), up to the end of the stored chunk
//   when maxSizeToGrow is 0; durationPerSample is 1 and numberOfSamples counts frames;
// - varying-packet sound: the one packet holding `time`; numberOfSamples is 1 and
//   durationPerSample the packet's frame count.
// `sampleTime` gives the time of the group's first sample; the next group starts at
// sampleTime + durationPerSample x numberOfSamples. maxSizeToGrowTooSmall (-2027) when
// maxSizeToGrow (above 0) cannot hold one packet; invalidTime (-2015) for a time before 0 or
// at or past the media's end (varying packets: past the last packet, see above);
// memFullErr when the handle cannot grow;
// noMediaHandler for media other than sound; ioErr
// when the file cannot be read. A group is never empty. The description outputs give the
// media's description and index 1; `sampleFlags` gives 0. Every output may be null.
OSErr GetMediaSample(Media theMedia, Handle dataOut, SInt32 maxSizeToGrow, SInt32* size,
                     TimeValue time, TimeValue* sampleTime, TimeValue* durationPerSample,
                     SampleDescriptionHandle sampleDescriptionH, SInt32* sampleDescriptionIndex,
                     SInt32 maxNumberOfSamples, SInt32* numberOfSamples, SInt16* sampleFlags);

// ---- Files as movies ----------------------------------------------------------------------

// Whether the file can be opened as a movie (FFmpeg reads it and finds an audio, video or
// text stream) or with a graphics importer (a still image). With
// kQTDontLookForMovieImporterIfGraphicsImporterFound a still image does not count as a
// movie. `fileType` and `fileNameExtension` are not needed (the file's contents decide).
// Every output may be null. paramErr for a null FSSpec; the File Manager's
// error when the file cannot be found.
OSErr CanQuickTimeOpenFile(const FSSpec* fileSpec, OSType fileType, OSType fileNameExtension,
                           Boolean* outCanOpenWithGraphicsImporter, Boolean* outCanOpenAsMovie,
                           Boolean* outPreferGraphicsImporter, UInt32 inFlags);

// The importer for the file an 'alis' data reference designates: a component of type
// 'eat ', the container's four-character code as subtype ('AIFF', 'WAVE', 'MP3 ', 'mpg4',
// 'MooV', ...), and as manufacturer the media type the file gives: 'soun' when it holds a
// sound stream, else 'vide' or 'text'. The component's flags are 0, so the manufacturer
// field is the answer. cantFindHandler when FFmpeg cannot read the file or it holds no
// stream of those kinds (a still image included); invalidDataRef for another type or a
// damaged alias; couldNotResolveDataRef when the file is gone.
OSErr GetMovieImporterForDataRef(OSType dataRefType, Handle dataRef, SInt32 flags,
                                 Component* importer);
// The destination media type of an importer instance (the same as its manufacturer field).
OSErr MovieImportGetDestinationMediaType(MovieImportComponent ci, OSType* mediaType);

// ---- Writing movies ----------------------------------------------------------------------------
//
// A new movie file holds, in order: 'ftyp' ('qt  '), a 'wide' atom, the 'mdat' atom and,
// once AddMovieResource has run, the 'moov' atom. Samples go into 'mdat' as they are added
// (through a small write-behind buffer): nothing holds the movie's sound in memory, only its
// sample tables. 'mdat' grows past 4 GiB by taking the 'wide' atom's place for a 64-bit size,
// and chunk offsets past 4 GiB are written as 'co64'. Only sound media can be written: one
// sample description per distinct description added, written as version 0, 1 or 2 as the
// description's own version says (version 2 also for rates of 65,536 Hz and above, which the
// 16.16 rate field cannot hold), with its extensions. Every written description finds its
// samples through data reference 1, the movie's own file. An encoder's delay told by the
// 'wave' extension's stream parameters is skipped by the track's edit list; the parameters
// themselves stay out of the file.

// CreateMovieFile flags.
enum : SInt32 {
  createMovieFileDeleteCurFile = SInt32(0x80000000u),
  createMovieFileDontCreateMovie = 0x40000000,
  createMovieFileDontOpenFile = 0x20000000,
  createMovieFileDontCreateResFile = 0x10000000,
};
// More Movie Toolbox result codes of writing.
enum : OSErr {
  notAllowedToSaveMovieErr = -2126,
  mediaTypesDontMatch = -2017,
  editingNotAllowed = -2019,
};

// Creates the file (type 'MooV', the creator given) and opens it for writing: its movie file
// reference number in *resRefNum and a new empty movie in *newmovie (none with
// createMovieFileDontCreateMovie; each output may then be null). An existing file is
// replaced only with createMovieFileDeleteCurFile, else dupFNErr. There is never a resource
// fork (createMovieFileDontCreateResFile changes nothing); createMovieFileDontOpenFile only
// creates the file. The File Manager's errors; paramErr for a null FSSpec.
OSErr CreateMovieFile(const FSSpec* fileSpec, OSType creator, ScriptCode scriptTag,
                      SInt32 createMovieFileFlags, SInt16* resRefNum, Movie* newmovie);
// A new enabled track of the movie (width and height 16.16, volume 8.8: 0x0100 is full).
// Null with invalidMovie for a movie that is not being written.
Track NewMovieTrack(Movie theMovie, Fixed width, Fixed height, SInt16 trackVolume);
// The track's media: sound ('soun') only, noMediaHandler for other types; time scale above
// 0 (paramErr otherwise). The samples live in the movie's own file: `dataRef` must be null.
Media NewTrackMedia(Track theTrack, OSType mediaType, TimeScale timeScale, Handle dataRef,
                    OSType dataRefType);
// Samples can be added between these two calls (editingNotAllowed otherwise).
OSErr BeginMediaEdits(Media theMedia);
OSErr EndMediaEdits(Media theMedia);
// Adds `numberOfSamples` samples of `durationPerSample` each, the `size` bytes at
// (*dataIn + inOffset) (a handle, or the address of a pointer), described by
// `sampleDescriptionH` (a SoundDescription record of version 0, 1 or 2 in the host's order
// and its extensions, as GetMediaSampleDescription gives it). Linear sound counts a sample
// per frame; sound of fixed packets (compression id fixedCompression) a sample per frame of
// its packets; sound of varying packets a sample per packet. *sampleTime (may be null) gets
// the media time of the first. paramErr for sizes that do not divide into the samples, a
// null handle or description; the File Manager's error when the file cannot take them
// (dskFulErr, ...): the samples are then not added.
OSErr AddMediaSample(Media theMedia, Handle dataIn, SInt32 inOffset, UInt32 size,
                     TimeValue durationPerSample, SampleDescriptionHandle sampleDescriptionH,
                     SInt32 numberOfSamples, SInt16 sampleFlags, TimeValue* sampleTime);
typedef UInt32 MediaSampleFlags;
// The same from a pointer, with 64-bit times (the display offset must be 0: sound).
OSErr AddMediaSample2(Media theMedia, const UInt8* dataIn, ByteCount size,
                      TimeValue64 decodeDurationPerSample, TimeValue64 displayOffset,
                      SampleDescriptionHandle sampleDescriptionH, ItemCount numberOfSamples,
                      MediaSampleFlags sampleFlags, TimeValue64* sampleDecodeTimeOut);
// Puts the media's time range [mediaTime, mediaTime + mediaDuration) into the track at
// trackStart (in the movie's time scale; a gap before it stays empty), played at mediaRate
// (16.16; only 1.0). paramErr for a range outside the media.
OSErr InsertMediaIntoTrack(Track theTrack, TimeValue trackStart, TimeValue mediaTime,
                           TimeValue mediaDuration, Fixed mediaRate);
// Writes the movie ('moov': header, tracks with their sample tables, user data with the
// MP4 'meta' item among its items) after the samples, completes 'mdat' and flushes the file.
// `resId` (may be null) gives back movieInDataForkResID; `resName` is not used. Once per
// file (dupFNErr after); the File Manager's error when the file cannot take it.
OSErr AddMovieResource(Movie theMovie, SInt16 resRefNum, SInt16* resId, ConstStr255Param resName);
