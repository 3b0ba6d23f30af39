# The demonstration program's own resources: its progress window. Compiled into
# DisplayDemo.rsrc beside the application's resources; the application's file never holds it.

resource 'CNTL' 9800 {
  bounds 40, 20, 56, 380; value 0; max 100; min 0; procID progressBarProc; title ""
}

resource 'DLOG' 9800 {
  bounds 200, 300, 300, 700
  procID movableDBoxProc
  visible false
  goAway false
  items 9800
  title "進行状況"
  position centerMainScreen
}

resource 'DITL' 9800 {
  staticText 12, 20, 30, 380 { text "少しずつ進みます…" }
  control 40, 20, 56, 380 { id 9800 }
}
