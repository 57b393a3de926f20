// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QObject>
#include <QString>

#include "helperrequest.h"

class QDBusPendingCallWatcher;

// The root helper's D-Bus object. Each method is checked by HelperRequest first, then by polkit
// for the calling bus name, then against the CPU tree, and only then written; every refusal is an
// error reply named org.freqdeck.Error.<errno name>, and writes nothing.
class HelperService final : public QObject, protected QDBusContext
{
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freqdeck.Helper1")

public:
    static constexpr const char *serviceName = "org.freqdeck.Helper";
    static constexpr const char *objectPath = "/org/freqdeck/Helper";
    static constexpr const char *action = "org.freqdeck.Freqdeck.change";

    // cpuTree is where the CPU directories are; the program passes the one real place.
    explicit HelperService(QByteArray cpuTree, QObject *parent = nullptr);
    Q_DISABLE_COPY_MOVE(HelperService)

    // Registers the object and then the name on connection; false if either is refused.
    bool publish(QDBusConnection connection);

public Q_SLOTS:
    Q_SCRIPTABLE void SetAttribute(uint cpu, const QString &name, const QString &value);
    Q_SCRIPTABLE void SetOnline(uint cpu, bool online);
    Q_SCRIPTABLE void SetSwitch(const QString &name, const QString &value);

Q_SIGNALS:
    // After every request, answered or refused; the program counts them to exit when idle.
    void handled();

private:
    void begin(const HelperRequest::Request &request);
    void authorized(QDBusPendingCallWatcher *watcher, const QDBusMessage &call, const HelperRequest::Write &write);
    // 0 or the errno that refuses the write: the CPU directory and the file must exist, the file
    // must be a regular file its owner may write, reached through no link of its own.
    int checkTarget(const QByteArray &relativePath) const;
    void replyError(const QDBusMessage &call, int error, const QString &why);

    QByteArray cpuTree;
    // The connection the object is published on; QDBusContext's is only valid during a call.
    QDBusConnection bus{QString()};
};
