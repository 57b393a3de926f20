// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusConnection>

#include "powertools.h"

// Asks systemd (org.freedesktop.systemd1) for the known tools' unit states and the bus for the
// owners of their names. Lives in a library of its own, as the model links QtCore alone.
namespace PowerToolProbe
{
// On the system bus (DBUS_SYSTEM_BUS_ADDRESS where set), over a connection of its own that is
// closed again.
PowerTools::Observed observe();
// On the given bus.
PowerTools::Observed observe(const QDBusConnection &bus);
} // namespace PowerToolProbe
