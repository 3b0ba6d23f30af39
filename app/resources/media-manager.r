# The media manager's own resources: its menus, the media window, the About box, the save
# dialogs and their popup menus, the string lists, pictures, icons and cursors. The program
# finds each by the id given here and addresses the items by the numbers noted beside them;
# layouts, texts and images are free to change as long as those ids and numbers stay.
# The images are drawn by tools/draw-app-images into media-manager/.

# ---- Menu bars and menus ---------------------------------------------------------------------
# 505 with the Aqua menu layout, 502 with the classic one; they differ only in the File menu
# (505 has no Quit item: the application menu's standard Quit serves).

resource 'MBAR' 505 {
  menu 500
  menu 505
  menu 200
}

resource 'MBAR' 502 {
  menu 500
  menu 501
  menu 200
}

# The application menu: 1 About, 2 must exist.
resource 'MENU' 500 {
  title "\x14"
  item "メディアマネージャについて..."
  separator
}

# Preferences: 1 the speed set-up, 2 the file-name rules.
resource 'MENU' 200 {
  title "設定"
  item "速度の設定..."
  item "ファイル名ルールの設定..."
}

# File, Aqua layout: 1 close, 3 eject, 4 save each item into its own file, 5 save into one file.
# The code renames item 5 "ひとつに保存..." while two or more tracks are selected and enables
# 3 to 5 with the selection.
resource 'MENU' 505 {
  title "ファイル"
  item "閉じる" { key "W" }
  separator
  item "取り出す" { key "E"; disabled }
  item "それぞれに保存..." { disabled }
  item "保存..." { key "S"; disabled }
}

# File, classic layout: as 505, and 6 quit.
resource 'MENU' 501 {
  title "ファイル"
  item "閉じる" { key "W" }
  separator
  item "取り出す" { key "E"; disabled }
  item "それぞれに保存..." { disabled }
  item "保存..." { key "S"; disabled }
  item "終了" { key "Q" }
}

# ---- The media window ------------------------------------------------------------------------
# A resizable document window; its size here is its smallest. Items:
#   1 a button, moved out of sight at start        2 the list panel
#   4 remove button (16 x 12 glyph)                 5 add button
#   6 column titles                                 7, 10, 11, 12 the list's columns: open
#   8 save button (outside the panel)                 triangle, icon, name and number, info
#  13 scroll bar                                   14, 15, 18 hidden icon buttons
#  16 small progress bar (and a hidden button)     17 status text (and a hidden button)
#   3, 9 not read
# Everything but the save button lies inside the panel, whose children they become.

resource 'DLOG' 132 {
  bounds 60, 10, 360, 450
  procID zoomDocProc
  visible false
  goAway true
  items 132
  title ""
}

# The window itself: the program makes a document window from this, and reads the rectangles
# of its items from the dialog above.
resource 'WIND' 132 {
  bounds 60, 10, 360, 450
  procID zoomDocProc
  visible false
  goAway true
  title ""
}

resource 'DITL' 132 {
  button 0, 0, 20, 60 { text "OK" }
  userItem 8, 8, 252, 432
  userItem 14, 60, 32, 372 { disabled }
  userItem 14, 404, 32, 426
  userItem 14, 380, 32, 402
  userItem 36, 14, 54, 410
  userItem 54, 14, 224, 30
  userItem 262, 332, 290, 432
  userItem 36, 410, 54, 426 { disabled }
  userItem 54, 30, 224, 52
  userItem 54, 52, 224, 330
  userItem 54, 330, 224, 410
  userItem 54, 410, 224, 426
  userItem 228, 14, 246, 32
  userItem 228, 36, 246, 54
  userItem 231, 262, 243, 426
  userItem 229, 60, 245, 256
  userItem 14, 14, 32, 32
}

# ---- About box -------------------------------------------------------------------------------
# 1 closes it, 2 picture 2002, 7 the version text (drawn by the code), 12 picture 2001.

resource 'DLOG' 130 {
  bounds 80, 80, 362, 460
  procID movableDBoxProc
  visible false
  items 130
  title "メディアマネージャについて"
  position centerMainScreen
}

resource 'DITL' 130 {
  button 250, 290, 270, 370 { text "OK" }
  picture 10, 10, 90, 370 { id 2002 }
  staticText 100, 84, 120, 370 { text "メディアマネージャ"; disabled }
  staticText 122, 84, 138, 370 { text "オーディオCDと音声ファイルを保存します"; disabled }
  staticText 168, 10, 184, 100 { text "保存形式："; disabled }
  staticText 168, 100, 184, 370 { text "AIFF、WAVE、QuickTime ムービー"; disabled }
  userItem 142, 84, 158, 370 { disabled }
  staticText 188, 10, 204, 100 { text "タグ："; disabled }
  staticText 188, 100, 204, 370 { text "ID3、AIFF の ID3、QuickTime、MP4"; disabled }
  staticText 208, 10, 224, 100 { text "曲名："; disabled }
  staticText 208, 100, 224, 370 { text "CDDB ファイル、ミュージックライブラリ"; disabled }
  picture 100, 10, 164, 74 { id 2001 }
}

# ---- Save set-up -----------------------------------------------------------------------------
# 133 saves into one file, 134 each item into its own. Items: 1 OK, 2 Cancel, 3 file type
# popup, 6 speed popup (menu 129, filled by the code), 7 compression options, 8 channels
# popup, 9, 10, 12 compressor, rate and size texts, 11 its bottom is the height the window
# shrinks to when there are no compression texts to show (so 9, 10 and 12 lie below it and
# everything else above it); 134 also: 13 folder row, 14 file-name row, 15 choose the folder,
# 16 edit the file-name rule. 4 and 5 are labels.

resource 'CNTL' 133 {
  bounds 34, 14, 54, 280; value 0; min 133; max 96; procID popupMenuProc; title "ファイル形式："
}

resource 'CNTL' 134 {
  bounds 62, 14, 82, 200; value 0; min 129; max 96; procID popupMenuProc; title "速度："
}

resource 'CNTL' 135 {
  bounds 90, 14, 110, 200; value 0; min 134; max 96; procID popupMenuProc
  title "チャンネル："
}

# File types, in the order the code reads them: 'AIFF', 'WAVE', 'MooV', 'QTnc', 'AIFC'.
resource 'MENU' 133 {
  title "ファイル形式"
  item "AIFF"
  item "WAVE"
  item "QuickTime ムービー"
  item "QuickTime ムービー（圧縮なし）"
  item "AIFF-C"
}

# Channels: 1 mono, 2 stereo.
resource 'MENU' 134 {
  title "チャンネル"
  item "モノラル"
  item "ステレオ"
}

# The speeds: the code appends one item per speed each time the dialog opens.
resource 'MENU' 129 {
  title "速度"
}

resource 'DLOG' 133 {
  bounds 80, 80, 306, 480
  procID movableDBoxProc
  visible false
  items 133
  title "保存の設定"
}

resource 'DITL' 133 {
  button 124, 302, 144, 386 { text "OK" }
  button 124, 208, 144, 292 { text "キャンセル" }
  control 34, 14, 54, 280 { id 133 }
  staticText 64, 206, 80, 260 { text "倍速"; disabled }
  staticText 10, 14, 26, 386 { text "保存するファイルの形式と速度を選んでください。"; disabled }
  control 62, 14, 82, 200 { id 134 }
  button 34, 290, 54, 386 { text "オプション..." }
  control 90, 14, 110, 200 { id 135 }
  userItem 164, 30, 180, 386 { disabled }
  userItem 182, 30, 198, 386 { disabled }
  userItem 118, 14, 156, 386 { disabled }
  userItem 200, 30, 216, 386 { disabled }
}

resource 'DLOG' 134 {
  bounds 80, 80, 362, 520
  procID movableDBoxProc
  visible false
  items 134
  title "それぞれに保存の設定"
}

resource 'DITL' 134 {
  button 180, 342, 200, 426 { text "OK" }
  button 180, 248, 200, 332 { text "キャンセル" }
  control 34, 14, 54, 300 { id 133 }
  staticText 64, 206, 80, 260 { text "倍速"; disabled }
  staticText 10, 14, 26, 426 { text "保存するファイルの形式と速度、保存先を選んでください。"; disabled }
  control 62, 14, 82, 200 { id 134 }
  button 34, 310, 54, 426 { text "オプション..." }
  control 90, 14, 110, 200 { id 135 }
  userItem 220, 30, 236, 426 { disabled }
  userItem 238, 30, 254, 426 { disabled }
  userItem 174, 14, 212, 426 { disabled }
  userItem 256, 30, 272, 426 { disabled }
  userItem 122, 14, 138, 340 { disabled }
  userItem 148, 14, 164, 340 { disabled }
  button 120, 346, 140, 426 { text "選択..." }
  button 146, 346, 166, 426 { text "編集..." }
}

# The choose-folder dialog of the each-file set-up: item 2 is the size of its extra area.
resource 'DITL' 200 {
  staticText 4, 4, 20, 396 { text "選んだフォルダに、それぞれのファイルを保存します。"; disabled }
  userItem 0, 0, 24, 400 { disabled }
}

# ---- Progress --------------------------------------------------------------------------------
# 135 for one item, 136 for several. 1 cancel, 2 the overall bar (0 to 100), 19 the current
# item's bar (136 only). The label / value pairs, drawn by the code: 4 / 3 title,
# 7 / 8 file name, 9 / 10 format, 5 / 6 speed, 11 / 12 channels, 15 / 16 rate, 13 / 14 size,
# 17 / 18 compression.

resource 'CNTL' 136 {
  bounds 15, 15, 31, 405; value 0; max 100; min 0; procID progressBarProc; title ""
}

resource 'CNTL' 137 {
  bounds 186, 15, 202, 405; value 0; max 100; min 0; procID progressBarProc; title ""
}

resource 'DLOG' 135 {
  bounds 100, 100, 320, 520
  procID movableDBoxProc
  visible false
  items 135
  title "保存中"
}

resource 'DITL' 135 {
  button 190, 320, 210, 405 { text "キャンセル" }
  control 15, 15, 31, 405 { id 136 }
  userItem 40, 110, 58, 405 { disabled }
  userItem 40, 15, 58, 110 { disabled }
  userItem 100, 15, 116, 120 { disabled }
  userItem 100, 124, 116, 405 { disabled }
  userItem 60, 15, 78, 110 { disabled }
  userItem 60, 110, 78, 405 { disabled }
  userItem 84, 15, 100, 120 { disabled }
  userItem 84, 124, 100, 405 { disabled }
  userItem 116, 15, 132, 120 { disabled }
  userItem 116, 124, 132, 405 { disabled }
  userItem 148, 15, 164, 120 { disabled }
  userItem 148, 124, 164, 405 { disabled }
  userItem 132, 15, 148, 120 { disabled }
  userItem 132, 124, 148, 405 { disabled }
  userItem 164, 15, 180, 120 { disabled }
  userItem 164, 124, 180, 405 { disabled }
}

resource 'DLOG' 136 {
  bounds 100, 100, 344, 520
  procID movableDBoxProc
  visible false
  items 136
  title "保存中"
}

resource 'DITL' 136 {
  button 212, 320, 232, 405 { text "キャンセル" }
  control 15, 15, 31, 405 { id 136 }
  userItem 40, 110, 58, 405 { disabled }
  userItem 40, 15, 58, 110 { disabled }
  userItem 100, 15, 116, 120 { disabled }
  userItem 100, 124, 116, 405 { disabled }
  userItem 60, 15, 78, 110 { disabled }
  userItem 60, 110, 78, 405 { disabled }
  userItem 84, 15, 100, 120 { disabled }
  userItem 84, 124, 100, 405 { disabled }
  userItem 116, 15, 132, 120 { disabled }
  userItem 116, 124, 132, 405 { disabled }
  userItem 148, 15, 164, 120 { disabled }
  userItem 148, 124, 164, 405 { disabled }
  userItem 132, 15, 148, 120 { disabled }
  userItem 132, 124, 148, 405 { disabled }
  userItem 164, 15, 180, 120 { disabled }
  userItem 164, 124, 180, 405 { disabled }
  control 186, 15, 202, 405 { id 137 }
}

# ---- Speed set-up ----------------------------------------------------------------------------
# 1 OK, 2 Cancel, 5 start speed, 6 end speed, 8 interval; 3, 4 and 7 are texts. Every item of
# the three popups is a decimal number; the end popup has a menu of its own because the code
# disables its items at or below the start speed. Speeds and intervals are multiples of 0.1,
# as the save set-up's speed popup shows each speed with one decimal.

resource 'CNTL' 150 {
  bounds 52, 15, 72, 200; value 0; min 150; max 100; procID popupMenuProc; title "開始速度："
}

resource 'CNTL' 151 {
  bounds 80, 15, 100, 200; value 0; min 151; max 100; procID popupMenuProc; title "終了速度："
}

resource 'CNTL' 152 {
  bounds 108, 15, 128, 200; value 0; min 152; max 100; procID popupMenuProc; title "間隔："
}

resource 'MENU' 150 {
  title "開始速度"
  item "0.5"
  item "1.0"
  item "1.5"
  item "2.0"
  item "2.5"
  item "3.0"
  item "4.0"
  item "5.0"
}

resource 'MENU' 151 {
  title "終了速度"
  item "1.0"
  item "1.5"
  item "2.0"
  item "2.5"
  item "3.0"
  item "4.0"
  item "5.0"
  item "6.0"
  item "8.0"
  item "10.0"
}

resource 'MENU' 152 {
  title "間隔"
  item "0.1"
  item "0.2"
  item "0.5"
  item "1.0"
}

resource 'DLOG' 150 {
  bounds 100, 100, 270, 430
  procID movableDBoxProc
  visible false
  items 150
  title "速度の設定"
}

resource 'DITL' 150 {
  button 138, 232, 158, 316 { text "OK" }
  button 138, 138, 158, 222 { text "キャンセル" }
  staticText 14, 15, 30, 315 { text "保存の設定で選べる速度を決めます。"; disabled }
  staticText 54, 206, 70, 260 { text "倍速"; disabled }
  control 52, 15, 72, 200 { id 150 }
  control 80, 15, 100, 200 { id 151 }
  staticText 82, 206, 98, 260 { text "倍速"; disabled }
  control 108, 15, 128, 200 { id 152 }
}

# ---- File-name rules -------------------------------------------------------------------------
# 151 edits one rule, 152 both (switched by item 17). 1 OK, 2 Cancel, 3 the example (label and
# text, drawn by the code), 4 to 10 the seven name parts, 11 to 16 the "+" between neighbouring
# parts (drawn by the code), 17 (152 only) which rule is shown.

resource 'CNTL' 153 {
  bounds 0, 0, 20, 220; value 0; min 153; max 0; procID popupMenuProc; title ""
}

resource 'CNTL' 154 {
  bounds 12, 15, 32, 325; value 0; min 154; max 60; procID popupMenuProc; title "対象："
}

# The name parts: item 1 adds nothing; 2, 7, 10, 14 and 18 stand between the groups; the
# others are, in order, the kinds 1, 2, 4, 5 | 6, 7 | 8, 9, 10 | 11, 12, 13 | 15, 14, 17, 16.
resource 'MENU' 153 {
  title "ファイル名の部分"
  item "なし"
  separator
  item "アルバム名"
  item "トラック名"
  item "アーティスト名"
  item "ジャンル"
  separator
  item "ハイフン（-）"
  item "アンダーバー（_）"
  separator
  item "年月日（YYYYMMDD）"
  item "年月日（YYMMDD）"
  item "月日（MMDD）"
  separator
  item "時（hh）"
  item "時分（hhmm）"
  item "時:分（hh:mm）"
  separator
  item "速度の整数部（2）"
  item "速度の整数部・2桁（02）"
  item "速度の小数部（5）"
  item "速度の小数部・2桁（50）"
}

# Which rule: 1 saving into one file, 2 saving each item into its own file.
resource 'MENU' 154 {
  title "対象"
  item "ひとつに保存するとき"
  item "それぞれに保存するとき"
}

resource 'DLOG' 151 {
  bounds 100, 100, 410, 440
  procID movableDBoxProc
  visible false
  items 151
  title "ファイル名ルールの設定"
}

resource 'DITL' 151 {
  button 278, 241, 298, 325 { text "OK" }
  button 278, 147, 298, 231 { text "キャンセル" }
  userItem 248, 15, 266, 325 { disabled }
  control 12, 60, 32, 280 { id 153 }
  control 46, 60, 66, 280 { id 153 }
  control 80, 60, 100, 280 { id 153 }
  control 114, 60, 134, 280 { id 153 }
  control 148, 60, 168, 280 { id 153 }
  control 182, 60, 202, 280 { id 153 }
  control 216, 60, 236, 280 { id 153 }
  userItem 32, 60, 46, 280 { disabled }
  userItem 66, 60, 80, 280 { disabled }
  userItem 100, 60, 114, 280 { disabled }
  userItem 134, 60, 148, 280 { disabled }
  userItem 168, 60, 182, 280 { disabled }
  userItem 202, 60, 216, 280 { disabled }
}

resource 'DLOG' 152 {
  bounds 100, 100, 442, 440
  procID movableDBoxProc
  visible false
  items 152
  title "ファイル名ルールの設定"
}

resource 'DITL' 152 {
  button 310, 241, 330, 325 { text "OK" }
  button 310, 147, 330, 231 { text "キャンセル" }
  userItem 280, 15, 298, 325 { disabled }
  control 44, 60, 64, 280 { id 153 }
  control 78, 60, 98, 280 { id 153 }
  control 112, 60, 132, 280 { id 153 }
  control 146, 60, 166, 280 { id 153 }
  control 180, 60, 200, 280 { id 153 }
  control 214, 60, 234, 280 { id 153 }
  control 248, 60, 268, 280 { id 153 }
  userItem 64, 60, 78, 280 { disabled }
  userItem 98, 60, 112, 280 { disabled }
  userItem 132, 60, 146, 280 { disabled }
  userItem 166, 60, 180, 280 { disabled }
  userItem 200, 60, 214, 280 { disabled }
  userItem 234, 60, 248, 280 { disabled }
  control 12, 15, 32, 325 { id 154 }
}

# ---- Existing name ---------------------------------------------------------------------------
# 1 go on, 2 Cancel, 5 to 8 the four ways (new name, number, delete the old file, skip),
# 9 the same for the following items, 10 and 11 labels with the item's name and the file's
# name, 12 the explanation (all three drawn by the code); 3 and 4 frame the choices.

resource 'DLOG' 153 {
  bounds 100, 100, 340, 540
  procID movableDBoxProc
  visible false
  items 153
  title "保存するファイルの名前について"
}

resource 'DITL' 153 {
  button 206, 341, 226, 425 { text "続ける" }
  button 206, 247, 226, 331 { text "キャンセル" }
  staticText 80, 15, 96, 425 { text "保存のしかた："; disabled }
  userItem 98, 15, 166, 425 { disabled }
  radioButton 100, 30, 116, 425 { text "新しい名前を付けて保存する" }
  radioButton 116, 30, 132, 425 { text "名前に番号を付けて保存する" }
  radioButton 132, 30, 148, 425 { text "古いファイルを削除して保存する" }
  radioButton 148, 30, 164, 425 { text "この項目は保存しない" }
  checkBox 174, 30, 192, 425 { text "以降の項目にも同じ処理を行う" }
  userItem 34, 15, 52, 425 { disabled }
  userItem 54, 15, 72, 425 { disabled }
  userItem 10, 15, 28, 425 { disabled }
}

# ---- String lists ----------------------------------------------------------------------------

# The list's font: the first of these that is installed.
resource 'STR#' 5004 {
  string "IPAPGothic"
  string "IPAGothic"
}

# Button texts; the save button shows item 4.
resource 'STR#' 5007 {
  string "追加"
  string "削除"
  string "取り出す"
  string "保存"
}

# The media window's largest width and height. Larger than any screen, so that the screen
# (less its margins) is the limit.
resource 'STR#' 5008 {
  string "9999"
  string "9999"
}

resource 'STR#' 5009 {
  string "メディアマネージャ"
}

# Column titles: the open triangle and icon, the name, the info.
resource 'STR#' 5010 {
  string ""
  string "名前"
  string "情報"
}

# Name column title: 1 names of volumes and files shown, 2 titles shown.
resource 'STR#' 5011 {
  string "名前"
  string "タイトル"
}

# Info column title: 1 track count or number, 2 time, 3 kind, 4 size.
resource 'STR#' 5012 {
  string "トラック"
  string "時間"
  string "種類"
  string "サイズ"
}

# A track without a title: this, then its number.
resource 'STR#' 5013 {
  string "トラック "
}

# Save set-up titles: 1 one item, 2 several items into one file, 3 each item into its own.
resource 'STR#' 5014 {
  string "保存の設定"
  string "ひとつに保存の設定"
  string "それぞれに保存の設定"
}

# Progress titles, the same three cases.
resource 'STR#' 5015 {
  string "保存中"
  string "ひとつに保存中"
  string "それぞれに保存中"
}

# Added file not taken: this, then the file's name.
resource 'STR#' 5020 {
  string "音声ファイルとして認識できませんでした："
}

resource 'STR#' 5022 {
  string "速度の設定"
}

# Progress labels: 1 format, 2 speed, 3 channels, 4 rate, 5 size, 6 compression, 7 title,
# 8 file name. The title and file-name values show item 1 until the first track starts.
resource 'STR#' 5023 {
  string "フォーマット："
  string "速度："
  string "チャンネル："
  string "レート："
  string "サイズ："
  string "圧縮："
  string "タイトル："
  string "ファイル名："
}

# Each-file save set-up: 1 folder label, 2 file-name label.
resource 'STR#' 5024 {
  string "保存先："
  string "ファイル名："
}

# File-name rule dialog: the example's label.
resource 'STR#' 5025 {
  string "例："
}

# Existing-name dialog: 1 the item being saved, 2 the file already there.
resource 'STR#' 5026 {
  string "保存する項目："
  string "既にあるファイル："
}

# Existing-name dialog's explanation: 1 when more items follow, 2 when none does.
resource 'STR#' 5027 {
  string "同じ名前のファイルがあります。この項目と以降の項目の保存のしかたを選んでください。"
  string "同じ名前のファイルがあります。保存のしかたを選んでください。"
}

# The saved list of added files could not be read. The message: 1, the version, step and
# detail numbers ("200:15:5555"), 2 (or 3 alone when the list holds too many files), then 4
# and 5. The detail: the number of files read and 6 (when any), then 7.
resource 'STR#' 5035 {
  string "登録ファイルの一覧を読み込めませんでした（"
  string "）。"
  string "登録ファイルの一覧の件数が多すぎるため、読み込みを中止しました。"
  string "一覧のファイルが壊れている恐れがあります。"
  string "次に音声ファイルを登録すると、一覧は作り直されます。"
  string "件の登録は読み込めました。"
  string "読み込めなかった音声ファイルは、もう一度登録してください。"
}

# Added files that are copy-protected: 1 after the file's name in quotes, 2 after their
# number, 3 when all of them are.
resource 'STR#' 5040 {
  string "は著作権保護されているため登録できません。"
  string "ファイルは著作権保護されているため登録できません。"
  string "全て著作権保護されているため登録できません。"
}

# ---- Pictures --------------------------------------------------------------------------------

# About box: 2002 the banner (loaded at start), 2001 the emblem.
resource 'PICT' 2002 { png "media-manager/about-banner.png" }
resource 'PICT' 2001 { png "media-manager/about-emblem.png" }

# A CD's row in the list: the disc and its see-through mask (black where the disc is).
resource 'PICT' 511 { png "media-manager/cd-row.png" }
resource 'PICT' 512 { png "media-manager/cd-row-mask.png" }

# ---- Icons -----------------------------------------------------------------------------------

# Icon buttons of the media window: 129 and 130 (32 x 32, hidden), 620 add and 621 remove
# (16 x 12).
resource 'cicn' 129 { png "media-manager/button-play.png" }
resource 'cicn' 130 { png "media-manager/button-stop.png" }
resource 'cicn' 620 { png "media-manager/button-add.png" }
resource 'cicn' 621 { png "media-manager/button-remove.png" }

# A sound file's row in the list when the file has no icon of its own.
resource 'cicn' 634 { png "media-manager/sound-file.png" }

# The program's small icon (16 x 16): the title of the application menu (500) in the menu bar.
resource 'cicn' -16455 { png "media-manager/app-icon-small.png" }

# ---- Cursors ---------------------------------------------------------------------------------

# Over the titles of the name (611) and info (610) columns: a click there switches what the
# column shows.
resource 'crsr' 611 {
  png "media-manager/cursor-hand.png"
  hotSpot 1, 6
}
resource 'crsr' 610 {
  png "media-manager/cursor-cycle.png"
  hotSpot 7, 7
}

# Over a column separator of a title bar, in colour; the black-and-white one is the controls'
# own 'CURS' 6140 (controls.r).
resource 'crsr' 6140 {
  png "media-manager/cursor-split.png"
  hotSpot 7, 7
}

# Edit text: 2000 over the selection, 2001 over the text.
resource 'CURS' 2000 {
  png "media-manager/cursor-arrow.png"
  hotSpot 1, 1
}
resource 'CURS' 2001 {
  png "media-manager/cursor-ibeam.png"
  hotSpot 7, 6
}

# Grow box of a sticky note: 6550 normal, 6551 folded.
resource 'CURS' 6550 {
  png "media-manager/cursor-grow.png"
  hotSpot 7, 7
}
resource 'CURS' 6551 {
  png "media-manager/cursor-grow-sideways.png"
  hotSpot 7, 7
}
