#pragma once

#include "songoutcome.h"

#include <QIcon>

// The mark a song's row carries after a run: drawn by code at whatever size and
// pixel ratio it is shown, so it is crisp on any screen. Empty is a blank of the
// same size, keeping the rows' text in line.
QIcon OutcomeIcon(SongOutcome::Kind kind);
// A song whose file the library already holds, before a run reached it.
QIcon LibraryIcon();
QIcon BlankOutcomeIcon();
