// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QElapsedTimer>
#include <QWidget>

#include <optional>

#include "cpuload.h"
#include "monitorhistory.h"
#include "packagesensors.h"
#include "updateinfointerface.h"

class CPUInfo;
class HeatMap;
class LineChart;
class QComboBox;
class QLabel;

// The monitor page: every CPU's frequency (or utilisation) over the last ten minutes as a heat
// map, chosen CPUs as lines, and the package's temperature and power. It reads no core files of
// its own: record() takes the cores the window's refresh has just read, and adds only /proc/stat
// and the package's few files.
class MonitorView final : public QWidget, public UpdateInfoInterface
{
    Q_OBJECT
    Q_INTERFACES(UpdateInfoInterface)
    Q_DISABLE_COPY_MOVE(MonitorView)

public:
    // statPath: where /proc/stat is (beside the inventory's cpuinfo).
    MonitorView(CPUInfo &info, const QString &statPath, QWidget *parent = nullptr);

    // Adds what the refresh read for these cores (indices into the inventory), with the
    // utilisation and package values of this moment, to the history.
    void record(const QVector<int> &cores);
    // Draws the history anew.
    void updateInfo() override;

    const MonitorHistory &history() const { return ring; }
    // The summary line: temperature, power (or why it is missing), average utilisation.
    QString summaryText() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    qint64 secondNow() const;

    CPUInfo &info;
    QString statPath;
    MonitorHistory ring;
    PackageSensors sensors;
    QElapsedTimer clock;
    CpuLoad lastLoad;
    std::optional<PackageSensors::Sample> lastPackage;
    qint64 lastPackageSecond = -1;
    QComboBox *quantity;
    QLabel *summary;
    HeatMap *map;
    LineChart *lines;
};
