#pragma once

// The resource number of the window's icon in quenor.exe (quenor_resources.rc.in), shared by
// the resource script and the code that loads it.
#define QUENOR_ICON_RESOURCE 1
