// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDialog>
#include <QString>

#include "userprofiles.h"

class CPUInfo;
class QComboBox;
class QLabel;
class QSpinBox;
class QTimer;

// The power rules: which profile, fixed or own, goes with AC, with battery and with a battery below
// a mark, and which rule is in force now and why (the power source, the battery's level, a manual
// choice that holds). Saving writes /etc/freqdeck/power-rules.json, which needs a window run as
// root; the unit freqdeck-power-rules.service then applies the rules.
class PowerRulesDialog final : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PowerRulesDialog)

public:
    PowerRulesDialog(CPUInfo &cpuInfo, const UserProfiles &profiles, QString rulesPath, QString stateDirectory,
                     QWidget *parent = nullptr);

    // Reads the power source and the manual choice again and says which rule is in force.
    void updateState();
    // Writes the rules as picked; false (with a message box) when they could not be saved.
    bool save();

signals:
    // A rule was applied from here: the page reads the settings back.
    void applied();

private:
    QComboBox *profilePicker(const QString &accessibleName);
    void pick(QComboBox *picker, const QString &profile);
    void applyNow();

    CPUInfo &cpuInfo;
    UserProfiles profiles;
    QString rulesPath;
    QString stateDirectory;
    QComboBox *onAc = nullptr;
    QComboBox *onBattery = nullptr;
    QComboBox *onLow = nullptr;
    QSpinBox *below = nullptr;
    QLabel *status = nullptr;
    QTimer *poll = nullptr;
};
