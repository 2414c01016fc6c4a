#include "xpb.h"

#include "accesskey.h"
#include "buttonlayout.h"
#include "buttonpainter.h"
#include "buttonpicture.h"
#include "controlsaccessibility.h"
#include "eventcodes.h"
#include "propertybag.h"
#include "resolvecolor.h"

#include <QAccessible>
#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcutEvent>
#include <QStyle>

using namespace Qt::StringLiterals;

namespace {

// 150 twips: the smallest side the button lets itself have.
constexpr int MinimumSide = 10;
constexpr int ContentInset = 4;

constexpr quint32 DefaultPressedColor = RGBValue(140, 170, 230);
constexpr quint32 DefaultHoverColor = RGBValue(225, 153, 71);

} // namespace

XpB::XpB(QWidget *parent) : QWidget(parent)
{
    InstallControlsAccessibility();
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // The tip shows whether the window is active or not. Qt asks this of the
    // button's window, so this only serves a button that is a window itself;
    // inside another window WakeTip does the same.
    setAttribute(Qt::WA_AlwaysShowToolTips);

    connect(&input, &ButtonInput::Click, this, &XpB::Click);
    connect(&input, &ButtonInput::KeyDown, this, &XpB::KeyDown);
    connect(&input, &ButtonInput::KeyUp, this, &XpB::KeyUp);
    connect(&input, &ButtonInput::MouseDown, this, &XpB::MouseDown);
    connect(&input, &ButtonInput::MouseMove, this, &XpB::MouseMove);
    connect(&input, &ButtonInput::MouseUp, this, &XpB::MouseUp);
    connect(&input, &ButtonInput::MouseIn, this, &XpB::MouseIn);
    connect(&input, &ButtonInput::MouseOut, this, &XpB::MouseOut);
    connect(&input, &ButtonInput::changed, this, &XpB::Refresh);
    connect(&input, &ButtonInput::changed, this, &XpB::AnnouncePress);
}

void XpB::setCaption(const QString &text)
{
    caption = text;
    UpdateAccessKey();
    Refresh();
    QAccessibleEvent named(this, QAccessible::NameChanged);
    QAccessible::updateAccessibility(&named);
}

void XpB::setButtonStyle(int style)
{
    buttonStyle = style;
    Refresh();
}

void XpB::setPicturePosition(int position)
{
    picturePosition = position;
    Refresh();
}

void XpB::setPicture(const QImage &image)
{
    picture = image;
    if (!picture.isNull()) {
        pictureWidth = picture.width();
        pictureHeight = picture.height();
    }
    Refresh();
}

void XpB::setShowFocusRect(bool show)
{
    showFocusRect = show;
    Refresh();
}

void XpB::setMaskColor(quint32 color)
{
    maskColor = color;
    Refresh();
}

void XpB::setUseMaskColor(bool use)
{
    useMaskColor = use;
    Refresh();
}

void XpB::setMyTip(const QString &text)
{
    myTip = text;
    // An empty text is stored (and saved) but leaves the tip as it was.
    if (!myTip.isEmpty())
        setToolTip(myTip);
}

bool XpB::EnabledCtrl() const
{
    return !testAttribute(Qt::WA_ForceDisabled);
}

void XpB::setEnabledCtrl(bool enabled)
{
    setEnabled(enabled);
    input.reset();
}

void XpB::Refresh()
{
    // What a paint stores into the properties is stored here, with the state
    // change: the host may read or save them before the deferred paint, and a
    // hidden button never paints at all.
    const bool enabled = isEnabled();
    if (buttonStyle == 3 && enabled && xpDefaultColors) {
        xpColorPressed = DefaultPressedColor;
        xpColorHover = DefaultHoverColor;
    }
    if (enabled && !picture.isNull() && IsBitmap(picture) && !useMaskColor)
        maskColor = ColorValue(picture.pixelColor(0, 0));
    update();
}

void XpB::ClickAsAccessKey()
{
    input.accessKey(isEnabled());
}

void XpB::AnnouncePress()
{
    const bool down = input.pressState() != 0;
    if (down == pressAnnounced)
        return;
    pressAnnounced = down;
    QAccessible::State changed;
    changed.pressed = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void XpB::ReadProperties(const PropertyBag &bag)
{
    showFocusRect = bag.ReadProperty(u"ShowFocusRect"_s, true).toBool();
    caption = bag.ReadProperty(u"Caption"_s, objectName()).toString();
    picturePosition = bag.ReadProperty(u"PicturePosition"_s, 1).toInt();
    buttonStyle = bag.ReadProperty(u"ButtonStyle"_s, 2).toInt();
    pictureWidth = bag.ReadProperty(u"PictureWidth"_s, 32).toInt();
    pictureHeight = bag.ReadProperty(u"PictureHeight"_s, 32).toInt();
    picture = PictureFromValue(bag.ReadProperty(u"Picture"_s));
    setEnabled(bag.ReadProperty(u"Enabled"_s, true).toBool());
    xpColorPressed =
        bag.ReadProperty(u"XPColor_Pressed"_s, quint32(SysColor::ButtonHighlight)).toUInt();
    xpColorHover = bag.ReadProperty(u"XPColor_Hover"_s, quint32(SysColor::Light3D)).toUInt();
    xpDefaultColors = bag.ReadProperty(u"XPDefaultColors"_s, true).toBool();
    maskColor = bag.ReadProperty(u"MaskColor"_s, quint32(0)).toUInt();
    useMaskColor = bag.ReadProperty(u"UseMaskColor"_s, false).toBool();
    setMyTip(bag.ReadProperty(u"ToolTip"_s, QString()).toString());
    UpdateAccessKey();
    ResizeLayout();
}

void XpB::WriteProperties(PropertyBag &bag) const
{
    bag.WriteProperty(u"Caption"_s, caption, objectName());
    bag.WriteProperty(u"PicturePosition"_s, picturePosition, 1);
    bag.WriteProperty(u"ButtonStyle"_s, buttonStyle, 2);
    bag.WriteProperty(u"Picture"_s, PictureToText(picture), QString());
    bag.WriteProperty(u"PictureWidth"_s, pictureWidth, 32);
    bag.WriteProperty(u"PictureHeight"_s, pictureHeight, 32);
    bag.WriteProperty(u"Enabled"_s, EnabledCtrl(), true);
    bag.WriteProperty(u"ShowFocusRect"_s, showFocusRect, true);
    bag.WriteProperty(u"XPColor_Pressed"_s, xpColorPressed, quint32(SysColor::ButtonHighlight));
    bag.WriteProperty(u"XPColor_Hover"_s, xpColorHover, quint32(SysColor::Light3D));
    bag.WriteProperty(u"XPDefaultColors"_s, xpDefaultColors, true);
    bag.WriteProperty(u"MaskColor"_s, maskColor, quint32(0));
    bag.WriteProperty(u"UseMaskColor"_s, useMaskColor, false);
    bag.WriteProperty(u"ToolTip"_s, myTip, QString());
}

void XpB::ResizeLayout()
{
    innerWidth = width();
    innerHeight = height();
    if (innerWidth < MinimumSide || innerHeight < MinimumSide) {
        // A shown button comes back here from inside resize(); a hidden one later.
        resize(std::max(innerWidth, MinimumSide), std::max(innerHeight, MinimumSide));
        innerWidth = width();
        innerHeight = height();
    }
    focusRect = {ContentInset, ContentInset, innerWidth - ContentInset, innerHeight - ContentInset};
    Refresh();
}

void XpB::UpdateAccessKey()
{
    if (shortcutId != 0)
        releaseShortcut(shortcutId);
    shortcutId = 0;
    key = AccessKey(caption);
    if (!key.isNull()) {
        const auto qtKey = Qt::Key(key.toUpper().unicode());
        shortcutId = grabShortcut(QKeySequence(QKeyCombination(Qt::AltModifier, qtKey)));
    }
}

void XpB::LayoutContent()
{
    ButtonLayoutInput in;
    in.content = {ContentInset, ContentInset, innerWidth - ContentInset,
                  innerHeight - ContentInset};
    in.hasCaption = !caption.isEmpty();
    if (in.hasCaption)
        in.captionBlock = MeasureCaption(font(), caption, in.content.width());
    in.hasPicture = !picture.isNull();
    in.picture = QSize(pictureWidth, pictureHeight);
    in.position = picturePosition;
    const ButtonLayoutResult out = ::LayoutContent(in, {captionRect, pictureRect});
    captionRect = out.caption;
    pictureRect = out.picture;
}

ButtonSnapshot XpB::TakeSnapshot()
{
    const QPalette &pal = palette();
    const bool enabled = isEnabled();

    // Disabled, the top-left colour is left out all the same, but not stored.
    quint32 transparent = maskColor;
    if (!picture.isNull() && IsBitmap(picture) && !useMaskColor)
        transparent = ColorValue(picture.pixelColor(0, 0));
    LayoutContent();

    ButtonSnapshot s;
    s.width = innerWidth;
    s.height = innerHeight;
    s.style = buttonStyle;
    s.pressState = input.pressState();
    s.hovering = input.hovering();
    s.hasFocus = input.hasFocus();
    s.enabled = enabled;
    s.showFocusRect = showFocusRect;
    s.caption = caption;
    s.font = font();
    s.captionRect = captionRect;
    s.pictureRect = pictureRect;
    s.focusRect = focusRect;
    s.picture = picture;
    s.pictureSize = QSize(pictureWidth, pictureHeight);
    s.maskColor = transparent;
    s.colors.background = ResolveColor(SysColor::ButtonFace, pal);
    s.colors.face = ResolveColor(SysColor::ButtonFace, pal);
    s.colors.frame = ResolveColor(SysColor::DarkShadow3D, pal);
    s.colors.highlight = ResolveColor(SysColor::ButtonHighlight, pal);
    s.colors.shadow = ResolveColor(SysColor::ButtonShadow, pal);
    s.colors.text = ResolveColor(SysColor::ButtonText, pal);
    s.colors.hover = ResolveColor(xpColorHover, pal);
    return s;
}

bool XpB::PointerOver(const QPointF &globalPos) const
{
    const QPoint global = globalPos.toPoint();
    if (!rect().contains(mapFromGlobal(global)))
        return false;
    // Another window or a widget laid over the button hides it.
    const QWidget *top = QApplication::widgetAt(global);
    return top == nullptr || top == this;
}

bool XpB::event(QEvent *event)
{
    if (event->type() == QEvent::Shortcut) {
        const auto *shortcut = static_cast<QShortcutEvent *>(event);
        if (shortcutId != 0 && shortcut->shortcutId() == shortcutId) {
            ClickAsAccessKey();
            return true;
        }
    }
    return QWidget::event(event);
}

void XpB::paintEvent(QPaintEvent *)
{
    const ButtonSnapshot s = TakeSnapshot();
    QPainter p(this);
    PaintButton(p, s);
}

void XpB::resizeEvent(QResizeEvent *)
{
    ResizeLayout();
}

void XpB::changeEvent(QEvent *event)
{
    switch (event->type()) {
    case QEvent::FontChange:
    case QEvent::PaletteChange:
    case QEvent::StyleChange:
        ResizeLayout();
        break;
    case QEvent::EnabledChange:
        Refresh();
        break;
    default:
        break;
    }
    QWidget::changeEvent(event);
}

void XpB::WakeTip(const QMouseEvent &event)
{
    tipTimer.stop();
    if (myTip.isEmpty() || event.buttons() != Qt::NoButton)
        return;
    tipAt = event.position().toPoint();
    tipTimer.start(style()->styleHint(QStyle::SH_ToolTip_WakeUpDelay, nullptr, this), this);
}

void XpB::timerEvent(QTimerEvent *event)
{
    if (event->timerId() != tipTimer.timerId()) {
        QWidget::timerEvent(event);
        return;
    }
    tipTimer.stop();
    // Qt wakes the tip itself in an active window.
    if (window()->testAttribute(Qt::WA_AlwaysShowToolTips) || isActiveWindow())
        return;
    QHelpEvent help(QEvent::ToolTip, tipAt, mapToGlobal(tipAt));
    QCoreApplication::sendEvent(this, &help);
}

void XpB::mouseMoveEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    input.mouseMove(ButtonMask(event->buttons()), ShiftMask(event->modifiers()), float(at.x()),
                    float(at.y()), PointerOver(event->globalPosition()));
    WakeTip(*event);
}

void XpB::mousePressEvent(QMouseEvent *event)
{
    tipTimer.stop();
    const QPointF at = event->position();
    input.mouseDown(ButtonMask(event->button()), ShiftMask(event->modifiers()), float(at.x()),
                    float(at.y()), PointerOver(event->globalPosition()));
}

void XpB::mouseReleaseEvent(QMouseEvent *event)
{
    const QPointF at = event->position();
    input.mouseUp(ButtonMask(event->button()), ShiftMask(event->modifiers()), float(at.x()),
                  float(at.y()), PointerOver(event->globalPosition()));
}

void XpB::leaveEvent(QEvent *)
{
    tipTimer.stop();
    input.pointerLeft(ShiftMask(QGuiApplication::keyboardModifiers()));
}

void XpB::keyPressEvent(QKeyEvent *event)
{
    input.keyDown(WindowsKeyCode(event->key(), KeyOriginOf(*event)), ShiftMask(event->modifiers()));
    if (event->key() != Qt::Key_Space)
        event->ignore();
}

void XpB::keyReleaseEvent(QKeyEvent *event)
{
    // A held key repeats as release and press pairs on some systems: only the
    // real release counts, or a held Space would click over and over.
    if (event->isAutoRepeat()) {
        event->ignore();
        return;
    }
    input.keyUp(WindowsKeyCode(event->key(), KeyOriginOf(*event)), ShiftMask(event->modifiers()));
    if (event->key() != Qt::Key_Space)
        event->ignore();
}

void XpB::focusInEvent(QFocusEvent *event)
{
    input.focusIn();
    QWidget::focusInEvent(event);
}

void XpB::focusOutEvent(QFocusEvent *event)
{
    input.focusOut();
    QWidget::focusOutEvent(event);
}
