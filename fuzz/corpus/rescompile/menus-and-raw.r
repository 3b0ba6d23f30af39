# Menus, strings, a window, an alert, a version and raw bytes.
resource 'MBAR' 128 { menu 128; menu 129 }
resource 'MENU' 128 {
  title "File"
  item "Open" { key "O" }
  separator
  item "Recent" { submenu 130 }
  item "Quit" { key "Q"; style bold italic; disabled }
}
resource 'STR ' 128 { string "あい\x81\x40" }
resource 'STR#' 128 "Names" purgeable { string "one"; string "two" }
resource 'WIND' 128 { bounds 40, 40, 240, 340; procID zoomDocProc; title "W" }
resource 'ALRT' 129 { bounds 0, 0, 100, 300; stages 0x7777; position alertPositionMainScreen }
resource 'vers' 1 { version 1, 2, 3; stage beta; nonRelease 4; short "1.2.3" }
resource 'ICN#' 130 { png "test-icon-one-bit.png" }
resource 'CURS' 131 { png "test-cursor-colour.png"; hotSpot 8, 8 }
resource 'Raw ' 132 {
  ostype 'abcd'
  int8 -1, 255
  align 4
  int16 0, 65535
  int32 -2147483648
  pstring "name"
  text "plain"
  hex "00 FF a5"
  file "test-picture-alpha.png"
}
