# The controls' resources.

# The cursor over a title bar's separator that can be dragged: a bar with arrows to both
# sides, its hot spot on the bar.
resource 'CURS' 6140 "Separator" {
  png "cursors/separator.png"
  hotSpot 8, 8
}
