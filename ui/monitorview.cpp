// SPDX-License-Identifier: GPL-3.0-or-later
#include "monitorview.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include "cpuinfo.h"
#include "heatmap.h"
#include "linechart.h"
#include "sysfsio.h"

namespace
{

QVector<int> idsOf(const CPUInfo &info)
{
    QVector<int> ids;
    for (const CPUCore &core : info.cores)
        ids << core.core_id();
    return ids;
}

int kHzOf(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    return policy.readError == 0 ? policy.value.toInt() : 0;
}

} // namespace

MonitorView::MonitorView(CPUInfo &info, const QString &statPath, QWidget *parent)
    : QWidget(parent)
    , info(info)
    , statPath(statPath)
    , ring(int(info.cores.size()))
    , sensors(info.cpuDir.absolutePath())
    , quantity(new QComboBox(this))
    , summary(new QLabel(this))
    , map(new HeatMap(ring, idsOf(info), this))
    , lines(new LineChart(ring, idsOf(info), this))
{
    setObjectName(QStringLiteral("monitor"));
    clock.start();
    lastLoad = CpuLoad::read(statPath);

    quantity->addItem(tr("Frequency"));
    quantity->addItem(tr("Utilisation"));
    quantity->setAccessibleName(tr("Colour the map by"));
    summary->setObjectName(QStringLiteral("monitorSummary"));
    summary->setTextFormat(Qt::PlainText);

    int topKHz = 0;
    for (const CPUCore &core : info.cores)
        topKHz = qMax(topKHz, kHzOf(core, "cpuinfo_max_freq"));
    map->setTopMhz(topKHz / 1000);
    lines->setTopMhz(topKHz / 1000);
    connect(quantity, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this](int index) {
        map->setQuantity(index == 0 ? HeatMap::Quantity::Frequency : HeatMap::Quantity::Utilisation);
    });
    connect(map, &HeatMap::selectionChanged, lines, &LineChart::setRows);
    map->setSelectedRows(info.cores.empty() ? QVector<int>() : QVector<int>{0});

    auto *top = new QHBoxLayout;
    auto *label = new QLabel(tr("Colour by:"), this);
    label->setBuddy(quantity);
    top->addWidget(label);
    top->addWidget(quantity);
    top->addSpacing(20);
    top->addWidget(summary, 1);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(16, 12, 16, 12);
    layout->addLayout(top);
    layout->addWidget(map, 3);
    layout->addWidget(lines, 1);
}

void MonitorView::paintEvent(QPaintEvent *)
{
    // A light panel over the window's picture, as the overview has, so that the text stays legible.
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(Qt::NoPen);
    QColor panel = palette().color(QPalette::Window);
    panel.setAlpha(235);
    painter.setBrush(panel);
    painter.drawRoundedRect(rect(), 12, 12);
}

qint64 MonitorView::secondNow() const
{
    return clock.elapsed() / 1000;
}

void MonitorView::record(const QVector<int> &cores)
{
    const qint64 second = secondNow();
    for (int index : cores) {
        if (index < 0 || size_t(index) >= info.cores.size())
            continue;
        const CPUCore &core = info.cores[size_t(index)];
        int kHz = kHzOf(core, "scaling_cur_freq");
        if (kHz <= 0)
            kHz = kHzOf(core, "cpuinfo_cur_freq");
        if (kHz > 0 && core.isEnabled())
            ring.recordFrequency(second, index, kHz / 1000);
    }
    // The package files once a second at most, however often the cores are read.
    if (second == lastPackageSecond)
        return;
    lastPackageSecond = second;
    const CpuLoad load = CpuLoad::read(statPath);
    for (int index = 0; index < int(info.cores.size()); ++index) {
        if (const std::optional<double> busy =
                CpuLoad::utilisation(lastLoad, load, info.cores[size_t(index)].core_id()))
            ring.recordUtilisation(second, index, *busy);
    }
    lastLoad = load;
    const PackageSensors::Sample package = sensors.sample();
    ring.recordPackage(second, package.temperatureC,
                       lastPackage ? PackageSensors::powerW(*lastPackage, package) : std::nullopt);
    lastPackage = package;
}

QString MonitorView::summaryText() const
{
    const qint64 second = ring.latest();
    QStringList parts;
    // The newest second may still be filling; fall back to the one before.
    const auto recent = [&](auto value) { return value(second) ? value(second) : value(second - 1); };
    const std::optional<double> celsius = recent([this](qint64 s) { return ring.temperature(s); });
    parts << (celsius ? tr("Package %1 °C").arg(*celsius, 0, 'f', 0) : tr("Package temperature unknown"));
    const std::optional<double> watts = recent([this](qint64 s) { return ring.power(s); });
    if (watts)
        parts << tr("%1 W").arg(*watts, 0, 'f', 1);
    else if (lastPackage && lastPackage->energyError)
        parts << tr("power needs root (energy_uj: %1)").arg(SysfsIO::errorText(lastPackage->energyError));
    else if (!sensors.hasRapl())
        parts << tr("no power meter (RAPL)");
    double sum = 0;
    int counted = 0;
    for (int cpu = 0; cpu < ring.cpus(); ++cpu) {
        const int busy = ring.utilisation(cpu, second);
        if (busy >= 0) {
            sum += busy;
            ++counted;
        }
    }
    if (counted)
        parts << tr("%1 % busy on average").arg(sum / counted, 0, 'f', 0);
    return parts.join(QStringLiteral(" · "));
}

void MonitorView::updateInfo()
{
    summary->setText(summaryText());
    map->refresh();
    lines->update();
}
