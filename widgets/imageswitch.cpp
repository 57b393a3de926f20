// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageswitch.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QPainter>
#include <QPixmap>

#include "controlsaccessibility.h"

namespace
{

struct PictureSet {
    const char *off;
    const char *on;
    QSize size;
};

const PictureSet pictureSets[] = {
    {":/res/pic/btncheckoff1.png", ":/res/pic/btncheckon1.png", QSize(87, 28)},
    {":/res/pic/btncheckoff2.png", ":/res/pic/btncheckon2.png", QSize(87, 28)},
    {":/res/pic/btncheckoff3.png", ":/res/pic/btncheckon3.png", QSize(96, 38)},
};

// The focus colour of the style sheet's fields and drop-downs.
const QColor focusColour(0x1A, 0xBC, 0x9C);
constexpr qreal ringWidth = 2;
constexpr qreal ringRadius = 5;

} // namespace

ImageSwitch::ImageSwitch(QWidget *parent)
    : QWidget(parent)
    , offImage(QLatin1String(pictureSets[ButtonStyle_2].off))
    , onImage(QLatin1String(pictureSets[ButtonStyle_2].on))
    , currentImage(offImage)
{
    setFocusPolicy(Qt::StrongFocus);
    QPalette pal = palette();
    pal.setColor(QPalette::Highlight, focusColour);
    setPalette(pal);
    installControlsAccessibility();
}

ImageSwitch::~ImageSwitch() = default;

bool ImageSwitch::getChecked() const
{
    return checkedState;
}

ImageSwitch::ButtonStyle ImageSwitch::getButtonStyle() const
{
    return currentStyle;
}

QSize ImageSwitch::sizeHint() const
{
    return QSize(87, 28);
}

QSize ImageSwitch::minimumSizeHint() const
{
    return QSize(87, 28);
}

void ImageSwitch::setChecked(bool isChecked)
{
    if (isChecked == checkedState)
        return;
    checkedState = isChecked;
    currentImage = checkedState ? onImage : offImage;
    announceState();
    update();
}

void ImageSwitch::announceState()
{
    QAccessible::State changed;
    changed.checked = true;
    QAccessibleStateChangeEvent event(this, changed);
    QAccessible::updateAccessibility(&event);
}

void ImageSwitch::setButtonStyle(const ImageSwitch::ButtonStyle &buttonStyle)
{
    if (buttonStyle == currentStyle)
        return;
    currentStyle = buttonStyle;
    // A value outside the enumeration is stored but keeps the pictures and the size.
    if (buttonStyle >= ButtonStyle_1 && buttonStyle <= ButtonStyle_3) {
        const PictureSet &set = pictureSets[buttonStyle];
        offImage = QLatin1String(set.off);
        onImage = QLatin1String(set.on);
        resize(set.size);
    }
    currentImage = checkedState ? onImage : offImage;
    update();
    updateGeometry();
}

// The state flips on the press itself; a double click arrives as a press and a double-click
// event, and the latter is handled as a press too, so it flips twice.
void ImageSwitch::mousePressEvent(QMouseEvent *)
{
    toggle();
}

void ImageSwitch::toggle()
{
    currentImage = checkedState ? offImage : onImage;
    checkedState = !checkedState;
    announceState();
    emit checked(checkedState);
    update();
}

void ImageSwitch::keyPressEvent(QKeyEvent *event)
{
    // Held down, Space repeats; a switch flips once per press.
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        toggle();
        event->accept();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ImageSwitch::focusInEvent(QFocusEvent *event)
{
    QWidget::focusInEvent(event);
    update();
}

void ImageSwitch::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
    update();
}

void ImageSwitch::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    // Read at every paint: two small pictures, and nothing to keep in step when the style changes.
    const QPixmap picture(currentImage);
    if (picture.isNull())
        return;
    const QPixmap scaled = picture.scaled(size(), Qt::KeepAspectRatio, Qt::SmoothTransformation);
    // Centred on the rectangle's centre point; with even sizes that lands one pixel up and left.
    const int x = (width() - 1) / 2 - scaled.width() / 2;
    const int y = (height() - 1) / 2 - scaled.height() / 2;
    painter.drawPixmap(x, y, scaled);

    if (hasFocus()) {
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(palette().color(QPalette::Highlight), ringWidth));
        painter.setBrush(Qt::NoBrush);
        // Just inside the picture, so that the ring is never cut by the control's edge.
        const QRectF ring = QRectF(QRect(QPoint(x, y), scaled.size()) & rect()).adjusted(1, 1, -1, -1);
        painter.drawRoundedRect(ring, ringRadius, ringRadius);
    }
}
