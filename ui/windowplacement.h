// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QRect>
#include <QSize>

class QWidget;

// Where the window first appears: at the size it asks for where the screen has room, else as large
// as the screen's available area allows, centred on that area.
namespace WindowPlacement
{
// Where a window goes on a screen's available area (which may lie anywhere on the virtual desktop):
// size() is the client size, for resize(); topLeft() the frame's corner, for move(). frame is what
// the window manager adds around the client area (title bar, borders); minimum is honoured only as
// far as the area allows.
QRect fit(const QSize &preferred, const QSize &minimum, const QSize &frame, const QRect &available);
// Sizes and moves a window that is not shown yet onto the screen under the pointer, where window
// managers open new windows, or else the primary screen.
void place(QWidget &window, const QSize &preferred);
} // namespace WindowPlacement
