// SPDX-License-Identifier: GPL-3.0-or-later
// The window's overview page as a user runs it: built over the real CPU tree with the helper as
// the model's writer, it picks the Powersave profile with a click. test_helper runs it as nobody;
// the exit status says whether the page took the profile.

#include <QApplication>
#include <QtTest>

#include "cpuinfo.h"
#include "helperclient.h"
#include "mainpage.h"
#include "switchbutton.h"

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    HelperClient::install();
    CPUInfo info(QStringLiteral("/sys/devices/system/cpu"), QStringLiteral("/proc/cpuinfo"));
    MainPage page(info);
    page.resize(1100, 500);
    auto *selector = page.findChild<SwitchButton *>();
    if (!selector)
        return 3;
    // The centre of the fifth of six segments on the 800 pixel wide selector.
    QTest::mouseClick(selector, Qt::LeftButton, Qt::NoModifier, QPoint(4 * 133 + 65, 20));
    return selector->currentIndex() == GOVERN_POWERSAVE ? 0 : 1;
}
