#pragma once

#include <QString>

// What the program sets before it makes its window: its names in the settings
// store, the Russian locale for month and day names, and the font the layout
// was made for (or its nearest metric twin).
void SetUpProgram();

// The family to ask for in place of one of the Windows fonts the layout was made
// for ("MS Sans Serif", "Tahoma"): itself where installed, else its nearest
// installed metric twin. Naming an installed family spares the font matching a
// search for fallbacks, which costs a noticeable part of the start-up.
QString ProgramFontFamily(const QString &windowsFamily);
