// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QString>
#include <QStringList>
#include <QVector>

class CPUInfo;
class QCheckBox;
class QComboBox;
class QGridLayout;
class QLabel;
class QSpinBox;
struct ApplyReport;

// The processor-wide switches on the overview: boost, the driver's mode, intel_pstate's bounds and
// dynamic boost, amd-pstate's preferred cores. Only what the machine has is shown; every refused
// write is reported with the system's reason and, where known, the cause in plain words.
class ProcessorPanel final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ProcessorPanel)

public:
    explicit ProcessorPanel(CPUInfo &cpuInfo, QWidget *parent = nullptr);

    // Reads the switches again off the GUI thread, then shows them; rows the machine lacks (now)
    // are hidden.
    void updateInfo();
    // Shows the switches as last read.
    void showValues();

    // Switches the driver's mode without asking; with reapply, writes every core's settings from
    // before the switch again. The report names what failed or could not be re-applied.
    ApplyReport switchMode(const QString &mode, bool reapply);

signals:
    // A write (or a re-application) that did not fully take, for the page to show.
    void reported(const ApplyReport &report, const QString &what);

private:
    void addRow(const QString &name, const QString &label, const QString &file, QWidget *editor);
    // Lays out the switches present, three to a line, without gaps for the missing ones.
    void arrange(const QStringList &present);
    void write(const QString &name, const QString &value);
    // Asks before the switch and again whether to re-apply the earlier settings.
    void askAndSwitchMode(const QString &mode);

    CPUInfo &cpuInfo;
    QGridLayout *grid = nullptr;
    struct Row {
        QString name;
        QLabel *label;
        QWidget *editor;
    };
    QVector<Row> rows;
    QStringList arranged;
    QCheckBox *boost = nullptr;
    QComboBox *mode = nullptr;
    QSpinBox *maxPerfPct = nullptr;
    QSpinBox *minPerfPct = nullptr;
    QCheckBox *dynamicBoost = nullptr;
    QLabel *prefcore = nullptr;
    bool showing = false; // the program sets the editors, not the user
    bool reading = false; // a read runs off the GUI thread
    quint64 writes = 0;   // a read that began before a write may predate it and is dropped
};
