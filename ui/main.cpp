#include <QApplication>
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

    if (StartUp::refusesToStart(::geteuid(), QCoreApplication::applicationDirPath())) {
        QMessageBox::critical(nullptr, QStringLiteral("Error"), QStringLiteral("Run it as root user"));
        std::abort();
    }

    StartUp::quitOnTerminationSignals();
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    MainWindow window;
    window.adjustSize();
    window.move(StartUp::centredPosition(window.size(), QGuiApplication::primaryScreen()->availableSize()));
    window.show();
    window.resize(1200, 650);

    return app.exec();
}
