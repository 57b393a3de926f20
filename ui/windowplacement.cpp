// SPDX-License-Identifier: GPL-3.0-or-later
#include "windowplacement.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include "startup.h"

QRect WindowPlacement::fit(const QSize &preferred, const QSize &minimum, const QSize &frame, const QRect &available)
{
    const QSize room = (available.size() - frame).expandedTo(QSize(1, 1));
    const QSize size = preferred.expandedTo(minimum).boundedTo(room);
    // Centred with the frame around it, halves rounded towards the top left.
    const QSize outer = size + frame;
    return QRect(available.topLeft()
                     + QPoint((available.width() - outer.width()) / 2, (available.height() - outer.height()) / 2),
                 size);
}

void WindowPlacement::place(QWidget &window, const QSize &preferred)
{
    QScreen *screen = QGuiApplication::screenAt(QCursor::pos());
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen) {
        window.resize(preferred);
        return;
    }
    // The frame is not known before the window manager has framed the window; the style's title
    // bar and border are a fair guess, and without a window manager the guess only leaves a margin.
    const QStyle *style = window.style();
    const int border = style->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, &window);
    const int title = style->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window);
    const QSize frame(2 * border, title + 2 * border);
    const QRect geometry = fit(preferred, window.minimumSize(), frame, screen->availableGeometry());
    window.resize(geometry.size());
    window.move(geometry.topLeft());
}
