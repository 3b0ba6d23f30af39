# The controls' resources.

# The cursor over a title bar's separator that can be dragged: a bar with arrows to both
# sides, its hot spot on the bar.
resource 'CURS' 6140 "Separator" {
  png "cursors/separator.png"
  hotSpot 8, 8
}

# The calendar's font for its day numbers: the first of these that is installed.
resource 'STR#' 5100 {
  string "IPAPGothic"
  string "IPAGothic"
}
