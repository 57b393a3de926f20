// SPDX-License-Identifier: GPL-3.0-or-later
// Renders both controls in each of their states into one PNG for the documentation
// (docs/controls.png); see tools/README.md.

#include <QApplication>
#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QTextStream>

#include "imageswitch.h"
#include "switchbutton.h"

namespace
{

const QColor panelColour(222, 222, 222, 222);
const QColor captionColour(0x2C, 0x3E, 0x50);

QFont textFont(int pixelSize, QFont::Weight weight = QFont::Normal)
{
    QFont f = QApplication::font();
    f.setPixelSize(pixelSize);
    f.setWeight(weight);
    return f;
}

void drawPanel(QPainter &p, const QRect &r)
{
    p.setPen(Qt::NoPen);
    p.setBrush(panelColour);
    p.drawRoundedRect(r, 12, 12);
}

void caption(QPainter &p, const QPoint &at, const QString &text, int pixelSize = 14)
{
    p.setFont(textFont(pixelSize));
    p.setPen(captionColour);
    p.drawText(at, text);
}

// Puts the pointer over the control at x, as the window system would.
void hover(QWidget &w, int x)
{
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(&w, &enter);
    QMouseEvent move(QEvent::MouseMove, QPoint(x, w.height() / 2), Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&w, &move);
}

struct SwitchState {
    QString text;
    QStringList labels;
    int current;
    int hoverSegment; // -1: pointer elsewhere
};

void drawSwitchButtons(QPainter &p, const QRect &panel)
{
    const QStringList profiles = {"Performance", "Fast", "Normal", "Slow", "Powersave", "Custom"};
    const QStringList navigation = {"All", "Core 0", "Core 1", "Core 2", "Core 3"};
    const QList<SwitchState> states = {
        {"SwitchButton: no segment current", profiles, -1, -1},
        {"Current: Normal", profiles, 2, -1},
        {"Current: Normal, pointer over Powersave", profiles, 2, 4},
        {"Current: Performance, the first segment", profiles, 0, -1},
        {"Current: Custom, the last segment; pointer over Fast", profiles, 5, 1},
        {"Page navigation: All current, pointer over Core 2", navigation, 0, 3},
    };

    drawPanel(p, panel);
    int y = panel.top() + 28;
    for (const SwitchState &state : states) {
        caption(p, QPoint(panel.left() + 25, y + 14), state.text);
        SwitchButton button;
        for (const QString &label : state.labels)
            button.append(label);
        // The overview page's selector is 800 wide; the navigation takes its size hint.
        button.resize(state.labels.size() == 6 ? QSize(800, 40) : button.sizeHint());
        button.setCurrentIndex(state.current, false);
        if (state.hoverSegment >= 0)
            hover(button, (state.hoverSegment * 2 + 1) * button.width() / (2 * state.labels.size()));
        button.render(&p, QPoint(panel.left() + 25, y + 24), QRegion(), QWidget::DrawChildren);
        y += 92;
    }
}

void drawImageSwitches(QPainter &p, const QRect &panel)
{
    struct Row {
        QString text;
        ImageSwitch::ButtonStyle style;
        QSize size; // empty: the size the style sets
    };
    const QList<Row> rows = {
        {"Style 1", ImageSwitch::ButtonStyle_1, QSize()},
        {"Style 2", ImageSwitch::ButtonStyle_2, QSize(87, 28)},
        {"Style 3", ImageSwitch::ButtonStyle_3, QSize()},
        {"Style 3, 96 \u00d7 30", ImageSwitch::ButtonStyle_3, QSize(96, 30)},
    };

    drawPanel(p, panel);
    const int left = panel.left() + 24, offColumn = panel.left() + 140, onColumn = panel.left() + 245;
    caption(p, QPoint(left, panel.top() + 42), "ImageSwitch");
    p.setFont(textFont(14, QFont::DemiBold));
    p.drawText(QPoint(offColumn, panel.top() + 42), "unchecked");
    p.drawText(QPoint(onColumn, panel.top() + 42), "checked");

    int y = panel.top() + 70;
    for (const Row &row : rows) {
        caption(p, QPoint(left, y + 24), row.text, 13);
        for (bool checked : {false, true}) {
            ImageSwitch sw;
            sw.setButtonStyle(row.style);
            if (row.size.isValid())
                sw.resize(row.size);
            sw.setChecked(checked);
            sw.render(&p, QPoint(checked ? onColumn : offColumn, y), QRegion(), QWidget::DrawChildren);
        }
        y += 62;
    }

    // The logo, as the overview page shows it.
    const QImage logo = QImage(":/res/pic/cpulogo.png").scaled(160, 160, Qt::KeepAspectRatio, Qt::SmoothTransformation);
    p.drawImage(QPoint(panel.center().x() - logo.width() / 2, panel.bottom() - logo.height() - 24), logo);
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        QTextStream(stderr) << "usage: " << args.value(0) << " OUTPUT.png\n";
        return 2;
    }
    QFont font = QApplication::font();
    font.setPixelSize(17);
    QApplication::setFont(font);

    QImage canvas(1280, 720, QImage::Format_RGB32);
    QPainter p(&canvas);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.drawImage(0, 0, QImage(":/res/pic/cpu_blue.jpg"));

    p.setFont(textFont(24, QFont::Bold));
    p.setPen(Qt::white);
    p.drawText(QPoint(30, 58), "freqdeck controls");

    drawSwitchButtons(p, QRect(30, 90, 850, 600));
    drawImageSwitches(p, QRect(895, 90, 355, 600));
    p.end();

    if (!canvas.save(args.at(1))) {
        QTextStream(stderr) << "could not write " << args.at(1) << '\n';
        return 1;
    }
    return 0;
}
