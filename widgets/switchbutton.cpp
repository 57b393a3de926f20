// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchbutton.h"

#include <QAccessible>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "controlsaccessibility.h"

namespace
{

constexpr int barRadius = 6;
constexpr int separatorWidth = 2;
constexpr int ringInset = 3;
constexpr int ringWidth = 2;
constexpr int minimumLabelPixels = 9;
const QColor separatorColor(0, 0, 0, 50);

} // namespace

SwitchButton::SwitchButton(QWidget *parent)
    : QWidget(parent)
{
    // Hover marks need moves without a pressed button.
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_Hover);
    installControlsAccessibility();

    QPalette pal = palette();
    pal.setBrush(QPalette::All, QPalette::Window, QColor(46, 134, 193));
    pal.setBrush(QPalette::All, QPalette::Highlight, QColor(33, 97, 140));
    pal.setBrush(QPalette::All, QPalette::Light, QColor(93, 173, 226));
    pal.setBrush(QPalette::All, QPalette::WindowText, QColor(215, 219, 221));
    pal.setBrush(QPalette::All, QPalette::BrightText, QColor(255, 255, 255));
    setPalette(pal);

    QFont f = font();
    f.setPixelSize(16);
    setFont(f);
}

SwitchButton::~SwitchButton() = default;

void SwitchButton::append(const QString &text)
{
    segments.append({text, QString(), false});
}

bool SwitchButton::insert(int index, const QString &text)
{
    if (index < 0 || index > segments.size())
        return false;
    segments.insert(index, {text, QString(), false});
    return true;
}

bool SwitchButton::remove(int index)
{
    if (index < 0 || index >= segments.size())
        return false;
    segments.removeAt(index);
    ringed = qBound(0, ringed, qMax(0, count() - 1));
    return true;
}

bool SwitchButton::setText(int index, const QString &text)
{
    if (index < 0 || index >= segments.size())
        return false;
    segments[index].text = text;
    return true;
}

bool SwitchButton::setGroupStart(int index, bool start)
{
    if (index < 0 || index >= segments.size())
        return false;
    segments[index].groupStart = start;
    update();
    return true;
}

QString SwitchButton::getText(int index) const
{
    return segments.value(index).text;
}

int SwitchButton::count() const
{
    return segments.size();
}

bool SwitchButton::setToolTip(int index, const QString &text)
{
    if (index < 0 || index >= segments.size())
        return false;
    segments[index].toolTip = text;
    return true;
}

QString SwitchButton::toolTip(int index) const
{
    return segments.value(index).toolTip;
}

int SwitchButton::focusedIndex() const
{
    return count() > 0 ? ringed : -1;
}

QRect SwitchButton::segmentRect(int index) const
{
    const int seg = segmentPitch();
    if (seg <= 0 || index < 0 || index >= count())
        return QRect();
    // The last segment also owns the columns left over by the pitch division.
    const int right = index == count() - 1 ? width() - 1 : index * seg + seg - separatorWidth - 1;
    return QRect(QPoint(index * seg, 0), QPoint(right, height() - 1));
}

int SwitchButton::currentIndex() const
{
    return current;
}

QString SwitchButton::currentText() const
{
    return segments.value(current).text;
}

void SwitchButton::setCurrentIndex(int index, bool notify)
{
    if (index == current)
        return;
    if (notify)
        emit indexChanged(index);
    current = index;
    if (index >= 0 && index < count()) {
        ringed = index;
        QAccessibleEvent selected(this, QAccessible::Selection);
        selected.setChild(index);
        QAccessible::updateAccessibility(&selected);
    }
    update();
}

void SwitchButton::setFocusedIndex(int index)
{
    if (count() == 0)
        return;
    ringed = qBound(0, index, count() - 1);
    if (hasFocus()) {
        QAccessibleEvent focused(this, QAccessible::Focus);
        focused.setChild(ringed);
        QAccessible::updateAccessibility(&focused);
    }
    update();
}

bool SwitchButton::event(QEvent *event)
{
    if (event->type() == QEvent::ToolTip) {
        const auto *help = static_cast<QHelpEvent *>(event);
        const int seg = segmentPitch();
        const int index = seg > 0 ? qBound(0, help->pos().x() / seg, count() - 1) : -1;
        const QString tip = toolTip(index);
        if (tip.isEmpty())
            QToolTip::hideText();
        else
            QToolTip::showText(help->globalPos(), tip, this, segmentRect(index));
        return true;
    }
    return QWidget::event(event);
}

void SwitchButton::keyPressEvent(QKeyEvent *event)
{
    switch (event->key()) {
    case Qt::Key_Left:
        setFocusedIndex(ringed - 1);
        break;
    case Qt::Key_Right:
        setFocusedIndex(ringed + 1);
        break;
    case Qt::Key_Home:
        setFocusedIndex(0);
        break;
    case Qt::Key_End:
        setFocusedIndex(count() - 1);
        break;
    case Qt::Key_Space:
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Select:
        if (count() > 0)
            setCurrentIndex(ringed, true);
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    event->accept();
}

void SwitchButton::focusInEvent(QFocusEvent *event)
{
    // The ring starts on the current segment, where a reader of the screen expects it.
    if (current >= 0 && current < count())
        ringed = current;
    QWidget::focusInEvent(event);
    update();
}

void SwitchButton::focusOutEvent(QFocusEvent *event)
{
    QWidget::focusOutEvent(event);
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
    const int index = qBound(0, x / seg, count() - 1);
    ringed = index;
    setCurrentIndex(index, true);
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
    for (int i = 1; i < n; ++i) {
        const bool between = segments.at(i).groupStart;
        painter.fillRect(i * seg - separatorWidth, 0, separatorWidth, h,
                         between ? palette().color(QPalette::BrightText) : separatorColor);
    }

    if (hovered)
        painter.fillPath(segmentShape(hoverX / seg, seg), palette().light());
    painter.fillPath(segmentShape(current, seg), palette().highlight());

    QFont labelFont = font();
    labelFont.setWeight(57);
    labelFont.setStyleStrategy(QFont::PreferAntialias);
    painter.setPen(palette().color(QPalette::WindowText));
    // A label wider than its segment (a longer translation) is drawn smaller, down to
    // minimumLabelPixels, inside the focus ring; beyond that, drawText clips it to its segment
    // (there is no Qt::TextDontClip).
    const int room = seg - separatorWidth - 2 * (ringInset + ringWidth);
    for (int i = 0; i < n; ++i) {
        QFont fitted = labelFont;
        const int advance = QFontMetrics(labelFont).horizontalAdvance(segments.at(i).text);
        if (advance > room && room > 0) {
            if (labelFont.pixelSize() > 0)
                fitted.setPixelSize(qMax(minimumLabelPixels, labelFont.pixelSize() * room / advance));
            else
                fitted.setPointSizeF(qMax(qreal(minimumLabelPixels) * 0.75, labelFont.pointSizeF() * room / advance));
        }
        painter.setFont(fitted);
        painter.drawText(QRect(i * seg, 0, seg - separatorWidth, h), Qt::AlignCenter, segments.at(i).text);
    }

    if (hasFocus()) {
        QPen ring(palette().color(QPalette::BrightText), ringWidth);
        painter.setPen(ring);
        painter.setBrush(Qt::NoBrush);
        const QRectF inner = QRectF(segmentRect(ringed)).adjusted(ringInset, ringInset, -ringInset, -ringInset);
        painter.drawRoundedRect(inner, barRadius - 2, barRadius - 2, Qt::AbsoluteSize);
    }
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
