#include <QtTest>

#include <cerrno>
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
} // namespace

Q_DECLARE_METATYPE(Fault)

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
    auto loader = [&](CPUInfo &, const QString &, QString *error, const WriteFailureHandler &onFailure) {
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
            onFailure({7, "online", "1", EIO, QString()});
            break;
        case ReportsReadOnlyAttribute:
            onFailure({1, "cpuinfo_max_freq", "1", EIO, QString()});
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

QTEST_GUILESS_MAIN(TestFuzzReplay)
#include "testfuzzreplay.moc"
