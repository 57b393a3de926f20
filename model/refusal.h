// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

#include "cpucore.h"
#include "writefailure.h"

// The causes of refused writes that the program can tell from what it has read, in plain words.
namespace Refusal
{
// Why the kernel refused writing value to attribute of core with error (an errno), judged from the
// core's records as read before the write; empty where the program cannot know.
QString explain(const CPUCore &core, const QString &attribute, const QString &value, int error);

// A failure of a write to the core, with explain()'s reason filled in.
WriteFailure failure(const CPUCore &core, const QString &attribute, const QString &value, int error);
} // namespace Refusal
