# Dialogs for the framework's tests (ids 9135-9136, kept apart from the application's 130-153).
#
# Progress dialogs laid out like the application's own:
#   1        cancel button
#   2        overall progress bar ('CNTL' 9136, 0..100)
#   4 / 3    label / value: title
#   7 / 8    label / value: file name
#   9 / 10   label / value: format
#   5 / 6    label / value: speed
#   11 / 12  label / value: channels
#   15 / 16  label / value: sample rate
#   13 / 14  label / value: sample size
#   17 / 18  label / value: compression
#   19       item progress bar ('CNTL' 9137; 9136 only)
# 9135 is the one-item form (no item bar), 9136 the several-item form.

resource 'CNTL' 9136 {
  bounds 15, 15, 31, 405; value 0; max 100; min 0; procID progressBarProc; title ""
}

resource 'CNTL' 9137 {
  bounds 200, 15, 216, 405; value 0; max 100; min 0; procID progressBarProc; title ""
}

resource 'DLOG' 9135 {
  bounds 100, 100, 330, 520
  procID movableDBoxProc
  visible false
  goAway false
  items 9135
  title "進行状況"
  position noAutoCenter
}

resource 'DITL' 9135 {
  button 195, 320, 215, 405 { text "キャンセル" }
  control 15, 15, 31, 405 { id 9136 }
  staticText 40, 130, 56, 405 { text "" }
  staticText 40, 15, 56, 125 { text "タイトル:" }
  staticText 100, 15, 116, 125 { text "速度:" }
  staticText 100, 130, 116, 405 { text "" }
  staticText 60, 15, 76, 125 { text "ファイル名:" }
  staticText 60, 130, 76, 405 { text "" }
  staticText 80, 15, 96, 125 { text "フォーマット:" }
  staticText 80, 130, 96, 405 { text "" }
  staticText 120, 15, 136, 125 { text "チャンネル:" }
  staticText 120, 130, 136, 405 { text "" }
  staticText 160, 15, 176, 125 { text "サイズ:" }
  staticText 160, 130, 176, 405 { text "" }
  staticText 140, 15, 156, 125 { text "レート:" }
  staticText 140, 130, 156, 405 { text "" }
  staticText 180, 15, 196, 125 { text "圧縮:" }
  staticText 180, 130, 196, 315 { text "" }
}

resource 'DLOG' 9136 {
  bounds 100, 100, 355, 520
  procID movableDBoxProc
  visible false
  goAway false
  items 9136
  title "進行状況"
  position noAutoCenter
}

resource 'DITL' 9136 {
  button 225, 320, 245, 405 { text "キャンセル" }
  control 15, 15, 31, 405 { id 9136 }
  staticText 40, 130, 56, 405 { text "" }
  staticText 40, 15, 56, 125 { text "タイトル:" }
  staticText 100, 15, 116, 125 { text "速度:" }
  staticText 100, 130, 116, 405 { text "" }
  staticText 60, 15, 76, 125 { text "ファイル名:" }
  staticText 60, 130, 76, 405 { text "" }
  staticText 80, 15, 96, 125 { text "フォーマット:" }
  staticText 80, 130, 96, 405 { text "" }
  staticText 120, 15, 136, 125 { text "チャンネル:" }
  staticText 120, 130, 136, 405 { text "" }
  staticText 160, 15, 176, 125 { text "サイズ:" }
  staticText 160, 130, 176, 405 { text "" }
  staticText 140, 15, 156, 125 { text "レート:" }
  staticText 140, 130, 156, 405 { text "" }
  staticText 180, 15, 196, 125 { text "圧縮:" }
  staticText 180, 130, 196, 405 { text "" }
  control 200, 15, 216, 405 { id 9137 }
}
