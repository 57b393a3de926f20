// SPDX-License-Identifier: GPL-3.0-or-later
#include "startup.h"

#include <QApplication>
#include <QFile>
#include <QFont>
#include <QLibraryInfo>
#include <QLocale>
#include <QPalette>
#include <QSocketNotifier>
#include <QTranslator>

#include <csignal>
#include <cstdlib>
#include <pwd.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

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

// The positions of the arguments that rootArguments() keeps.
std::vector<int> keptPositions(const QList<QByteArray> &arguments)
{
    std::vector<int> kept;
    if (!arguments.isEmpty())
        kept.push_back(0);
    for (int i = 1; i < arguments.size(); ++i) {
        const QByteArray &argument = arguments.at(i);
        if (argument == "-reverse") {
            kept.push_back(i);
        } else if (argument == "-display" || argument == "-geometry" || argument == "-qwindowgeometry") {
            // A value that looks like an option would make Qt's parsers disagree on what follows.
            if (i + 1 < arguments.size() && !arguments.at(i + 1).startsWith('-')) {
                kept.push_back(i);
                kept.push_back(++i);
            }
        }
    }
    return kept;
}

bool ownedByRoot(const QString &directory)
{
    struct stat st;
    return !directory.isEmpty() && ::stat(QFile::encodeName(directory).constData(), &st) == 0 && S_ISDIR(st.st_mode)
           && st.st_uid == 0;
}
} // namespace

QList<QByteArray> StartUp::rootArguments(const QList<QByteArray> &arguments)
{
    QList<QByteArray> kept;
    for (const int i : keptPositions(arguments))
        kept << arguments.at(i);
    return kept;
}

QProcessEnvironment StartUp::rootEnvironment(const QProcessEnvironment &environment, const QString &rootHome)
{
    QProcessEnvironment kept;
    for (const QString &name : environment.keys()) {
        const QString value = environment.value(name);
        const bool locale =
            name == QLatin1String("LANG") || name == QLatin1String("LANGUAGE") || name.startsWith(QLatin1String("LC_"));
        // A locale with a path in it would have the C library read locale data from there.
        if ((locale && !value.contains(QLatin1Char('/'))) || name == QLatin1String("DISPLAY")
            || name == QLatin1String("XAUTHORITY") || name == QLatin1String("TERM")
            || (name == QLatin1String("QT_QPA_PLATFORM")
                && (value == QLatin1String("xcb") || value == QLatin1String("offscreen")))
            || ((name == QLatin1String("TMPDIR") || name == QLatin1String("XDG_RUNTIME_DIR")) && ownedByRoot(value)))
            kept.insert(name, value);
    }
    kept.insert(QStringLiteral("HOME"), rootHome);
    kept.insert(QStringLiteral("USER"), QStringLiteral("root"));
    kept.insert(QStringLiteral("LOGNAME"), QStringLiteral("root"));
    kept.insert(QStringLiteral("PATH"), QStringLiteral("/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin"));
    return kept;
}

QList<QByteArray> StartUp::confineRoot(int &argc, char **argv)
{
    QList<QByteArray> arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QByteArray(argv[i]);
    QList<QByteArray> dropped = arguments;
    int next = 0;
    for (const int i : keptPositions(arguments)) {
        argv[next++] = argv[i];
        dropped[i].clear();
    }
    argc = next;
    argv[argc] = nullptr;
    dropped.removeAll(QByteArray());

    const struct passwd *root = ::getpwuid(0);
    const QString home = root && root->pw_dir ? QFile::decodeName(root->pw_dir) : QStringLiteral("/root");
    const QProcessEnvironment kept = rootEnvironment(QProcessEnvironment::systemEnvironment(), home);
    ::clearenv();
    for (const QString &name : kept.keys())
        ::setenv(QFile::encodeName(name).constData(), QFile::encodeName(kept.value(name)).constData(), 1);
    return dropped;
}

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

bool StartUp::installTranslations(QCoreApplication &app, const QLocale &locale)
{
    // Qt's own texts (dialog buttons, context menus) where the system has them.
    auto *qt = new QTranslator(&app);
    if (qt->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::location(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qt);
    auto *own = new QTranslator(&app);
    if (!own->load(locale, QStringLiteral("freqdeck"), QStringLiteral("_"), QStringLiteral(":/translations"))) {
        delete own;
        return false;
    }
    QCoreApplication::installTranslator(own);
    return true;
}
