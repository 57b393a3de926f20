// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

// An on/off switch drawn from two pictures of the resource collection. Every press, and Space
// while it has the focus, flips it and announces the new state; setChecked mirrors a state from
// code without announcing it. With the focus it draws a ring in the palette's Highlight colour.
class ImageSwitch final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ImageSwitch)
    Q_PROPERTY(bool isChecked READ getChecked WRITE setChecked)
    Q_PROPERTY(ButtonStyle buttonStyle READ getButtonStyle WRITE setButtonStyle)

public:
    // Fixed to int: the property system and old settings can hand in any number, and an enum without
    // a fixed type may only hold 0 to 3.
    enum ButtonStyle : int {
        ButtonStyle_1 = 0, // 87 x 28 pill with a sliding knob
        ButtonStyle_2 = 1, // 87 x 28 pill, a second variant
        ButtonStyle_3 = 2, // 96 x 38 box with an OFF and an ON cell
    };
    Q_ENUM(ButtonStyle)

    explicit ImageSwitch(QWidget *parent = nullptr);
    ~ImageSwitch() override;

    bool getChecked() const;
    ImageSwitch::ButtonStyle getButtonStyle() const;

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void checked(bool status);

public slots:
    void setChecked(bool isChecked);
    void setButtonStyle(const ImageSwitch::ButtonStyle &buttonStyle);
    // Flips and announces, as a press does.
    void toggle();

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void announceState();

    bool checkedState = false;
    ButtonStyle currentStyle = ButtonStyle_2;
    QString offImage;
    QString onImage;
    QString currentImage;
};
