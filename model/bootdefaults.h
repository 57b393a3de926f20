// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

class CPUInfo;

// The kernel's own settings as the machine booted, saved by the boot unit before it applies
// anything, so that they can be restored in one step.
namespace BootDefaults
{
// $FREQDECK_STATE_DIR/boot-defaults.json where that is set, else /var/lib/freqdeck/boot-defaults.json.
QString path();
// Saves every writable setting of info as a settings file at path(); false with a reason.
bool save(const CPUInfo &info, QString *errorString = nullptr);
} // namespace BootDefaults
