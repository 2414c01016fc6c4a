#pragma once

// What the program sets before it makes its window: its names in the settings
// store, the Russian locale for month and day names, and the font the layout
// was made for (or its nearest metric twin).
void SetUpProgram();
