// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QString>
#include <QStringList>
#include <QVector>

// The power-management services known to write the same files as freqdeck, how to recognise them
// (their systemd units and D-Bus names) and which settings each is documented to manage.
namespace PowerTools
{
struct Tool {
    QString name;
    QStringList units;    // any of them active or activating counts
    QStringList busNames; // any of them owned counts
    QStringList manages;  // attribute names as freqdeck's settings files spell them
};

// Every tool freqdeck recognises.
const QVector<Tool> &known();

// A tool found running, and how it was recognised ("tuned.service active", "bus name
// com.redhat.tuned").
struct Found {
    QString name;
    QStringList evidence;
    QStringList manages;
};

// What the system bus told: each unit's ActiveState (units not loaded are absent), and the known
// names that have an owner.
struct Observed {
    QMap<QString, QString> unitStates;
    QStringList ownedNames;
    QString error; // why nothing could be asked (no system bus), empty otherwise
};

// The tools that the observation shows running, in the order of known().
QVector<Found> judge(const Observed &observed);

// Every unit and bus name known() names, for the probe to ask about.
QStringList allUnits();
QStringList allBusNames();

// What freqdeck does where a running tool manages the same settings, as the user chose:
// Undecided (say so until the user chooses), Share (freqdeck writes only what no running tool
// manages) or Leave (freqdeck's restore leaves every setting to the running tools).
enum class Choice { Undecided, Share, Leave };
QString choiceName(Choice choice);
// The choice stored beside the records of what freqdeck set (DriftWatch::ownPath()'s directory);
// Undecided where none was made.
Choice storedChoice(const QString &path = QString());
bool storeChoice(Choice choice, QString *errorString = nullptr, const QString &path = QString());
QString choicePath();
} // namespace PowerTools
