// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QProcessEnvironment>
#include <QSize>
#include <QString>

#include <sys/types.h>

class QApplication;
class QCoreApplication;
class QLocale;

// The application-wide set-up that runs before the window is built.
namespace StartUp
{
// Nothing from the user who started the window may steer it once it runs as root: Qt loads
// plugins, styles and style sheets named on the command line and in the environment, and keeps
// its settings where HOME and XDG_CONFIG_HOME say.
//
// The arguments a root window keeps: the program name and Qt's options that only place the window
// or pick the X display (-display, -geometry, -qwindowgeometry with a value that is not an option
// itself, and -reverse). Everything else is dropped: -platform, -platformpluginpath,
// -platformtheme, -plugin, -style, -stylesheet, -qwindowicon, -qwindowtitle, -session,
// -qmljsdebugger and all the rest.
QList<QByteArray> rootArguments(const QList<QByteArray> &arguments);
// The environment a root window keeps: DISPLAY, XAUTHORITY, TERM, the locale without paths,
// QT_QPA_PLATFORM when it is xcb or offscreen, and TMPDIR and XDG_RUNTIME_DIR when root owns them;
// HOME is rootHome and PATH the system's. Everything else goes, among it Qt's plugin paths, styles
// and themes (QT_*), the XDG directories, GTK modules and the session bus.
QProcessEnvironment rootEnvironment(const QProcessEnvironment &environment, const QString &rootHome);
// For root, before QApplication exists: keeps only rootArguments() in argv (argc shrinks) and
// replaces the process environment by rootEnvironment() with root's home from the password
// database; returns what it dropped from the command line.
QList<QByteArray> confineRoot(int &argc, char **argv);
// An installed copy (its program directory under /opt) runs only for root.
bool refusesToStart(uid_t effectiveUser, const QString &applicationDirPath);
// Installs the compiled-in style sheet, read up to its first NUL byte; false if it cannot be read.
bool installStyleSheet(QApplication &app, const QString &path = QStringLiteral(":/res/src/ui.qss"));
void installPalette();
// Installs Qt's and the program's catalogues for the first of the locale's languages that has one;
// false when the program has none for it and stays in English.
bool installTranslations(QCoreApplication &app, const QLocale &locale);
void installFont();
// Lets SIGTERM and SIGINT end the event loop normally, so the window closes as if the user closed it.
void quitOnTerminationSignals();
// The top-left corner that centres a window on the available area, rounding halves up.
QPoint centredPosition(const QSize &window, const QSize &available);
} // namespace StartUp
