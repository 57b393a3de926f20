// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QImage>
#include <QVector>
#include <QWidget>

class MonitorHistory;

// Every CPU's last ten minutes at a glance: one row per CPU, one column per second (the newest on
// the right), coloured by frequency or utilisation. Drawn with QPainter from an image of the ring
// buffer, so 256 CPUs cost one small image per refresh, not thousands of items. Hovering names the
// CPU, the time and the values with units; a click selects a CPU's row for the line chart.
class HeatMap final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HeatMap)

public:
    enum class Quantity { Frequency, Utilisation };

    HeatMap(const MonitorHistory &history, QVector<int> cpuIds, QWidget *parent = nullptr);

    void setQuantity(Quantity quantity);
    Quantity quantity() const { return shown; }
    // The frequency drawn in the hottest colour.
    void setTopMhz(int mhz);
    QVector<int> selectedRows() const { return selection; }
    void setSelectedRows(QVector<int> rows);
    // What hovering at a point shows; empty outside the map.
    QString describeAt(const QPoint &point) const;
    // The middle of a row's cell for a second: where hovering describes it.
    QPoint pointOf(int row, qint64 second) const;
    // Rebuilds the image from the history; call after recording.
    void refresh();

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void selectionChanged(const QVector<int> &rows);

protected:
    void paintEvent(QPaintEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void leaveEvent(QEvent *event) override;

private:
    int axisWidth() const;
    QRect plotRect() const;
    int rowAt(const QPoint &point) const;
    qint64 secondAt(const QPoint &point) const;

    const MonitorHistory &history;
    QVector<int> ids;
    QVector<int> selection;
    Quantity shown = Quantity::Frequency;
    int topMhz = 1;
    QImage image;
    int hoveredRow = -1;
};
