// SPDX-License-Identifier: GPL-3.0-or-later
#include "linechart.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QToolTip>

#include "monitorhistory.h"

namespace
{
constexpr int topMargin = 6;
constexpr int bottomMargin = 6;
constexpr int rightMargin = 8; // the heat map's, so that the two time axes line up
constexpr int maxLines = 8;
} // namespace

LineChart::LineChart(const MonitorHistory &history, QVector<int> cpuIds, QWidget *parent)
    : QWidget(parent)
    , history(history)
    , ids(std::move(cpuIds))
{
    setObjectName(QStringLiteral("lineChart"));
    setMouseTracking(true);
    setAccessibleName(tr("Frequency of the selected CPUs"));
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void LineChart::setRows(const QVector<int> &selected)
{
    // A handful of lines stay apart; more would be the heat map again.
    rows = selected.mid(0, maxLines);
    update();
}

void LineChart::setTopMhz(int mhz)
{
    topMhz = qMax(1, mhz);
}

QSize LineChart::sizeHint() const
{
    return {axisWidth() + 600 + rightMargin, 140};
}

QSize LineChart::minimumSizeHint() const
{
    return {axisWidth() + 200 + rightMargin, 90};
}

int LineChart::axisWidth() const
{
    // Room for the longest label, "CPU 1023" or "99999 MHz"; the same in the map and the chart, so
    // that their time axes line up.
    return fontMetrics().horizontalAdvance(QStringLiteral("99999 MHz")) + 12;
}

QRect LineChart::plotRect() const
{
    return rect().adjusted(axisWidth(), topMargin, -rightMargin, -bottomMargin);
}

QColor LineChart::colourOf(int index)
{
    static const QColor colours[maxLines] = {QColor(0, 114, 178),   QColor(230, 159, 0),  QColor(0, 158, 115),
                                             QColor(204, 121, 167), QColor(86, 180, 233), QColor(213, 94, 0),
                                             QColor(240, 228, 66),  QColor(120, 120, 120)};
    return colours[index % maxLines];
}

QString LineChart::describeAt(const QPoint &point) const
{
    const QRect plot = plotRect();
    if (!plot.contains(point) || rows.isEmpty())
        return QString();
    const int column =
        qMin(MonitorHistory::seconds - 1, (point.x() - plot.left()) * MonitorHistory::seconds / plot.width());
    const qint64 second = history.latest() - (MonitorHistory::seconds - 1 - column);
    QStringList lines{tr("%1 s ago").arg(history.latest() - second)};
    for (int row : rows) {
        const int mhz = history.mhzHeld(row, second);
        lines << (mhz < 0 ? tr("CPU %1: not sampled").arg(ids.value(row))
                          : tr("CPU %1: %2 MHz").arg(ids.value(row)).arg(mhz));
    }
    return lines.join(QLatin1Char('\n'));
}

void LineChart::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRect plot = plotRect();
    painter.fillRect(plot, palette().color(QPalette::Base));
    painter.setPen(palette().color(QPalette::Mid));
    painter.drawRect(plot.adjusted(0, 0, -1, -1));
    painter.setPen(palette().color(QPalette::WindowText));
    const int lineHeight = fontMetrics().height();
    painter.drawText(QRect(0, plot.top(), axisWidth() - 6, lineHeight), Qt::AlignRight, tr("%1 MHz").arg(topMhz));
    painter.drawText(QRect(0, plot.bottom() - lineHeight, axisWidth() - 6, lineHeight), Qt::AlignRight, tr("0"));

    const qint64 newest = history.latest();
    const double dx = double(plot.width()) / MonitorHistory::seconds;
    for (int i = 0; i < rows.size(); ++i) {
        QPainterPath path;
        bool drawing = false;
        for (int column = 0; column < MonitorHistory::seconds; ++column) {
            const int mhz = history.mhz(rows.at(i), newest - (MonitorHistory::seconds - 1 - column));
            if (mhz < 0) {
                // A gap where nothing was sampled; short ones (a slow refresh) are bridged.
                if (history.mhzHeld(rows.at(i), newest - (MonitorHistory::seconds - 1 - column)) < 0)
                    drawing = false;
                continue;
            }
            const QPointF at(plot.left() + (column + 0.5) * dx, plot.bottom() - double(mhz) / topMhz * plot.height());
            if (drawing)
                path.lineTo(at);
            else
                path.moveTo(at);
            drawing = true;
        }
        painter.setPen(QPen(colourOf(i), 1.5));
        painter.drawPath(path);
        // The legend inside the plot's top left corner, one entry per line.
        const QRect legend(plot.left() + 6, plot.top() + 4 + i * lineHeight,
                           fontMetrics().horizontalAdvance(QStringLiteral("CPU 99999")) + 24, lineHeight);
        painter.fillRect(legend, palette().color(QPalette::Base));
        painter.fillRect(QRect(legend.left() + 2, legend.center().y() - 1, 14, 3), colourOf(i));
        painter.setPen(palette().color(QPalette::Text));
        painter.drawText(legend.adjusted(20, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                         tr("CPU %1").arg(ids.value(rows.at(i))));
    }
    if (rows.isEmpty())
        painter.drawText(plot, Qt::AlignCenter, tr("Click CPUs in the map above to draw them here"));
}

void LineChart::mouseMoveEvent(QMouseEvent *event)
{
    const QString text = describeAt(event->pos());
    if (text.isEmpty())
        QToolTip::hideText();
    else
        QToolTip::showText(event->globalPos(), text, this);
}
