# The standard file icons of the file-icon manager (views/SpFileIconManager.h): volumes here
# keep no desktop database, so files get these by their type or their name's extension.

resource 'ICN#' 9300 "Document" {
    png "file-icons/document.png"
}
resource 'ICN#' 9301 "Sound File" {
    png "file-icons/sound.png"
}
resource 'ICN#' 9302 "AIFF File" {
    png "file-icons/aiff.png"
}
resource 'ICN#' 9303 "WAVE File" {
    png "file-icons/wave.png"
}
resource 'ICN#' 9304 "MP3 File" {
    png "file-icons/mp3.png"
}
resource 'ICN#' 9305 "MPEG-4 Audio File" {
    png "file-icons/m4a.png"
}
resource 'ICN#' 9306 "QuickTime Movie" {
    png "file-icons/movie.png"
}
