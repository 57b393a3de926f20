// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "mountedsim.h"
#include "mountnamespace.h"
#include "powersource.h"

// Own profiles and the power rules on the simulated machine, through the real freqdeck-cli: the
// watcher runs as a child process, the test pulls and puts back the simulated plug and reads what
// arrives on every CPU. Everything lives in this test's mount namespace: a tmpfs over /mnt (root's
// 0755, so that its files can be trusted as /etc's are) holding the configuration, and the
// simulator's /sys bound over /sys.
class TestPowerRules : public QObject
{
    Q_OBJECT

private slots:
    void powerSourceOfDesktopsAndLaptops();
    void rulesFollowThePlugAndRefuseHostileProfiles();
};

namespace
{
const int cpus = 4;
// Generous: a loaded machine running the suite; the watcher itself reads once a second.
const int deadlineMs = 30000;

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll().trimmed() : QByteArray("<unreadable>");
}

QString policy(int cpu, const char *name)
{
    return QStringLiteral("/sys/devices/system/cpu/cpu%1/cpufreq/%2").arg(cpu).arg(QLatin1String(name));
}

// Whether every CPU has this governor and upper limit.
bool everyCpuHas(const QByteArray &governor, const QByteArray &maxFreq)
{
    for (int cpu = 0; cpu < cpus; ++cpu) {
        if (readFile(policy(cpu, "scaling_governor")) != governor
            || readFile(policy(cpu, "scaling_max_freq")) != maxFreq)
            return false;
    }
    return true;
}

QString everyCpu()
{
    QStringList values;
    for (int cpu = 0; cpu < cpus; ++cpu)
        values << QStringLiteral("cpu%1 %2 %3")
                      .arg(cpu)
                      .arg(QString::fromLatin1(readFile(policy(cpu, "scaling_governor"))),
                           QString::fromLatin1(readFile(policy(cpu, "scaling_max_freq"))));
    return values.join(QLatin1String(", "));
}

struct Finished {
    int status = -1;
    QString out;
    QString err;
};

Finished cli(const QStringList &arguments)
{
    QProcess process;
    process.start(QStringLiteral(FREQDECK_CLI_BINARY), arguments);
    Finished finished;
    if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit)
        finished.status = process.exitCode();
    finished.out = QString::fromUtf8(process.readAllStandardOutput());
    finished.err = QString::fromUtf8(process.readAllStandardError());
    return finished;
}

void plug(const char *online)
{
    QFile file(QStringLiteral("/sys/class/power_supply/AC/online"));
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QCOMPARE(file.write(online), qint64(1));
}
} // namespace

// What counts as on battery: a laptop whose firmware shows no mains supply is on battery while its
// battery discharges; a desktop's wireless mouse, whose battery always discharges, is no power
// source at all.
void TestPowerRules::powerSourceOfDesktopsAndLaptops()
{
    QTemporaryDir sys;
    QVERIFY(sys.isValid());
    const auto supply = [&sys](const QString &name, const QMap<QString, QByteArray> &files) {
        QVERIFY(QDir().mkpath(sys.filePath("class/power_supply/" + name)));
        for (auto it = files.begin(); it != files.end(); ++it) {
            QFile file(sys.filePath("class/power_supply/" + name + '/' + it.key()));
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(it.value() + '\n') > 0);
        }
    };
    QCOMPARE(PowerState::read(sys.path()).describe(), QStringLiteral("on AC"));
    supply("hidpp_battery_0", {{"type", "Battery"}, {"scope", "Device"}, {"status", "Discharging"}, {"capacity", "5"}});
    QCOMPARE(PowerState::read(sys.path()).describe(), QStringLiteral("on AC"));
    supply("BAT1", {{"type", "Battery"}, {"status", "Discharging"}, {"capacity", "61"}});
    QCOMPARE(PowerState::read(sys.path()).describe(), QStringLiteral("on battery (61 %)"));
    // Where a mains supply is shown, it alone decides: a battery that reports "Discharging" while
    // plugged in (worn out, or held at a charge threshold) does not make the machine battery-powered.
    supply("ACAD", {{"type", "Mains"}, {"online", "1"}});
    QCOMPARE(PowerState::read(sys.path()).describe(), QStringLiteral("on AC"));
}

void TestPowerRules::rulesFollowThePlugAndRefuseHostileProfiles()
{
    if (::geteuid() != 0)
        QSKIP("trusted profiles and binding over /sys need root");
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    const QString unavailable = MountedSim::unavailableReason(QStringLiteral(FREQDECK_CPUFREQ_SIM));
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    struct stat st;
    if (::stat("/", &st) != 0 || st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        QSKIP("/ itself is not root's alone here, so no profile could be trusted");
    // The trusted files live in a tree of root's own, as /etc is: a fresh tmpfs over /mnt in this
    // test's mount namespace. Not over /tmp, which would hide a build tree that lives there.
    if (!QFileInfo("/mnt").isDir())
        QSKIP("no /mnt to mount a tree of root's own over");
    QCOMPARE(::mount("tmpfs", "/mnt", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755"), 0);
    const auto unmountTree = qScopeGuard([] { ::umount2("/mnt", MNT_DETACH); });

    MountedSim sim(QStringLiteral(FREQDECK_CPUFREQ_SIM), {"--cpus", QString::number(cpus)});
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    QVERIFY2(MountNamespace::bind(sim.sys(), QStringLiteral("/sys")), qPrintable(MountNamespace::reason()));
    QProcess watcher;
    // Whatever fails below: the watcher stops and /sys is given back before the simulator stops.
    const auto cleanup = qScopeGuard([&watcher] {
        watcher.kill();
        watcher.waitForFinished(10000);
        MountNamespace::unmount(QStringLiteral("/sys"));
    });

    const QString config = QStringLiteral("/mnt/power/etc");
    const QString state = QStringLiteral("/mnt/power/run");
    QVERIFY(QDir().mkpath(config) && QDir().mkpath(state));
    const QStringList places{"--config-dir", config, "--state-dir", state};

    // The battery profile: powersave with the upper limit near a third of the range, which no
    // fixed profile gives; what the simulator settled on is what the profile must bring back.
    QCOMPARE(cli({"profile", "powersave"}).status, 0);
    const qint64 bottom = readFile(policy(0, "cpuinfo_min_freq")).toLongLong();
    const QByteArray top = readFile(policy(0, "cpuinfo_max_freq"));
    const QByteArray quietMax = QByteArray::number(bottom + (top.toLongLong() - bottom) / 3);
    QCOMPARE(cli({"set", "scaling_max_freq", QString::fromLatin1(quietMax)}).status, 0);
    const QByteArray quietInForce = readFile(policy(0, "scaling_max_freq"));
    QVERIFY2(everyCpuHas("powersave", quietInForce), qPrintable(everyCpu()));
    QCOMPARE(cli(places + QStringList{"save-profile", "quiet"}).status, 0);
    QCOMPARE(cli(places + QStringList{"profiles"}).out, QStringLiteral("quiet\n"));
    QCOMPARE(cli(places + QStringList{"power-rules", "set", "ac", "performance"}).status, 0);
    QCOMPARE(cli(places + QStringList{"power-rules", "set", "battery", "quiet"}).status, 0);

    // At start the watcher applies the rule in force: on AC, performance.
    watcher.start(QStringLiteral(FREQDECK_CLI_BINARY), places + QStringList{"power-rules", "watch"});
    QVERIFY(watcher.waitForStarted());
    QString log;
    const auto logged = [&watcher, &log](const QString &line) {
        log += QString::fromUtf8(watcher.readAllStandardOutput());
        return log.count(line + QLatin1Char('\n'));
    };
    QTRY_VERIFY2_WITH_TIMEOUT(logged("freqdeck: on AC: applied profile 'performance'") == 1, qPrintable(log),
                              deadlineMs);
    QVERIFY2(everyCpuHas("performance", top), qPrintable(everyCpu()));

    // Unplugged: the battery profile's values arrive on every CPU, and the journal says why.
    plug("0");
    QTRY_VERIFY2_WITH_TIMEOUT(everyCpuHas("powersave", quietInForce), qPrintable(everyCpu()), deadlineMs);
    QTRY_VERIFY2_WITH_TIMEOUT(logged("freqdeck: on battery (80 %): applied profile 'quiet'") == 1, qPrintable(log),
                              deadlineMs);

    // A manual choice holds against the rule runner that udev starts at a battery event...
    const Finished manual = cli(places + QStringList{"apply", "fast"});
    QCOMPARE(manual.status, 0);
    const QByteArray fastMax = readFile(policy(0, "scaling_max_freq"));
    QVERIFY2(fastMax != quietInForce && everyCpuHas("performance", fastMax), qPrintable(everyCpu()));
    const Finished held = cli(places + QStringList{"power-rules", "apply"});
    QCOMPARE(held.out, QStringLiteral("freqdeck: on battery (80 %): manual choice 'fast' holds until the power source "
                                      "changes\n"));
    QVERIFY2(everyCpuHas("performance", fastMax), qPrintable(everyCpu()));

    // ...until the plug goes back in: then the AC profile, and the choice is forgotten.
    plug("1");
    QTRY_VERIFY2_WITH_TIMEOUT(everyCpuHas("performance", top), qPrintable(everyCpu()), deadlineMs);
    QTRY_VERIFY2_WITH_TIMEOUT(logged("freqdeck: on AC: applied profile 'performance'") == 2, qPrintable(log),
                              deadlineMs);
    QVERIFY(!QFile::exists(state + "/manual-choice.json"));

    // Hostile names are refused before any file is touched; nothing appears beside the profiles.
    const QString tooLong(65, QLatin1Char('a'));
    for (const QString &name : {QStringLiteral("../x"), QStringLiteral(".hidden"), tooLong}) {
        for (const QString &command : {QStringLiteral("save-profile"), QStringLiteral("apply")}) {
            const Finished refused = cli(places + QStringList{command, name});
            QVERIFY2(refused.status != 0 && refused.err.contains("a profile's name"),
                     qPrintable(command + ' ' + name + ": " + refused.err));
        }
    }
    QCOMPARE(QDir(config).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             (QStringList{"power-rules.json", "profiles"}));
    QCOMPARE(QDir(config + "/profiles").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"quiet.json"});

    // A profile that someone besides root could have written is refused, with the reason; the
    // CPUs keep the AC profile.
    const QByteArray quietFile = QFile::encodeName(config + "/profiles/quiet.json");
    QCOMPARE(::chmod(quietFile.constData(), 0666), 0);
    Finished hostile = cli(places + QStringList{"apply", "quiet"});
    QCOMPARE(hostile.status, 2);
    QVERIFY2(hostile.err.contains("is writable by everyone (mode 0666)"), qPrintable(hostile.err));
    QCOMPARE(::chmod(quietFile.constData(), 0644), 0);
    QCOMPARE(::chown(quietFile.constData(), 65534, 65534), 0);
    hostile = cli(places + QStringList{"apply", "quiet"});
    QCOMPARE(hostile.status, 2);
    QVERIFY2(hostile.err.contains("is owned by uid 65534, not by root"), qPrintable(hostile.err));
    QVERIFY2(everyCpuHas("performance", top), qPrintable(everyCpu()));
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestPowerRules)
#include "testpowerrules.moc"
