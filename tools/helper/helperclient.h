// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>

// The unprivileged side: sends the model's writes to freqdeck-helper on the system bus, which asks
// polkit and writes them as root.
namespace HelperClient
{

// Writes bytes to path through the helper, for the CPU tree at root; 0 or the errno the helper
// names. A path that no helper request stands for, or a bus without the helper, is written
// directly with the process's own rights.
int write(const QByteArray &root, const QByteArray &path, const QByteArray &bytes);

// Makes every model write of this process go through write() for the CPU tree at root.
void install(const QByteArray &root = QByteArrayLiteral("/sys/devices/system/cpu"));

} // namespace HelperClient
