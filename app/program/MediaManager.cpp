// The media manager: the program a person starts.
//
//   mediamanager [--display=desktop|headless]
#include "CDObjectSource.h"

int main(int argc, char** argv) {
  return CDR_Main(argc, argv);
}
