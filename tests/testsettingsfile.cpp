// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cpuinfo.h"
#include "mountedsim.h"
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
    void fullDiskKeepsEarlierFile_data();
    void fullDiskKeepsEarlierFile();
    void saveReplacesPlantedLinkNotItsTarget();
    void saveRefusesDevicesAndDirectories();
    void unreadableValuesAreLeftOutAndReported();
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

QStringList listing(const QString &dir)
{
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// Free blocks of the file system holding path, or -1.
qint64 freeBlocks(const QString &path, qint64 *blockSize = nullptr)
{
    struct statvfs vfs;
    if (::statvfs(QFile::encodeName(path).constData(), &vfs) != 0)
        return -1;
    if (blockSize)
        *blockSize = static_cast<qint64>(vfs.f_bsize);
    return static_cast<qint64>(vfs.f_bavail);
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

void TestSettingsFile::fullDiskKeepsEarlierFile_data()
{
    // Qt's file buffer holds 16 KiB: a smaller text only meets the full disk when it is flushed.
    // Free blocks below 0 count from the blocks the text needs: -1 is one block too few.
    QTest::addColumn<int>("cores");
    QTest::addColumn<bool>("largerThanBuffer");
    QTest::addColumn<int>("freeBlocks");
    QTest::newRow("small text, disk full") << 40 << false << 0;
    QTest::newRow("small text, one block free") << 40 << false << 1;
    QTest::newRow("small text, one block too few") << 40 << false << -1;
    QTest::newRow("large text, disk full") << 96 << true << 0;
    QTest::newRow("large text, three blocks free") << 96 << true << 3;
    QTest::newRow("large text, one block too few") << 96 << true << -1;
}

void TestSettingsFile::fullDiskKeepsEarlierFile()
{
    QFETCH(int, cores);
    QFETCH(bool, largerThanBuffer);
    QFETCH(int, freeBlocks);
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace for a small tmpfs: " + MountNamespace::reason()));
    SysfsFixture fx;
    // Many small files: a tmpfs makes them quickly.
    QVERIFY2(MountNamespace::mountTmpfs(fx.cpuDir()), qPrintable(MountNamespace::reason()));
    const auto unmountCores = qScopeGuard([&fx] { MountNamespace::unmount(fx.cpuDir()); });
    for (int i = 0; i < cores; ++i)
        fx.addTypicalCore(i);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString dir = fx.root() + "/small";
    QVERIFY(QDir().mkpath(dir));
    QVERIFY2(MountNamespace::mountTmpfs(dir, "size=256k"), qPrintable(MountNamespace::reason()));
    const auto unmount = qScopeGuard([&dir] { MountNamespace::unmount(dir); });

    // The earlier file is a save of the same cores, so the new text needs as many blocks again.
    const QString path = dir + "/settings.json";
    QVERIFY(info.dump(path));
    const QByteArray earlier = readFile(path);
    QCOMPARE(earlier.size() > 16 * 1024, largerThanBuffer);
    QVERIFY(info.cores[0].setPolicy("scaling_governor", "performance"));
    qint64 blockSize = 0;
    const qint64 blocks = ::freeBlocks(dir, &blockSize);
    const qint64 needed = (earlier.size() + blockSize - 1) / blockSize;
    const qint64 left = freeBlocks < 0 ? needed + freeBlocks : freeBlocks;
    writeFile(dir + "/filler", QByteArray(static_cast<int>((blocks - left) * blockSize), 'f'));
    QCOMPARE(::freeBlocks(dir), left);

    QString error;
    QVERIFY(!info.dump(path, &error));
    QVERIFY2(error.contains("No space left on device"), qPrintable(error));
    QCOMPARE(readFile(path), earlier);
    QCOMPARE(listing(dir), QStringList({"filler", "settings.json"}));
}

void TestSettingsFile::saveReplacesPlantedLinkNotItsTarget()
{
    // Another user links the name in a shared directory to a file that only root may write.
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString shared = fx.root() + "/shared";
    QVERIFY(QDir().mkpath(shared));
    QCOMPARE(::chmod(QFile::encodeName(shared).constData(), 01777), 0);
    const QString victim = fx.root() + "/victim";
    writeFile(victim, "root's own file\n");
    const QString path = shared + "/settings.json";
    QVERIFY(QFile::link(victim, path));
    if (::geteuid() == 0)
        QCOMPARE(::lchown(QFile::encodeName(path).constData(), 65534, 65534), 0);

    QString error;
    QVERIFY2(info.dump(path, &error), qPrintable(error));
    QCOMPARE(readFile(victim), QByteArray("root's own file\n"));
    QVERIFY(!QFileInfo(path).isSymLink());
    QVERIFY(readFile(path).startsWith("[\n    {\n        \"id\": 0,"));
    QCOMPARE(listing(shared), QStringList{"settings.json"});

    // A regular file keeps its permissions across saves.
    const QByteArray encoded = QFile::encodeName(path);
    QCOMPARE(::chmod(encoded.constData(), 0640), 0);
    QVERIFY(info.dump(path));
    struct stat st;
    QCOMPARE(::stat(encoded.constData(), &st), 0);
    QCOMPARE(st.st_mode & 07777, mode_t(0640));
}

void TestSettingsFile::saveRefusesDevicesAndDirectories()
{
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace for a /dev of its own: " + MountNamespace::reason()));
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString dev = fx.root() + "/dev";
    QVERIFY(QDir().mkpath(dev));
    QVERIFY2(MountNamespace::mountTmpfs(dev, "mode=0755"), qPrintable(MountNamespace::reason()));
    const auto unmount = qScopeGuard([&dev] { MountNamespace::unmount(dev); });
    const QByteArray null = QFile::encodeName(dev + "/null");
    if (::mknod(null.constData(), S_IFCHR | 0666, makedev(1, 3)) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot make a device node: %1").arg(qt_error_string(errno))));
    QVERIFY(QDir().mkpath(dev + "/settings.json"));

    for (const char *name : {"null", "settings.json"}) {
        QString error;
        QVERIFY(!info.dump(dev + '/' + name, &error));
        QVERIFY2(error.contains("not a regular file"), qPrintable(error));
    }
    struct stat st;
    QCOMPARE(::lstat(null.constData(), &st), 0);
    QVERIFY(S_ISCHR(st.st_mode));
    QCOMPARE(st.st_rdev, makedev(1, 3));
    QCOMPARE(listing(dev), QStringList({"null", "settings.json"}));
    QCOMPARE(listing(dev + "/settings.json"), QStringList());
}

void TestSettingsFile::unreadableValuesAreLeftOutAndReported()
{
    const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {"--cpus", "3", "--read-error", "cpu/cpu1/online=EIO", "--read-error",
                               "cpu/cpufreq/policy2/scaling_max_freq=EBUSY"});
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    QCOMPARE(info.cores.size(), size_t(3));
    // Not knowing the state is not being offline.
    QCOMPARE(info.cores[1].onlineReadError(), EIO);
    QVERIFY(info.cores[1].isEnabled());
    QCOMPARE(info.cores[2].policies.value("scaling_max_freq").readError, EBUSY);

    const QString path = sim.root() + "/settings.json";
    QString error;
    QStringList unreadable;
    QVERIFY2(info.dump(path, &error, &unreadable), qPrintable(error));
    QCOMPARE(unreadable,
             QStringList({"cpu1: online: not saved, it could not be read: Input/output error",
                          "cpu2: scaling_max_freq: not saved, it could not be read: Device or resource busy"}));
    const QJsonArray saved = QJsonDocument::fromJson(readFile(path)).array();
    QCOMPARE(saved.size(), 4); // the cores and the processor-wide settings
    QVERIFY(!saved[3].toObject().contains("id"));
    const QJsonObject policies = saved[0].toObject().value("policies").toObject();
    QVERIFY(policies.contains("scaling_max_freq"));
    QCOMPARE(saved[0].toObject().value("isEnabled"), QJsonValue(true));
    QVERIFY(!saved[1].toObject().contains("isEnabled"));
    QCOMPARE(saved[1].toObject().value("policies").toObject().keys(), policies.keys());
    QCOMPARE(saved[2].toObject().value("isEnabled"), QJsonValue(true));
    QStringList rest = policies.keys();
    rest.removeOne("scaling_max_freq");
    QCOMPARE(saved[2].toObject().value("policies").toObject().keys(), rest);
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestSettingsFile)
#include "testsettingsfile.moc"
