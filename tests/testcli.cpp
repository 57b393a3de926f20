// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "cliapp.h"
#include "cpuinfo.h"
#include "mountedsim.h"
#include "mountnamespace.h"
#include "settingsfile.h"
#include "sysfsfixture.h"

// The command-line companion: its commands over fake sysfs trees, and the built program itself.
class TestCli : public QObject
{
    Q_OBJECT

private slots:
    void showText();
    void showJson();
    void showWithoutCpufreq();
    void showMarksUnreadableAndEscapes();
    void profiles_data();
    void profiles();
    void refusedWrites_data();
    void refusedWrites();
    void settingsFilesMatchTheWindows();
    void skippedSettingsAreNamed();
    void profilesHoldOnSimulatedMachines_data();
    void profilesHoldOnSimulatedMachines();
    void processorWideOnSimulatedMachines_data();
    void processorWideOnSimulatedMachines();
    void settingsFilesOldAndNew();
    void sharedPoliciesOnBigLittle();
    void coreGroupsOnHybrid();
    void offlineCoreFileAtBootAndResume();
    void rejectedUsage_data();
    void rejectedUsage();
    void rejectedFiles_data();
    void rejectedFiles();
    void helpAndVersion_data();
    void helpAndVersion();
    void programHelpAndUsage();
    void programShowsThisMachine();
    void programShowsForUnprivilegedUser();
    void whyNamesTheCeilingThatBinds_data();
    void whyNamesTheCeilingThatBinds();
    void watchStreamsUntilKilled();
};

namespace
{

const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);

// One CliApp over a fixture or a simulated machine, with both streams captured.
struct Cli {
    explicit Cli(const SysfsFixture &fx)
        : Cli(fx.cpuDir(), fx.cpuInfoPath())
    {
    }
    Cli(const QString &cpuDir, const QString &cpuInfo)
        : out(&outText)
        , err(&errText)
        , app(cpuDir, cpuInfo, out, err)
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

QStringList lines(const QString &text)
{
    QStringList all = text.split(QLatin1Char('\n'));
    if (!all.isEmpty() && all.last().isEmpty())
        all.removeLast();
    return all;
}

QByteArray readFile(const QString &path)
{
    return SysfsFixture::readFile(path);
}

void writeFile(const QString &path, const QByteArray &content)
{
    SysfsFixture::writePlainFile(path, content);
}

QMap<QString, QByteArray> snapshot(const SysfsFixture &fx)
{
    return fx.snapshot(true);
}

// Two cores as the profile tests know them: cpu0 without an online switch as an x86 boot CPU,
// cpu1 offline, and limits that no profile writes.
void makeMachine(SysfsFixture &fx)
{
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);
    fx.addTypicalCore(1, 800000, 3400000, SysfsFixture::Online::Off);
    for (int i = 0; i < 2; ++i) {
        fx.writeAttribute(i, "scaling_min_freq", "1000000\n");
        fx.writeAttribute(i, "scaling_max_freq", "3000000\n");
    }
}

// cpu0 offline with an empty cpufreq directory, cpu2 and cpu10 as a driver shows them.
void makeShowMachine(SysfsFixture &fx)
{
    fx.addCore(0, SysfsFixture::Online::Off);
    fx.addTypicalCore(2);
    fx.writeAttribute(2, "scaling_max_freq", "3000000\n");
    fx.addTypicalCore(10, 400000, 1999999);
    fx.writeAttribute(10, "scaling_governor", "performance\n");
    fx.removeAttribute(10, "scaling_cur_freq");
    fx.writeAttribute(10, "cpuinfo_cur_freq", "1234567\n", 0400);
    fx.writeCpuInfoForModel("Fixture CPU 3000", 3);
}

// Checks that a table row holds exactly these values, each under its title in the header: text
// columns start where their title starts, number columns end where theirs ends.
void checkRow(const QString &header, const QString &row, const QStringList &values)
{
    static const QStringList titles{"CPU", "Type", "Policy", "Online", "Governor", "Min MHz", "Max MHz", "Current MHz"};
    static const QList<bool> rightAligned{true, false, false, false, false, true, true, true};
    QCOMPARE(row.split(QLatin1Char(' '), Qt::SkipEmptyParts), values);
    int from = 0;
    for (int i = 0; i < titles.size(); ++i) {
        const int title = header.indexOf(titles[i]);
        QVERIFY2(title >= 0, qPrintable(header));
        const int at = row.indexOf(values[i], from);
        if (rightAligned[i])
            QCOMPARE(at + values[i].size(), title + titles[i].size());
        else
            QCOMPARE(at, title);
        from = at + values[i].size();
    }
}

struct Finished {
    int status;
    QByteArray out;
    QByteArray err;
};

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

// The ExecStart command of a restore unit with the built program, and file for the one in /etc.
QStringList unitCommand(const QString &unit, const QString &file)
{
    QStringList command;
    const QString text = QString::fromUtf8(readFile(FREQDECK_SOURCE_DIR "/share/systemd/" + unit + ".service.in"));
    for (const QString &line : text.split('\n')) {
        if (line.startsWith("ExecStart="))
            command = line.mid(int(strlen("ExecStart="))).split(' ', Qt::SkipEmptyParts);
    }
    command.replaceInStrings("@FREQDECK_CLI@", FREQDECK_CLI_BINARY);
    command.replaceInStrings("/etc/freqdeck/settings.json", file);
    return command;
}

#define START_SIM(sim)                                \
    do {                                              \
        QString why;                                  \
        QVERIFY2((sim).start(&why), qPrintable(why)); \
    } while (false)

// The stores the simulator logged (--write-log) to cpufreq policies since the log was last
// emptied, counted by file: {"/cpu/cpufreq/policy4/scaling_max_freq": 1, ...}. Empties the log.
QMap<QString, int> takePolicyStores(const QString &log)
{
    QMap<QString, int> stores;
    for (const QByteArray &line : readFile(log).split('\n')) {
        if (line.contains("/cpufreq/policy"))
            stores[QString::fromUtf8(line.left(line.indexOf(' ')))] += 1;
    }
    writeFile(log, QByteArray());
    return stores;
}

Finished runProgram(const QString &program, const QStringList &arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(60000) || process.exitStatus() != QProcess::NormalExit)
        return {-1, QByteArray(), process.errorString().toUtf8()};
    return {process.exitCode(), process.readAllStandardOutput(), process.readAllStandardError()};
}

} // namespace

void TestCli::showText()
{
    SysfsFixture fx;
    makeShowMachine(fx);
    const auto before = snapshot(fx);
    Cli cli(fx);
    QCOMPARE(cli.run({"show"}), 0);
    QCOMPARE(cli.errText, QString());

    const QStringList text = lines(cli.outText);
    QCOMPARE(text.size(), 7);
    QCOMPARE(text[0], QString("Model:  Fixture CPU 3000"));
    QCOMPARE(text[1], QString("Driver: acpi-cpufreq")); // from cpu2: the offline cpu0 names none
    QCOMPARE(text[2], QString());
    const QString &header = text[3];
    QCOMPARE(header.split(' ', Qt::SkipEmptyParts), QStringList({"CPU", "Type", "Policy", "Online", "Governor", "Min",
                                                                 "MHz", "Max", "MHz", "Current", "MHz"}));
    checkRow(header, text[4], {"0", "-", "-", "offline", "-", "-", "-", "-"});
    checkRow(header, text[5], {"2", "-", "2", "online", "schedutil", "800", "3000", "2100"});
    // MHz are truncated; cpuinfo_cur_freq stands in for the missing scaling_cur_freq.
    checkRow(header, text[6], {"10", "-", "10", "online", "performance", "400", "1999", "1234"});
    for (int i = 4; i < text.size(); ++i)
        QCOMPARE(text[i].size(), header.size());
    QCOMPARE(snapshot(fx), before);
}

void TestCli::showJson()
{
    SysfsFixture fx;
    makeShowMachine(fx);
    Cli cli(fx);
    QCOMPARE(cli.run({"show", "--json"}), 0);
    QCOMPARE(cli.errText, QString());
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(cli.outText.toUtf8(), &error);
    QCOMPARE(error.error, QJsonParseError::NoError);
    const QJsonObject all = document.object();
    QCOMPARE(all.value("model"), QJsonValue("Fixture CPU 3000"));
    QCOMPARE(all.value("driver"), QJsonValue("acpi-cpufreq"));
    const QJsonArray cores = all.value("cores").toArray();
    QCOMPARE(cores.size(), 3);
    const QJsonValue null;
    QCOMPARE(cores[0].toObject(), (QJsonObject{{"id", 0},
                                               {"online", false},
                                               {"governor", null},
                                               {"min_mhz", null},
                                               {"max_mhz", null},
                                               {"current_mhz", null},
                                               {"type", ""},
                                               {"policy", null},
                                               {"policy_cpus", QJsonArray()}}));
    QCOMPARE(cores[1].toObject(), (QJsonObject{{"id", 2},
                                               {"online", true},
                                               {"governor", "schedutil"},
                                               {"min_mhz", 800},
                                               {"max_mhz", 3000},
                                               {"current_mhz", 2100},
                                               {"type", ""},
                                               {"policy", 2},
                                               {"policy_cpus", QJsonArray{2}}}));
    QCOMPARE(cores[2].toObject(), (QJsonObject{{"id", 10},
                                               {"online", true},
                                               {"governor", "performance"},
                                               {"min_mhz", 400},
                                               {"max_mhz", 1999},
                                               {"current_mhz", 1234},
                                               {"type", ""},
                                               {"policy", 10},
                                               {"policy_cpus", QJsonArray{10}}}));
}

void TestCli::showWithoutCpufreq()
{
    // A virtual machine: cores without cpufreq attributes and a cpuinfo without a model name.
    SysfsFixture fx;
    fx.addCore(0, SysfsFixture::Online::Missing);
    fx.addCore(1);
    QDir(fx.coreDir(1)).rmdir("cpufreq");
    fx.writeCpuInfo("processor\t: 0\nBogoMIPS\t: 48.00\n");
    Cli cli(fx);
    QCOMPARE(cli.run({"show"}), 0);
    const QStringList text = lines(cli.outText);
    QCOMPARE(text.size(), 6);
    QCOMPARE(text[0], QString("Model:  -"));
    QVERIFY2(text[1].startsWith("Driver: none") && text[1].contains("no cpufreq"), qPrintable(text[1]));
    checkRow(text[3], text[4], {"0", "-", "-", "online", "-", "-", "-", "-"});
    checkRow(text[3], text[5], {"1", "-", "-", "online", "-", "-", "-", "-"});

    Cli json(fx);
    QCOMPARE(json.run({"--json", "show"}), 0);
    const QJsonObject all = QJsonDocument::fromJson(json.outText.toUtf8()).object();
    QCOMPARE(all.value("driver"), QJsonValue());
    QCOMPARE(all.value("model"), QJsonValue());
    QCOMPARE(all.value("cores").toArray().size(), 2);
    QCOMPARE(all.value("cores").toArray()[1].toObject().value("governor"), QJsonValue());
}

void TestCli::showMarksUnreadableAndEscapes()
{
    // A governor that could not be read, and a driver and model name carrying escape sequences.
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.writeAttribute(0, "scaling_driver", "acpi\x1b]0;owned\x07\n", 0444);
    fx.writeCpuInfo("model name\t: Fixture\x1b[2J CPU\n");
    Cli cli(fx);
    cli.app.inventory().cores[0].policies["scaling_governor"].readError = EIO;
    QCOMPARE(cli.run({"show"}), 0);
    const QStringList text = lines(cli.outText);
    QCOMPARE(text.value(0), QString("Model:  Fixture\\x1b[2J CPU"));
    QCOMPARE(text.value(1), QString("Driver: acpi\\x1b]0;owned\\x07"));
    checkRow(text.value(3), text.value(4), {"0", "-", "0", "online", "unreadable", "800", "3400", "2100"});

    Cli json(fx);
    json.app.inventory().cores[0].policies["scaling_governor"].readError = EIO;
    QCOMPARE(json.run({"show", "--json"}), 0);
    const QJsonObject all = QJsonDocument::fromJson(json.outText.toUtf8()).object();
    QCOMPARE(all.value("driver"), QJsonValue("acpi\\x1b]0;owned\\x07"));
    const QJsonObject core = all.value("cores").toArray().at(0).toObject();
    QCOMPARE(core.value("governor"), QJsonValue());
    QCOMPARE(core.value("unreadable"), QJsonValue(QJsonArray{"governor"}));
}

void TestCli::profiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("governor");
    QTest::addColumn<QByteArray>("min");
    QTest::addColumn<QByteArray>("max");
    QTest::addColumn<QString>("report");
    QTest::newRow("performance") << "performance" << QByteArray("performance") << QByteArray("800000")
                                 << QByteArray("3400000") << "Applied Performance; profile in force: Performance";
    QTest::newRow("fast") << "fast" << QByteArray("performance") << QByteArray("800000") << QByteArray("2266666")
                          << "Applied Fast; profile in force: Fast";
    QTest::newRow("normal") << "normal" << QByteArray("schedutil") << QByteArray("800000") << QByteArray("2100000")
                            << "Applied Normal; profile in force: Normal";
    QTest::newRow("slow") << "slow" << QByteArray("schedutil") << QByteArray("800000") << QByteArray("1133333")
                          << "Applied Slow; profile in force: Slow";
    QTest::newRow("powersave") << "powersave" << QByteArray("powersave") << QByteArray("800000") << QByteArray("800000")
                               << "Applied Powersave; profile in force: Powersave";
    QTest::newRow("any case") << "PowerSave" << QByteArray("powersave") << QByteArray("800000") << QByteArray("800000")
                              << "Applied Powersave; profile in force: Powersave";
    // Custom only brings the cores online; their limits then fall into Fast's band.
    QTest::newRow("custom") << "custom" << QByteArray("schedutil") << QByteArray("1000000") << QByteArray("3000000")
                            << "Applied Custom; profile in force: Fast";
}

void TestCli::profiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, governor);
    QFETCH(QByteArray, min);
    QFETCH(QByteArray, max);
    QFETCH(QString, report);
    SysfsFixture fx;
    makeMachine(fx);
    Cli cli(fx);
    // cpu0 has no switch to write; that is no failure.
    QCOMPARE(cli.run({"profile", name}), 0);
    QCOMPARE(cli.errText, QString());
    QCOMPARE(cli.outText, report + '\n');
    QCOMPARE(fx.readOnline(1), QByteArray("1"));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(fx.readAttribute(i, "scaling_governor").trimmed(), governor);
        QCOMPARE(fx.readAttribute(i, "scaling_min_freq").trimmed(), min);
        QCOMPARE(fx.readAttribute(i, "scaling_max_freq").trimmed(), max);
    }
}

void TestCli::refusedWrites_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("core");
    QTest::addColumn<QString>("file"); // below the core's directory
    QTest::addColumn<QString>("message");
    QTest::addColumn<QString>("report");
    QTest::addColumn<QString>("written"); // a write after the refused one, "core/attribute=value"

    // Read back after the failure, the core no longer matches: the report shows what is in force.
    // clang-format off
    QTest::newRow("profile, upper limit")
        << QStringList{"profile", "fast"} << 0 << "cpufreq/scaling_max_freq"
        << "freqdeck-cli: cpu0: scaling_max_freq: writing \"2266666\" failed: Too many levels of symbolic links"
        << "Applied Fast; profile in force: Custom\n" << "1/scaling_governor=performance";
    QTest::newRow("load, online switch")
        << QStringList{"load", "settings.json"} << 1 << "online"
        << "freqdeck-cli: cpu1: online: writing \"1\" failed: Too many levels of symbolic links"
        << "Loaded settings.json: 2 kept, 0 rounded, 1 refused, 0 changed again, 0 unreadable\n"
        << "1/scaling_governor=powersave";
    QTest::newRow("load, governor")
        << QStringList{"load", "settings.json"} << 0 << "cpufreq/scaling_governor"
        << "freqdeck-cli: cpu0: scaling_governor: writing \"performance\" failed: Too many levels of symbolic links"
        << "Loaded settings.json: 1 kept, 0 rounded, 1 refused, 0 changed again, 0 unreadable\n"
        << "1/scaling_governor=powersave";
    // clang-format on
}

void TestCli::refusedWrites()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, core);
    QFETCH(QString, file);
    QFETCH(QString, message);
    QFETCH(QString, report);
    QFETCH(QString, written);
    if (!QFile::exists("/dev/full"))
        QSKIP("/dev/full is not available");
    SysfsFixture fx;
    makeMachine(fx);
    const QString settings = fx.root() + "/settings.json";
    writeFile(settings, R"([{"id": 0, "policies": {"scaling_governor": "performance"}},
                            {"id": 1, "policies": {"scaling_governor": "powersave"}}])");
    arguments.replaceInStrings("settings.json", settings);
    report.replace("settings.json", settings);

    // A link where the file was is refused, as a refused sysfs store is: no write follows a link.
    Cli cli(fx);
    cli.app.inventory();
    const QString path = fx.coreDir(core) + '/' + file;
    QVERIFY(QFile::remove(path));
    QVERIFY(QFile::link("/dev/full", path));

    QCOMPARE(cli.run(arguments), 1);
    QCOMPARE(lines(cli.errText), QStringList{message});
    QCOMPARE(cli.outText, report);
    const QStringList target = written.split(QRegularExpression("[/=]"));
    QCOMPARE(fx.readAttribute(target[0].toInt(), target[1]), target[2].toUtf8());
}

void TestCli::settingsFilesMatchTheWindows()
{
    SysfsFixture fx;
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);
    fx.addTypicalCore(1);
    fx.writeAttribute(1, "energy_performance_preference", "balance_power\n");
    fx.addTypicalCore(2, 800000, 3400000, SysfsFixture::Online::Off);
    const auto original = snapshot(fx);

    // The window's save and the program's save give the same bytes.
    const QString windowFile = fx.root() + "/window.json";
    const QString cliFile = fx.root() + "/cli.json";
    QVERIFY(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()).dump(windowFile));
    Cli save(fx);
    QCOMPARE(save.run({"save", cliFile}), 0);
    QCOMPARE(save.errText, QString());
    QCOMPARE(readFile(cliFile), readFile(windowFile));
    QVERIFY(readFile(cliFile).contains("balance_power"));

    // The window's file restores through the program...
    QCOMPARE(Cli(fx).run({"profile", "powersave"}), 0);
    fx.writeAttribute(1, "energy_performance_preference", "power\n");
    QVERIFY(snapshot(fx) != original);
    Cli load(fx);
    QCOMPARE(load.run({"load", windowFile}), 0);
    QCOMPARE(load.errText, QString());
    QCOMPARE(snapshot(fx), original);

    // ...and the program's file through the window's model.
    QCOMPARE(Cli(fx).run({"profile", "slow"}), 0);
    QVERIFY(snapshot(fx) != original);
    QVERIFY(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()).load(cliFile));
    QCOMPARE(snapshot(fx), original);
}

void TestCli::skippedSettingsAreNamed()
{
    SysfsFixture fx;
    makeMachine(fx);
    const QString settings = fx.root() + "/settings.json";
    writeFile(settings, R"([{"id": 0, "policies": {"scaling_governor": 5, "scaling_max_freq": "2000000",
                                                   "cpuinfo_max_freq": "1",
                                                   "no_such\u001b[2J": "x\u001b]0;owned\u0007"}},
                            {"id": 7, "policies": {"scaling_governor": "performance"}}])");
    Cli cli(fx);
    QCOMPARE(cli.run({"load", settings}), 1);
    QCOMPARE(
        lines(cli.errText),
        QStringList({
            R"(freqdeck-cli: cpu0: scaling_governor: "5" not applied: the saved value is not text)",
            R"(freqdeck-cli: cpu0: cpuinfo_max_freq: "1" not applied: the attribute is read-only)",
            R"(freqdeck-cli: cpu0: no_such\x1b[2J: "x\x1b]0;owned\x07" not applied: this CPU has no such attribute)",
            R"(freqdeck-cli: cpu7: no such CPU here; its settings were skipped)",
        }));
    // The verification counts the three refused ones apart from the one that took.
    QCOMPARE(cli.outText, "Loaded " + settings + ": 1 kept, 0 rounded, 3 refused, 0 changed again, 0 unreadable\n");
    // What could be applied was.
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("2000000"));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("schedutil\n"));
}

void TestCli::profilesHoldOnSimulatedMachines_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("acpi-cpufreq") << "acpi-cpufreq";
    QTest::newRow("intel_pstate") << "intel_pstate";
    QTest::newRow("amd-pstate-epp") << "amd-pstate-epp";
}

void TestCli::profilesHoldOnSimulatedMachines()
{
    QFETCH(QString, driver);
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {"--driver", driver, "--cpus", "4"});
    START_SIM(sim);
    // An offline core's limits can only be read, and computed, once it is back online.
    QVERIFY(writeSysfs(sim.cpu() + "/cpu3/online", "0"));
    const std::pair<const char *, const char *> profiles[] = {{"fast", "Fast"}, {"normal", "Normal"}, {"slow", "Slow"}};
    for (const auto &[name, label] : profiles) {
        Cli cli(sim.cpu(), sim.cpuInfo());
        QCOMPARE(cli.run({"profile", name}), 0);
        QCOMPARE(cli.errText, QString());
        QCOMPARE(cli.outText, QString("Applied %1; profile in force: %1\n").arg(label));
        QCOMPARE(readFile(sim.cpu() + "/cpu3/online"), QByteArray("1\n"));
        QCOMPARE(readFile(sim.policy(3, "scaling_max_freq")), readFile(sim.policy(1, "scaling_max_freq")));
    }
}

void TestCli::processorWideOnSimulatedMachines_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("acpi-cpufreq") << "acpi-cpufreq";
    QTest::newRow("intel_pstate") << "intel_pstate";
    QTest::newRow("amd-pstate-epp") << "amd-pstate-epp";
}

// Boost, the driver's mode with the settings re-applied, EPP from the driver's list and EPB, each
// checked in the simulator's files; and the preference refused under the performance governor,
// explained in plain words.
void TestCli::processorWideOnSimulatedMachines()
{
    QFETCH(QString, driver);
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {"--driver", driver, "--cpus", "4"});
    START_SIM(sim);
    const bool intel = driver == "intel_pstate";
    const bool amd = driver == "amd-pstate-epp";
    const auto run = [&sim](const QStringList &arguments, QString *err = nullptr) {
        Cli cli(sim.cpu(), sim.cpuInfo());
        const int status = cli.run(arguments);
        if (err)
            *err = cli.errText;
        return status;
    };

    // Turbo off lowers the limits to the non-turbo maximum; on gives back the user's limit.
    QVERIFY(writeSysfs(sim.policy(1, "scaling_max_freq"), intel ? "3800000" : "4500000"));
    const QByteArray userMax = readFile(sim.policy(1, "scaling_max_freq"));
    const QByteArray turboMax = readFile(sim.policy(1, "cpuinfo_max_freq"));
    if (amd) {
        QString err;
        QCOMPARE(run({"boost", "off"}, &err), 1); // amd-pstate-epp has no boost file in active mode
        QVERIFY2(err.contains("no boost switch"), qPrintable(err));
    } else {
        QCOMPARE(run({"boost", "off"}), 0);
        QCOMPARE(readFile(sim.cpu() + (intel ? "/intel_pstate/no_turbo" : "/cpufreq/boost")),
                 QByteArray(intel ? "1\n" : "0\n"));
        const QByteArray lowered = readFile(sim.policy(1, "cpuinfo_max_freq"));
        QVERIFY(lowered.toInt() < turboMax.toInt());
        QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), lowered);
        QCOMPARE(run({"boost", "on"}), 0);
        QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), userMax);
    }

    // EPB on the CPUs of a list, where the processor has it.
    QCOMPARE(run({"set", "--cpu", "1-2", "energy_perf_bias", "12"}), amd ? 1 : 0);
    if (!amd) {
        QCOMPARE(readFile(sim.cpu() + "/cpu2/power/energy_perf_bias"), QByteArray("12\n"));
        QCOMPARE(readFile(sim.cpu() + "/cpu3/power/energy_perf_bias"), QByteArray("6\n"));
    }
    if (!intel && !amd) {
        QCOMPARE(run({"mode", "passive"}), 1); // acpi-cpufreq has no modes
        return;
    }

    // A preference from the driver's own list, then one refused under the performance governor.
    const QStringList offered = QString::fromLatin1(readFile(sim.policy(0, "energy_performance_available_preferences")))
                                    .split(' ', Qt::SkipEmptyParts);
    QVERIFY(offered.contains("balance_power"));
    QCOMPARE(run({"set", "energy_performance_preference", "balance_power", "--cpu", "0,2"}), 0);
    QCOMPARE(readFile(sim.policy(2, "energy_performance_preference")), QByteArray("balance_power\n"));
    QCOMPARE(readFile(sim.policy(1, "energy_performance_preference")), QByteArray("balance_performance\n"));
    QCOMPARE(run({"set", "scaling_governor", "performance", "--cpu=3"}), 0);
    QString err;
    QCOMPARE(run({"set", "energy_performance_preference", "power", "--cpu", "3"}, &err), 1);
    QCOMPARE(err, QString("freqdeck-cli: cpu3: energy_performance_preference: writing \"power\" failed: Device or "
                          "resource busy (the performance governor holds the energy preference at \"performance\"; "
                          "choose another governor first)\n"));

    // The mode switch resets every policy; --reapply gives back what the new mode takes and names
    // the preferences, which passive mode lacks.
    QCOMPARE(run({"mode", "--reapply", "passive"}, &err), 1);
    QCOMPARE(readFile(sim.cpu() + (intel ? "/intel_pstate/status" : "/amd_pstate/status")), QByteArray("passive\n"));
    QCOMPARE(readFile(sim.policy(0, "scaling_driver")), QByteArray(intel ? "intel_cpufreq\n" : "amd-pstate\n"));
    QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), userMax);
    QCOMPARE(readFile(sim.policy(3, "scaling_governor")), QByteArray("performance\n"));
    QCOMPARE(readFile(sim.policy(2, "scaling_governor")), QByteArray("powersave\n"));
    QVERIFY(!QFile::exists(sim.policy(2, "energy_performance_preference")));
    QCOMPARE(lines(err).size(), 4);
    QVERIFY2(lines(err).filter("the new mode has no such attribute").size() == 4, qPrintable(err));
    if (amd) // amd-pstate has the boost file outside active mode
        QCOMPARE(readFile(sim.cpu() + "/cpufreq/boost"), QByteArray("1\n"));
    QCOMPARE(run({"mode", "active"}), 0);
    QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), turboMax);
    QCOMPARE(readFile(sim.policy(2, "energy_performance_preference")), QByteArray("balance_performance\n"));
    QCOMPARE(run({"mode", intel ? "guided" : "active"}, &err), intel ? 1 : 0);
}

// A file saved now keeps its processor-wide settings in an element without an "id", which the
// loader's per-core path (all that older versions have) passes over; a file from before loads.
void TestCli::settingsFilesOldAndNew()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {"--driver", "intel_pstate", "--cpus", "2"});
    START_SIM(sim);
    QTemporaryDir dir;
    QVERIFY(writeSysfs(sim.cpu() + "/intel_pstate/status", "passive"));
    QVERIFY(writeSysfs(sim.cpu() + "/intel_pstate/no_turbo", "1"));
    QVERIFY(writeSysfs(sim.cpu() + "/cpu1/power/energy_perf_bias", "9"));
    QVERIFY(writeSysfs(sim.policy(1, "scaling_governor"), "ondemand"));
    const QString saved = dir.filePath("new.json");
    {
        Cli cli(sim.cpu(), sim.cpuInfo());
        QCOMPARE(cli.run({"save", saved}), 0);
    }
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray entries = QJsonDocument::fromJson(file.readAll()).array();
    QCOMPARE(entries.size(), 3);
    const QJsonObject processor = entries.last().toObject();
    QCOMPARE(processor.keys(), QStringList{"processor"});
    QCOMPARE(processor.value("processor").toObject().value("mode").toString(), QString("passive"));

    // The per-core path over every element, as a loader without the processor element applies it.
    {
        CPUInfo info(sim.cpu(), sim.cpuInfo());
        ApplyReport report;
        for (CPUCore &core : info.cores)
            SettingsFile::applyToCore(core, processor, report);
        QVERIFY(report.ok());
        QCOMPARE(report.written, 0);
    }

    // Back to the defaults, then the new file restores the mode before the cores' settings.
    QVERIFY(writeSysfs(sim.cpu() + "/intel_pstate/status", "active"));
    QVERIFY(writeSysfs(sim.cpu() + "/intel_pstate/no_turbo", "0"));
    QVERIFY(writeSysfs(sim.cpu() + "/cpu1/power/energy_perf_bias", "6"));
    {
        Cli cli(sim.cpu(), sim.cpuInfo());
        QCOMPARE(cli.run({"load", saved}), 0);
        QCOMPARE(cli.errText, QString());
    }
    QCOMPARE(readFile(sim.cpu() + "/intel_pstate/status"), QByteArray("passive\n"));
    QCOMPARE(readFile(sim.cpu() + "/intel_pstate/no_turbo"), QByteArray("1\n"));
    QCOMPARE(readFile(sim.cpu() + "/cpu1/power/energy_perf_bias"), QByteArray("9\n"));
    QCOMPARE(readFile(sim.policy(1, "scaling_governor")), QByteArray("ondemand\n"));

    // A file from before: core entries only. It loads and leaves the processor-wide switches be.
    const QString old = dir.filePath("old.json");
    SysfsFixture::writePlainFile(
        old,
        R"([{"id": 1, "isEnabled": true, "policies": {"scaling_governor": "schedutil", "scaling_max_freq": "2000000"}}])");
    {
        Cli cli(sim.cpu(), sim.cpuInfo());
        QCOMPARE(cli.run({"load", old}), 0);
        QCOMPARE(cli.errText, QString());
    }
    QCOMPARE(readFile(sim.policy(1, "scaling_governor")), QByteArray("schedutil\n"));
    QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), QByteArray("2000000\n"));
    QCOMPARE(readFile(sim.cpu() + "/intel_pstate/status"), QByteArray("passive\n"));
}

// An ARM machine with a policy per cluster of four: a profile writes each policy and attribute
// once, a saved file comes back as it was with one store per changed policy attribute, and two
// entries of one policy that disagree are applied in file order and named.
void TestCli::sharedPoliciesOnBigLittle()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    QTemporaryDir dir;
    const QString log = dir.filePath("stores.log");
    MountedSim sim(simulator, {"--machine", "biglittle", "--write-log", log});
    START_SIM(sim);
    const QString cpuDir = sim.sys() + "/devices/system/cpu";
    const auto maxOf = [&](int cpu) {
        return readFile(QString("%1/cpu%2/cpufreq/scaling_max_freq").arg(cpuDir).arg(cpu));
    };
    {
        Cli cli(cpuDir, sim.cpuInfo());
        QCOMPARE(cli.run({"profile", "fast"}), 0);
        QCOMPARE(cli.errText, QString());
        QCOMPARE(cli.outText, QString("Applied Fast; profile in force: Fast\n"));
    }
    QMap<QString, int> expected;
    for (const QString policy : {"policy0", "policy4"}) {
        for (const QString name : {"scaling_governor", "scaling_min_freq", "scaling_max_freq"})
            expected.insert("/cpu/cpufreq/" + policy + "/" + name, 1);
    }
    QCOMPARE(takePolicyStores(log), expected);
    QCOMPARE(maxOf(3), QByteArray("1200000\n")); // two thirds of each cluster's top, on its own table
    QCOMPARE(maxOf(6), QByteArray("1608000\n"));

    const QString saved = dir.filePath("settings.json");
    QCOMPARE(Cli(cpuDir, sim.cpuInfo()).run({"save", saved}), 0);
    QVERIFY(writeSysfs(cpuDir + "/cpu5/cpufreq/scaling_max_freq", "816000"));
    QVERIFY(writeSysfs(cpuDir + "/cpu1/cpufreq/scaling_governor", "powersave"));
    takePolicyStores(log);
    {
        Cli cli(cpuDir, sim.cpuInfo());
        QCOMPARE(cli.run({"load", saved}), 0);
        QCOMPARE(cli.errText, QString());
    }
    QCOMPARE(takePolicyStores(log), (QMap<QString, int>{{"/cpu/cpufreq/policy0/scaling_governor", 1},
                                                        {"/cpu/cpufreq/policy4/scaling_max_freq", 1}}));
    QCOMPARE(maxOf(7), QByteArray("1608000\n"));
    QCOMPARE(readFile(cpuDir + "/cpu2/cpufreq/scaling_governor"), QByteArray("performance\n"));

    const QString disagreeing = dir.filePath("disagreeing.json");
    writeFile(disagreeing, R"([{"id": 0, "policies": {"scaling_max_freq": "1416000"}},
                               {"id": 2, "policies": {"scaling_max_freq": "1008000"}}])");
    {
        Cli cli(cpuDir, sim.cpuInfo());
        QCOMPARE(cli.run({"load", disagreeing}), 0);
        QCOMPARE(cli.errText, QString("freqdeck-cli: note: policy 0, shared by CPUs 0-3: the entries of cpu0 and cpu2 "
                                      "disagree on scaling_max_freq (\"1416000\", then \"1008000\"); they were "
                                      "applied in file order, so cpu2's value holds for all of them\n"));
    }
    QCOMPARE(maxOf(1), QByteArray("1008000\n"));
}

// An Intel hybrid machine: limiting the E-cores changes exactly their policies, and show tells
// the kinds of core and the SMT siblings.
void TestCli::coreGroupsOnHybrid()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    QTemporaryDir dir;
    const QString log = dir.filePath("stores.log");
    MountedSim sim(simulator, {"--machine", "hybrid", "--write-log", log});
    START_SIM(sim);
    const QString cpuDir = sim.sys() + "/devices/system/cpu";
    {
        Cli cli(cpuDir, sim.cpuInfo());
        QCOMPARE(cli.run({"set", "--cpu", "e-cores", "scaling_max_freq", "2000000"}), 0);
        QCOMPARE(cli.errText, QString());
    }
    QMap<QString, int> expected;
    for (int cpu = 12; cpu < 20; ++cpu)
        expected.insert(QString("/cpu/cpufreq/policy%1/scaling_max_freq").arg(cpu), 1);
    QCOMPARE(takePolicyStores(log), expected);
    for (int cpu = 0; cpu < 20; ++cpu)
        QCOMPARE(readFile(sim.policy(cpu, "scaling_max_freq")), QByteArray(cpu < 12 ? "4700000\n" : "2000000\n"));

    Cli cli(cpuDir, sim.cpuInfo());
    QCOMPARE(cli.run({"show", "--json"}), 0);
    const QJsonArray cores = QJsonDocument::fromJson(cli.outText.toUtf8()).object().value("cores").toArray();
    QCOMPARE(cores.size(), 20);
    for (const QJsonValue &core : cores) {
        const QJsonObject values = core.toObject();
        const int id = values.value("id").toInt();
        QCOMPARE(values.value("type").toString(), QString(id < 12 ? "P" : "E"));
        QCOMPARE(values.value("policy").toInt(), id);
        const QJsonArray siblings = id < 12 ? QJsonArray{id & ~1, id | 1} : QJsonArray{id};
        QCOMPARE(values.value("siblings").toArray(), siblings);
    }
}

void TestCli::offlineCoreFileAtBootAndResume()
{
    if (::geteuid() != 0 || !MountNamespace::available())
        QSKIP("the units' command reads /sys/devices/system/cpu: needs root in a mount namespace of its own");
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);

    // cpu2 set up by its user, saved, and the file then saying it is to be offline.
    QVERIFY(writeSysfs(sim.policy(2, "scaling_governor"), "powersave"));
    QVERIFY(writeSysfs(sim.policy(2, "scaling_min_freq"), "1200000"));
    QVERIFY(writeSysfs(sim.policy(2, "scaling_max_freq"), "2000000"));
    QTemporaryDir files;
    const QString path = files.filePath("settings.json");
    QCOMPARE(Cli(sim.cpu(), sim.cpuInfo()).run({"save", path}), 0);
    QJsonArray cores = QJsonDocument::fromJson(readFile(path)).array();
    QJsonObject core2 = cores[2].toObject();
    QCOMPARE(core2.value("policies").toObject().value("scaling_governor"), QJsonValue("powersave"));
    core2.insert("isEnabled", false);
    cores[2] = core2;
    writeFile(path, QJsonDocument(cores).toJson());
    // The machine as it boots.
    QVERIFY(writeSysfs(sim.policy(2, "scaling_governor"), "schedutil"));
    QVERIFY(writeSysfs(sim.policy(2, "scaling_min_freq"), "800000"));
    QVERIFY(writeSysfs(sim.policy(2, "scaling_max_freq"), "3400000"));

    QVERIFY2(MountNamespace::bind(sim.cpu(), "/sys/devices/system/cpu"), qPrintable(MountNamespace::reason()));
    auto unbind = qScopeGuard([] { MountNamespace::unmount("/sys/devices/system/cpu"); });
    // The units load only a file that root alone can have written, and /tmp is everyone's: the
    // file goes to a private root-owned directory of this namespace.
    QVERIFY2(MountNamespace::mountTmpfs("/mnt", "mode=0755"), qPrintable(MountNamespace::reason()));
    auto unmountFiles = qScopeGuard([] { MountNamespace::unmount("/mnt"); });
    QVERIFY(QFile::copy(path, "/mnt/settings.json"));
    QVERIFY(QFile::setPermissions("/mnt/settings.json",
                                  QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup | QFile::ReadOther));
    const QString trustedPath = QStringLiteral("/mnt/settings.json");
    const QStringList boot = unitCommand("freqdeck-restore", trustedPath);
    const Finished booted = runProgram(boot.first(), boot.mid(1));
    QCOMPARE(booted.err, QByteArray());
    QCOMPARE(booted.status, 0);
    QCOMPARE(readFile(sim.cpu() + "/cpu2/online"), QByteArray("0\n"));

    // After a resume the core is still offline: none of its settings can be written, and that is
    // said once, without failing.
    const QStringList resume = unitCommand("freqdeck-restore-resume", trustedPath);
    const Finished resumed = runProgram(resume.first(), resume.mid(1));
    QCOMPARE(resumed.status, 0);
    const QStringList said = lines(QString::fromUtf8(resumed.err));
    QCOMPARE(said.size(), 1);
    QVERIFY2(said[0].startsWith("freqdeck-cli: note: cpu2 stays offline"), qPrintable(said[0]));

    // Brought online again, it runs as saved.
    QVERIFY(writeSysfs(sim.cpu() + "/cpu2/online", "1"));
    QCOMPARE(readFile(sim.policy(2, "scaling_governor")), QByteArray("powersave\n"));
    QCOMPARE(readFile(sim.policy(2, "scaling_min_freq")), QByteArray("1200000\n"));
    QCOMPARE(readFile(sim.policy(2, "scaling_max_freq")), QByteArray("2000000\n"));
}

void TestCli::rejectedUsage_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("reason");
    QTest::newRow("nothing") << QStringList{} << "no command given";
    QTest::newRow("unknown command") << QStringList{"frobnicate"} << "unknown command 'frobnicate'";
    QTest::newRow("unknown option") << QStringList{"show", "--loud"} << "unknown option '--loud'";
    QTest::newRow("-- ends the options") << QStringList{"--", "--help"} << "unknown command '--help'";
    QTest::newRow("--json with profile") << QStringList{"--json", "profile", "fast"}
                                         << "--json goes with show, why, status and load only";
    QTest::newRow("show with an argument") << QStringList{"show", "all"} << "show takes no arguments";
    QTest::newRow("profile without a name") << QStringList{"profile"} << "profile takes one profile name";
    QTest::newRow("two profiles") << QStringList{"profile", "fast", "slow"} << "profile takes one profile name";
    QTest::newRow("unknown profile") << QStringList{"profile", "turbo"} << "unknown profile 'turbo'";
    QTest::newRow("save without a file") << QStringList{"save"} << "save takes one file name";
    QTest::newRow("load with two files") << QStringList{"load", "a.json", "b.json"} << "load takes one file name";
    QTest::newRow("load with an empty name") << QStringList{"load", ""} << "load takes one file name";
}

void TestCli::rejectedUsage()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, reason);
    SysfsFixture fx;
    makeMachine(fx);
    const auto before = snapshot(fx);
    Cli cli(fx);
    QCOMPARE(cli.run(arguments), 2);
    QCOMPARE(cli.outText, QString());
    const QStringList text = lines(cli.errText);
    QCOMPARE(text.value(0), "freqdeck-cli: " + reason);
    QVERIFY2(text.value(1).startsWith("Usage: freqdeck-cli"), qPrintable(cli.errText));
    QCOMPARE(text.last(), QString("Try 'freqdeck-cli --help' for more information."));
    QCOMPARE(snapshot(fx), before);
}

void TestCli::rejectedFiles_data()
{
    QTest::addColumn<QString>("command");
    QTest::addColumn<QString>("kind"); // what stands at the file's path: none, file or directory
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("reason");
    // clang-format off
    QTest::newRow("load missing") << "load" << "none" << QByteArray() << 2 << "The file does not exist.";
    QTest::newRow("load directory") << "load" << "directory" << QByteArray() << 2 << "Not a regular file.";
    QTest::newRow("load garbage") << "load" << "file" << QByteArray("{oops") << 2 << "The file is not JSON";
    QTest::newRow("load object") << "load" << "file" << QByteArray(R"({"id": 0, "isEnabled": false})") << 2
                                 << "its top level is not an array";
    QTest::newRow("save into missing directory") << "save" << "missing directory" << QByteArray() << 1
                                                 << "No such file or directory";
    // clang-format on
}

void TestCli::rejectedFiles()
{
    QFETCH(QString, command);
    QFETCH(QString, kind);
    QFETCH(QByteArray, content);
    QFETCH(int, status);
    QFETCH(QString, reason);
    SysfsFixture fx;
    makeMachine(fx);
    QString path = fx.root() + "/settings.json";
    if (kind == "file")
        writeFile(path, content);
    else if (kind == "directory")
        QVERIFY(QDir().mkdir(path));
    else if (kind == "missing directory")
        path = fx.root() + "/no/such/settings.json";
    const auto before = snapshot(fx);

    Cli cli(fx);
    QCOMPARE(cli.run({command, path}), status);
    QCOMPARE(cli.outText, QString());
    const QString prefix = QString("freqdeck-cli: cannot %1 %2: ").arg(command, path);
    QVERIFY2(cli.errText.startsWith(prefix) && cli.errText.contains(reason), qPrintable(cli.errText));
    QCOMPARE(lines(cli.errText).size(), 1);
    QCOMPARE(snapshot(fx), before);
}

void TestCli::helpAndVersion_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("help");
    QTest::newRow("--help") << QStringList{"--help"} << true;
    QTest::newRow("-h") << QStringList{"-h"} << true;
    QTest::newRow("help after an incomplete command") << QStringList{"profile", "--help"} << true;
    QTest::newRow("--version") << QStringList{"--version"} << false;
}

void TestCli::helpAndVersion()
{
    QFETCH(QStringList, arguments);
    QFETCH(bool, help);
    SysfsFixture fx;
    makeMachine(fx);
    const auto before = snapshot(fx);
    Cli cli(fx);
    QCOMPARE(cli.run(arguments), 0);
    QCOMPARE(cli.errText, QString());
    if (help) {
        QVERIFY2(cli.outText.startsWith("Usage: freqdeck-cli"), qPrintable(cli.outText));
        for (const char *item :
             {"show", "--json", "profile NAME", "save FILE", "load FILE", "--version", "Exit status"})
            QVERIFY2(cli.outText.contains(QLatin1String(item)), item);
    } else {
        QCOMPARE(cli.outText, QString("freqdeck-cli " FREQDECK_VERSION "\n"));
    }
    QCOMPARE(snapshot(fx), before);
}

void TestCli::programHelpAndUsage()
{
    const Finished help = runProgram(FREQDECK_CLI_BINARY, {"--help"});
    QCOMPARE(help.status, 0);
    QVERIFY(help.out.startsWith("Usage: freqdeck-cli"));
    QCOMPARE(help.err, QByteArray());

    const Finished wrong = runProgram(FREQDECK_CLI_BINARY, {"frobnicate"});
    QCOMPARE(wrong.status, 2);
    QCOMPARE(wrong.out, QByteArray());
    QVERIFY(wrong.err.startsWith("freqdeck-cli: unknown command 'frobnicate'\nUsage: freqdeck-cli"));
}

void TestCli::programShowsThisMachine()
{
    // What the machine offers, read here independently. The inventory lists every cpuN.
    QList<int> ids;
    const QDir sys("/sys/devices/system/cpu");
    for (const QString &name : sys.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QRegularExpressionMatch match = QRegularExpression("^cpu(0|[1-9][0-9]*)$").match(name);
        if (match.hasMatch())
            ids << match.captured(1).toInt();
    }
    std::sort(ids.begin(), ids.end());
    QJsonValue driver;
    for (int id : qAsConst(ids)) {
        const QByteArray name = readFile(sys.filePath(QString("cpu%1/cpufreq/scaling_driver").arg(id))).trimmed();
        if (!name.isEmpty()) {
            driver = QString::fromUtf8(name);
            break;
        }
    }

    const Finished json = runProgram(FREQDECK_CLI_BINARY, {"show", "--json"});
    QCOMPARE(json.status, 0);
    QCOMPARE(json.err, QByteArray());
    const QJsonObject all = QJsonDocument::fromJson(json.out).object();
    QCOMPARE(all.value("driver"), driver);
    const QJsonArray cores = all.value("cores").toArray();
    QCOMPARE(cores.size(), ids.size());
    for (int i = 0; i < ids.size(); ++i)
        QCOMPARE(cores[i].toObject().value("id").toInt(), ids[i]);
    const QString cpuinfo = QString::fromUtf8(readFile("/proc/cpuinfo"));
    const QRegularExpressionMatch model =
        QRegularExpression("^model name[^:\\n]*:([^:\\n]*)", QRegularExpression::MultilineOption).match(cpuinfo);
    if (model.hasMatch())
        QCOMPARE(all.value("model").toString(), model.captured(1).trimmed());

    const Finished text = runProgram(FREQDECK_CLI_BINARY, {"show"});
    QCOMPARE(text.status, 0);
    const QStringList shown = lines(QString::fromUtf8(text.out));
    QCOMPARE(shown.size(), 4 + ids.size());
    if (driver.isNull())
        QVERIFY2(shown[1].startsWith("Driver: none"), qPrintable(shown[1]));
    else
        QCOMPARE(shown[1], "Driver: " + driver.toString());
}

void TestCli::programShowsForUnprivilegedUser()
{
    if (::geteuid() != 0)
        QSKIP("already unprivileged: programShowsThisMachine covers this user");
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    if (setpriv.isEmpty())
        QSKIP("setpriv is not installed");
    const Finished root = runProgram(FREQDECK_CLI_BINARY, {"--json", "show"});
    const Finished nobody = runProgram(
        setpriv, {"--reuid=65534", "--regid=65534", "--clear-groups", FREQDECK_CLI_BINARY, "--json", "show"});
    if (nobody.status == 126 || nobody.status == 127 || nobody.err.startsWith("setpriv:"))
        QSKIP(qPrintable("the build directory is closed to other users: " + QString::fromUtf8(nobody.err)));
    QCOMPARE(nobody.status, 0);
    QCOMPARE(nobody.err, QByteArray());

    // Current frequencies move between the runs; everything else must be the same.
    auto stable = [](const QByteArray &out) {
        QJsonObject all = QJsonDocument::fromJson(out).object();
        QJsonArray cores;
        const QJsonArray read = all.value("cores").toArray();
        for (const QJsonValue &core : read) {
            QJsonObject object = core.toObject();
            object.remove("current_mhz");
            cores.append(object);
        }
        all.insert("cores", cores);
        return all;
    };
    QVERIFY(!stable(nobody.out).value("cores").toArray().isEmpty());
    QCOMPARE(stable(nobody.out), stable(root.out));
}

void TestCli::whyNamesTheCeilingThatBinds_data()
{
    QTest::addColumn<QStringList>("simArgs");
    QTest::addColumn<QStringList>("writes"); // "PATH=VALUE", PATH below the simulated /sys
    QTest::addColumn<QString>("binding");
    QTest::addColumn<QString>("value"); // the binding link's value, where it is known beforehand

    const QString cpu1 = "devices/system/cpu/cpufreq/policy1/";
    QTest::newRow("hardware maximum") << QStringList() << QStringList() << "cpuinfo_max_freq"
                                      << "3400";
    QTest::newRow("upper limit") << QStringList() << QStringList{cpu1 + "scaling_max_freq=2000000"}
                                 << "scaling_max_freq"
                                 << "2000";
    QTest::newRow("boost off") << QStringList() << QStringList{"devices/system/cpu/cpufreq/boost=0"} << "boost"
                               << "off";
    QTest::newRow("max_perf_pct") << QStringList{"--driver", "intel_pstate"}
                                  << QStringList{"devices/system/cpu/intel_pstate/max_perf_pct=60"} << "max_perf_pct"
                                  << "60";
    QTest::newRow("firmware limit") << QStringList{"--bios-limit-khz", "2600000"} << QStringList() << "bios_limit"
                                    << "2600";
    QTest::newRow("power limit") << QStringList()
                                 << QStringList{"class/powercap/intel-rapl:0/constraint_0_power_limit_uw=4000000"}
                                 << "power_limit" << QString();
    QTest::newRow("thermal throttling") << QStringList{"--hot"} << QStringList() << "thermal_throttle" << QString();
    QTest::newRow("offline") << QStringList() << QStringList{"devices/system/cpu/cpu1/online=0"} << "offline"
                             << "no";
}

// Each ceiling in turn made the one that holds cpu1 down on the simulator, under the performance
// governor so that the load does not: why must name that one alone, with its value, and text and
// JSON must agree.
void TestCli::whyNamesTheCeilingThatBinds()
{
    QFETCH(QStringList, simArgs);
    QFETCH(QStringList, writes);
    QFETCH(QString, binding);
    QFETCH(QString, value);
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, simArgs << "--cpus"
                                      << "4");
    START_SIM(sim);
    QVERIFY(writeSysfs(sim.policy(1, "scaling_governor"), "performance"));
    for (const QString &write : qAsConst(writes)) {
        const int eq = write.indexOf('=');
        QVERIFY2(writeSysfs(sim.sys() + '/' + write.left(eq), write.mid(eq + 1).toUtf8()), qPrintable(write));
    }
    const QString cpuDir = sim.sys() + "/devices/system/cpu";

    Cli json(cpuDir, sim.cpuInfo());
    QCOMPARE(json.run({"--json", "why", "1"}), 0);
    QCOMPARE(json.errText, QString());
    const QJsonObject answer = QJsonDocument::fromJson(json.outText.toUtf8()).object();
    QCOMPARE(answer.value("cpu").toInt(), 1);
    QCOMPARE(answer.value("binding").toString(), binding);
    int bindingLinks = 0;
    const QJsonArray chain = answer.value("chain").toArray();
    for (const QJsonValue &link : chain) {
        const QJsonObject object = link.toObject();
        if (object.value("binds") != "yes")
            continue;
        ++bindingLinks;
        QCOMPARE(object.value("key").toString(), binding);
        if (!value.isEmpty())
            QCOMPARE(object.value("value").toString(), value);
        QVERIFY(!object.value("note").toString().isEmpty());
    }
    QCOMPARE(bindingLinks, 1);

    Cli text(cpuDir, sim.cpuInfo());
    QCOMPARE(text.run({"why", "1"}), 0);
    QVERIFY2(text.outText.startsWith("cpu1: held down by ") && text.outText.contains("(" + binding + ")"),
             qPrintable(text.outText));
    QCOMPARE(text.outText.count("<- binds"), 1);
}

// show --watch streams a JSON line per interval, with utilisation that follows the simulated
// load, until it is killed: the program runs in a mount namespace of its own where the simulator
// stands in for /sys, /proc/stat and /proc/cpuinfo.
void TestCli::watchStreamsUntilKilled()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    if (::geteuid() != 0)
        QSKIP("binding the simulator over /sys needs root");
    MountedSim sim(simulator, {"--cpus", "4"});
    START_SIM(sim);
    QProcess watch;
    const QString script = QString("mount --bind '%1' /sys && mount --bind '%1/../stat' /proc/stat && "
                                   "mount --bind '%2' /proc/cpuinfo && exec '%3' --json show --watch 0.3")
                               .arg(sim.sys(), sim.cpuInfo(), FREQDECK_CLI_BINARY);
    watch.start("unshare", {"--mount", "--propagation", "private", "sh", "-c", script});
    QList<QJsonObject> seen;
    while (seen.size() < 2 && watch.waitForReadyRead(10000)) {
        while (watch.canReadLine())
            seen << QJsonDocument::fromJson(watch.readLine()).object();
    }
    watch.kill();
    watch.waitForFinished(5000);
    QVERIFY2(seen.size() >= 2, watch.readAllStandardError().constData());
    int between = 0;
    for (const QJsonObject &line : qAsConst(seen)) {
        const QJsonArray cores = line.value("cores").toArray();
        QCOMPARE(cores.size(), 4);
        for (const QJsonValue &core : cores) {
            const QJsonObject values = core.toObject();
            QVERIFY(values.value("current_mhz").toInt() >= 800);
            const double busy = values.value("utilisation_pct").toDouble(-1);
            QVERIFY2(busy >= 0 && busy <= 100, qPrintable(QString::number(busy)));
            between += busy > 0 && busy < 100 ? 1 : 0;
        }
    }
    // The simulated load swells around a half: a single tick may sit at either end, not all of them.
    QVERIFY(between > 0);
    QVERIFY(seen.at(1).value("time").toString() > seen.at(0).value("time").toString());
}

int main(int argc, char **argv)
{
    // Only root enters a mount namespace of its own, where the units' command can be shown a
    // simulated machine at the real paths.
    if (::geteuid() == 0)
        MountNamespace::enter();
    QCoreApplication app(argc, argv);
    // What the commands record of the values they set, and the boot defaults the units' command
    // saves, go to a directory of this run, whoever runs the test.
    QTemporaryDir state;
    if (!state.isValid())
        return 1;
    qputenv("FREQDECK_STATE_DIR", QFile::encodeName(state.path()));
    TestCli tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "testcli.moc"
