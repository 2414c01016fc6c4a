#pragma once

#include "propertybag.h"

#include <QRect>
#include <QStringView>

// How the main window was laid out: each control's place in pixels at 96 dpi
// and the stored properties of the placed custom controls.
namespace FormDesign {

constexpr QSize ClientSize(337, 299);

// Place of the control named name, relative to its parent; empty for names
// the form does not hold.
QRect Geometry(QStringView name);

// Stored properties of the placed custom control named name.
PropertyBag SavedProperties(QStringView name);

} // namespace FormDesign
