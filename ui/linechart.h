// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QVector>
#include <QWidget>

class MonitorHistory;

// The frequency of a few chosen CPUs over the last ten minutes as lines, in MHz, with a legend.
// Hovering shows each line's value at that second.
class LineChart final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LineChart)

public:
    LineChart(const MonitorHistory &history, QVector<int> cpuIds, QWidget *parent = nullptr);

    // The rows (indices into the history) drawn as lines.
    void setRows(const QVector<int> &rows);
    void setTopMhz(int mhz);
    QString describeAt(const QPoint &point) const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;

private:
    int axisWidth() const;
    QRect plotRect() const;
    static QColor colourOf(int index);

    const MonitorHistory &history;
    QVector<int> ids;
    QVector<int> rows;
    int topMhz = 1;
};
