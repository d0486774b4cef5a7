#pragma once
// The eleven 16 x 16 toolbar pictures, drawn at run time.
#include <QIcon>

// The picture of a command of the toolbar (an empty icon for any other).
QIcon ToolbarIcon(int commandId);
// The program's own icon: a red piece on a board square.
QIcon ApplicationIcon();
