#pragma once
// The built-in palettes read from the program's "MYPALDATA" resources.

// Makes LoadBuiltinPaletteInto read the resources of the running program.
void InstallPaletteResourceReader();
