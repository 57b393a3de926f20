#include <QtTest>

#include <unistd.h>

#include "cpuinfo.h"
#include "mountnamespace.h"
#include "sysfsfixture.h"

// Saving the writable settings of all cores to a JSON file and applying such a file again.
class TestSettingsFile : public QObject
{
    Q_OBJECT

private slots:
    void savedFormat();
    void roundTripWritesNothing();
    void loadRestoresChangedValues();
    void coreWithoutAttributes();
    void entriesFindTheirCoreByNumber();
    void hostileFiles_data();
    void hostileFiles();
    void hostileMembersWriteNothingElse();
    void failedSaveKeepsEarlierFile();
};

namespace
{
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
    return fx.snapshot();
}
} // namespace

void TestSettingsFile::savedFormat()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.addTypicalCore(1, 800000, 3400000, SysfsFixture::Online::Off);
    fx.writeAttribute(1, "energy_performance_preference", "balance_power\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString path = fx.root() + "/settings.json";
    QString error;
    QVERIFY2(info.dump(path, &error), qPrintable(error));

    const QByteArray text = readFile(path);
    const QByteArray expected = "[\n"
                                "    {\n"
                                "        \"id\": 0,\n"
                                "        \"isEnabled\": true,\n"
                                "        \"policies\": {\n"
                                "            \"scaling_governor\": \"schedutil\",\n"
                                "            \"scaling_max_freq\": \"3400000\",\n"
                                "            \"scaling_min_freq\": \"800000\"\n"
                                "        }\n"
                                "    },\n"
                                "    {\n"
                                "        \"id\": 1,\n"
                                "        \"isEnabled\": false,\n"
                                "        \"policies\": {\n"
                                "            \"energy_performance_preference\": \"balance_power\",\n"
                                "            \"scaling_governor\": \"schedutil\",\n"
                                "            \"scaling_max_freq\": \"3400000\",\n"
                                "            \"scaling_min_freq\": \"800000\"\n"
                                "        }\n"
                                "    }\n"
                                "]\n";
    QCOMPARE(text, expected);
}

void TestSettingsFile::roundTripWritesNothing()
{
    SysfsFixture fx;
    for (int i = 0; i < 3; ++i)
        fx.addTypicalCore(i);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString path = fx.root() + "/settings.json";
    QVERIFY(info.dump(path));
    const auto before = snapshot(fx);
    QVERIFY(info.load(path));
    // The program writes values without a line end, so an untouched file still has its own.
    auto after = snapshot(fx);
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(after.take(fx.coreDir(i) + "/online"), QByteArray("1")); // the online state is set again
    }
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        QCOMPARE(it.value(), before.value(it.key()));
}

void TestSettingsFile::loadRestoresChangedValues()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.addTypicalCore(1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString path = fx.root() + "/settings.json";
    QVERIFY(info.dump(path));

    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    QVERIFY(info.cores[1].setEnabled(false));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));
    for (CPUCore &core : info.cores)
        core.update();

    QVERIFY(info.load(path));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(fx.readAttribute(i, "scaling_governor"), QByteArray("schedutil"));
        QCOMPARE(fx.readAttribute(i, "scaling_max_freq"), QByteArray("3400000"));
        QCOMPARE(fx.readAttribute(i, "scaling_min_freq"), QByteArray("800000"));
    }
    QCOMPARE(fx.readOnline(1), QByteArray("1"));
    QVERIFY(info.cores[1].isEnabled());

    // A saved offline state takes the core offline again.
    writeFile(path, R"([{"id": 1, "isEnabled": false, "policies": {}}])");
    QVERIFY(info.load(path));
    QCOMPARE(fx.readOnline(1), QByteArray("0"));
    // A missing or non-boolean state brings the core online.
    writeFile(path, R"([{"id": 1, "isEnabled": "no"}])");
    QVERIFY(info.load(path));
    QCOMPARE(fx.readOnline(1), QByteArray("1"));
}

void TestSettingsFile::coreWithoutAttributes()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.addCore(1, SysfsFixture::Online::Off);
    QDir(fx.coreDir(1)).rmdir("cpufreq");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QJsonObject saved = info.cores[1].dumpSettings();
    QCOMPARE(saved.value("policies").toObject(), QJsonObject());
    QCOMPARE(saved.value("isEnabled"), QJsonValue(false));

    info.cores[1].setEnabled(true);
    info.cores[1].loadSettings(saved);
    QCOMPARE(fx.readOnline(1), QByteArray("0"));
    QCOMPARE(QDir(fx.coreDir(1)).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{"online"});
}

void TestSettingsFile::entriesFindTheirCoreByNumber()
{
    // No cpu1, and a core numbered above 99: each entry goes to the core with its number.
    SysfsFixture fx;
    for (int id : {0, 2, 100})
        fx.addTypicalCore(id);
    fx.writeAttribute(2, "scaling_governor", "powersave\n");
    fx.writeAttribute(100, "scaling_max_freq", "2100000\n");
    const QString path = fx.root() + "/settings.json";
    QVERIFY(CPUInfo(fx.cpuDir(), fx.cpuInfoPath()).dump(path));
    const auto original = fx.snapshot(true);

    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(GOVERN_SLOW);
    for (CPUCore &core : info.cores)
        core.update();
    QVERIFY(fx.snapshot(true) != original);
    ApplyReport report;
    QVERIFY(info.load(path, report));
    QVERIFY(report.ok());
    QCOMPARE(fx.snapshot(true), original);

    // Entries for a core that is not here, or naming none, are skipped and each one reported.
    writeFile(path, R"([
        {"id": 1, "policies": {"scaling_governor": "performance"}},
        {"id": 0, "policies": {"scaling_governor": "ondemand"}},
        {"id": 0, "policies": {"scaling_governor": "powersave"}},
        {"id": -1, "policies": {"scaling_governor": "performance"}},
        {"id": 0.5, "policies": {"scaling_governor": "performance"}},
        {"id": "2", "policies": {"scaling_governor": "performance"}},
        {"id": 1e300, "policies": {"scaling_governor": "performance"}},
        {"policies": {"scaling_governor": "performance"}},
        "not an object", 7, null
    ])");
    ApplyReport skipped;
    QVERIFY(info.load(path, skipped));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave")); // the later entry wins
    QCOMPARE(fx.readAttribute(2, "scaling_governor").trimmed(), QByteArray("powersave"));
    QCOMPARE(skipped.failures.size(), 9);
    QCOMPARE(describeFailure(skipped.failures[0]), QString("cpu1: no such CPU here; its settings were skipped"));
    QCOMPARE(describeFailure(skipped.failures[3]),
             QString("entry 6 of the file names no CPU (its \"id\" is \"2\"); skipped"));
    for (int i = 0; i < skipped.failures.size(); ++i) {
        QCOMPARE(skipped.failures[i].error, 0);
        QCOMPARE(skipped.failures[i].core, i == 0 ? 1 : -1);
    }
}

void TestSettingsFile::hostileFiles_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("reason");
    QTest::newRow("empty") << QByteArray() << "not JSON";
    // clang-format off
    QTest::newRow("garbage") << QByteArray("\x7f" "ELF\x01\x02") << "not JSON";
    // clang-format on
    QTest::newRow("truncated") << QByteArray(R"([{"id": 0, "policies": {"scaling_governor": "perf)") << "not JSON";
    QTest::newRow("object") << QByteArray(R"({"id": 0, "policies": {"scaling_governor": "performance"}})")
                            << "not an array";
    QTest::newRow("number") << QByteArray("42") << "not JSON";
    QByteArray huge = "[" + QByteArray(5 * 1024 * 1024, ' ') + "]";
    QTest::newRow("many megabytes") << huge << "larger than";
}

void TestSettingsFile::hostileFiles()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, reason);
    SysfsFixture fx;
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Off);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString path = fx.root() + "/settings.json";
    writeFile(path, content);
    const auto before = snapshot(fx);
    QString error;
    QVERIFY(!info.load(path, &error));
    QVERIFY2(error.contains(reason), qPrintable(error));
    QCOMPARE(snapshot(fx), before);
}

void TestSettingsFile::hostileMembersWriteNothingElse()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.addTypicalCore(1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString path = fx.root() + "/settings.json";
    writeFile(path, R"([{"id": 0, "isEnabled": true, "policies": {
        "../online": "0",
        "../../cpu1/online": "0",
        "/etc/hostname": "owned",
        "": "x",
        ".": "x",
        "cpuinfo_max_freq": "9999999",
        "no_such_attribute": "1",
        "scaling_governor": 5,
        "scaling_max_freq": "2000000"
    }}])");
    const auto before = snapshot(fx);
    ApplyReport report;
    QVERIFY(info.load(path, report));
    auto after = snapshot(fx);
    QCOMPARE(after.keys(), before.keys()); // no file created
    QCOMPARE(after.take(fx.attributePath(0, "scaling_max_freq")), QByteArray("2000000"));
    QCOMPARE(after.take(fx.coreDir(0) + "/online"), QByteArray("1"));
    for (auto it = after.cbegin(); it != after.cend(); ++it)
        QCOMPARE(it.value(), before.value(it.key()));
    QVERIFY(!info.cores[0].policies.contains("no_such_attribute"));
    // Every member not written is named, and none with an errno: nothing was tried. A value that
    // is not a string is no value.
    QStringList skipped;
    for (const WriteFailure &failure : qAsConst(report.failures)) {
        QCOMPARE(failure.core, 0);
        QCOMPARE(failure.error, 0);
        QVERIFY(!failure.reason.isEmpty());
        skipped << failure.attribute;
    }
    skipped.sort();
    QCOMPARE(skipped, QStringList({"", ".", "../../cpu1/online", "../online", "/etc/hostname", "cpuinfo_max_freq",
                                   "no_such_attribute", "scaling_governor"}));
    QCOMPARE(report.written, 2);

    QString error;
    QVERIFY(!info.load(fx.root() + "/missing.json", &error));
    QVERIFY(!error.isEmpty());
    QVERIFY(!info.load(fx.root(), &error));
    QVERIFY(!info.load("/dev/zero", &error));
    QCOMPARE(snapshot(fx).keys(), before.keys());
}

void TestSettingsFile::failedSaveKeepsEarlierFile()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QString error;
    QVERIFY(!info.dump(fx.root() + "/no/such/dir/settings.json", &error));
    QVERIFY(!error.isEmpty());

    const QString dir = fx.root() + "/saves";
    QVERIFY(QDir().mkpath(dir));
    const QString path = dir + "/settings.json";
    writeFile(path, "earlier settings");
    if (::geteuid() == 0) {
        if (!MountNamespace::available())
            QSKIP(qPrintable("root writes anywhere unless the directory is mounted read-only: "
                             + MountNamespace::reason()));
        QVERIFY(MountNamespace::makeReadOnly(dir));
    } else {
        QVERIFY(QFile::setPermissions(dir, QFile::ReadOwner | QFile::ExeOwner));
    }
    error.clear();
    QVERIFY(!info.dump(path, &error));
    QVERIFY(!error.isEmpty());
    QCOMPARE(readFile(path), QByteArray("earlier settings"));
    QCOMPARE(QDir(dir).entryList(QDir::Files | QDir::Hidden), QStringList{"settings.json"});
    if (::geteuid() == 0)
        QVERIFY(MountNamespace::unmount(dir));
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestSettingsFile)
#include "testsettingsfile.moc"
