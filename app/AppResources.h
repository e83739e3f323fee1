#pragma once

#include <QIcon>

// Registers the images compiled into the program (lamps, icon). The resources
// live in a static library, whose registration the linker would otherwise drop.
void LoadAppResources();

// The program's icon, for its windows. The icons installed for the desktop
// are drawn from the same image.
QIcon AppIcon();
