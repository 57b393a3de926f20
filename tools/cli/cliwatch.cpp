// SPDX-License-Identifier: GPL-3.0-or-later
// show --watch and why: the commands that look at the CPUs over time.
#include "cliapp.h"

#include <QDateTime>
#include <QJsonArray>
#include <QJsonDocument>
#include <QThread>

#include <algorithm>
#include <cmath>

#include "capchain.h"
#include "cpuload.h"
#include "packagesensors.h"
#include "safetext.h"

namespace
{

// How long why watches the energy and throttle counters.
constexpr unsigned long whyMeasureMs = 500;

QJsonValue percent(std::optional<double> value)
{
    return value ? QJsonValue(std::round(*value * 10) / 10) : QJsonValue();
}

} // namespace

QString CliApp::statPath() const
{
    return cpuInfoPath.isEmpty() ? QStringLiteral("/proc/stat") : CpuLoad::statPathBeside(cpuInfoPath);
}

int CliApp::watch(double seconds, bool json)
{
    CPUInfo &cpus = inventory();
    const QString stat = statPath();
    CpuLoad before = CpuLoad::read(stat);
    if (!json)
        out << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                   .arg(QStringLiteral("Time"), -8)
                   .arg(QStringLiteral("CPU"), 4)
                   .arg(QStringLiteral("Online"), -7)
                   .arg(QStringLiteral("Governor"), -12)
                   .arg(QStringLiteral("Min MHz"), 7)
                   .arg(QStringLiteral("Max MHz"), 7)
                   .arg(QStringLiteral("Current MHz"), 11)
                   .arg(QStringLiteral("Busy %"), 6);
    out.flush();
    for (;;) {
        QThread::usleep(static_cast<unsigned long>(seconds * 1e6));
        for (CPUCore &core : cpus.cores)
            core.update();
        const CpuLoad now = CpuLoad::read(stat);
        const QDateTime time = QDateTime::currentDateTime();
        QJsonArray cores;
        for (const CPUCore &core : cpus.cores) {
            QJsonObject values = describeCore(core, cpus.topology().place(core.core_id()));
            values.insert(QStringLiteral("utilisation_pct"),
                          percent(CpuLoad::utilisation(before, now, core.core_id())));
            if (json) {
                cores.append(values);
                continue;
            }
            const QJsonArray unreadable = values.value(QLatin1String("unreadable")).toArray();
            const auto shown = [&](const char *key) {
                return unreadable.contains(QLatin1String(key)) ? QStringLiteral("unreadable")
                                                               : cellText(values.value(QLatin1String(key)));
            };
            const QJsonValue busy = values.value(QLatin1String("utilisation_pct"));
            out << QStringLiteral("%1  %2  %3  %4  %5  %6  %7  %8\n")
                       .arg(time.toString(QStringLiteral("HH:mm:ss")), -8)
                       .arg(core.core_id(), 4)
                       .arg(shown("online"), -7)
                       .arg(shown("governor"), -12)
                       .arg(shown("min_mhz"), 7)
                       .arg(shown("max_mhz"), 7)
                       .arg(shown("current_mhz"), 11)
                       .arg(busy.isNull() ? QStringLiteral("-") : QString::number(busy.toDouble(), 'f', 1), 6);
        }
        if (json) {
            const QJsonObject line{{QStringLiteral("time"), time.toString(Qt::ISODateWithMs)},
                                   {QStringLiteral("cores"), cores}};
            out << QString::fromUtf8(QJsonDocument(line).toJson(QJsonDocument::Compact)) << '\n';
        }
        out.flush();
        before = now;
    }
}

int CliApp::why(const QString &cpuText, bool json)
{
    bool ok = false;
    const int number = cpuText.toInt(&ok);
    CPUInfo &cpus = inventory();
    const auto found = std::find_if(cpus.cores.begin(), cpus.cores.end(),
                                    [&](const CPUCore &core) { return ok && core.core_id() == number; });
    if (found == cpus.cores.end())
        return usageError(QStringLiteral("no CPU '%1' here").arg(SafeText::printable(cpuText)));
    CPUCore &core = *found;

    const PackageSensors sensors(cpus.cpuDir.absolutePath());
    const PackageSensors::Sample before = sensors.sample({number});
    QThread::msleep(whyMeasureMs);
    core.update();
    cpus.processor.update();
    const PackageSensors::Sample after = sensors.sample({number});
    const QVector<CapChain::Link> chain = CapChain::build(core, cpus.processor, before, after);
    const CapChain::Link *binding = CapChain::binding(chain);

    if (json) {
        QJsonArray links;
        for (const CapChain::Link &link : chain) {
            QJsonObject object{{QStringLiteral("key"), link.key},
                               {QStringLiteral("label"), link.label},
                               {QStringLiteral("value"),
                                link.value.isEmpty() ? QJsonValue() : QJsonValue(SafeText::printable(link.value))},
                               {QStringLiteral("unit"), link.unit},
                               {QStringLiteral("binds"), CapChain::bindsName(link.binds)}};
            if (!link.note.isEmpty())
                object.insert(QStringLiteral("note"), link.note);
            links.append(object);
        }
        const QJsonObject all{{QStringLiteral("cpu"), number},
                              {QStringLiteral("binding"), binding ? QJsonValue(binding->key) : QJsonValue()},
                              {QStringLiteral("chain"), links}};
        out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return Success;
    }

    if (binding)
        out << "cpu" << number << ": held down by " << binding->label << " (" << binding->key << "): " << binding->note
            << "\n\n";
    else
        out << "cpu" << number << ": no single ceiling could be named\n\n";
    int width = 0;
    for (const CapChain::Link &link : chain)
        width = std::max(width, link.label.size());
    for (const CapChain::Link &link : chain) {
        QString value = link.value.isEmpty() ? QStringLiteral("-") : SafeText::printable(link.value);
        if (!link.value.isEmpty() && !link.unit.isEmpty())
            value += QLatin1Char(' ') + link.unit;
        QString mark;
        if (link.binds == CapChain::Binds::Yes)
            mark = QStringLiteral("<- binds");
        else if (link.binds == CapChain::Binds::Maybe)
            mark = QStringLiteral("<- may bind");
        QString line = QStringLiteral("  %1  %2  %3").arg(link.label, -width).arg(value, -18).arg(mark);
        if (!link.note.isEmpty() && link.binds == CapChain::Binds::No)
            line += QStringLiteral("(%1)").arg(link.note);
        out << line.trimmed().prepend(QStringLiteral("  ")) << '\n';
    }
    return Success;
}
