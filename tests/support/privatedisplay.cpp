// SPDX-License-Identifier: GPL-3.0-or-later
#include "privatedisplay.h"

#include <QDebug>
#include <QElapsedTimer>
#include <QFile>
#include <QStandardPaths>
#include <QTest>

#include <unistd.h>

PrivateDisplay::~PrivateDisplay()
{
    if (server.state() != QProcess::NotRunning) {
        server.terminate();
        if (!server.waitForFinished(5000))
            server.kill(), server.waitForFinished();
    }
}

QString PrivateDisplay::unavailableReason()
{
    for (const char *tool : {"Xvfb", "xdotool"}) {
        if (QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty())
            return QStringLiteral("needs %1 (scripts/install-deps.sh installs it)").arg(QLatin1String(tool));
    }
    return QString();
}

bool PrivateDisplay::start(const QString &screen, QString *why)
{
    // Away from the low numbers that desktops and demos use; an Xvfb that finds its number taken
    // exits at once, and the next one is tried.
    for (int n = 200 + ::getpid() % 400, tries = 0; display.isEmpty() && tries < 20; ++n, ++tries) {
        if (QFile::exists(QStringLiteral("/tmp/.X%1-lock").arg(n)))
            continue;
        server.start(QStringLiteral("Xvfb"),
                     {QStringLiteral(":%1").arg(n), QStringLiteral("-displayfd"), QStringLiteral("1"),
                      QStringLiteral("-screen"), QStringLiteral("0"), screen, QStringLiteral("-ac"),
                      QStringLiteral("-noreset"), QStringLiteral("-nolisten"), QStringLiteral("tcp")});
        if (!server.waitForStarted()) {
            *why = QStringLiteral("Xvfb does not start");
            return false;
        }
        QElapsedTimer clock;
        clock.start();
        while (!server.canReadLine() && server.state() == QProcess::Running && clock.elapsed() < 30000)
            server.waitForReadyRead(1000);
        if (server.canReadLine() && server.state() == QProcess::Running)
            display = QLatin1Char(':') + QString::fromLatin1(server.readLine().trimmed());
        else
            server.kill(), server.waitForFinished();
    }
    if (display.isEmpty())
        *why = QStringLiteral("no free X display");
    return !display.isEmpty();
}

bool PrivateDisplay::xdotool(const QStringList &args, QString *out) const
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DISPLAY"), display);
    tool.setProcessEnvironment(env);
    tool.start(QStringLiteral("xdotool"), args);
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    if (out)
        *out = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QString PrivateDisplay::findWindow(const QStringList &searchArgs) const
{
    QString ids;
    xdotool(QStringList{QStringLiteral("search"), QStringLiteral("--onlyvisible")} + searchArgs, &ids);
    return ids.section(QLatin1Char('\n'), 0, 0);
}

QString PrivateDisplay::waitForWindow(const QStringList &searchArgs) const
{
    QElapsedTimer clock;
    clock.start();
    int tries = 0;
    do {
        ++tries;
        QString id = findWindow(searchArgs);
        if (!id.isEmpty())
            return id;
        QTest::qWait(100);
    } while (clock.elapsed() < 60000);
    qWarning() << "no window" << searchArgs << "after" << tries << "searches";
    return QString();
}
