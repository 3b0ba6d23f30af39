// The desktop database: Linux volumes keep none, so each request answers as a volume
// without one does, and callers take their fallbacks (icons from the program's resources).

#include "Files.h"

OSErr PBDTGetPath(DTPBPtr paramBlock) {
  if (paramBlock == nullptr) return paramErr;
  paramBlock->ioDTRefNum = 0;
  paramBlock->ioResult = paramErr;
  return paramErr;
}

OSErr PBDTGetIconSync(DTPBPtr paramBlock) {
  if (paramBlock == nullptr) return paramErr;
  paramBlock->ioDTActCount = 0;
  paramBlock->ioResult = paramErr;
  return paramErr;
}
