#include "imageswitch.h"

#include <QPainter>
#include <QPixmap>

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

} // namespace

ImageSwitch::ImageSwitch(QWidget *parent)
    : QWidget(parent)
    , offImage(QLatin1String(pictureSets[ButtonStyle_2].off))
    , onImage(QLatin1String(pictureSets[ButtonStyle_2].on))
    , currentImage(offImage)
{
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
    update();
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
    currentImage = checkedState ? offImage : onImage;
    checkedState = !checkedState;
    emit checked(checkedState);
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
}
