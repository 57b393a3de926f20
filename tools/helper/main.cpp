// SPDX-License-Identifier: GPL-3.0-or-later
#include <QCoreApplication>
#include <QDBusConnection>
#include <QTimer>

#include <cstdio>

#include "helperservice.h"

// The root side of the unprivileged window: started by D-Bus activation, it writes what polkit
// allows and exits once nobody has asked for a while.
int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    QDBusConnection bus = QDBusConnection::systemBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "freqdeck-helper: cannot reach the system bus: %s\n",
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    // The one tree it writes to; nothing a caller says can point it elsewhere.
    HelperService service(QByteArrayLiteral("/sys/devices/system/cpu"));
    if (!service.publish(bus)) {
        std::fprintf(stderr, "freqdeck-helper: cannot take the name %s: %s\n", HelperService::serviceName,
                     qPrintable(bus.lastError().message()));
        return 1;
    }
    QTimer idle;
    idle.setSingleShot(true);
    // Longer than a password prompt may take, so that no answer is lost.
    idle.setInterval(15 * 60 * 1000);
    QObject::connect(&idle, &QTimer::timeout, &app, &QCoreApplication::quit);
    QObject::connect(&service, &HelperService::handled, &idle, qOverload<>(&QTimer::start));
    idle.start();
    return app.exec();
}
