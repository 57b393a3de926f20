// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>
#include <QWidget>

class QPainterPath;

// A row of equally wide text segments on a rounded bar; at most one segment is current.
// A press on a segment makes it current and announces the index; the segment under the pointer
// lights up. From the keyboard, Left, Right, Home and End move a focus ring between the segments
// and Space or Enter makes the ringed one current, as a press does. Colours come from the palette
// roles Window (bar), Highlight (current segment), Light (segment under the pointer), WindowText
// (labels) and BrightText (focus ring).
class SwitchButton final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SwitchButton)

public:
    explicit SwitchButton(QWidget *parent = nullptr);
    ~SwitchButton() override;

    void append(const QString &text);
    bool insert(int index, const QString &text);
    bool remove(int index);
    bool setText(int index, const QString &text);
    QString getText(int index) const;
    int count() const;
    // Shown when the pointer rests on the segment, and read out as its description.
    bool setToolTip(int index, const QString &text);
    QString toolTip(int index) const;
    // Marks a segment as the first of a group: a brighter separator sets it off from the one before.
    bool setGroupStart(int index, bool start);
    // The segment the focus ring is on; -1 without segments. Moving the ring selects nothing.
    int focusedIndex() const;
    void setFocusedIndex(int index);
    // Where segment index lies in the control's coordinates.
    QRect segmentRect(int index) const;

    int currentIndex() const;
    QString currentText() const;
    // Any index is stored; only 0 to count() - 1 is shown. With notify, indexChanged goes out
    // before the index is stored, so its receivers still read the old one from currentIndex().
    void setCurrentIndex(int index, bool notify);

    QSize sizeHint() const override;

signals:
    void indexChanged(int);

protected:
    bool event(QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    struct Segment {
        QString text;
        QString toolTip;
        bool groupStart = false;
    };

    int segmentPitch() const;
    QPainterPath segmentShape(int k, int seg) const;

    QVector<Segment> segments;
    int current = -1;
    int ringed = 0;
    int hoverX = -100;
    bool hovered = false;
};
