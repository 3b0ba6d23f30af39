// Saving tests: programs saved through the step timers into the Documents folder, their end
// callbacks recorded, and the independent tools (ffprobe, sox, mutagen, exiftool) that judge
// the files.
#pragma once

#include <dirent.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ByteOrder.h"
#include "LoaderFixture.h"
#include "SpCDROMPlayTrackNormal.h"
#include "SpCDROMSaveSoundData.h"
#include "SpStdFileFunction.h"
#include "TestEvents.h"
#include "TestQuickTime.h"

namespace engine_test {

struct SaveEnd {
  cSp_CDRProgramBaseObj* program;
  unsigned char stopped;
};

inline std::vector<SaveEnd>& SaveEnds() {
  static std::vector<SaveEnd> ends;
  return ends;
}

inline void RecordSaveEnd(cSp_CDRProgramBaseObj* program, unsigned char stopped, unsigned long) {
  SaveEnds().push_back({program, stopped});
}

// Which step timer carries a save.
enum class Road { kPlain, kMovie, kAIFFC };

inline std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

inline std::vector<std::string> FolderNames(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* d = opendir(path.c_str())) {
    while (dirent* e = readdir(d)) {
      const std::string name = e->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// What a tool printed, without the line end.
inline std::string Tool(const std::vector<std::string>& argv, bool withErrors = false) {
  std::string out;
  sp_testing::RunProgram(argv, out, withErrors);
  while (!out.empty() && (out.back() == '\n' || out.back() == '\r')) out.pop_back();
  return out;
}

inline std::string ProbeEntry(const std::string& path, const std::string& entry) {
  return Tool({"ffprobe", "-v", "error", "-select_streams", "a:0", "-show_entries", entry, "-of",
               "default=nw=1:nk=1", path});
}

// The tags mutagen reads, one "key=value" a line (ID3 frames by id, MP4 atoms by name).
inline std::string MutagenTags(const std::string& path) {
  const char* script =
      "import sys, mutagen\n"
      "f = mutagen.File(sys.argv[1])\n"
      "tags = f.tags if f is not None else None\n"
      "if tags is not None:\n"
      "  for k in sorted(tags.keys()):\n"
      "    v = tags[k]\n"
      "    t = v.text if hasattr(v, 'text') else v\n"
      "    t = t if isinstance(t, list) else [t]\n"
      "    print(k + '=' + '/'.join(str(x) for x in t))\n";
  return Tool({"/usr/bin/python3", "-c", script, path});
}

// An AIFF file of these 16-bit samples (interleaved) at 44.1 kHz.
inline void WriteAiff(const std::string& path, UInt16 channels,
                      const std::vector<SInt16>& samples) {
  sp::ByteWriter w;
  const UInt32 bytes = UInt32(samples.size() * 2);
  w.FourCC(SpFourCC("FORM"));
  w.BE32(46 + bytes);
  w.FourCC(SpFourCC("AIFF"));
  w.FourCC(SpFourCC("COMM"));
  w.BE32(18);
  w.BE16(channels);
  w.BE32(UInt32(samples.size() / channels));
  w.BE16(16);
  w.Extended80(44100.0);
  w.FourCC(SpFourCC("SSND"));
  w.BE32(bytes + 8);
  w.BE32(0);
  w.BE32(0);
  for (SInt16 v : samples) w.BE16(UInt16(v));
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(w.Data().data()), std::streamsize(w.Size()));
}

inline std::vector<SInt16> LittleEndianSamples(const std::string& bytes) {
  std::vector<SInt16> out(bytes.size() / 2);
  for (std::size_t i = 0; i < out.size(); ++i) out[i] = SInt16(sp::LoadLE16(bytes.data() + 2 * i));
  return out;
}

inline bool HaveTool(const char* name) {
  return std::system((std::string("command -v ") + name + " >/dev/null 2>&1").c_str()) == 0;
}

class SaveTest : public LoaderTest {
 protected:
  void SetUp() override {
    LoaderTest::SetUp();
    SaveEnds().clear();
    ASSERT_EQ(Sp_GetFSRefFromDirectoryPositionInfo(vRefNum_, dirID_, &folder_), noErr);
  }
  void TearDown() override {
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
    LoaderTest::TearDown();
  }

  // A program of these files set up for saving (end callback recorded).
  cSp_CDRProgramBaseObj* SaveProgram(const std::vector<std::string>& names) {
    cSp_CDRProgramBaseObj* p = FileProgram(names);
    Prepare(p);
    return p;
  }
  static void Prepare(cSp_CDRProgramBaseObj* p) {
    p->SetupSaveFileEndProcCB(RecordSaveEnd, 0);
    if (p->GetItemCount() == 1) p->SetupFileProgram();
  }

  // Runs the started save through its step timer until its end callback (or the pump's
  // watchdog). True when it ended.
  static bool Run(cSp_CDRProgramBaseObj* program, Road road) {
    const std::size_t before = SaveEnds().size();
    program->StartSaveAndPlayEventLoop();
    switch (road) {
      case Road::kPlain:
        SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
        break;
      case Road::kMovie:
        SpCDRI_EnableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
        break;
      case Road::kAIFFC:
        SpCDRI_EnableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
        break;
    }
    const bool ended = bool(sp_testing::PumpUntil([&] { return SaveEnds().size() > before; }));
    SpCDRI_DisablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoQuickTimeFileEventIdleProcedureForCarbonEvent();
    SpCDRI_DisableWriteIntoAIFFC_EventIdleProcedureForCarbonEvent();
    return ended;
  }

  // Saves the program's items (-1: all) as a plain file of the type; the end's stop flag, or
  // -1 when the save did not start or did not end.
  int SavePlain(cSp_CDRProgramBaseObj* p, const std::string& name, tCDRISoundFileType type,
                float speed = 1.0f, short channels = 0, SInt32 refNo = -1) {
    if (!p->SaveTargetProgItem(refNo, &folder_, name.c_str(), 1, SpFourCC("TVOD"), type, speed,
                               channels, nullptr, 0)) {
      return -1;
    }
    if (!Run(p, Road::kPlain)) return -1;
    return SaveEnds().back().stopped;
  }

  int SaveMovie(cSp_CDRProgramBaseObj* p, const std::string& name, tCDRISoundFileType type,
                OSType compression, short channels = 2, float speed = 1.0f,
                Handle settings = nullptr, UnsignedFixed rate = 0xAC440000) {
    if (!p->SaveTargetProgItemIntoQuickTimeFile(-1, &folder_, name.c_str(), 1, type, compression,
                                                rate, 16, channels, settings, speed, nullptr, 0)) {
      return -1;
    }
    if (!Run(p, Road::kMovie)) return -1;
    return SaveEnds().back().stopped;
  }

  // Starts a WAVE save of the program into the folder as "out.wav" and runs it until it has
  // written something.
  static void StartAndWrite(cSp_CDRProgramBaseObj* p, const FSRef& folder) {
    ASSERT_TRUE(p->SaveTargetProgItem(-1, &folder, "out.wav", 1, SpFourCC("TVOD"),
                                      kSpCDRISoundFileTypeWAVE, 1.0f, 0, nullptr, 0));
    p->StartSaveAndPlayEventLoop();
    SpCDRI_EnablePlayAndWriteIntoPureFileEventIdleProcedureForCarbonEvent();
    ASSERT_TRUE(sp_testing::PumpUntil([p] {
      return p->GetSaveBufferSet() != nullptr && p->GetSaveBufferSet()->bytesWritten > 0;
    }));
  }

  // The Documents folder holds exactly these names (no temporary file among them).
  void ExpectFolderHolds(const std::vector<std::string>& names) {
    std::vector<std::string> expected = names;
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(FolderNames(home_.Path("Documents")), expected);
  }

  FSRef folder_{};
};

}  // namespace engine_test
