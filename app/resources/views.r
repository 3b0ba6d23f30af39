# The drawing functions' resources: the dotted patterns and the framework's colour table.

# ---- Dotted patterns ---------------------------------------------------------------------------
# Patterns are aligned to the port, so a line takes the bits of its own row or column: the
# pattern for vertical lines alternates whole rows, the one for horizontal lines alternates
# columns.

resource 'PAT ' 6100 "Dotted vertical line" {
  hex "FF 00 FF 00 FF 00 FF 00"
}

resource 'PAT ' 6101 "Dotted horizontal line" {
  hex "AA AA AA AA AA AA AA AA"
}

# ---- The colour table --------------------------------------------------------------------------
# 'clut' 6180: sixteen colours (seed, flags, entry count - 1, then value, red, green, blue per
# entry); 'STR#' 6180 names them in the same order; 'STR#' 6181 holds the number of the colour
# a table starts on.

resource 'clut' 6180 "Standard Colors" {
  int32 0
  int16 0, 15
  int16 0, 65535, 65535, 65535
  int16 1, 64512, 62333, 1327
  int16 2, 65535, 25738, 652
  int16 3, 56683, 2242, 1698
  int16 4, 62167, 2134, 34028
  int16 5, 18147, 0, 42302
  int16 6, 0, 0, 54272
  int16 7, 577, 43860, 60159
  int16 8, 7969, 46995, 5169
  int16 9, 0, 25775, 4528
  int16 10, 22016, 11421, 1316
  int16 11, 37079, 29293, 14906
  int16 12, 49152, 49152, 49152
  int16 13, 32768, 32768, 32768
  int16 14, 16384, 16384, 16384
  int16 15, 0, 0, 0
}

resource 'STR#' 6180 "Standard Color Names" {
  string "白"
  string "黄"
  string "橙"
  string "赤"
  string "赤紫"
  string "紫"
  string "青"
  string "水色"
  string "緑"
  string "深緑"
  string "茶"
  string "黄土"
  string "明るい灰色"
  string "灰色"
  string "暗い灰色"
  string "黒"
}

resource 'STR#' 6181 "Standard Color Start" {
  string "1"
}
