#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QPalette>
#include <QSocketNotifier>

#include <csignal>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void onTerminationSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const ssize_t n = ::write(signalPipe[0], &byte, 1);
}

int halfRoundedUp(int difference)
{
    return difference / 2 + (difference % 2 > 0 ? 1 : 0);
}
} // namespace

bool StartUp::refusesToStart(uid_t effectiveUser, const QString &applicationDirPath)
{
    return effectiveUser != 0 && applicationDirPath.startsWith(QLatin1String("/opt"));
}

bool StartUp::installStyleSheet(QApplication &app, const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    app.setStyleSheet(QString::fromUtf8(bytes));
    return true;
}

void StartUp::installPalette()
{
    QPalette palette = QApplication::palette();
    palette.setColor(QPalette::All, QPalette::Highlight, QColor(QStringLiteral("#1ABC9C")));
    palette.setColor(QPalette::All, QPalette::WindowText, QColor(QStringLiteral("#000000")));
    palette.setColor(QPalette::All, QPalette::Text, QColor(QStringLiteral("#000000")));
    palette.setColor(QPalette::All, QPalette::Window, QColor(QStringLiteral("#FFFFFF")));
    palette.setColor(QPalette::All, QPalette::Base, QColor(QStringLiteral("#FFFFFF")));
    palette.setColor(QPalette::All, QPalette::Button, QColor(QStringLiteral("#FFFFFF")));
    QApplication::setPalette(palette);
}

void StartUp::installFont()
{
    QFont font = QApplication::font();
    font.setPixelSize(17);
    QApplication::setFont(font);
}

QPoint StartUp::centredPosition(const QSize &window, const QSize &available)
{
    return QPoint(halfRoundedUp(available.width() - window.width()),
                  halfRoundedUp(available.height() - window.height()));
}

void StartUp::quitOnTerminationSignals()
{
    if (signalPipe[0] >= 0 || ::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, signalPipe) != 0)
        return;
    auto *notifier = new QSocketNotifier(signalPipe[1], QSocketNotifier::Read, qApp);
    QObject::connect(notifier, &QSocketNotifier::activated, qApp, [] {
        char byte;
        [[maybe_unused]] const ssize_t n = ::read(signalPipe[1], &byte, 1);
        QCoreApplication::quit();
    });
    struct sigaction action = {};
    action.sa_handler = onTerminationSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    ::sigaction(SIGTERM, &action, nullptr);
    ::sigaction(SIGINT, &action, nullptr);
}
