#include "SpDragAndDropObject.h"

#include "SpServiceHooks.h"

// The platform has no Drag Manager yet, so no drag-and-drop manager can be made: nothing is
// installed and nothing is registered.
void SpDDO_InitializeDragAndDrop() {}

void SpDDO_InstallDragServices() {
  sSpDragServices services = {};
  services.SpDDO_InitializeDragAndDrop = SpDDO_InitializeDragAndDrop;
  Sp_SetupDragServices(&services);
}
