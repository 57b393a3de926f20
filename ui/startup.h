#pragma once

#include <QPoint>
#include <QSize>
#include <QString>

#include <sys/types.h>

class QApplication;

// The application-wide set-up that runs before the window is built.
namespace StartUp
{
// An installed copy (its program directory under /opt) runs only for root.
bool refusesToStart(uid_t effectiveUser, const QString &applicationDirPath);
// Installs the compiled-in style sheet, read up to its first NUL byte; false if it cannot be read.
bool installStyleSheet(QApplication &app, const QString &path = QStringLiteral(":/res/src/ui.qss"));
void installPalette();
void installFont();
// Lets SIGTERM and SIGINT end the event loop normally, so the window closes as if the user closed it.
void quitOnTerminationSignals();
// The top-left corner that centres a window on the available area, rounding halves up.
QPoint centredPosition(const QSize &window, const QSize &available);
} // namespace StartUp
