// The data of a drag of selected text: the promised 'TEXT' and 'styl' flavours, made from the
// selection when a target asks for them.
#include "MacMemory.h"
#include "Scrap.h"
#include "SpEditTextObject.h"

short cEditTextObject::DragSendFlavorData(unsigned long itemRef, unsigned long flavor) {
  if (dragSource_ == nullptr) return paramErr;
  if (flavor != kScrapFlavorTypeText && flavor != kScrapFlavorTypeTextStyle) return paramErr;
  std::string text;
  char* style = nullptr;
  SInt32 styleSize = 0;
  OSErr result = paramErr;
  if (SelectionScrapData(text, style, styleSize)) {
    if (flavor == kScrapFlavorTypeText) {
      result = dragSource_->DragUserReturnData(UInt32(itemRef), UInt32(flavor), text.data(),
                                               SInt32(text.size()), nullptr);
    } else if (style != nullptr && styleSize > 0) {
      result = dragSource_->DragUserReturnData(UInt32(itemRef), UInt32(flavor), style, styleSize,
                                               nullptr);
    }
  }
  if (style != nullptr) DisposePtr(style);
  return result == noErr ? noErr : paramErr;
}

OSErr SpETO_DragAndDropSendDataProc(UInt32 itemRef, UInt32 flavorType, unsigned long refCon) {
  if (refCon == 0) return paramErr;
  return reinterpret_cast<cEditTextObject*>(refCon)->DragSendFlavorData(itemRef, flavorType);
}
