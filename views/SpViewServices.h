// Hands the libraries below the views what they call in the views while the program runs: the
// framework gets the redrawing, hot spots, geometry helpers, cursors, font list and dialog
// snapshots; the core gets the Icon Services test. Called once when the program starts,
// before the framework's start-up.
#pragma once

void Sp_InstallViewServices();
