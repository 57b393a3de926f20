// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Text from sysfs, settings files or the command line may carry control characters: escape
// sequences that retitle or clear a terminal, or hide lines in the journal. Everything shown to a
// user goes through printable() first.
namespace SafeText
{
// C0 and C1 control characters, DEL and the bidirectional overrides as visible escapes (\n, \t,
// \x1b, \u202e); everything else unchanged.
QString printable(const QString &text);
} // namespace SafeText
