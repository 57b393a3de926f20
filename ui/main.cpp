#include <QApplication>
#include <QIcon>
#include <QMessageBox>

#include <cstdlib>
#include <unistd.h>

#include "mainwindow.h"
#include "startup.h"
#include "windowplacement.h"

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(argc, argv);
    // Tie the window to its menu entry and icon; the compiled-in logo where no icon is installed.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.freqdeck.Freqdeck"));
    QApplication::setWindowIcon(
        QIcon::fromTheme(QStringLiteral("freqdeck"), QIcon(QStringLiteral(":/res/pic/cpulogo.png"))));

    if (StartUp::refusesToStart(::geteuid(), QCoreApplication::applicationDirPath())) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), QStringLiteral("Run it as root user"));
        std::abort();
    }

    StartUp::quitOnTerminationSignals();
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    MainWindow window;
    WindowPlacement::place(window, QSize(1200, 650));
    window.show();

    return app.exec();
}
