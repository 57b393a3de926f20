// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QCoreApplication>
#include <QString>

// One line on what each cpufreq attribute is, and the unit the window shows it in, for tool tips
// and for screen readers. Frequencies are kHz in sysfs and MHz everywhere in the window.
class AttributeHelp final
{
    Q_DECLARE_TR_FUNCTIONS(AttributeHelp)

public:
    // What the attribute is, in one sentence; empty for an attribute not in the table.
    static QString summary(const QString &name);
    // "MHz", "ns" or empty when the value has no unit.
    static QString unit(const QString &name);
    // The summary followed by the unit, for a tool tip.
    static QString toolTip(const QString &name);
};
