// SPDX-License-Identifier: GPL-3.0-or-later
#include <QApplication>
#include <QIcon>
#include <QLocale>
#include <QMessageBox>

#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "helperclient.h"
#include "mainwindow.h"
#include "safetext.h"
#include "startup.h"
#include "windowplacement.h"

int main(int argc, char **argv)
{
    // Before Qt reads either: as root, the user's arguments and environment may load no code.
    if (::geteuid() == 0) {
        const QList<QByteArray> dropped = StartUp::confineRoot(argc, argv);
        if (!dropped.isEmpty()) {
            QStringList shown;
            for (const QByteArray &argument : dropped)
                shown << SafeText::printable(QString::fromLocal8Bit(argument));
            std::fprintf(stderr, "freqdeck: as root, ignoring the arguments %s\n",
                         qPrintable(shown.join(QLatin1Char(' '))));
        }
    }
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(FREQDECK_VERSION));
    // Tie the window to its menu entry and icon; the compiled-in logo where no icon is installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.freqdeck.Freqdeck"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("freqdeck"), QIcon(QStringLiteral(":/res/pic/cpulogo.png"))));

    StartUp::installTranslations(app, QLocale::system());
    if (StartUp::refusesToStart(::geteuid(), QCoreApplication::applicationDirPath())) {
        QMessageBox::critical(nullptr, QCoreApplication::translate("main", "Error"),
                              QCoreApplication::translate("main", "Run it as root user"));
        std::abort();
    }
    // A user's window changes settings through the root helper, which asks polkit first.
    if (::geteuid() != 0)
        HelperClient::install();

    StartUp::quitOnTerminationSignals();
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    MainWindow window;
    window.setWindowTitle(
        QCoreApplication::translate("main", "freqdeck %1").arg(QCoreApplication::applicationVersion()));
    WindowPlacement::place(window, QSize(1200, 650));
    window.show();

    return app.exec();
}
