#pragma once

// Gives the drawn controls (XpB, Check, ucCalendar) their interfaces for
// assistive tools, as Qt's own widgets have them. Each control calls it when
// made; the first call installs the factory, the others do nothing.
void InstallControlsAccessibility();
