// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// A file that root applies without anyone at the keyboard (the boot and resume units) must be one
// that nobody but root can have written or swapped, as OpenSSH's StrictModes demands of its keys:
// a regular file owned by root and writable by root alone, reached only through directories of
// which the same holds, up to /. A sticky bit does not make a world-writable directory acceptable.
namespace TrustedFile
{
// True when path is such a file; else false with the reason, naming the file or directory at fault.
bool check(const QString &path, QString *reason);
} // namespace TrustedFile
