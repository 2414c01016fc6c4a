#include "checkartwork.h"

#include "devicepixels.h"

#include <QPainter>

#include <algorithm>
#include <array>
#include <cmath>

namespace {

constexpr int Side = CheckPictureSide;
// Top left corner of the 7 x 7 tick.
constexpr QPoint TickAt(3, 2);

constexpr QRgb Grey(int level)
{
    return qRgb(level, level, level);
}

// Where a device pixel of the face lies. x and y are logical, measured like the
// pixels of the designed picture: pixel (x, y) of the 1x picture is (x, y) here,
// and at a higher ratio the device pixels inside it take the values between.
struct Spot
{
    double x;
    double y;
    bool ridge; // the last face pixel along the bottom or the right
};

// Steps of the face from the frame inwards, the last one for the rest of the
// face; between two steps the colours blend.
template<std::size_t N> QRgb Ramp(const std::array<QRgb, N> &steps, double distance)
{
    const double d = std::clamp(distance, 0.0, double(N - 1));
    const auto i = std::size_t(d);
    const double f = d - double(i);
    if (f == 0.0 || i + 1 >= N)
        return steps[i];
    const auto mix = [f](int a, int b) { return int(std::lround(a + (b - a) * f)); };
    const QRgb a = steps[i];
    const QRgb b = steps[i + 1];
    return qRgb(mix(qRed(a), qRed(b)), mix(qGreen(a), qGreen(b)), mix(qBlue(a), qBlue(b)));
}

struct Look
{
    QRgb frame;
    QRgb tick;
    QRgb (*face)(const Spot &spot);
};

// Raised: light along the top and left, a touch darker along the bottom and right.
QRgb IdleFace(const Spot &s)
{
    constexpr std::array<QRgb, 3> light = {Grey(248), Grey(236), Grey(223)};
    if (s.ridge)
        return Grey(214);
    return Ramp(light, std::min(s.x, s.y) - 1);
}

// Almost white in the middle, light grey towards the edges: a glow, round
// rather than square so that no rings show.
QRgb MouseoverFace(const Spot &s)
{
    constexpr double centre = (Side - 1) / 2.0;
    constexpr double corner = (centre - 1) * (centre - 1) * 2;
    const double dx = s.x - centre;
    const double dy = s.y - centre;
    const double reach = (dx * dx + dy * dy) / corner; // 0 in the middle, 1 in a corner
    return Grey(255 - int(40 * reach + 0.5));
}

// Sunk in: beige, shaded from the top and left.
QRgb PushedFace(const Spot &s)
{
    constexpr std::array<QRgb, 3> shade = {qRgb(198, 186, 152), qRgb(218, 208, 180),
                                           qRgb(236, 228, 206)};
    return Ramp(shade, std::min(s.x, s.y) - 1);
}

QRgb DisabledFace(const Spot &)
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

QImage DrawCheckPicture(CheckPicture picture, qreal ratio, const QColor &focusFrame)
{
    if (!(ratio > 0))
        ratio = 1.0;
    const Look look = LookOf(picture);
    const QRgb frame = focusFrame.isValid() ? focusFrame.rgb() : look.frame;
    const int n = int(std::lround(Side * ratio)); // device pixels a side
    const int line = DevicePixels::LineWidth(ratio);
    QImage image(n, n, QImage::Format_RGB32);
    for (int y = 0; y < n; ++y) {
        for (int x = 0; x < n; ++x) {
            const bool edge = x < line || y < line || x >= n - line || y >= n - line;
            if (edge) {
                image.setPixel(x, y, frame);
                continue;
            }
            const bool ridge = x >= n - 2 * line || y >= n - 2 * line;
            const Spot spot{(x + 0.5) / ratio - 0.5, (y + 0.5) / ratio - 0.5, ridge};
            image.setPixel(x, y, look.face(spot));
        }
    }
    image.setDevicePixelRatio(ratio);
    if (Ticked(picture)) {
        QPainter painter(&image);
        DevicePixels::DrawTick(painter, TickAt, QColor::fromRgb(look.tick));
    }
    return image;
}
