// SPDX-License-Identifier: GPL-3.0-or-later
#include "heatmap.h"

#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include "monitorhistory.h"

namespace
{

constexpr int bottomMargin = 20;
constexpr int topMargin = 4;
constexpr int rightMargin = 8;

// From cool to hot: dark blue, teal, yellow, red; readable for most colour vision deficiencies
// as a lightness ramp, and the hover text gives the number.
QRgb colourFor(double share)
{
    struct Stop {
        double at;
        int r, g, b;
    };
    static const Stop stops[] = {{0.0, 20, 30, 90}, {0.35, 20, 140, 150}, {0.7, 240, 210, 60}, {1.0, 210, 40, 30}};
    share = qBound(0.0, share, 1.0);
    for (int i = 1; i < 4; ++i) {
        if (share <= stops[i].at) {
            const Stop &a = stops[i - 1];
            const Stop &b = stops[i];
            const double t = (share - a.at) / (b.at - a.at);
            return qRgb(int(a.r + t * (b.r - a.r)), int(a.g + t * (b.g - a.g)), int(a.b + t * (b.b - a.b)));
        }
    }
    return qRgb(stops[3].r, stops[3].g, stops[3].b);
}

QString ago(qint64 seconds)
{
    if (seconds <= 0)
        return HeatMap::tr("now");
    if (seconds < 60)
        return HeatMap::tr("%1 s ago").arg(seconds);
    return HeatMap::tr("%1:%2 min ago").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

} // namespace

HeatMap::HeatMap(const MonitorHistory &history, QVector<int> cpuIds, QWidget *parent)
    : QWidget(parent)
    , history(history)
    , ids(std::move(cpuIds))
    , image(MonitorHistory::seconds, qMax(1, int(ids.size())), QImage::Format_RGB32)
{
    setObjectName(QStringLiteral("heatMap"));
    setMouseTracking(true);
    setAccessibleName(tr("Frequency of every CPU over the last ten minutes"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    image.fill(palette().color(QPalette::Dark));
}

void HeatMap::setQuantity(Quantity quantity)
{
    shown = quantity;
    setAccessibleName(quantity == Quantity::Frequency ? tr("Frequency of every CPU over the last ten minutes")
                                                      : tr("Utilisation of every CPU over the last ten minutes"));
    refresh();
}

void HeatMap::setTopMhz(int mhz)
{
    topMhz = qMax(1, mhz);
}

void HeatMap::setSelectedRows(QVector<int> rows)
{
    selection = std::move(rows);
    update();
    emit selectionChanged(selection);
}

void HeatMap::refresh()
{
    const qint64 newest = history.latest();
    const QRgb empty = palette().color(QPalette::Dark).rgb();
    for (int row = 0; row < ids.size(); ++row) {
        auto *line = reinterpret_cast<QRgb *>(image.scanLine(row));
        for (int column = 0; column < MonitorHistory::seconds; ++column) {
            const qint64 second = newest - (MonitorHistory::seconds - 1 - column);
            const int value =
                shown == Quantity::Frequency ? history.mhzHeld(row, second) : history.utilisationHeld(row, second);
            line[column] =
                value < 0 ? empty : colourFor(shown == Quantity::Frequency ? double(value) / topMhz : value / 100.0);
        }
    }
    update();
}

QSize HeatMap::sizeHint() const
{
    return {axisWidth() + MonitorHistory::seconds + rightMargin,
            topMargin + qBound(120, int(ids.size()) * 6, 420) + bottomMargin};
}

QSize HeatMap::minimumSizeHint() const
{
    return {axisWidth() + 200, topMargin + 80 + bottomMargin};
}

int HeatMap::axisWidth() const
{
    // Room for the longest label, "CPU 1023" or "99999 MHz"; the same in the map and the chart, so
    // that their time axes line up.
    return fontMetrics().horizontalAdvance(QStringLiteral("99999 MHz")) + 12;
}

QRect HeatMap::plotRect() const
{
    return rect().adjusted(axisWidth(), topMargin, -rightMargin, -bottomMargin);
}

int HeatMap::rowAt(const QPoint &point) const
{
    const QRect plot = plotRect();
    if (!plot.contains(point) || ids.isEmpty())
        return -1;
    return qMin(int(ids.size()) - 1, int(qint64(point.y() - plot.top()) * ids.size() / plot.height()));
}

qint64 HeatMap::secondAt(const QPoint &point) const
{
    const QRect plot = plotRect();
    const int column =
        qMin(MonitorHistory::seconds - 1, (point.x() - plot.left()) * MonitorHistory::seconds / plot.width());
    return history.latest() - (MonitorHistory::seconds - 1 - column);
}

QPoint HeatMap::pointOf(int row, qint64 second) const
{
    const QRect plot = plotRect();
    const qint64 column = MonitorHistory::seconds - 1 - (history.latest() - second);
    const double rows = qMax(1, int(ids.size()));
    return {plot.left() + int((double(column) + 0.5) * plot.width() / MonitorHistory::seconds),
            plot.top() + int((row + 0.5) * plot.height() / rows)};
}

QString HeatMap::describeAt(const QPoint &point) const
{
    const int row = rowAt(point);
    if (row < 0)
        return QString();
    const qint64 second = secondAt(point);
    int mhzAge = 0;
    int busyAge = 0;
    const int mhz = history.mhzHeld(row, second, &mhzAge);
    const int busy = history.utilisationHeld(row, second, &busyAge);
    const auto older = [](int age) { return age ? tr(" (read %1 s before)").arg(age) : QString(); };
    QString text = tr("CPU %1, %2").arg(ids.at(row)).arg(ago(history.latest() - second));
    text += QLatin1Char('\n') + (mhz < 0 ? tr("frequency not sampled") : tr("%1 MHz").arg(mhz) + older(mhzAge));
    text += QLatin1Char('\n') + (busy < 0 ? tr("utilisation unknown") : tr("%1 % busy").arg(busy) + older(busyAge));
    if (const std::optional<double> celsius = history.temperature(second))
        text += QLatin1Char('\n') + tr("package %1 °C").arg(*celsius, 0, 'f', 0);
    if (const std::optional<double> watts = history.power(second))
        text += QLatin1Char('\n') + tr("package %1 W").arg(*watts, 0, 'f', 1);
    return text;
}

void HeatMap::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QRect plot = plotRect();
    painter.drawImage(plot, image);
    const int rows = qMax(1, int(ids.size()));
    const double rowHeight = double(plot.height()) / rows;

    // Selected rows get a frame; labels on the left as many as fit.
    painter.setPen(QPen(palette().color(QPalette::HighlightedText), 1));
    for (int row : qAsConst(selection))
        painter.drawRect(QRectF(plot.left(), plot.top() + row * rowHeight, plot.width() - 1, qMax(1.0, rowHeight - 1)));
    if (hoveredRow >= 0) {
        painter.setPen(QPen(palette().color(QPalette::Highlight), 1, Qt::DashLine));
        painter.drawRect(
            QRectF(plot.left(), plot.top() + hoveredRow * rowHeight, plot.width() - 1, qMax(1.0, rowHeight - 1)));
    }
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = fontMetrics().height();
    // Labels on every first, second, fourth... row, as many as fit with room between them.
    int every = 1;
    while (every * rowHeight < 1.3 * lineHeight)
        every *= 2;
    for (int row = 0; row < rows && row < ids.size(); row += every) {
        const QRectF label(0, qMax(0.0, plot.top() + row * rowHeight + rowHeight / 2 - lineHeight / 2.0),
                           axisWidth() - 6, lineHeight);
        painter.drawText(label, Qt::AlignRight | Qt::AlignVCenter, tr("CPU %1").arg(ids.at(row)));
    }
    // The time axis: ten minutes ago on the left, now on the right.
    const int axisY = plot.bottom() + 2;
    for (int minutes = 10; minutes >= 0; minutes -= 2) {
        const int x = plot.left() + (MonitorHistory::seconds - minutes * 60) * plot.width() / MonitorHistory::seconds;
        painter.drawLine(x, plot.bottom(), x, plot.bottom() + 4);
        const QString label = minutes ? tr("−%1 min").arg(minutes) : tr("now");
        const int width = fontMetrics().horizontalAdvance(label);
        painter.drawText(QRect(qBound(0, x - width / 2, this->width() - width), axisY, width, bottomMargin - 2),
                         Qt::AlignCenter, label);
    }
}

void HeatMap::mouseMoveEvent(QMouseEvent *event)
{
    const int row = rowAt(event->pos());
    if (row != hoveredRow) {
        hoveredRow = row;
        update();
    }
    const QString text = describeAt(event->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), text, this);
}

void HeatMap::mousePressEvent(QMouseEvent *event)
{
    const int row = rowAt(event->pos());
    if (row < 0 || event->button() != Qt::LeftButton)
        return;
    QVector<int> rows = selection;
    if (rows.contains(row))
        rows.removeAll(row);
    else
        rows.append(row);
    setSelectedRows(rows);
}

void HeatMap::leaveEvent(QEvent *)
{
    hoveredRow = -1;
    update();
}
