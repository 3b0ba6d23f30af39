// Drag and drop: drop targets, drag sources and flavours.
#pragma once

// Starts drag and drop for the program: when the Drag Manager is there and the drag-and-drop
// manager can be made, installs the drag receive and tracking handlers and registers the
// manager's dispose procedure.
void SpDDO_InitializeDragAndDrop();

// Hands the framework the start of drag and drop, which its start-up runs. Called once when
// the program starts, before the framework's start-up.
void SpDDO_InstallDragServices();
