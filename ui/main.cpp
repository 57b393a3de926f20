#include <QApplication>
#include <QIcon>
#include <QMessageBox>
#include <QScreen>

#include <cstdlib>
#include <unistd.h>

#include "mainwindow.h"
#include "startup.h"

int main(int argc, char **argv)
{
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(argc, argv);
    QCoreApplication::setApplicationVersion(QStringLiteral(FREQDECK_VERSION));
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
    window.setWindowTitle(QStringLiteral("freqdeck %1").arg(QCoreApplication::applicationVersion()));
    window.adjustSize();
    window.move(StartUp::centredPosition(window.size(), QGuiApplication::primaryScreen()->availableSize()));
    window.show();
    window.resize(1200, 650);

    return app.exec();
}
