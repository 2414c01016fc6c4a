#pragma once

#include "buttongeometry.h"
#include "buttoninput.h"

#include <QBasicTimer>
#include <QImage>
#include <QWidget>

class PropertyBag;
struct ButtonSnapshot;

// The themed push button, drawn by itself in one of four styles: 0 classic
// raised, 1 and 2 flat until the pointer is over it, 3 a gradient face with
// rounded corners and a coloured hover frame. It may carry a picture beside its
// caption, an access key ("Sa&ve": Alt+V), a focus rectangle and a tooltip.
//
// A new button starts blank (style 0, no focus rectangle, picture size 0 x 0);
// ReadProperties gives the designed defaults for every key the bag lacks.
// Colours are 32-bit values resolved with ResolveColor.
class XpB : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE setCaption)
    Q_PROPERTY(int ButtonStyle READ ButtonStyle WRITE setButtonStyle)
    Q_PROPERTY(int PicturePosition READ PicturePosition WRITE setPicturePosition)
    Q_PROPERTY(QImage Picture READ Picture WRITE setPicture)
    Q_PROPERTY(bool ShowFocusRect READ ShowFocusRect WRITE setShowFocusRect)
    Q_PROPERTY(quint32 XPColor_Pressed READ XPColor_Pressed WRITE setXPColor_Pressed)
    Q_PROPERTY(quint32 XPColor_Hover READ XPColor_Hover WRITE setXPColor_Hover)
    Q_PROPERTY(bool XPDefaultColors READ XPDefaultColors WRITE setXPDefaultColors)
    Q_PROPERTY(quint32 MaskColor READ MaskColor WRITE setMaskColor)
    Q_PROPERTY(bool UseMaskColor READ UseMaskColor WRITE setUseMaskColor)
    Q_PROPERTY(QString MyTip READ MyTip WRITE setMyTip)
    Q_PROPERTY(bool EnabledCtrl READ EnabledCtrl WRITE setEnabledCtrl)

public:
    explicit XpB(QWidget *parent = nullptr);

    QString Caption() const { return caption; }
    // Also sets the access key.
    void setCaption(const QString &text);
    int ButtonStyle() const { return buttonStyle; }
    void setButtonStyle(int style);
    int PicturePosition() const { return picturePosition; }
    void setPicturePosition(int position);
    QImage Picture() const { return picture; }
    // The picture's size becomes the size laid out.
    void setPicture(const QImage &image);
    bool ShowFocusRect() const { return showFocusRect; }
    void setShowFocusRect(bool show);
    // The two XP colours show from the next paint on; while XPDefaultColors is
    // on, every Refresh of an enabled style 3 button puts the defaults back.
    quint32 XPColor_Pressed() const { return xpColorPressed; }
    void setXPColor_Pressed(quint32 color) { xpColorPressed = color; }
    quint32 XPColor_Hover() const { return xpColorHover; }
    void setXPColor_Hover(quint32 color) { xpColorHover = color; }
    bool XPDefaultColors() const { return xpDefaultColors; }
    void setXPDefaultColors(bool on) { xpDefaultColors = on; }
    // The transparent colour of a bitmap picture. While UseMaskColor is off,
    // each Refresh of an enabled button stores the bitmap's top-left pixel here.
    quint32 MaskColor() const { return maskColor; }
    void setMaskColor(quint32 color);
    bool UseMaskColor() const { return useMaskColor; }
    void setUseMaskColor(bool use);
    // The tooltip; empty means none.
    QString MyTip() const { return myTip; }
    void setMyTip(const QString &text);
    bool EnabledCtrl() const;
    // Enables or disables and drops the focus, press and hover flags.
    void setEnabledCtrl(bool enabled);
    // The native window that carries the button (0 before one exists).
    WId mhwnd() const { return effectiveWinId(); }

    // Full repaint; the colours a paint stores are stored at once.
    void Refresh();

    // What the access key does, also for an assistive tool's Press: Click when
    // enabled, no press shown.
    void ClickAsAccessKey();

    void ReadProperties(const PropertyBag &bag);
    void WriteProperties(PropertyBag &bag) const;

    // Inside state, read only.
    int PressState() const { return input.pressState(); }
    bool Hovering() const { return input.hovering(); }
    bool HasFocus() const { return input.hasFocus(); }
    QChar accessKey() const { return key; }
    WinRect CaptionRect() const { return captionRect; }
    WinRect PictureRect() const { return pictureRect; }

Q_SIGNALS:
    // Declared in this order on purpose: hosts may dispatch by index.
    void Click();
    void KeyDown(qint16 KeyCode, qint16 Shift);
    void KeyUp(qint16 KeyCode, qint16 Shift);
    void MouseDown(qint16 Button, qint16 Shift, float X, float Y);
    void MouseMove(qint16 Button, qint16 Shift, float X, float Y);
    void MouseUp(qint16 Button, qint16 Shift, float X, float Y);
    void MouseIn(qint16 Shift);
    void MouseOut(qint16 Shift);

protected:
    bool event(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void changeEvent(QEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void timerEvent(QTimerEvent *event) override;

private:
    void ResizeLayout();
    void UpdateAccessKey();
    void LayoutContent();
    ButtonSnapshot TakeSnapshot();
    // The one hit test of every mouse path.
    bool PointerOver(const QPointF &globalPos) const;
    void WakeTip(const QMouseEvent &event);
    // Tells assistive tools when the button goes down or comes up.
    void AnnouncePress();

    ButtonInput input;

    QString caption;
    int buttonStyle = 0;
    int picturePosition = 0;
    QImage picture;
    int pictureWidth = 0;
    int pictureHeight = 0;
    bool showFocusRect = false;
    quint32 xpColorPressed = 0;
    quint32 xpColorHover = 0;
    bool xpDefaultColors = false;
    quint32 maskColor = 0;
    bool useMaskColor = false;
    QString myTip;

    int innerWidth = 0;
    int innerHeight = 0;
    WinRect focusRect;
    WinRect captionRect;
    WinRect pictureRect;
    QChar key;
    int shortcutId = 0;
    QBasicTimer tipTimer;
    QPoint tipAt;
    bool pressAnnounced = false;
};
