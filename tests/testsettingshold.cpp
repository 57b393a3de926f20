// SPDX-License-Identifier: GPL-3.0-or-later
// Settings that hold, end to end on the simulated machine: a restore that reads back what took.
#include <QtDBus>
#include <QtTest>
#include <QtWidgets>

#include <fcntl.h>
#include <unistd.h>

#include "bootdefaults.h"
#include "cliapp.h"
#include "cpuinfo.h"
#include "displaycorepage.h"
#include "driftwatch.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "mountedsim.h"
#include "mountnamespace.h"
#include "powertoolprobe.h"
#include "startup.h"
#include "sysfsfixture.h"
#include "verifiedapply.h"

class TestSettingsHold : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void restoreTellsKeptRoundedRefusedAndRewritten();
    void changeByAnotherWriterShowsAsDrift();
    void otherToolsFoundOnTheBusAndChoiceHonoured();
    void windowMarksDriftAndSetsAgain();
    void bootDefaultsRoundTrip();
    void cpuBackOnlineGetsItsSettingsAgain();

private:
    // The state files of this test, never the user's or root's.
    QTemporaryDir stateDir;
};

namespace
{

// For the documentation: the whole window with the notice or mark, where FREQDECK_SHOTS names a
// directory (run on a display of 1366 × 768).
void shoot(CPUInfo &info, int page, const QString &name)
{
    const QString shots = qEnvironmentVariable("FREQDECK_SHOTS");
    if (shots.isEmpty())
        return;
    QVERIFY(StartUp::installStyleSheet(*qApp));
    StartUp::installFont();
    auto plain = qScopeGuard([] { qApp->setStyleSheet(QString()); });
    MainWindow window(info);
    window.resize(1366, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showPage(page);
    // The page's layout takes the mark in once the posted layout requests are handled.
    QCoreApplication::sendPostedEvents();
    QCoreApplication::processEvents();
    QVERIFY(window.grab().save(QDir(shots).filePath(name)));
}

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

void TestSettingsHold::initTestCase()
{
    // What the commands record goes here, whoever runs the test.
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));
}

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

// The CLI sets a limit (the kernel rounds it), another program changes it: status names the value
// freqdeck left and the one found; setting it again clears the mark.
void TestSettingsHold::changeByAnotherWriterShowsAsDrift()
{
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));
    QFile::remove(DriftWatch::ownPath());

    Cli set(sim);
    QCOMPARE(set.run({"set", "--cpu", "1", "scaling_max_freq", "2100000"}), 0);
    Cli quiet(sim);
    QCOMPARE(quiet.run({"status", "--json"}), 0);
    QJsonObject all = QJsonDocument::fromJson(quiet.outText.toUtf8()).object();
    QCOMPARE(all.value("recorded").toInt(), 1);
    QCOMPARE(all.value("changed").toArray().size(), 0);

    QVERIFY(writeSysfs(sim.policy(1, "scaling_max_freq"), "1200000"));
    Cli changed(sim);
    QCOMPARE(changed.run({"status", "--json"}), 0);
    all = QJsonDocument::fromJson(changed.outText.toUtf8()).object();
    const QJsonArray drifts = all.value("changed").toArray();
    QCOMPARE(drifts.size(), 1);
    const QJsonObject drift = drifts.first().toObject();
    QCOMPARE(drift.value("cpu").toInt(), 1);
    QCOMPARE(drift.value("attribute").toString(), QString("scaling_max_freq"));
    QCOMPARE(drift.value("set").toString(), QString("2000000")); // the P-state the kernel kept
    QCOMPARE(drift.value("found").toString(), QString("1200000"));
    Cli text(sim);
    QCOMPARE(text.run({"status"}), 0);
    QVERIFY2(text.outText.contains("cpu1 scaling_max_freq: changed outside freqdeck at "), qPrintable(text.outText));

    Cli again(sim);
    QCOMPARE(again.run({"set", "--cpu", "1", "scaling_max_freq", "2000000"}), 0);
    Cli clear(sim);
    QCOMPARE(clear.run({"status", "--json"}), 0);
    QCOMPARE(QJsonDocument::fromJson(clear.outText.toUtf8()).object().value("changed").toArray().size(), 0);
}

// A private bus with a stand-in systemd on which power-profiles-daemon's unit is active and TLP's
// loaded but inactive, and a process owning power-profiles-daemon's name: status names the one
// running with both signs and what it manages; after "tools share", load leaves those settings.
void TestSettingsHold::otherToolsFoundOnTheBusAndChoiceHonoured()
{
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    QProcess probe;
    probe.start("/usr/bin/python3", {"-c", "import dbusmock.templates.systemd"});
    if (!probe.waitForFinished() || probe.exitCode() != 0)
        QSKIP("python3-dbusmock is not installed");
    MountedSim sim(simulator, {"--cpus", "2", "--driver", "intel_pstate"});
    START_SIM(sim);
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));

    QProcess bus;
    bus.start(daemon, {"--session", "--nofork", "--nopidfile", "--print-address"});
    QVERIFY(bus.waitForReadyRead(30000));
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    auto stopBus = qScopeGuard([&bus] {
        bus.terminate();
        bus.waitForFinished();
    });
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
    QProcess systemd;
    QProcess ppd;
    for (QProcess *mock : {&systemd, &ppd}) {
        mock->setProcessEnvironment(environment);
        mock->setProcessChannelMode(QProcess::ForwardedErrorChannel);
    }
    systemd.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "--template", "systemd"});
    ppd.start("/usr/bin/python3", {"-m", "dbusmock", "--system", "net.hadess.PowerProfiles",
                                   "/net/hadess/PowerProfiles", "net.hadess.PowerProfiles"});
    auto stopMocks = qScopeGuard([&] {
        for (QProcess *mock : {&systemd, &ppd}) {
            mock->terminate();
            mock->waitForFinished();
        }
    });
    {
        QDBusConnection connection = QDBusConnection::connectToBus(address, "test-mock-control");
        auto disconnect = qScopeGuard([] { QDBusConnection::disconnectFromBus("test-mock-control"); });
        QTRY_VERIFY_WITH_TIMEOUT(connection.interface()->isServiceRegistered("org.freedesktop.systemd1").value()
                                     && connection.interface()->isServiceRegistered("net.hadess.PowerProfiles").value(),
                                 30000);
        QDBusInterface mock("org.freedesktop.systemd1", "/org/freedesktop/systemd1", "org.freedesktop.DBus.Mock",
                            connection);
        QDBusInterface manager("org.freedesktop.systemd1", "/org/freedesktop/systemd1",
                               "org.freedesktop.systemd1.Manager", connection);
        QCOMPARE(mock.call("AddMockUnit", "power-profiles-daemon.service").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(mock.call("AddMockUnit", "tlp.service").type(), QDBusMessage::ReplyMessage);
        QCOMPARE(manager.call("StartUnit", "power-profiles-daemon.service", "replace").type(),
                 QDBusMessage::ReplyMessage);
    }

    Cli status(sim);
    QCOMPARE(status.run({"status", "--json"}), 0);
    const QJsonObject all = QJsonDocument::fromJson(status.outText.toUtf8()).object();
    QCOMPARE(all.value("other_tools_error").toString(), QString());
    const QJsonArray tools = all.value("other_tools").toArray();
    QCOMPARE(tools.size(), 1);
    const QJsonObject ppdFound = tools.first().toObject();
    QCOMPARE(ppdFound.value("name").toString(), QString("power-profiles-daemon"));
    QCOMPARE(ppdFound.value("evidence").toArray(),
             QJsonArray({"power-profiles-daemon.service active", "bus name net.hadess.PowerProfiles"}));
    QVERIFY(ppdFound.value("manages").toArray().contains("energy_performance_preference"));
    QCOMPARE(all.value("choice").toString(), QString("undecided"));

    {
        CPUInfo info(sim.cpu(), sim.cpuInfo());
        shoot(info, 0, "other-tools-notice.png");
    }

    Cli share(sim);
    QCOMPARE(share.run({"tools", "share"}), 0);
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.json");
    SysfsFixture::writePlainFile(file, R"([{"id": 1, "policies": {"scaling_governor": "performance",
                                           "energy_performance_preference": "power"}}])");
    QVERIFY(writeSysfs(sim.policy(1, "energy_performance_preference"), "balance_power"));
    Cli load(sim);
    QCOMPARE(load.run({"load", "--settle-ms", "0", file}), 0);
    QVERIFY2(load.outText.startsWith("Left energy_performance_preference, energy_perf_bias, boost to "
                                     "power-profiles-daemon, as chosen\n"),
             qPrintable(load.outText));
    QCOMPARE(readValue(sim.policy(1, "scaling_governor")), QByteArray("performance"));
    // Under performance the kernel shows performance whatever was asked; the file's "power" would
    // have been refused. Nothing was written: no refusal.
    QCOMPARE(load.errText, QString());

    // The power rules write governors and limits, which power-profiles-daemon leaves alone: shared,
    // they stay freqdeck's; left to the running tools, the rules name it instead of writing.
    QCOMPARE(PowerToolProbe::profileOwners(), QString());
    QCOMPARE(Cli(sim).run({"tools", "leave"}), 0);
    QCOMPARE(PowerToolProbe::profileOwners(), QString("power-profiles-daemon"));
}

// The window sets a limit, another program changes it: the overview's notice and the core's page
// mark it with the value freqdeck set, freqdeck-cli status reads the window's record, and "Set
// again" writes freqdeck's value back.
void TestSettingsHold::windowMarksDriftAndSetsAgain()
{
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));
    QFile::remove(DriftWatch::ownPath());
    // No system bus here: no other tools, whatever runs on the machine.
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", QByteArray("unix:path=") + QFile::encodeName(stateDir.filePath("no-bus")));

    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainPage overview(info);
    CPUCore &core = info.cores[1];
    DisplayCorePage page(core);
    auto *notice = overview.findChild<QFrame *>("holdNotice");
    auto *mark = page.findChild<QLabel *>("drift");
    QVERIFY(notice && mark);

    QCOMPARE(core.storePolicy("scaling_max_freq", "2100000"), 0);
    core.updateSettings();
    overview.updateInfo();
    page.updateInfo();
    QVERIFY(notice->isHidden());
    QVERIFY(mark->isHidden());

    QVERIFY(writeSysfs(sim.policy(1, "scaling_max_freq"), "1200000"));
    core.update();
    overview.updateInfo();
    page.updateInfo();
    QVERIFY(!notice->isHidden());
    QCOMPARE(notice->findChild<QLabel *>("holdTitle")->text(), QString("1 setting changed outside freqdeck"));
    const QString line = notice->findChild<QPlainTextEdit *>("holdText")->toPlainText();
    QVERIFY2(QRegularExpression("^cpu1 scaling_max_freq: changed outside freqdeck at \\d\\d:\\d\\d:\\d\\d; "
                                "freqdeck set 2000000, it reads 1200000$")
                 .match(line)
                 .hasMatch(),
             qPrintable(line));
    QVERIFY(!mark->isHidden());
    QCOMPARE(mark->text(), line);

    Cli cli(sim);
    QCOMPARE(cli.run({"status", "--json"}), 0);
    const QJsonArray drifts = QJsonDocument::fromJson(cli.outText.toUtf8()).object().value("changed").toArray();
    QCOMPARE(drifts.size(), 1);
    QCOMPARE(drifts.first().toObject().value("set").toString(), QString("2000000"));
    shoot(info, 0, "drift-overview.png");
    shoot(info, 2, "drift-corepage.png");

    notice->findChild<QPushButton *>("holdFirst")->click();
    QCOMPARE(readValue(sim.policy(1, "scaling_max_freq")), QByteArray("2000000"));
    QVERIFY(notice->isHidden());
    page.updateInfo();
    QVERIFY(mark->isHidden());
}

// The boot unit's load saves the kernel's own values before it writes; freqdeck-cli defaults and
// the window's button each bring them back in one step.
void TestSettingsHold::bootDefaultsRoundTrip()
{
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));
    QFile::remove(BootDefaults::path());
    QTemporaryDir dir;
    const QString file = dir.filePath("settings.json");
    SysfsFixture::writePlainFile(file, R"([{"id": 1, "policies": {"scaling_governor": "performance",
                                                                  "scaling_max_freq": "2000000"}},
                                           {"id": 3, "isEnabled": false}])");
    auto changed = [&sim] {
        return readValue(sim.policy(1, "scaling_governor")) == "performance"
               && readValue(sim.policy(1, "scaling_max_freq")) == "2000000"
               && readValue(sim.cpu() + "/cpu3/online") == "0";
    };
    auto booted = [&sim] {
        return readValue(sim.policy(1, "scaling_governor")) == "schedutil"
               && readValue(sim.policy(1, "scaling_max_freq")) == "3400000"
               && readValue(sim.cpu() + "/cpu3/online") == "1";
    };
    QVERIFY(booted());

    Cli boot(sim);
    QCOMPARE(boot.run({"load", "--save-defaults", "--settle-ms", "0", file}), 0);
    QVERIFY2(boot.outText.startsWith("Saved the boot defaults to " + BootDefaults::path() + "\n"),
             qPrintable(boot.outText));
    QVERIFY(changed());
    Cli defaults(sim);
    QCOMPARE(defaults.run({"defaults", "--settle-ms", "0"}), 0);
    QVERIFY2(booted(), qPrintable(defaults.outText + defaults.errText));

    // Loading again must not replace the defaults with freqdeck's values.
    Cli again(sim);
    QCOMPARE(again.run({"load", "--settle-ms", "0", file}), 0);
    QVERIFY(changed());
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainPage overview(info);
    overview.restoreBootDefaults();
    QVERIFY(booted());
    QVERIFY(overview.findChild<QFrame *>("notice")->isHidden());
}

// The kernel forgets a CPU's settings while it is offline (--forget-on-online): what the udev rule
// starts for that CPU, run as the rule and the unit spell it, applies the saved settings to it
// again, and to no other CPU.
void TestSettingsHold::cpuBackOnlineGetsItsSettingsAgain()
{
    if (::geteuid() != 0 || !MountNamespace::available())
        QSKIP("the unit's command reads /sys/devices/system/cpu: needs root in a mount namespace of its own");
    MountedSim sim(simulator, {"--cpus", "4", "--forget-on-online"});
    START_SIM(sim);
    QVERIFY(stateDir.isValid());
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(stateDir.path()));

    QVERIFY2(MountNamespace::bind(sim.cpu(), "/sys/devices/system/cpu"), qPrintable(MountNamespace::reason()));
    auto unbind = qScopeGuard([] { MountNamespace::unmount("/sys/devices/system/cpu"); });
    // The unit loads only a file root alone can have written: a private root-owned directory.
    QVERIFY2(MountNamespace::mountTmpfs("/mnt", "mode=0755"), qPrintable(MountNamespace::reason()));
    auto unmountFiles = qScopeGuard([] { MountNamespace::unmount("/mnt"); });
    const QString file = QStringLiteral("/mnt/settings.json");
    SysfsFixture::writePlainFile(file, R"([
        {"id": 1, "policies": {"scaling_governor": "performance", "scaling_max_freq": "2000000"}},
        {"id": 2, "policies": {"scaling_governor": "powersave", "scaling_max_freq": "1800000"}}])");
    QVERIFY(QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    Cli all(sim);
    QCOMPARE(all.run({"load", "--settle-ms", "0", file}), 0);
    QVERIFY(writeSysfs(sim.policy(1, "scaling_max_freq"), "2400000")); // changed by hand since

    QVERIFY(writeSysfs(sim.cpu() + "/cpu2/online", "0"));
    QVERIFY(writeSysfs(sim.cpu() + "/cpu2/online", "1"));
    QCOMPARE(readValue(sim.policy(2, "scaling_governor")), QByteArray("schedutil"));

    // What the rule starts for cpu2 (udev's %n is the number of the device's name).
    const QString rule = QString::fromUtf8(SysfsFixture::readFile(FREQDECK_UDEV_RULE));
    const QRegularExpressionMatch started =
        QRegularExpression(
            R"re(ACTION=="online", SUBSYSTEM=="cpu".*RUN\+="\S+ --no-block start (freqdeck-reapply@)%n(\.service)")re")
            .match(rule);
    QVERIFY2(started.hasMatch(), qPrintable(rule));
    const QString unit = started.captured(1) + "2" + started.captured(2);
    QCOMPARE(unit, QString("freqdeck-reapply@2.service"));
    const QString text =
        QString::fromUtf8(SysfsFixture::readFile(FREQDECK_SOURCE_DIR "/share/systemd/freqdeck-reapply@.service.in"));
    QStringList command;
    for (const QString &line : text.split('\n')) {
        if (line.startsWith("ExecStart="))
            command = line.mid(int(strlen("ExecStart="))).split(' ', Qt::SkipEmptyParts);
    }
    QVERIFY(!command.isEmpty());
    command.replaceInStrings("@FREQDECK_CLI@", FREQDECK_CLI_BINARY);
    command.replaceInStrings("%i", "2");
    command.replaceInStrings("/etc/freqdeck/settings.json", file);
    QProcess process;
    process.start(command.first(), command.mid(1));
    QVERIFY(process.waitForFinished(60000));
    QCOMPARE(process.readAllStandardError(), QByteArray());
    QCOMPARE(process.exitCode(), 0);
    QCOMPARE(process.readAllStandardOutput(),
             QByteArray("Loaded /mnt/settings.json: 2 kept, 0 rounded, 0 refused, 0 changed again, 0 unreadable\n"));
    QCOMPARE(readValue(sim.policy(2, "scaling_governor")), QByteArray("powersave"));
    QCOMPARE(readValue(sim.policy(2, "scaling_max_freq")), QByteArray("1800000"));
    QCOMPARE(readValue(sim.policy(1, "scaling_max_freq")), QByteArray("2400000"));
}

FREQDECK_NAMESPACED_TEST_MAIN(QApplication, TestSettingsHold)
#include "testsettingshold.moc"
