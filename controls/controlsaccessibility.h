#pragma once

class QAccessibleInterface;
class QObject;

// What assistive tools see of the widgets that draw themselves, as Qt's own
// widgets have it. One factory serves the whole program, installed with the
// first maker added; each kind of widget adds its maker as its widgets are made
// (adding one again changes nothing).
using AccessibleMaker = QAccessibleInterface *(*)(QObject *object);

// Makers are asked in the order added; the first that answers makes the interface.
void AddAccessibleMaker(AccessibleMaker maker);

// Adds the maker of the drawn controls (XpB, Check, ucCalendar); the first call
// does, the others do nothing.
void InstallControlsAccessibility();
