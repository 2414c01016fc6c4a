#include "resolvecolor.h"

#include <array>

namespace {

struct RoleFor
{
    QPalette::ColorGroup group;
    QPalette::ColorRole role;
};

constexpr QPalette::ColorGroup A = QPalette::Active;

constexpr std::array<RoleFor, 31> systemRoles = {{
    {A, QPalette::Button},                // 0 scroll bar
    {A, QPalette::Dark},                  // 1 desktop
    {A, QPalette::Highlight},             // 2 active caption
    {A, QPalette::Mid},                   // 3 inactive caption
    {A, QPalette::Window},                // 4 menu
    {A, QPalette::Base},                  // 5 window
    {A, QPalette::Shadow},                // 6 window frame
    {A, QPalette::WindowText},            // 7 menu text
    {A, QPalette::Text},                  // 8 window text
    {A, QPalette::HighlightedText},       // 9 caption text
    {A, QPalette::Button},                // 10 active border
    {A, QPalette::Button},                // 11 inactive border
    {A, QPalette::Dark},                  // 12 app workspace
    {A, QPalette::Highlight},             // 13 highlight
    {A, QPalette::HighlightedText},       // 14 highlight text
    {A, QPalette::Button},                // 15 button face
    {A, QPalette::Dark},                  // 16 button shadow
    {QPalette::Disabled, QPalette::Text}, // 17 grey text
    {A, QPalette::ButtonText},            // 18 button text
    {A, QPalette::Light},                 // 19 inactive caption text
    {A, QPalette::Light},                 // 20 button highlight
    {A, QPalette::Shadow},                // 21 3D dark shadow
    {A, QPalette::Midlight},              // 22 3D light
    {A, QPalette::ToolTipText},           // 23 info text
    {A, QPalette::ToolTipBase},           // 24 info background
    {A, QPalette::NoRole},                // 25 unused
    {A, QPalette::Link},                  // 26 hot light
    {A, QPalette::Highlight},             // 27 gradient active caption
    {A, QPalette::Mid},                   // 28 gradient inactive caption
    {A, QPalette::Highlight},             // 29 menu highlight
    {A, QPalette::Window},                // 30 menu bar
}};

} // namespace

QColor ResolveColor(quint32 value, const QPalette &palette)
{
    if (value & SystemColorFlag) {
        const quint32 index = value & 0xFFu;
        if ((value & 0x7FFFFF00u) != 0 || index >= systemRoles.size() ||
            systemRoles[index].role == QPalette::NoRole)
            return QColor(0, 0, 0);
        return palette.color(systemRoles[index].group, systemRoles[index].role);
    }
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

quint32 ColorValue(const QColor &color)
{
    return RGBValue(color.red(), color.green(), color.blue());
}
