# Small images for the tests of pictures, icons and colour cursors (ids 9070-9079). The
# application never asks for them.
#
#   test-picture-red-blue.png  4 x 2: the left two columns red, the right two blue
#   test-picture-alpha.png     2 x 2: green, transparent / black at half alpha, transparent
#   test-icon-colour.png       16 x 16: a red square (4, 4)-(12, 12), transparent around it
#   test-icon-one-bit.png      32 x 32: a black square (8, 8)-(24, 24) in a white ring out to
#                              (4, 4)-(28, 28), transparent outside it (the mask)
#   test-cursor-colour.png     16 x 16: top half green (left) and red (right), bottom half
#                              transparent

resource 'PICT' 9070 { png "test-picture-red-blue.png" }
resource 'PICT' 9071 { png "test-picture-alpha.png" }
resource 'cicn' 9072 { png "test-icon-colour.png" }
resource 'ICN#' 9073 { png "test-icon-one-bit.png" }
resource 'crsr' 9074 {
  png "test-cursor-colour.png"
  hotSpot 3, 5
}
