// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <algorithm>
#include <cerrno>
#include <functional>
#include <sys/stat.h>

#include "cpuinfo.h"
#include "loadharness.h"

// The fuzz target's checks, run over every saved input in every build, and the checks themselves
// shown to catch the faults they are there for.
class TestFuzzReplay : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void savedInputs_data();
    void savedInputs();
    void faultyLoadersAreCaught_data();
    void faultyLoadersAreCaught();
    void lyingLoadersAreCaught_data();
    void lyingLoadersAreCaught();
};

namespace
{
const QString fuzzDir = QStringLiteral(FREQDECK_FUZZ_DIR);

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void writeFile(const QString &path, const QByteArray &content)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(file.write(content), content.size());
}

// The faults a loader could have, each one breaking a rule of the harness.
enum Fault {
    WellBehaved,
    ReadOnlyAttribute,
    NotACore,
    GlobalSwitch,
    ThroughLink,
    Subdirectory,
    CreatesFile,
    RemovesFile,
    ChangesMode,
    OnlineGarbage,
    RefusedButWritten,
    RefusedSilently,
    ReportsUnknownCore,
    ReportsReadOnlyAttribute,
};

// Loaders and saves that report success without having done all that was asked.
enum Lie {
    Honest,
    DropsEveryOtherValue,
    TruncatesValues,
    IgnoresOnlineSwitch,
    SavesEveryCoreOnline,
    OfflineCoreRefuses,
};

// cpu0 a new energy preference; cpu1, which shares its policy with the offline cpu2, a governor,
// new limits and to go offline.
const QByteArray request = R"([
    {"id": 0, "isEnabled": true, "policies": {"energy_performance_preference": "power"}},
    {"id": 1, "isEnabled": false, "policies": {"scaling_governor": "performance",
                                               "scaling_max_freq": "3000000", "scaling_min_freq": "500000"}}
])";

// A copy of the settings file at path with edit applied to each entry, written beside it.
QString editedCopy(const QString &path, const std::function<void(QJsonObject &)> &edit)
{
    QJsonArray entries = QJsonDocument::fromJson(readFile(path)).array();
    for (auto it = entries.begin(); it != entries.end(); ++it) {
        QJsonObject entry = it->toObject();
        edit(entry);
        *it = entry;
    }
    QString copy = path + ".edited";
    writeFile(copy, QJsonDocument(entries).toJson());
    return copy;
}

LoadHarness::Loader loadingEdited(const std::function<void(QJsonObject &)> &edit)
{
    return [edit](CPUInfo &info, const QString &path, ApplyReport &report, QString *error) {
        return info.load(editedCopy(path, edit), report, error);
    };
}

void editValues(QJsonObject &entry, const std::function<void(QJsonObject &)> &edit)
{
    QJsonObject values = entry.value("policies").toObject();
    edit(values);
    entry["policies"] = values;
}
} // namespace

Q_DECLARE_METATYPE(Fault)
Q_DECLARE_METATYPE(Lie)

void TestFuzzReplay::initTestCase()
{
    // An empty list would let savedInputs pass over nothing.
    QVERIFY(QDir(fuzzDir + "/corpus").entryList(QDir::Files).size() >= 10);
}

void TestFuzzReplay::savedInputs_data()
{
    QTest::addColumn<QString>("path");
    for (const char *dir : {"corpus", "regressions"}) {
        const QDir inputs(fuzzDir + '/' + dir);
        for (const QString &name : inputs.entryList(QDir::Files, QDir::Name))
            QTest::newRow(qPrintable(QString(dir) + '/' + name)) << inputs.filePath(name);
    }
}

void TestFuzzReplay::savedInputs()
{
    QFETCH(QString, path);
    LoadHarness harness;
    const QStringList problems = harness.run(readFile(path));
    QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
}

void TestFuzzReplay::faultyLoadersAreCaught_data()
{
    QTest::addColumn<Fault>("fault");
    QTest::addColumn<QString>("problem"); // empty: no problem expected
    QTest::newRow("well behaved") << WellBehaved << "";
    QTest::newRow("read-only attribute") << ReadOnlyAttribute << "written: cpu/cpufreq/policy1/cpuinfo_max_freq";
    QTest::newRow("not a core") << NotACore << "written: cpu/cpu1a/online";
    QTest::newRow("global switch") << GlobalSwitch << "written: cpu/cpufreq/boost";
    QTest::newRow("through a link") << ThroughLink << "written: outside";
    QTest::newRow("subdirectory") << Subdirectory << "written: cpu/cpufreq/policy1/stats/reset";
    QTest::newRow("creates a file") << CreatesFile << "created: cpu/cpu3/cpufreq/scaling_governor";
    QTest::newRow("removes a file") << RemovesFile << "removed: cpu/cpufreq/policy1/scaling_driver";
    QTest::newRow("changes a mode") << ChangesMode << "type or mode changed: cpu/cpufreq/policy0/scaling_governor";
    QTest::newRow("online garbage") << OnlineGarbage << "online switch set to \"2\": cpu/cpu1/online";
    QTest::newRow("refused but written") << RefusedButWritten
                                         << "written by a refused load: cpu/cpufreq/policy0/scaling_max_freq";
    QTest::newRow("refused silently") << RefusedSilently << "refused without a reason";
    QTest::newRow("unknown core reported")
        << ReportsUnknownCore << "failure reported for a core that does not exist: cpu7: online";
    QTest::newRow("read-only attribute reported")
        << ReportsReadOnlyAttribute << "failure reported for a file that may not be written: cpu1: cpuinfo_max_freq";
}

void TestFuzzReplay::faultyLoadersAreCaught()
{
    QFETCH(Fault, fault);
    QFETCH(QString, problem);
    LoadHarness harness;
    const SysfsFixture &fx = harness.fixture();
    auto loader = [&](CPUInfo &, const QString &, ApplyReport &report, QString *error) {
        // What every loader may do: write a writable attribute and an online switch.
        writeFile(fx.attributePath(1, "scaling_governor"), "performance");
        writeFile(fx.coreDir(2) + "/online", "1");
        switch (fault) {
        case WellBehaved:
            break;
        case ReadOnlyAttribute:
            writeFile(fx.attributePath(1, "cpuinfo_max_freq"), "9999999");
            break;
        case NotACore:
            writeFile(fx.cpuDir() + "/cpu1a/online", "0");
            break;
        case GlobalSwitch:
            writeFile(fx.cpuDir() + "/cpufreq/boost", "0");
            break;
        case ThroughLink:
            writeFile(fx.attributePath(0, "boost_link"), "0");
            break;
        case Subdirectory:
            writeFile(fx.attributePath(1, "stats/reset"), "1");
            break;
        case CreatesFile:
            writeFile(fx.attributePath(3, "scaling_governor"), "performance");
            break;
        case RemovesFile:
            QFile::remove(fx.attributePath(1, "scaling_driver"));
            break;
        case ChangesMode:
            ::chmod(QFile::encodeName(fx.attributePath(0, "scaling_governor")).constData(), 0444);
            break;
        case OnlineGarbage:
            writeFile(fx.coreDir(1) + "/online", "2");
            break;
        case RefusedButWritten:
            writeFile(fx.attributePath(0, "scaling_max_freq"), "2000000");
            *error = "refused";
            return false;
        case RefusedSilently:
            return false;
        case ReportsUnknownCore:
            report.fail({7, "online", "1", EIO, QString()});
            break;
        case ReportsReadOnlyAttribute:
            report.fail({1, "cpuinfo_max_freq", "1", EIO, QString()});
            break;
        }
        return true;
    };

    const QStringList problems = harness.run("[]", loader);
    if (problem.isEmpty())
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    else
        QVERIFY2(problems.contains(problem), qPrintable(problems.join("; ")));
    // The tree is back as built: the next input starts from the same state.
    const QStringList after = harness.run("[]");
    QVERIFY2(after.isEmpty(), qPrintable(after.join("; ")));
}

void TestFuzzReplay::lyingLoadersAreCaught_data()
{
    QTest::addColumn<Lie>("lie");
    QTest::addColumn<QStringList>("expected"); // beginnings of problems; none expected when empty
    QTest::newRow("honest") << Honest << QStringList();
    QTest::newRow("drops every other value")
        << DropsEveryOtherValue
        << QStringList{R"(not as loaded: cpu/cpufreq/policy1/scaling_max_freq holds "4200000", asked "3000000")"};
    QTest::newRow("truncates values")
        << TruncatesValues
        << QStringList{R"(not as loaded: cpu/cpufreq/policy1/scaling_max_freq holds "300", asked "3000000")",
                       "changed by loading its own save: cpu/cpufreq/policy0/scaling_governor"};
    QTest::newRow("ignores the online switch")
        << IgnoresOnlineSwitch << QStringList{R"(online switch not as loaded: cpu/cpu1/online holds "1", asked "0")"};
    QTest::newRow("saves every core online")
        << SavesEveryCoreOnline << QStringList{"changed by loading its own save: cpu/cpu2/online"};
    QTest::newRow("offline core refuses its attributes")
        << OfflineCoreRefuses << QStringList{"own save did not load: cpu2: scaling_governor: writing"};
}

void TestFuzzReplay::lyingLoadersAreCaught()
{
    QFETCH(Lie, lie);
    QFETCH(QStringList, expected);
    LoadHarness harness;
    LoadHarness::Loader loader = LoadHarness::modelLoad;
    LoadHarness::Saver saver = LoadHarness::modelSave;
    switch (lie) {
    case Honest:
        break;
    case DropsEveryOtherValue:
        loader = loadingEdited([](QJsonObject &entry) {
            editValues(entry, [](QJsonObject &values) {
                const QStringList names = values.keys();
                for (int i = 1; i < names.size(); i += 2)
                    values.remove(names.at(i));
            });
        });
        break;
    case TruncatesValues:
        loader = loadingEdited([](QJsonObject &entry) {
            editValues(entry, [](QJsonObject &values) {
                for (auto it = values.begin(); it != values.end(); ++it)
                    *it = it->toString().left(it->toString().size() / 2);
            });
        });
        break;
    case IgnoresOnlineSwitch:
        loader = loadingEdited([](QJsonObject &entry) { entry.remove("isEnabled"); });
        break;
    case SavesEveryCoreOnline:
        saver = [](const CPUInfo &info, const QString &path, QString *error) {
            if (!info.dump(path, error))
                return false;
            const QString copy = editedCopy(path, [](QJsonObject &entry) { entry["isEnabled"] = true; });
            return QFile::remove(path) && QFile::rename(copy, path);
        };
        break;
    case OfflineCoreRefuses:
        // As the kernel does when attributes are written after the core went offline.
        loader = [](CPUInfo &info, const QString &path, ApplyReport &report, QString *error) {
            const bool loaded = info.load(path, report, error);
            for (const CPUCore &core : info.cores) {
                const CPUPolicy governor = core.policies.value("scaling_governor");
                if (!core.isEnabled() && governor.writable)
                    report.fail({core.core_id(), governor.name, governor.value, EBUSY, QString()});
            }
            return loaded;
        };
        break;
    }

    const QStringList problems = harness.run(request, loader, saver);
    if (expected.isEmpty())
        QVERIFY2(problems.isEmpty(), qPrintable(problems.join("; ")));
    for (const QString &problem : qAsConst(expected)) {
        const bool found = std::any_of(problems.cbegin(), problems.cend(),
                                       [&problem](const QString &p) { return p.startsWith(problem); });
        QVERIFY2(found, qPrintable(problems.join("; ")));
    }
    const QStringList after = harness.run("[]");
    QVERIFY2(after.isEmpty(), qPrintable(after.join("; ")));
}

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "testfuzzreplay.moc"
