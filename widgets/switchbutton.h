#pragma once

#include <QStringList>
#include <QWidget>

class QPainterPath;

// A row of equally wide text segments on a rounded bar; at most one segment is current.
// A press on a segment makes it current and announces the index; the segment under the pointer
// lights up. Colours come from the palette roles Window (bar), Highlight (current segment),
// Light (segment under the pointer) and WindowText (labels).
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

    int currentIndex() const;
    QString currentText() const;
    // Any index is stored; only 0 to count() - 1 is shown. With notify, indexChanged goes out
    // before the index is stored, so its receivers still read the old one from currentIndex().
    void setCurrentIndex(int index, bool notify);

    QSize sizeHint() const override;

signals:
    void indexChanged(int);

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void enterEvent(QEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    int segmentPitch() const;
    QPainterPath segmentShape(int k, int seg) const;

    QStringList texts;
    int current = -1;
    int hoverX = -100;
    bool hovered = false;
};
