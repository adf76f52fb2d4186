// The places where the drive view hands the user's wish for a command to the tree view commands. Until those are
// built (DriveViewCommands.cpp, which then takes these definitions over and this file goes), nothing is shown.
#include "components/DriveView.h"

void TDriveView::DisplayContextMenu(HTREEITEM, POINT) {}
void TDriveView::DisplayPropertiesMenu(HTREEITEM) {}
