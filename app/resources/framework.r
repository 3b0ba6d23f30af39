# The framework's own resources: the say dialogs, their icons and the version.
#
# Say dialogs. The code fills every text and button title at run time; what is written here
# only has to hold the items in the places and numbers the code expects:
#   6130          one button: 1 OK (the answer), 3 the message
#   6131..6133    two buttons: 1 first (default, left), 2 second (right), 4 the message;
#                 6132 for stop, 6133 for note, 6131 for any other kind (caution)
#   6140..6142    three buttons: 1 first (default), 2 second, 3 third, 5 and 6 the texts;
#                 6140 stop, 6141 note, 6142 any other kind
# The two-button dialog widens a button leftwards to fit its title and moves the first button
# left by as much, so the second button sits right of the first.

# ---- One button ------------------------------------------------------------------------------

resource 'DLOG' 6130 {
  bounds 80, 80, 210, 480
  procID movableDBoxProc
  visible false
  goAway false
  items 6130
  title ""
  position alertPositionMainScreen
}

resource 'DITL' 6130 {
  button 95, 310, 115, 380 { text "OK" }
  icon 13, 20, 45, 52 { id 1; disabled }
  staticText 13, 68, 85, 380 { text ""; disabled }
}

# ---- Two buttons -----------------------------------------------------------------------------

resource 'DLOG' 6131 {
  bounds 80, 80, 210, 480
  procID movableDBoxProc
  items 6131
  position alertPositionMainScreen
}

resource 'DITL' 6131 {
  button 95, 230, 115, 300 { text "OK" }
  button 95, 310, 115, 380 { text "キャンセル" }
  icon 13, 20, 45, 52 { id 2; disabled }
  staticText 13, 68, 85, 380 { text ""; disabled }
}

resource 'DLOG' 6132 {
  bounds 80, 80, 210, 480
  procID movableDBoxProc
  items 6132
  position alertPositionMainScreen
}

resource 'DITL' 6132 {
  button 95, 230, 115, 300 { text "OK" }
  button 95, 310, 115, 380 { text "キャンセル" }
  icon 13, 20, 45, 52 { id 0; disabled }
  staticText 13, 68, 85, 380 { text ""; disabled }
}

resource 'DLOG' 6133 {
  bounds 80, 80, 210, 480
  procID movableDBoxProc
  items 6133
  position alertPositionMainScreen
}

resource 'DITL' 6133 {
  button 95, 230, 115, 300 { text "OK" }
  button 95, 310, 115, 380 { text "キャンセル" }
  icon 13, 20, 45, 52 { id 1; disabled }
  staticText 13, 68, 85, 380 { text ""; disabled }
}

# ---- Three buttons ---------------------------------------------------------------------------

resource 'DLOG' 6140 {
  bounds 80, 80, 230, 520
  procID movableDBoxProc
  items 6140
  position alertPositionMainScreen
}

resource 'DITL' 6140 {
  button 115, 250, 135, 330 { text "OK" }
  button 115, 340, 135, 420 { text "キャンセル" }
  button 115, 20, 135, 100 { text "その他" }
  icon 13, 20, 45, 52 { id 0; disabled }
  staticText 13, 68, 50, 420 { text ""; disabled }
  staticText 55, 68, 105, 420 { text ""; disabled }
}

resource 'DLOG' 6141 {
  bounds 80, 80, 230, 520
  procID movableDBoxProc
  items 6141
  position alertPositionMainScreen
}

resource 'DITL' 6141 {
  button 115, 250, 135, 330 { text "OK" }
  button 115, 340, 135, 420 { text "キャンセル" }
  button 115, 20, 135, 100 { text "その他" }
  icon 13, 20, 45, 52 { id 1; disabled }
  staticText 13, 68, 50, 420 { text ""; disabled }
  staticText 55, 68, 105, 420 { text ""; disabled }
}

resource 'DLOG' 6142 {
  bounds 80, 80, 230, 520
  procID movableDBoxProc
  items 6142
  position alertPositionMainScreen
}

resource 'DITL' 6142 {
  button 115, 250, 135, 330 { text "OK" }
  button 115, 340, 135, 420 { text "キャンセル" }
  button 115, 20, 135, 100 { text "その他" }
  icon 13, 20, 45, 52 { id 2; disabled }
  staticText 13, 68, 50, 420 { text ""; disabled }
  staticText 55, 68, 105, 420 { text ""; disabled }
}

# ---- The say dialogs' icons ------------------------------------------------------------------
# The icon items above name the toolbox's numbers for the three kinds of message: 0 stop,
# 1 note, 2 caution. Colour icons, 32 x 32.

resource 'cicn' 0 { png "say-icons/stop.png" }
resource 'cicn' 1 { png "say-icons/note.png" }
resource 'cicn' 2 { png "say-icons/caution.png" }

# ---- Version ---------------------------------------------------------------------------------

resource 'vers' 1 {
  version 1, 0, 0
  stage final
  region 14
  short "1.0"
  long "1.0"
}
