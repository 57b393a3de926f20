// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include "cpucore.h"
#include "cpuinfo.h"
#include "mountnamespace.h"
#include "sysfsfixture.h"

// The CPU model: attribute records, cores, and the inventory of cores.
class TestCpuModel : public QObject
{
    Q_OBJECT

private slots:
    void readsValue_data();
    void readsValue();
    void permissionBits_data();
    void permissionBits();
    void unreadableFileKeepsItsRecord();
    void emptyRecords();
    void indexAndCopyAccess();
    void onlyRegularFilesBecomeRecords();
    void namesDecodeAsFileNames_data();
    void namesDecodeAsFileNames();
    void longListingIsReadWhole();
    void cpufreqBehindSymlink();
    void coreNumber_data();
    void coreNumber();
    void missingCoreDirectory();
    void onlineState_data();
    void onlineState();

    void setPolicyWritesExactBytes();
    void setPolicyRefusesWhatItMustNotWrite();
    void setPolicyOnVanishedFile();
    void writesFollowNoLinks();
    void updateShowsWhatTheKernelReports();
    void setEnabled();
    void writesOnlyToRegularFiles();

    void inventoryOrderAndFilter();
    void modelName_data();
    void modelName();
    void modelNameFromProcfs();
    void instanceReadsRealPathsOnce();
};

void TestCpuModel::readsValue_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("value");
    QTest::newRow("line end") << QByteArray("performance\n") << "performance";
    QTest::newRow("white space both ends") << QByteArray(" \t\r\v\f800000 \n\n") << "800000";
    QTest::newRow("inner spaces kept") << QByteArray("performance powersave \n") << "performance powersave";
    QTest::newRow("only white space") << QByteArray(" \n\t ") << "";
    QTest::newRow("empty") << QByteArray() << "";
    QTest::newRow("NUL ends the text") << QByteArray("abc\0def\n", 8) << "abc";
    QTest::newRow("NUL after trimming") << QByteArray("ab \0 x", 6) << "ab ";
    QTest::newRow("UTF-8") << QByteArray("caf\xc3\xa9\n") << QString::fromUtf8("caf\xc3\xa9");
    QTest::newRow("exactly a page") << QByteArray(4096, 'y') << QString(4096, QLatin1Char('y'));
    QByteArray big(10000, 'x');
    big += '\n';
    QTest::newRow("larger than a page") << big << QString(10000, QLatin1Char('x'));
}

void TestCpuModel::readsValue()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, value);
    SysfsFixture fx;
    fx.addCore(0);
    fx.writeAttribute(0, "scaling_governor", content);
    CPUCore core(QDir(fx.coreDir(0)));
    QCOMPARE(core.policies.size(), 1);
    const CPUPolicy policy = core.policies.value("scaling_governor");
    QCOMPARE(policy.name, QString("scaling_governor"));
    QCOMPARE(policy.value, value);
}

void TestCpuModel::permissionBits_data()
{
    QTest::addColumn<int>("mode");
    QTest::addColumn<bool>("readable");
    QTest::addColumn<bool>("writable");
    QTest::newRow("0644") << 0644 << true << true;
    QTest::newRow("0444") << 0444 << true << false;
    QTest::newRow("0400") << 0400 << true << false;
    QTest::newRow("0200") << 0200 << false << true;
    QTest::newRow("0066 group and others only") << 0066 << false << false;
}

void TestCpuModel::permissionBits()
{
    QFETCH(int, mode);
    QFETCH(bool, readable);
    QFETCH(bool, writable);
    SysfsFixture fx;
    fx.addCore(0);
    fx.writeAttribute(0, "scaling_max_freq", "3400000\n", static_cast<mode_t>(mode));
    CPUCore core(QDir(fx.coreDir(0)));
    const CPUPolicy policy = core.policies.value("scaling_max_freq");
    QCOMPARE(policy.readable, readable);
    QCOMPARE(policy.writable, writable);
}

void TestCpuModel::unreadableFileKeepsItsRecord()
{
    if (::geteuid() == 0)
        QSKIP("root reads every file whatever its mode; run the tests as another user to cover this");
    SysfsFixture fx;
    fx.addCore(0);
    fx.writeAttribute(0, "cpuinfo_cur_freq", "2400000\n", 0200);
    CPUCore core(QDir(fx.coreDir(0)));
    QVERIFY(core.policies.contains("cpuinfo_cur_freq"));
    const CPUPolicy policy = core.policies.value("cpuinfo_cur_freq");
    QCOMPARE(policy.value, QString());
    QVERIFY(!policy.isEmpty());
    QVERIFY(policy.writable);
}

void TestCpuModel::emptyRecords()
{
    QVERIFY(CPUPolicy().isEmpty());
    CPUPolicy named;
    named.name = "cpuinfo_cur_freq";
    QVERIFY(!named.isEmpty());
    CPUPolicy valued;
    valued.value = "1";
    QVERIFY(!valued.isEmpty());
}

void TestCpuModel::indexAndCopyAccess()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    const int before = core.policies.size();

    QCOMPARE(core.policies.value(KnownCPUPolicy::scaling_max_freq).value, QString("3400000"));
    QCOMPARE(core.policies[KnownCPUPolicy::scaling_max_freq].value, core.policies["scaling_max_freq"].value);

    QVERIFY(core.policies.value("bios_limit").isEmpty());
    QCOMPARE(core.policies.size(), before);
    QVERIFY(core.policies["bios_limit"].isEmpty());
    QCOMPARE(core.policies.size(), before + 1);
    core.update();
    QCOMPARE(core.policies.size(), before);
    QVERIFY(!core.policies.contains("bios_limit"));
}

void TestCpuModel::onlyRegularFilesBecomeRecords()
{
    SysfsFixture fx;
    fx.addCore(0);
    fx.writeAttribute(0, "scaling_governor", "performance\n");
    fx.writeAttribute(0, ".hidden", "x\n");
    fx.addSubdirectory(0, "stats");
    fx.addSymlink(0, "linked_freq", fx.attributePath(0, "scaling_governor"));
    CPUCore core(QDir(fx.coreDir(0)));
    QCOMPARE(core.policies.keys(), QStringList{"scaling_governor"});

    SysfsFixture offline;
    offline.addCore(1, SysfsFixture::Online::Off);
    QDir(offline.coreDir(1)).rmdir("cpufreq");
    CPUCore bare(QDir(offline.coreDir(1)));
    QVERIFY(bare.policies.isEmpty());
    QCOMPARE(bare.core_id(), short(1));
    QVERIFY(!bare.isEnabled());
}

void TestCpuModel::namesDecodeAsFileNames_data()
{
    QTest::addColumn<QByteArray>("name");
    QTest::newRow("identifier") << QByteArray("energy_performance_preference");
    QTest::newRow("UTF-8") << QByteArray("fr\xc3\xa9quence");
    QTest::newRow("space and punctuation") << QByteArray("a b~c\\d");
}

void TestCpuModel::namesDecodeAsFileNames()
{
    // A record is named as Qt names the file, whatever characters the name has.
    QFETCH(QByteArray, name);
    SysfsFixture fx;
    fx.addCore(0);
    const QByteArray path = QFile::encodeName(fx.coreDir(0)) + "/cpufreq/" + name;
    const int fd = ::open(path.constData(), O_WRONLY | O_CREAT | O_EXCL, 0644);
    QVERIFY(fd >= 0);
    QCOMPARE(::write(fd, "42\n", 3), ssize_t(3));
    ::close(fd);

    CPUCore core(QDir(fx.coreDir(0)));
    const QString expected = QFile::decodeName(name);
    QCOMPARE(core.policies.keys(), QStringList{expected});
    QCOMPARE(core.policies.first().name, expected);
    QCOMPARE(core.policies.first().value, QString("42"));
}

void TestCpuModel::longListingIsReadWhole()
{
    // Far more entries than one directory read returns: every one still becomes a record.
    SysfsFixture fx;
    fx.addCore(0);
    const int count = 300;
    auto name = [](int i) {
        return QStringLiteral("attribute_with_a_rather_long_name_%1").arg(i, 3, 10, QLatin1Char('0'));
    };
    for (int i = 0; i < count; ++i)
        fx.writeAttribute(0, name(i), QByteArray::number(i) + '\n');
    CPUCore core(QDir(fx.coreDir(0)));
    QCOMPARE(core.policies.size(), count);
    for (int i = 0; i < count; ++i)
        QCOMPARE(core.policies.value(name(i)).value, QString::number(i));
}

void TestCpuModel::cpufreqBehindSymlink()
{
    // On real machines cpuN/cpufreq links to ../cpufreq/policyN; the link itself must be followed.
    SysfsFixture fx;
    fx.addTypicalCore(3);
    fx.linkCpufreqToPolicy(3);
    CPUCore core(QDir(fx.coreDir(3)));
    QCOMPARE(core.policies.value("scaling_governor").value, QString("schedutil"));
    QVERIFY(core.setPolicy("scaling_governor", "powersave"));
    QCOMPARE(fx.readAttribute(3, "scaling_governor"), QByteArray("powersave"));
}

void TestCpuModel::coreNumber_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<int>("id");
    QTest::newRow("cpu0") << "cpu0" << 0;
    QTest::newRow("cpu7") << "cpu7" << 7;
    QTest::newRow("cpu42") << "cpu42" << 42;
    QTest::newRow("cpu09") << "cpu09" << 9;
    QTest::newRow("no digit") << "cpuX" << 0;
}

void TestCpuModel::coreNumber()
{
    QFETCH(QString, name);
    QFETCH(int, id);
    SysfsFixture fx;
    QVERIFY(QDir(fx.cpuDir()).mkdir(name));
    CPUCore core(QDir(fx.cpuDir() + "/" + name));
    QCOMPARE(int(core.core_id()), id);
}

void TestCpuModel::missingCoreDirectory()
{
    SysfsFixture fx;
    QTest::ignoreMessage(QtDebugMsg, "CPU Dir is not exist");
    CPUCore core(QDir(fx.cpuDir() + "/cpu5"));
    QVERIFY(core.policies.isEmpty());
    QVERIFY(core.isEnabled());
    QVERIFY(!core.setEnabled(false));
    QVERIFY(core.isEnabled());
}

void TestCpuModel::onlineState_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("enabled");
    QTest::newRow("0") << QByteArray("0\n") << false;
    QTest::newRow("1") << QByteArray("1\n") << true;
    QTest::newRow("padded 1") << QByteArray("  1 \n") << true;
    QTest::newRow("not a number") << QByteArray("on\n") << false;
    QTest::newRow("empty") << QByteArray() << false;
}

void TestCpuModel::onlineState()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, enabled);
    SysfsFixture fx;
    fx.addCore(1);
    fx.setOnline(1, content);
    CPUCore core(QDir(fx.coreDir(1)));
    QCOMPARE(core.isEnabled(), enabled);

    // An endless file (a device where sysfs has a small file) is read only so far.
    if (QFile::exists("/dev/zero")) {
        fx.removeOnline(1);
        QVERIFY(QFile::link("/dev/zero", fx.coreDir(1) + "/online"));
        QVERIFY(core.update());
        QVERIFY(!core.isEnabled());
        fx.removeOnline(1);
        fx.setOnline(1, content);
        core.update();
    }

    // A file that disappears leaves the state as it was last read.
    fx.removeOnline(1);
    core.update();
    QCOMPARE(core.isEnabled(), enabled);
}

void TestCpuModel::setPolicyWritesExactBytes()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));

    QVERIFY(core.setPolicy("scaling_governor", QVariant(QString("powersave"))));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));

    // Integers are written as their decimal digits, and the record holds them at once.
    QVERIFY(core.setPolicy(KnownCPUPolicy::scaling_max_freq, QVariant(2266666)));
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("2266666"));
    QCOMPARE(core.policies.value("scaling_max_freq").value, QString("2266666"));

    // Text goes out as Latin-1 bytes.
    fx.writeAttribute(0, "energy_performance_preference", "default\n");
    core.update();
    QVERIFY(core.setPolicy("energy_performance_preference", QString::fromUtf8("caf\xc3\xa9")));
    QCOMPARE(fx.readAttribute(0, "energy_performance_preference"), QByteArray("caf\xe9"));
}

void TestCpuModel::setPolicyRefusesWhatItMustNotWrite()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));

    QVERIFY(!core.setPolicy("cpuinfo_max_freq", 1));
    QCOMPARE(fx.readAttribute(0, "cpuinfo_max_freq"), QByteArray("3400000\n"));
    QCOMPARE(core.policies.value("cpuinfo_max_freq").value, QString("3400000"));

    QVERIFY(!core.setPolicy("bios_limit", 1000000));
    QVERIFY(!QFile::exists(fx.attributePath(0, "bios_limit")));
    QVERIFY(core.policies.contains("bios_limit"));
    QVERIFY(core.policies.value("bios_limit").isEmpty());

    QVERIFY(!core.setPolicy("../online", "0"));
    QCOMPARE(fx.readOnline(0), QByteArray("1\n"));

    core.update();
    QVERIFY(!core.policies.contains("bios_limit"));
}

void TestCpuModel::setPolicyOnVanishedFile()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    fx.removeAttribute(0, "scaling_min_freq");
    errno = 0;
    QVERIFY(!core.setPolicy("scaling_min_freq", 900000));
    QCOMPARE(errno, ENOENT);
    QVERIFY(!QFile::exists(fx.attributePath(0, "scaling_min_freq")));
    QCOMPARE(core.policies.value("scaling_min_freq").value, QString("900000"));
    core.update();
    QVERIFY(!core.policies.contains("scaling_min_freq"));
}

void TestCpuModel::writesFollowNoLinks()
{
    // Attribute and switch replaced by links after they were listed: the write goes nowhere.
    SysfsFixture fx;
    fx.addTypicalCore(1);
    CPUCore core(QDir(fx.coreDir(1)));
    const QString victim = fx.root() + "/victim";
    SysfsFixture::writePlainFile(victim, "root's own file\n");
    fx.replaceWithSymlink(1, "scaling_governor", victim);
    QFile::remove(fx.coreDir(1) + "/online");
    QVERIFY(QFile::link(victim, fx.coreDir(1) + "/online"));

    errno = 0;
    QVERIFY(!core.setPolicy("scaling_governor", "performance"));
    QCOMPARE(errno, ELOOP);
    QCOMPARE(core.storeEnabled(false), ELOOP);
    QVERIFY(core.isEnabled());
    QCOMPARE(SysfsFixture::readFile(victim), QByteArray("root's own file\n"));
}

void TestCpuModel::updateShowsWhatTheKernelReports()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    QVERIFY(core.setPolicy("scaling_min_freq", 5000000));
    // The kernel clamps the request; reading back gives the effective value.
    fx.writeAttribute(0, "scaling_min_freq", "3400000\n");
    QCOMPARE(core.policies.value("scaling_min_freq").value, QString("5000000"));
    QVERIFY(core.update());
    QCOMPARE(core.policies.value("scaling_min_freq").value, QString("3400000"));
}

void TestCpuModel::setEnabled()
{
    SysfsFixture fx;
    fx.addTypicalCore(2);
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);
    CPUCore core(QDir(fx.coreDir(2)));
    QVERIFY(core.setEnabled(false));
    QCOMPARE(fx.readOnline(2), QByteArray("0"));
    QVERIFY(!core.isEnabled());
    QVERIFY(core.setEnabled(true));
    QCOMPARE(fx.readOnline(2), QByteArray("1"));
    QVERIFY(core.isEnabled());

    CPUCore boot(QDir(fx.coreDir(0)));
    QVERIFY(boot.isEnabled());
    errno = 0;
    QVERIFY(!boot.setEnabled(false));
    QCOMPARE(errno, ENOENT);
    QVERIFY(boot.isEnabled());
    QVERIFY(!QFile::exists(fx.coreDir(0) + "/online"));
}

void TestCpuModel::writesOnlyToRegularFiles()
{
    // A device node where the switch should be: opened, looked at, and left unwritten.
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace for device nodes: " + MountNamespace::reason()));
    SysfsFixture fx;
    const QString dir = fx.root() + "/devices";
    QVERIFY(QDir().mkpath(dir));
    QVERIFY2(MountNamespace::mountTmpfs(dir), qPrintable(MountNamespace::reason()));
    const auto unmount = qScopeGuard([&dir] { MountNamespace::unmount(dir); });
    QVERIFY(QDir().mkpath(dir + "/cpu7/cpufreq"));
    const QByteArray online = QFile::encodeName(dir + "/cpu7/online");
    if (::mknod(online.constData(), S_IFCHR | 0644, makedev(1, 3)) != 0)
        QSKIP(qPrintable(QStringLiteral("cannot make a device node: %1").arg(qt_error_string(errno))));
    CPUCore core(QDir(dir + "/cpu7"));
    const bool before = core.isEnabled();
    errno = 0;
    QVERIFY(!core.setEnabled(!before));
    QCOMPARE(errno, EPERM);
    QCOMPARE(core.isEnabled(), before);
    struct stat st;
    QCOMPARE(::lstat(online.constData(), &st), 0);
    QVERIFY(S_ISCHR(st.st_mode));
}

void TestCpuModel::inventoryOrderAndFilter()
{
    SysfsFixture fx;
    for (int i = 11; i >= 0; --i)
        fx.addTypicalCore(i);
    fx.addCore(99);
    fx.addCore(100);
    fx.addCore(1000, SysfsFixture::Online::Off);
    fx.addCore(32767);
    // Not cores: other entries, a number written with a leading zero, one too large for a core.
    for (const char *name : {"cpufreq", "cpuidle", "cpu", "cpu1a", "CPU3", "cpu012", "cpu32768"})
        fx.addTopDirectory(name);
    fx.addTopFile("cpu50", "not a directory\n");
    fx.addTopFile("online", "0-11\n");

    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QCOMPARE(int(info.cores.size()), 16);
    for (int i = 0; i < 12; ++i)
        QCOMPARE(int(info.cores[size_t(i)].core_id()), i);
    QCOMPARE(int(info.cores[12].core_id()), 99);
    QCOMPARE(int(info.cores[13].core_id()), 100);
    QCOMPARE(int(info.cores[14].core_id()), 1000);
    QCOMPARE(int(info.cores[15].core_id()), 32767);
    QVERIFY(!info.cores[14].isEnabled()); // read from cpu1000's own directory
    QCOMPARE(info.cores[10].policies.value("affected_cpus").value, QString("10"));
    QCOMPARE(info.cpuDir.absolutePath(), QDir(fx.cpuDir()).absolutePath());

    SysfsFixture empty;
    QDir(empty.cpuDir()).removeRecursively();
    CPUInfo none(empty.cpuDir(), empty.cpuInfoPath());
    QVERIFY(none.cores.empty());
}

void TestCpuModel::modelName_data()
{
    QTest::addColumn<QByteArray>("cpuinfo");
    QTest::addColumn<QString>("model");
    QTest::newRow("x86") << QByteArray("processor\t: 0\nmodel name\t: Intel(R) Core(TM) i7-8650U CPU @ 1.90GHz\n")
                         << "Intel(R) Core(TM) i7-8650U CPU @ 1.90GHz";
    QTest::newRow("first of many") << QByteArray("model name\t: First\nmodel name\t: Second\n") << "First";
    QTest::newRow("no model name") << QByteArray("processor\t: 0\nBogoMIPS\t: 48.00\n") << "";
    QTest::newRow("second colon ends the name") << QByteArray("model name : AMD: Ryzen\n") << "AMD";
    QTest::newRow("no colon") << QByteArray("model name AMD\n") << "";
    QTest::newRow("case matters") << QByteArray("Model Name : X\nmodel name : Y\n") << "Y";
    QTest::newRow("indented line") << QByteArray(" model name : X\n") << "";
    QTest::newRow("no final line end") << QByteArray("model name\t: Last") << "Last";
    QTest::newRow("UTF-8") << QByteArray("model name : Proz\xc3\xa9ssor\n") << QString::fromUtf8("Proz\xc3\xa9ssor");
}

void TestCpuModel::modelName()
{
    QFETCH(QByteArray, cpuinfo);
    QFETCH(QString, model);
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.writeCpuInfo(cpuinfo);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QCOMPARE(info.modelName, model);
    QCOMPARE(int(info.cores.size()), 1);

    CPUInfo missing(fx.cpuDir(), fx.root() + "/no-such-cpuinfo");
    QCOMPARE(missing.modelName, QString());
}

void TestCpuModel::modelNameFromProcfs()
{
    // The kernel's cpuinfo claims a size of 0 until it is read.
    QFile cpuinfo("/proc/cpuinfo");
    if (!cpuinfo.open(QIODevice::ReadOnly))
        QSKIP("no /proc/cpuinfo here");
    const QString text = QString::fromUtf8(cpuinfo.readAll());
    const QRegularExpressionMatch match =
        QRegularExpression("^model name[^:\\n]*:([^:\\n]*)", QRegularExpression::MultilineOption).match(text);
    if (!match.hasMatch())
        QSKIP("this processor's cpuinfo has no model name line");
    SysfsFixture fx;
    CPUInfo info(fx.cpuDir(), "/proc/cpuinfo");
    QVERIFY(!match.captured(1).trimmed().isEmpty());
    QCOMPARE(info.modelName, match.captured(1).trimmed());
}

void TestCpuModel::instanceReadsRealPathsOnce()
{
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.addTypicalCore(1);
    fx.addTypicalCore(2);
    fx.writeCpuInfoForModel("Fixture CPU 3000", 3);
    QVERIFY(MountNamespace::bind(fx.cpuDir(), "/sys/devices/system/cpu"));
    QVERIFY(MountNamespace::bind(fx.cpuInfoPath(), "/proc/cpuinfo"));

    CPUInfo *first = CPUInfo::instance();
    QCOMPARE(first->modelName, QString("Fixture CPU 3000"));
    QCOMPARE(int(first->cores.size()), 3);
    QCOMPARE(first->cpuDir.path(), QString("/sys/devices/system/cpu"));

    fx.addTypicalCore(3);
    CPUInfo *second = CPUInfo::instance();
    QCOMPARE(second, first);
    QCOMPARE(int(second->cores.size()), 3);
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestCpuModel)
#include "testcpumodel.moc"
