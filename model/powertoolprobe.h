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
// The running tools that the user's choice leaves the profiles' settings to, for the power rules
// to name instead of writing: under Leave every running tool, under Share those that manage the
// governor or the limits themselves; empty while undecided, or with none running.
QString profileOwners();
} // namespace PowerToolProbe
