// The file catalogue: the bytes as the saved "file-catalogue", and again (past its magic and
// version, where a snapshot's sections look much like a batch's) as one batch of the journal
// that goes with it, read as at the program's start
// (the catalogue is restarted through the test API, so the next look-up reads the file), a
// few items and ids looked up as stored file references and folder ids are, and the
// catalogue saved and dropped again, as at the program's end.
#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "ByteOrder.h"
#include "FailureReports.h"
#include "Files.h"
#include "Fnv1a.h"
#include "Folders.h"
#include "FuzzHome.h"
#include "TestFiles.h"

namespace {

void DropRecord(const char*, const char*, SInt32, const char*) {}

// A Pascal string of the text.
void PascalOf(const char* text, Str255 out) {
  const std::size_t length = std::strlen(text);
  out[0] = UInt8(length);
  std::memcpy(out + 1, text, length);
}

// The catalogue's path, its folders made; empty when the home has none.
std::string CatalogueFile(const std::string& home) {
  std::string path = home;
  for (const char* part : {"/.local", "/share", "/mediamanager"}) {
    path += part;
    mkdir(path.c_str(), 0700);
  }
  return path + "/file-catalogue";
}

// The journal of the snapshot at `file`: its header, then `body` as one batch that passes its
// check, so that what the batch holds is what gets read.
bool WriteJournal(const std::string& file, const uint8_t* body, size_t size) {
  struct stat st {};
  if (stat(file.c_str(), &st) != 0) return false;
  sp::ByteWriter w;
  w.Bytes("SpFJ", 4);
  w.BE16(1);
  w.BE64(UInt64(st.st_ino));
  w.BE64(UInt64(st.st_size));
  w.BE64(UInt64(st.st_mtim.tv_sec));
  w.BE32(UInt32(st.st_mtim.tv_nsec));
  const UInt64 check = sp::Fnv1a64(body, size);
  w.BE32(UInt32(size));
  w.BE64(check);
  w.Bytes(body, size);
  return sp_fuzz::WriteFile(file + ".journal", w.Data().data(), w.Size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string& home = sp_fuzz::Home();
  if (home.empty()) return 0;
  // A long run keeps no record of the files it could not read.
  sp_platform::SetFailureRecorder(DropRecord);
  static const std::string file = CatalogueFile(home);
  // What the look-ups find: a folder and a file in the Documents folder.
  static const bool made = [] {
    const std::string documents = sp_fuzz::Home() + "/Documents";
    mkdir(documents.c_str(), 0700);
    mkdir((documents + "/Album").c_str(), 0700);
    return sp_fuzz::WriteFile(documents + "/One.aiff", nullptr, 0);
  }();
  if (!made || !sp_fuzz::WriteFile(file, data, size)) return 0;
  const size_t skip = size < 6 ? size : 6;
  if (!WriteJournal(file, data + skip, size - skip)) return 0;

  SInt16 vRefNum = 0;
  SInt32 documents = 0;
  if (FindFolder(kOnSystemDisk, kDocumentsFolderType, kDontCreateFolder, &vRefNum, &documents) ==
      noErr) {
    Str255 name;
    // The items' own ids, and ids a damaged file may give to anything.
    SInt32 ids[] = {documents, 0, 0, 100, SInt32(0x80000000u), SInt32(0x80000001u)};
    const char* const items[] = {"One.aiff", "Album"};
    for (int i = 0; i < 2; ++i) {
      PascalOf(items[i], name);
      FSSpec spec{};
      FSRef ref{};
      FSCatalogInfo info{};
      if (FSMakeFSSpec(vRefNum, documents, name, &spec) == noErr &&
          FSpMakeFSRef(&spec, &ref) == noErr &&
          FSGetCatalogInfo(&ref, kFSCatInfoNodeID | kFSCatInfoParentDirID, &info, nullptr, nullptr,
                           nullptr) == noErr) {
        ids[1 + i] = SInt32(info.nodeID);
      }
    }
    PascalOf("One.aiff", name);
    for (SInt32 id : ids) {
      FSSpec spec{};
      FSMakeFSSpec(vRefNum, id, name, &spec);
      HParamBlockRec pb{};
      Str255 found{};
      pb.fidParam.ioNamePtr = found;
      pb.fidParam.ioVRefNum = vRefNum;
      pb.fidParam.ioFileID = id;
      PBResolveFileIDRefSync(&pb);
    }
  }
  sp_testing::RestartFileCatalogue();
  return 0;
}
