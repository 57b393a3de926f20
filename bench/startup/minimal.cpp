// SPDX-License-Identifier: GPL-3.0-or-later
// The baseline of the start-up benchmark: the least a Qt Widgets program does to show a window.
#include <QApplication>
#include <QWidget>

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QWidget window;
    window.resize(1200, 650);
    window.show();
    return app.exec();
}
