#include "buttonlayout.h"

namespace {

// Start of a span of the given length centred in [from, to).
int Centred(int from, int to, int length)
{
    return RoundHalfEven((to - from - length) * 0.5 + from);
}

WinRect Sized(int left, int top, QSize size)
{
    return {left, top, left + size.width(), top + size.height()};
}

} // namespace

ButtonLayoutResult LayoutContent(const ButtonLayoutInput &in, const ButtonLayoutResult &previous)
{
    ButtonLayoutResult out = previous;
    const WinRect &c = in.content;
    const QSize pic = in.picture;
    const QSize text = in.captionBlock;

    if (!in.hasCaption) {
        out.picture = Sized(Centred(c.left, c.right, pic.width()),
                            Centred(c.top, c.bottom, pic.height()), pic);
        return out;
    }

    out.caption = Sized(Centred(c.left, c.right, text.width()),
                        Centred(c.top, c.bottom, text.height()), text);
    if (!in.hasPicture)
        return out;

    // Plain int sums: a huge picture or caption only lays out oddly, it cannot fail.
    const int groupWidth = pic.width() + PictureGap + text.width();
    const int groupHeight = pic.height() + PictureGap + text.height();
    switch (in.position) {
    case 0: // picture above
        out.picture = Sized(Centred(c.left, c.right, pic.width()),
                            Centred(c.top, c.bottom, groupHeight), pic);
        out.caption =
            Sized(Centred(c.left, c.right, text.width()), out.picture.bottom + PictureGap, text);
        break;
    case 1: // picture left
        out.picture = Sized(Centred(c.left, c.right, groupWidth),
                            Centred(c.top, c.bottom, pic.height()), pic);
        out.caption =
            Sized(out.picture.right + PictureGap, Centred(c.top, c.bottom, text.height()), text);
        break;
    case 2: // picture right
        out.caption = Sized(Centred(c.left, c.right, groupWidth),
                            Centred(c.top, c.bottom, text.height()), text);
        out.picture =
            Sized(out.caption.right + PictureGap, Centred(c.top, c.bottom, pic.height()), pic);
        break;
    case 3: // picture below
        out.caption = Sized(Centred(c.left, c.right, text.width()),
                            Centred(c.top, c.bottom, groupHeight), text);
        out.picture =
            Sized(Centred(c.left, c.right, pic.width()), out.caption.bottom + PictureGap, pic);
        break;
    default: // unknown position: the caption stays centred alone
        break;
    }
    return out;
}
