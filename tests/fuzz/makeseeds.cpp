// SPDX-License-Identifier: GPL-3.0-or-later
// Writes the saved-*.json seeds of the fuzz corpus: settings files as CPUInfo::dump saves them from
// fake sysfs trees, the harness's own among them.
//   cmake --build build --target freqdeck_fuzzseeds && build/tests/fuzz/freqdeck_fuzzseeds tests/fuzz/corpus

#include <QCoreApplication>
#include <QDir>

#include <cstdio>

#include "cpuinfo.h"
#include "loadharness.h"
#include "sysfsfixture.h"

namespace
{
bool save(const CPUInfo &info, const QString &path)
{
    QString error;
    if (info.dump(path, &error))
        return true;
    std::fprintf(stderr, "%s: %s\n", qPrintable(path), qPrintable(error));
    return false;
}
} // namespace

int main(int argc, char **argv)
{
    QCoreApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s CORPUS_DIRECTORY\n", argv[0]);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    bool ok = true;

    // The harness's tree as built, after a profile and with a core switched off.
    {
        LoadHarness harness;
        const SysfsFixture &fx = harness.fixture();
        CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
        ok &= save(info, out.filePath(QStringLiteral("saved-harness.json")));
        info.setPredefinedGoverns(GOVERN_POWERSAVE);
        for (CPUCore &core : info.cores)
            core.update();
        ok &= save(info, out.filePath(QStringLiteral("saved-harness-powersave.json")));
        info.setPredefinedGoverns(GOVERN_FAST);
        info.cores[1].setEnabled(false);
        for (CPUCore &core : info.cores)
            core.update();
        ok &= save(info, out.filePath(QStringLiteral("saved-harness-fast-cpu1-off.json")));
    }

    // A plain two-core machine with the second core offline.
    {
        SysfsFixture fx;
        fx.addTypicalCore(0);
        fx.addTypicalCore(1, 800000, 3400000, SysfsFixture::Online::Off);
        ok &= save(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()), out.filePath(QStringLiteral("saved-two-cores.json")));
    }

    // Eight cores of two kinds, with energy preferences, two of them offline.
    {
        SysfsFixture fx;
        for (int core = 0; core < 8; ++core) {
            const bool big = core < 4;
            fx.addTypicalCore(core, big ? 800000 : 400000, big ? 4700000 : 3600000,
                              core >= 6 ? SysfsFixture::Online::Off : SysfsFixture::Online::On);
            fx.writeAttribute(core, QStringLiteral("energy_performance_preference"), "balance_power\n");
        }
        ok &= save(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()), out.filePath(QStringLiteral("saved-eight-cores.json")));
    }

    // A core without a cpufreq driver.
    {
        SysfsFixture fx;
        fx.addCore(0);
        ok &= save(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()), out.filePath(QStringLiteral("saved-no-driver.json")));
    }
    return ok ? 0 : 1;
}
