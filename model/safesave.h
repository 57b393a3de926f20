// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QString>

// Saving a file so that it is either complete or not made, and cannot be turned onto another file:
// the text goes to a new temporary file beside the target, is checked and synced, and then takes
// the target's name. A link at that name is replaced itself, never followed; a device, directory
// or fifo there is refused.
namespace SafeSave
{
// Replaces the file at path by text. False with the reason in plain words (the system's text
// included) when it could not; then the earlier file is as it was and no temporary file is left.
bool writeFile(const QString &path, const QByteArray &text, QString *errorString = nullptr);
} // namespace SafeSave
