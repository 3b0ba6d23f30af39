// The framework is tested as the program runs it: with the views, the wrapped controls, drag
// and drop and the edit-text engine installed before anything else happens.
#include "SpDragAndDropObject.h"
#include "SpEditTextObject.h"
#include "SpOriginalControl.h"
#include "SpViewServices.h"

namespace {

const bool kInstalled = [] {
  Sp_InstallViewServices();
  Sp_OCnt_InstallControlServices();
  SpDDO_InstallDragServices();
  SpETO_InstallEditTextServices();
  return true;
}();

}  // namespace
