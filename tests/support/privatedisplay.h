// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QProcess>
#include <QString>
#include <QStringList>

// An X server of the test's own (Xvfb, open to every local user so that a program started as
// another user can draw on it), and xdotool to type and look for windows on it.
class PrivateDisplay final
{
public:
    PrivateDisplay() = default;
    PrivateDisplay(const PrivateDisplay &) = delete;
    PrivateDisplay &operator=(const PrivateDisplay &) = delete;
    ~PrivateDisplay();

    // Why Xvfb or xdotool cannot be used here, for QSKIP; empty when they can.
    static QString unavailableReason();

    // Starts the server on a free display number of its own; false with the reason otherwise.
    bool start(const QString &screen, QString *why);
    // ":N", empty before start().
    QString name() const { return display; }

    // Runs xdotool on this display; its output, trimmed, in out.
    bool xdotool(const QStringList &args, QString *out = nullptr) const;
    // The first visible window that xdotool's search finds with these arguments; empty if none.
    QString findWindow(const QStringList &searchArgs) const;
    // The same, trying for up to a minute.
    QString waitForWindow(const QStringList &searchArgs) const;

private:
    QProcess server;
    QString display;
};
