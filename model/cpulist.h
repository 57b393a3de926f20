// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QVector>

#include <optional>

// CPU lists as the kernel and cpupower write them: "0-3,8", numbers and ranges separated by
// commas, or "all".
namespace CpuList
{
// The CPUs named, ascending and without repeats, each checked against available (the numbers
// present); nothing, with the reason in errorString, for a malformed list or a CPU not present.
std::optional<QVector<int>> parse(const QString &text, const QVector<int> &available, QString *errorString = nullptr);
// The kernel's spelling of a set of CPUs, "0-3,8"; the numbers in any order, repeats allowed.
QString format(QVector<int> cpus);
} // namespace CpuList
