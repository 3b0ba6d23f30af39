# A dialog with its items and a control.
resource 'CNTL' 200 {
  bounds 15, 15, 31, 405; value 0; max 100; min 0; procID progressBarProc; title ""
}
resource 'DLOG' 200 {
  bounds 100, 100, 330, 520
  procID movableDBoxProc
  visible false
  goAway true
  refCon -1
  title "進行"
  position centerParentWindow
}
resource 'DITL' 200 {
  button 195, 320, 215, 405 { text "OK" }
  control 15, 15, 31, 405 { id 200 }
  staticText 40, 15, 56, 125 { text "名:"; disabled }
  editText 40, 130, 56, 405 { text "" }
  checkBox 60, 15, 76, 125 { text "On" }
  picture 80, 15, 96, 125 { id 201 }
  userItem 0, 0, 10, 10
}
resource 'PICT' 201 { png "test-picture-red-blue.png" }
resource 'cicn' 202 { png "test-icon-colour.png" }
resource 'crsr' 203 {
  png "test-cursor-colour.png"
  hotSpot 3, 5
}
