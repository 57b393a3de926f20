#include "switchbutton.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

namespace
{

constexpr int barRadius = 6;
constexpr int separatorWidth = 2;
const QColor separatorColor(0, 0, 0, 50);

} // namespace

SwitchButton::SwitchButton(QWidget *parent)
    : QWidget(parent)
{
    // Hover marks need moves without a pressed button.
    setMouseTracking(true);

    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QColor(46, 134, 193));
    pal.setBrush(QPalette::All, QPalette::Highlight, QColor(33, 97, 140));
    pal.setBrush(QPalette::All, QPalette::Light, QColor(93, 173, 226));
    pal.setBrush(QPalette::All, QPalette::WindowText, QColor(215, 219, 221));
    setPalette(pal);

    QFont f = font();
    f.setPixelSize(16);
    setFont(f);
}

SwitchButton::~SwitchButton() = default;

void SwitchButton::append(const QString &text)
{
    texts.append(text);
}

bool SwitchButton::insert(int index, const QString &text)
{
    if (index < 0 || index > texts.size())
        return false;
    texts.insert(index, text);
    return true;
}

bool SwitchButton::remove(int index)
{
    if (index < 0 || index >= texts.size())
        return false;
    texts.removeAt(index);
    return true;
}

bool SwitchButton::setText(int index, const QString &text)
{
    if (index < 0 || index >= texts.size())
        return false;
    texts[index] = text;
    return true;
}

QString SwitchButton::getText(int index) const
{
    return texts.value(index);
}

int SwitchButton::count() const
{
    return texts.size();
}

int SwitchButton::currentIndex() const
{
    return current;
}

QString SwitchButton::currentText() const
{
    return texts.value(current);
}

void SwitchButton::setCurrentIndex(int index, bool notify)
{
    if (index == current)
        return;
    if (notify)
        emit indexChanged(index);
    current = index;
    update();
}

QSize SwitchButton::sizeHint() const
{
    return QSize(100 * count(), 40);
}

void SwitchButton::mousePressEvent(QMouseEvent *event)
{
    const int seg = segmentPitch();
    if (seg <= 0)
        return;
    // The columns right of the last segment (the remainder of the pitch division) belong to it;
    // users take any index outside the segments for "none of them".
    const int x = qRound(event->localPos().x());
    setCurrentIndex(qBound(0, x / seg, count() - 1), true);
}

void SwitchButton::mouseMoveEvent(QMouseEvent *event)
{
    hoverX = qRound(event->localPos().x());
    update();
}

void SwitchButton::enterEvent(QEvent *)
{
    hovered = true;
    update();
}

void SwitchButton::leaveEvent(QEvent *)
{
    hovered = false;
    update();
}

void SwitchButton::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);

    painter.setBrush(palette().window());
    painter.drawRoundedRect(rect(), barRadius, barRadius, Qt::AbsoluteSize);

    const int n = count();
    const int seg = segmentPitch();
    if (seg <= 0)
        return; // nothing to divide the bar into

    const int h = height();
    for (int i = 1; i < n; ++i)
        painter.fillRect(i * seg - separatorWidth, 0, separatorWidth, h, separatorColor);

    if (hovered)
        painter.fillPath(segmentShape(hoverX / seg, seg), palette().light());
    painter.fillPath(segmentShape(current, seg), palette().highlight());

    QFont labelFont = font();
    labelFont.setWeight(57);
    labelFont.setStyleStrategy(QFont::PreferAntialias);
    painter.setFont(labelFont);
    painter.setPen(palette().color(QPalette::WindowText));
    // Without Qt::TextDontClip, drawText clips a long label to its segment.
    for (int i = 0; i < n; ++i)
        painter.drawText(QRect(i * seg, 0, seg - separatorWidth, h), Qt::AlignCenter, texts.at(i));
}

int SwitchButton::segmentPitch() const
{
    const int n = count();
    return n > 0 ? (width() + separatorWidth) / n : 0;
}

// The mark of segment k. The outer ends follow the bar's rounded corners out to the control's
// edge; the first segment's mark also covers the first column of the separator after it.
QPainterPath SwitchButton::segmentShape(int k, int seg) const
{
    QPainterPath path;
    path.setFillRule(Qt::WindingFill);
    const int n = count();
    if (k < 0 || k >= n)
        return path;

    const int h = height();
    const auto addColumns = [&path, h](int first, int last) {
        if (last >= first)
            path.addRect(first, 0, last - first + 1, h);
    };
    const int end = 2 * barRadius;
    if (k == 0) {
        path.addRoundedRect(0, 0, end, h, barRadius, barRadius, Qt::AbsoluteSize);
        addColumns(barRadius, seg - separatorWidth);
    }
    if (k == n - 1) {
        path.addRoundedRect(width() - end, 0, end, h, barRadius, barRadius, Qt::AbsoluteSize);
        addColumns((n - 1) * seg, n * seg - 3 - barRadius);
    }
    if (k > 0 && k < n - 1)
        addColumns(k * seg, k * seg + seg - 3);
    return path;
}
