#include "SpDragAndDropObject.h"

// The platform has no Drag Manager yet, so no drag-and-drop manager can be made: nothing is
// installed and nothing is registered.
void SpDDO_InitializeDragAndDrop() {}
