// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>

#include <functional>

#include "driftwatch.h"
#include "powertools.h"

class CPUInfo;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// The overview's notice of settings that do not hold: values freqdeck set that something else
// changed since ("changed outside freqdeck at 14:02:11"), and power tools running beside freqdeck
// that manage the same settings, with the user's choice between the two ways of living with them.
class HoldNotice final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(HoldNotice)

public:
    using Probe = std::function<PowerTools::Observed()>;
    // probe is asked once, now, which tools run.
    HoldNotice(CPUInfo &cpuInfo, const Probe &probe, QWidget *parent = nullptr);

    // Compares the cores as last read with what freqdeck set, and shows what changed.
    void refresh();

    // One line for the user: "cpu2 scaling_max_freq: changed outside freqdeck at 14:02:11; ...".
    static QString describe(const DriftWatch::Drift &drift);

private:
    void setAgain();
    void acceptChanged();
    void choose(PowerTools::Choice choice);
    void show(const QString &title, const QStringList &lines);

    CPUInfo &cpuInfo;
    QVector<PowerTools::Found> tools;
    QLabel *title;
    QPlainTextEdit *text;
    QPushButton *first;
    QPushButton *second;
    bool showingDrift = false;
};
