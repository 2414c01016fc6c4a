#pragma once

#include <QString>

#include <array>

// The box's state pictures, one per look and value.
enum class CheckPicture {
    IdleChecked,
    IdleNoValue,
    MouseoverChecked,
    MouseoverNoValue,
    PushedChecked,
    PushedNoValue,
    DisabledChecked,
    DisabledNoValue,
};

constexpr std::array<CheckPicture, 8> AllCheckPictures = {
    CheckPicture::IdleChecked,      CheckPicture::IdleNoValue,     CheckPicture::MouseoverChecked,
    CheckPicture::MouseoverNoValue, CheckPicture::PushedChecked,   CheckPicture::PushedNoValue,
    CheckPicture::DisabledChecked,  CheckPicture::DisabledNoValue,
};

// The picture for the box's state. The value flips on the press, so while
// pressed the picture shows the value from before the press. A disabled box
// shows neither hover nor press.
CheckPicture ChoosePicture(bool enabled, bool value, bool hover, bool pressed);

// "IdleChecked" and so on: also the name of its 1x picture in pictures/, without ".png".
QString PictureName(CheckPicture picture);
