#include "checkartwork.h"

#include <algorithm>
#include <array>

namespace {

constexpr int Side = 12;

// The tick, seven by seven, its top left corner at (TickLeft, TickTop).
constexpr std::array<const char *, 7> Tick = {
    "......#", //
    ".....##", //
    "#...###", //
    "##.###.", //
    "#####..", //
    ".###...", //
    "..#....", //
};
constexpr int TickLeft = 3;
constexpr int TickTop = 2;

constexpr QRgb Grey(int level)
{
    return qRgb(level, level, level);
}

// Steps of the face from an edge inwards; the last step is the rest of the face.
template<std::size_t N> QRgb Step(const std::array<QRgb, N> &steps, int distance)
{
    return steps[std::min<std::size_t>(std::size_t(distance), N - 1)];
}

struct Look
{
    QRgb frame;
    QRgb tick;
    QRgb (*face)(int x, int y); // x and y run from 1 to Side - 2
};

// Raised: light along the top and left, a touch darker along the bottom and right.
QRgb IdleFace(int x, int y)
{
    constexpr std::array<QRgb, 3> light = {Grey(248), Grey(236), Grey(223)};
    if (x == Side - 2 || y == Side - 2)
        return Grey(214);
    return Step(light, std::min(x, y) - 1);
}

// Almost white in the middle, light grey towards the edges: a glow, round
// rather than square so that no rings show.
QRgb MouseoverFace(int x, int y)
{
    constexpr double centre = (Side - 1) / 2.0;
    constexpr double corner = (centre - 1) * (centre - 1) * 2;
    const double dx = x - centre;
    const double dy = y - centre;
    const double reach = (dx * dx + dy * dy) / corner; // 0 in the middle, 1 in a corner
    return Grey(255 - int(40 * reach + 0.5));
}

// Sunk in: beige, shaded from the top and left.
QRgb PushedFace(int x, int y)
{
    constexpr std::array<QRgb, 3> shade = {qRgb(198, 186, 152), qRgb(218, 208, 180),
                                           qRgb(236, 228, 206)};
    return Step(shade, std::min(x, y) - 1);
}

QRgb DisabledFace(int, int)
{
    return Grey(255);
}

Look LookOf(CheckPicture picture)
{
    const QRgb ink = Grey(34);
    switch (picture) {
    case CheckPicture::IdleChecked:
    case CheckPicture::IdleNoValue:
        return {Grey(92), ink, IdleFace};
    case CheckPicture::MouseoverChecked:
    case CheckPicture::MouseoverNoValue:
        return {Grey(140), ink, MouseoverFace};
    case CheckPicture::PushedChecked:
    case CheckPicture::PushedNoValue:
        return {Grey(92), ink, PushedFace};
    case CheckPicture::DisabledChecked:
    case CheckPicture::DisabledNoValue:
        break;
    }
    return {Grey(192), Grey(160), DisabledFace};
}

bool Ticked(CheckPicture picture)
{
    switch (picture) {
    case CheckPicture::IdleChecked:
    case CheckPicture::MouseoverChecked:
    case CheckPicture::PushedChecked:
    case CheckPicture::DisabledChecked:
        return true;
    default:
        return false;
    }
}

} // namespace

QImage DrawCheckPicture(CheckPicture picture)
{
    const Look look = LookOf(picture);
    QImage image(Side, Side, QImage::Format_RGB32);
    for (int y = 0; y < Side; ++y) {
        for (int x = 0; x < Side; ++x) {
            const bool edge = x == 0 || y == 0 || x == Side - 1 || y == Side - 1;
            image.setPixel(x, y, edge ? look.frame : look.face(x, y));
        }
    }
    if (Ticked(picture)) {
        for (int row = 0; row < int(Tick.size()); ++row) {
            for (int column = 0; Tick[row][column] != '\0'; ++column) {
                if (Tick[row][column] == '#')
                    image.setPixel(TickLeft + column, TickTop + row, look.tick);
            }
        }
    }
    return image;
}
