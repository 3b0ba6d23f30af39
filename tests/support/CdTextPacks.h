// CD-Text as a disc's lead-in holds it and a CUE sheet's CDTEXTFILE names it: the packs of one
// block. Each pack is 18 bytes: its type, the track its first character belongs to (0 for
// the disc), its sequence number, the block with how many characters of that text came
// before (at most 15), 12 bytes of text and a CRC.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace cd_text {

inline uint16_t PackCrc(const uint8_t* pack) {
  uint16_t crc = 0;
  for (int i = 0; i < 16; ++i) {
    crc = uint16_t(crc ^ (pack[i] << 8));
    for (int bit = 0; bit < 8; ++bit)
      crc = uint16_t((crc & 0x8000) ? (crc << 1) ^ 0x1021 : crc << 1);
  }
  return uint16_t(~crc);
}

struct Field {
  uint8_t type;                    // 0x80 title, 0x81 performer, 0x8E UPC and ISRC, ...
  std::vector<std::string> texts;  // the disc's, then each track's
};

// charCode: 0x00 ISO 8859-1, 0x01 ASCII, 0x80 Shift-JIS (two bytes a character); language:
// 0x09 English, 0x69 Japanese. The block ends with its three size packs (type 0x8F).
inline std::string Packs(uint8_t charCode, uint8_t language, const std::vector<Field>& fields) {
  const std::size_t unit = charCode == 0x80 ? 2 : 1;
  std::string out;
  uint8_t sequence = 0, lastTrack = 1;
  uint8_t counts[16] = {};
  auto add = [&](uint8_t type, std::size_t track, std::size_t position, const char* text) {
    uint8_t pack[18] = {type, uint8_t(track), sequence++,
                        uint8_t((unit == 2 ? 0x80 : 0) | std::min<std::size_t>(position, 15))};
    std::memcpy(pack + 4, text, 12);
    const uint16_t crc = PackCrc(pack);
    pack[16] = uint8_t(crc >> 8);
    pack[17] = uint8_t(crc);
    out.append(reinterpret_cast<const char*>(pack), sizeof pack);
    ++counts[type & 0x0F];
  };
  for (const Field& field : fields) {
    std::string run;
    std::vector<std::size_t> starts;
    for (const std::string& text : field.texts) {
      starts.push_back(run.size());
      run += text;
      run.append(unit, '\0');
    }
    lastTrack = std::max<uint8_t>(lastTrack, uint8_t(field.texts.size() - 1));
    run.resize((run.size() + 11) / 12 * 12, '\0');
    for (std::size_t at = 0; at < run.size(); at += 12) {
      const std::size_t track =
          std::size_t(std::upper_bound(starts.begin(), starts.end(), at) - starts.begin()) - 1;
      add(field.type, track, (at - starts[track]) / unit, run.data() + at);
    }
  }
  char info[36] = {char(charCode), 1, char(lastTrack), 0};
  counts[15] = 3;
  for (int type = 0; type < 16; ++type) info[4 + type] = char(counts[type]);
  info[20] = char(sequence + 2);  // the last sequence number of block 0
  info[28] = char(language);
  for (int i = 0; i < 3; ++i) add(0x8F, std::size_t(i), 0, info + 12 * i);
  return out;
}

}  // namespace cd_text
