#include "checkpicture.h"

using namespace Qt::StringLiterals;

CheckPicture ChoosePicture(bool enabled, bool value, bool hover, bool pressed)
{
    if (!enabled)
        return value ? CheckPicture::DisabledChecked : CheckPicture::DisabledNoValue;
    if (pressed)
        return value ? CheckPicture::PushedNoValue : CheckPicture::PushedChecked;
    if (hover)
        return value ? CheckPicture::MouseoverChecked : CheckPicture::MouseoverNoValue;
    return value ? CheckPicture::IdleChecked : CheckPicture::IdleNoValue;
}

QString PictureName(CheckPicture picture)
{
    switch (picture) {
    case CheckPicture::IdleChecked:
        return u"IdleChecked"_s;
    case CheckPicture::IdleNoValue:
        return u"IdleNoValue"_s;
    case CheckPicture::MouseoverChecked:
        return u"MouseoverChecked"_s;
    case CheckPicture::MouseoverNoValue:
        return u"MouseoverNoValue"_s;
    case CheckPicture::PushedChecked:
        return u"PushedChecked"_s;
    case CheckPicture::PushedNoValue:
        return u"PushedNoValue"_s;
    case CheckPicture::DisabledChecked:
        return u"DisabledChecked"_s;
    case CheckPicture::DisabledNoValue:
        return u"DisabledNoValue"_s;
    }
    return {};
}
