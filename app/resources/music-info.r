# Music information: the genre list.
#
# 'STR#' 7510 holds the names of the ID3 genres in their standard order: string n is ID3 genre
# n - 1 (ID3 genre numbers count from 0, string numbers from 1). Names are compared exactly
# (case counts) when a genre name is turned back into its number, so keep the spellings.

resource 'STR#' 7510 "Genre" {
  string "Blues"                     # 0
  string "Classic Rock"              # 1
  string "Country"                   # 2
  string "Dance"                     # 3
  string "Disco"                     # 4
  string "Funk"                      # 5
  string "Grunge"                    # 6
  string "Hip-Hop"                   # 7
  string "Jazz"                      # 8
  string "Metal"                     # 9
  string "New Age"                   # 10
  string "Oldies"                    # 11
  string "Other"                     # 12
  string "Pop"                       # 13
  string "R&B"                       # 14
  string "Rap"                       # 15
  string "Reggae"                    # 16
  string "Rock"                      # 17
  string "Techno"                    # 18
  string "Industrial"                # 19
  string "Alternative"               # 20
  string "Ska"                       # 21
  string "Death Metal"               # 22
  string "Pranks"                    # 23
  string "Soundtrack"                # 24
  string "Euro-Techno"               # 25
  string "Ambient"                   # 26
  string "Trip-Hop"                  # 27
  string "Vocal"                     # 28
  string "Jazz+Funk"                 # 29
  string "Fusion"                    # 30
  string "Trance"                    # 31
  string "Classical"                 # 32
  string "Instrumental"              # 33
  string "Acid"                      # 34
  string "House"                     # 35
  string "Game"                      # 36
  string "Sound Clip"                # 37
  string "Gospel"                    # 38
  string "Noise"                     # 39
  string "Alt. Rock"                 # 40
  string "Bass"                      # 41
  string "Soul"                      # 42
  string "Punk"                      # 43
  string "Space"                     # 44
  string "Meditative"                # 45
  string "Instrumental Pop"          # 46
  string "Instrumental Rock"         # 47
  string "Ethnic"                    # 48
  string "Gothic"                    # 49
  string "Darkwave"                  # 50
  string "Techno-Industrial"         # 51
  string "Electronic"                # 52
  string "Pop-Folk"                  # 53
  string "Eurodance"                 # 54
  string "Dream"                     # 55
  string "Southern Rock"             # 56
  string "Comedy"                    # 57
  string "Cult"                      # 58
  string "Gangsta Rap"               # 59
  string "Top 40"                    # 60
  string "Christian Rap"             # 61
  string "Pop/Funk"                  # 62
  string "Jungle"                    # 63
  string "Native American"           # 64
  string "Cabaret"                   # 65
  string "New Wave"                  # 66
  string "Psychedelic"               # 67
  string "Rave"                      # 68
  string "Showtunes"                 # 69
  string "Trailer"                   # 70
  string "Lo-Fi"                     # 71
  string "Tribal"                    # 72
  string "Acid Punk"                 # 73
  string "Acid Jazz"                 # 74
  string "Polka"                     # 75
  string "Retro"                     # 76
  string "Musical"                   # 77
  string "Rock & Roll"               # 78
  string "Hard Rock"                 # 79
  string "Folk"                      # 80
  string "Folk-Rock"                 # 81
  string "National Folk"             # 82
  string "Swing"                     # 83
  string "Fast-Fusion"               # 84
  string "Bebop"                     # 85
  string "Latin"                     # 86
  string "Revival"                   # 87
  string "Celtic"                    # 88
  string "Bluegrass"                 # 89
  string "Avantgarde"                # 90
  string "Gothic Rock"               # 91
  string "Progressive Rock"          # 92
  string "Psychedelic Rock"          # 93
  string "Symphonic Rock"            # 94
  string "Slow Rock"                 # 95
  string "Big Band"                  # 96
  string "Chorus"                    # 97
  string "Easy Listening"            # 98
  string "Acoustic"                  # 99
  string "Humour"                    # 100
  string "Speech"                    # 101
  string "Chanson"                   # 102
  string "Opera"                     # 103
  string "Chamber Music"             # 104
  string "Sonata"                    # 105
  string "Symphony"                  # 106
  string "Booty Bass"                # 107
  string "Primus"                    # 108
  string "Porn Groove"               # 109
  string "Satire"                    # 110
  string "Slow Jam"                  # 111
  string "Club"                      # 112
  string "Tango"                     # 113
  string "Samba"                     # 114
  string "Folklore"                  # 115
  string "Ballad"                    # 116
  string "Power Ballad"              # 117
  string "Rhythmic Soul"             # 118
  string "Freestyle"                 # 119
  string "Duet"                      # 120
  string "Punk Rock"                 # 121
  string "Drum Solo"                 # 122
  string "A Cappella"                # 123
  string "Euro-House"                # 124
  string "Dance Hall"                # 125
  string "Goa"                       # 126
  string "Drum & Bass"               # 127
  string "Club-House"                # 128
  string "Hardcore"                  # 129
  string "Terror"                    # 130
  string "Indie"                     # 131
  string "BritPop"                   # 132
  string "Afro-Punk"                 # 133
  string "Polsk Punk"                # 134
  string "Beat"                      # 135
  string "Christian Gangsta Rap"     # 136
  string "Heavy Metal"               # 137
  string "Black Metal"               # 138
  string "Crossover"                 # 139
  string "Contemporary Christian"    # 140
  string "Christian Rock"            # 141
  string "Merengue"                  # 142
  string "Salsa"                     # 143
  string "Thrash Metal"              # 144
  string "Anime"                     # 145
  string "JPop"                      # 146
  string "Synthpop"                  # 147
}
