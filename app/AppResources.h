#pragma once

// Registers the images compiled into the program (lamps, icon). The resources
// live in a static library, whose registration the linker would otherwise drop.
void LoadAppResources();
