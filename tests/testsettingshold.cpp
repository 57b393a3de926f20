// SPDX-License-Identifier: GPL-3.0-or-later
// Settings that hold, end to end on the simulated machine: a restore that reads back what took.
#include <QtTest>

#include <fcntl.h>
#include <unistd.h>

#include "cliapp.h"
#include "cpuinfo.h"
#include "mountedsim.h"
#include "sysfsfixture.h"
#include "verifiedapply.h"

class TestSettingsHold : public QObject
{
    Q_OBJECT

private slots:
    void restoreTellsKeptRoundedRefusedAndRewritten();
};

namespace
{

const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);

#define START_SIM(sim)                                                        \
    do {                                                                      \
        const QString unavailable = MountedSim::unavailableReason(simulator); \
        if (!unavailable.isEmpty())                                           \
            QSKIP(qPrintable(unavailable));                                   \
        QString why;                                                          \
        QVERIFY2((sim).start(&why), qPrintable(why));                         \
    } while (false)

// One write(2), as a sysfs store takes it.
bool writeSysfs(const QString &path, const QByteArray &text)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    ::close(fd);
    return ok;
}

QByteArray readValue(const QString &path)
{
    return SysfsFixture::readFile(path).trimmed();
}

struct Cli {
    Cli(const MountedSim &sim)
        : out(&outText)
        , err(&errText)
        , app(sim.cpu(), sim.cpuInfo(), out, err)
    {
    }
    int run(const QStringList &arguments)
    {
        const int status = app.run(arguments);
        out.flush();
        err.flush();
        return status;
    }
    QString outText;
    QString errText;
    QTextStream out;
    QTextStream err;
    CliApp app;
};

const VerifiedApply::Check *checkOf(const VerifiedApply::Result &result, int core, const QString &attribute)
{
    for (const VerifiedApply::Check &check : result.checks) {
        if (check.core == core && check.attribute == attribute)
            return &check;
    }
    return nullptr;
}

} // namespace

// acpi-cpufreq keeps its limits on P-states 200 MHz apart, refuses a limit that is no number, and a
// second program rewrites a governor while the loader waits: each is told apart, and the CLI's
// JSON and journal line count them the same way.
void TestSettingsHold::restoreTellsKeptRoundedRefusedAndRewritten()
{
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.json");
    SysfsFixture::writePlainFile(file, R"([
        {"id": 1, "isEnabled": true, "policies": {"scaling_governor": "performance", "scaling_max_freq": "1700000"}},
        {"id": 2, "policies": {"scaling_governor": "powersave", "scaling_min_freq": "fast"}}])");

    CPUInfo info(sim.cpu(), sim.cpuInfo());
    VerifiedApply::Options options;
    int settled = 0;
    options.settle = [&] {
        ++settled;
        QVERIFY(writeSysfs(sim.policy(2, "scaling_governor"), "ondemand"));
    };
    QString why;
    const std::optional<VerifiedApply::Result> result = VerifiedApply::load(info, file, &why, options);
    QVERIFY2(result, qPrintable(why));
    QCOMPARE(settled, 1);
    QCOMPARE(result->checks.size(), 5);

    const VerifiedApply::Check *online = checkOf(*result, 1, "online");
    const VerifiedApply::Check *governor = checkOf(*result, 1, "scaling_governor");
    const VerifiedApply::Check *max = checkOf(*result, 1, "scaling_max_freq");
    const VerifiedApply::Check *min = checkOf(*result, 2, "scaling_min_freq");
    const VerifiedApply::Check *rewritten = checkOf(*result, 2, "scaling_governor");
    QVERIFY(online && governor && max && min && rewritten);
    QCOMPARE(online->outcome, VerifiedApply::Outcome::Kept);
    QCOMPARE(governor->outcome, VerifiedApply::Outcome::Kept);
    QCOMPARE(max->outcome, VerifiedApply::Outcome::Rounded);
    QCOMPARE(max->found, QString("1600000"));
    QCOMPARE(min->outcome, VerifiedApply::Outcome::Refused);
    QCOMPARE(min->reason, QString("a limit is a whole number of kHz"));
    QCOMPARE(rewritten->outcome, VerifiedApply::Outcome::ChangedAgain);
    QCOMPARE(rewritten->reason, QString("powersave"));
    QCOMPARE(rewritten->found, QString("ondemand"));
    QCOMPARE(result->report.failures.size(), 1);

    // The same file again through the CLI: what is in place counts as kept, and the exit status
    // still says a write failed.
    Cli cli(sim);
    QCOMPARE(cli.run({"load", "--json", "--settle-ms", "0", file}), 1);
    const QJsonObject all = QJsonDocument::fromJson(cli.outText.toUtf8()).object();
    const QJsonObject counts = all.value("counts").toObject();
    QCOMPARE(counts.value("kept").toInt(), 3);
    QCOMPARE(counts.value("rounded").toInt(), 1);
    QCOMPARE(counts.value("refused").toInt(), 1);
    QCOMPARE(all.value("checks").toArray().size(), 5);
    QVERIFY(cli.errText.contains("cpu2: scaling_min_freq: writing \"fast\" failed: Invalid argument"));

    Cli line(sim);
    QCOMPARE(line.run({"load", "--settle-ms", "0", "--cpu", "1", file}), 0);
    QCOMPARE(line.outText, "Loaded " + file + ": 2 kept, 1 rounded, 0 refused, 0 changed again, 0 unreadable\n");
    QCOMPARE(readValue(sim.policy(2, "scaling_governor")), QByteArray("powersave"));
}

QTEST_GUILESS_MAIN(TestSettingsHold)
#include "testsettingshold.moc"
