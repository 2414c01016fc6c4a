#include "eventcodes.h"

#include <QKeyEvent>

#include <array>
#include <string_view>
#include <utility>

qint16 ShiftMask(Qt::KeyboardModifiers modifiers)
{
    qint16 mask = 0;
    if (modifiers & Qt::ShiftModifier)
        mask |= 1;
    if (modifiers & Qt::ControlModifier)
        mask |= 2;
    if (modifiers & Qt::AltModifier)
        mask |= 4;
    return mask;
}

qint16 ButtonMask(Qt::MouseButtons buttons)
{
    qint16 mask = 0;
    if (buttons & Qt::LeftButton)
        mask |= 1;
    if (buttons & Qt::RightButton)
        mask |= 2;
    if (buttons & Qt::MiddleButton)
        mask |= 4;
    return mask;
}

namespace {

// The key code of a character of the US layout, shifted or not; 0 if none.
qint16 UsKeyCode(char32_t c)
{
    if ((c >= U'A' && c <= U'Z') || (c >= U'0' && c <= U'9'))
        return qint16(c);
    if (c >= U'a' && c <= U'z')
        return qint16(c - U'a' + U'A');
    static constexpr std::u32string_view shiftedDigits = U")!@#$%^&*(";
    if (const auto at = shiftedDigits.find(c); at != std::u32string_view::npos)
        return qint16(U'0' + at);
    static constexpr std::array<std::pair<std::u32string_view, qint16>, 11> keys = {{
        {U";:", 186},
        {U"=+", 187},
        {U",<", 188},
        {U"-_", 189},
        {U".>", 190},
        {U"/?", 191},
        {U"`~", 192},
        {U"[{", 219},
        {U"\\|", 220},
        {U"]}", 221},
        {U"'\"", 222},
    }};
    for (const auto &[chars, code] : keys) {
        if (chars.find(c) != std::u32string_view::npos)
            return code;
    }
    return 0;
}

// The main block of a PC keyboard by XKB key code, as the keys are marked in
// the US layout.
qint16 PhysicalKeyCode(quint32 scanCode)
{
    static constexpr std::array<std::pair<quint32, std::u32string_view>, 4> rows = {{
        {10, U"1234567890-="},
        {24, U"QWERTYUIOP[]"},
        {38, U"ASDFGHJKL;'`"},
        {51, U"\\ZXCVBNM,./"},
    }};
    // The extra key left of Z on European keyboards.
    if (scanCode == 94)
        return 226;
    for (const auto &[first, keys] : rows) {
        if (scanCode >= first && scanCode < first + keys.size())
            return UsKeyCode(keys[scanCode - first]);
    }
    return 0;
}

// A Cyrillic letter by the Latin key that carries it in the Russian layout.
qint16 RussianKeyCode(char32_t c)
{
    static constexpr std::u32string_view russian = U"ЁЙЦУКЕНГШЩЗХЪФЫВАПРОЛДЖЭЯЧСМИТЬБЮ";
    static constexpr std::u32string_view latin = U"`QWERTYUIOP[]ASDFGHJKL;'ZXCVBNM,.";
    static_assert(russian.size() == latin.size());
    const auto at = russian.find(c);
    return at == std::u32string_view::npos ? 0 : UsKeyCode(latin[at]);
}

qint16 KeypadKeyCode(int qtKey)
{
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return qint16(96 + (qtKey - Qt::Key_0));
    switch (qtKey) {
    case Qt::Key_Asterisk:
        return 106;
    case Qt::Key_Plus:
        return 107;
    case Qt::Key_Minus:
        return 109;
    case Qt::Key_Period:
    case Qt::Key_Comma:
        return 110;
    case Qt::Key_Slash:
        return 111;
    default:
        return 0;
    }
}

} // namespace

qint16 WindowsKeyCode(int qtKey, const KeyOrigin &origin)
{
    if (origin.virtualKey != 0)
        return qint16(origin.virtualKey);
    if (origin.keypad) {
        if (const qint16 code = KeypadKeyCode(qtKey))
            return code;
    }
    if ((qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z) || (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9) ||
        qtKey == Qt::Key_Space)
        return qint16(qtKey);
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return qint16(112 + (qtKey - Qt::Key_F1));

    static constexpr std::array<std::pair<int, qint16>, 23> table = {{
        {Qt::Key_Backspace, 8}, {Qt::Key_Tab, 9},          {Qt::Key_Backtab, 9},
        {Qt::Key_Return, 13},   {Qt::Key_Enter, 13},       {Qt::Key_Shift, 16},
        {Qt::Key_Control, 17},  {Qt::Key_Alt, 18},         {Qt::Key_Pause, 19},
        {Qt::Key_CapsLock, 20}, {Qt::Key_Escape, 27},      {Qt::Key_PageUp, 33},
        {Qt::Key_PageDown, 34}, {Qt::Key_End, 35},         {Qt::Key_Home, 36},
        {Qt::Key_Left, 37},     {Qt::Key_Up, 38},          {Qt::Key_Right, 39},
        {Qt::Key_Down, 40},     {Qt::Key_Insert, 45},      {Qt::Key_Delete, 46},
        {Qt::Key_NumLock, 144}, {Qt::Key_ScrollLock, 145},
    }};
    for (const auto &[key, code] : table) {
        if (key == qtKey)
            return code;
    }
    if (const qint16 code = PhysicalKeyCode(origin.scanCode))
        return code;
    const auto c = char32_t(qtKey);
    if (const qint16 code = RussianKeyCode(QChar::toUpper(c)))
        return code;
    return UsKeyCode(c);
}
