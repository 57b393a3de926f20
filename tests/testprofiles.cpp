// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include "cpuinfo.h"
#include "sysfsfixture.h"

// The one-click profiles: what applying one writes, and which one is detected as in force.
class TestProfiles : public QObject
{
    Q_OBJECT

private slots:
    void applyWrites_data();
    void applyWrites();
    void appliedProfileIsDetected_data();
    void appliedProfileIsDetected();
    void detectionPrefersEarlierProfile();
    void normalAndSlowKeepGovernor();
    void powersaveWithHighMinimum();
    void offlineCoreMeansCustom();
    void missingAndMalformedValues();
    void emptyInventory();
    void failedWritesStillCountUntilUpdate();
    void failedWritesAreReported();
};

namespace
{
struct Expected {
    QByteArray governor, min, max;
};

void makeMachine(SysfsFixture &fx, int cores, SysfsFixture::Online online = SysfsFixture::Online::On)
{
    for (int i = 0; i < cores; ++i) {
        fx.addTypicalCore(i, 800000, 3400000, online);
        // Limits other than the profiles' so that "not written" is visible.
        fx.writeAttribute(i, "scaling_min_freq", "1000000\n");
        fx.writeAttribute(i, "scaling_max_freq", "3000000\n");
    }
}
} // namespace

void TestProfiles::applyWrites_data()
{
    QTest::addColumn<int>("govern");
    QTest::addColumn<QByteArray>("governor");
    QTest::addColumn<QByteArray>("min");
    QTest::addColumn<QByteArray>("max");
    // Untouched files keep their line end; what the program writes has none. The cores list
    // 800000, 2100000 and 3400000: Normal keeps to the listed 2100000 in its band, Fast and Slow
    // find none in theirs and write the computed limit.
    QTest::newRow("Performance") << 0 << QByteArray("performance") << QByteArray("800000") << QByteArray("3400000");
    QTest::newRow("Fast") << 1 << QByteArray("performance") << QByteArray("800000") << QByteArray("2266666");
    QTest::newRow("Normal") << 2 << QByteArray("schedutil\n") << QByteArray("800000") << QByteArray("2100000");
    QTest::newRow("Slow") << 3 << QByteArray("schedutil\n") << QByteArray("800000") << QByteArray("1133333");
    QTest::newRow("Powersave") << 4 << QByteArray("powersave") << QByteArray("800000") << QByteArray("800000");
    QTest::newRow("Custom") << 5 << QByteArray("schedutil\n") << QByteArray("1000000\n") << QByteArray("3000000\n");
    QTest::newRow("above range acts as Custom")
        << 9 << QByteArray("schedutil\n") << QByteArray("1000000\n") << QByteArray("3000000\n");
    QTest::newRow("negative acts as Custom")
        << -1 << QByteArray("schedutil\n") << QByteArray("1000000\n") << QByteArray("3000000\n");
}

void TestProfiles::applyWrites()
{
    QFETCH(int, govern);
    QFETCH(QByteArray, governor);
    QFETCH(QByteArray, min);
    QFETCH(QByteArray, max);
    SysfsFixture fx;
    makeMachine(fx, 2, SysfsFixture::Online::Off);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(static_cast<PREDEFINED_GOVERNS>(govern));
    for (int i = 0; i < 2; ++i) {
        QCOMPARE(fx.readOnline(i), QByteArray("1")); // every profile brings the core online
        QCOMPARE(fx.readAttribute(i, "scaling_governor"), governor);
        QCOMPARE(fx.readAttribute(i, "scaling_min_freq"), min);
        QCOMPARE(fx.readAttribute(i, "scaling_max_freq"), max);
        QCOMPARE(fx.readAttribute(i, "cpuinfo_max_freq"), QByteArray("3400000\n"));
    }
}

void TestProfiles::appliedProfileIsDetected_data()
{
    QTest::addColumn<int>("govern");
    QTest::newRow("Performance") << 0;
    QTest::newRow("Fast, although the governor is performance") << 1;
    QTest::newRow("Normal") << 2;
    QTest::newRow("Slow") << 3;
    QTest::newRow("Powersave") << 4;
}

void TestProfiles::appliedProfileIsDetected()
{
    QFETCH(int, govern);
    SysfsFixture fx;
    makeMachine(fx, 4);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(static_cast<PREDEFINED_GOVERNS>(govern));
    for (CPUCore &core : info.cores)
        core.update();
    QCOMPARE(int(info.detectPredefinedGoverns()), govern);
}

void TestProfiles::detectionPrefersEarlierProfile()
{
    // Governor performance at the hardware maximum matches Performance and Fast alike.
    SysfsFixture fx;
    makeMachine(fx, 2);
    for (int i = 0; i < 2; ++i) {
        fx.writeAttribute(i, "scaling_governor", "performance\n");
        fx.writeAttribute(i, "scaling_max_freq", "3400000\n");
    }
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QVERIFY(info.cores[0].checkPredefinedGoverns(GOVERN_FAST));
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_PERFORMANCE);

    // One core at another band makes the whole machine Custom.
    info.cores[1].policies["scaling_max_freq"].value = "1700000";
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_CUSTOM);
}

void TestProfiles::normalAndSlowKeepGovernor()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    for (int i = 0; i < 2; ++i)
        fx.writeAttribute(i, "scaling_governor", "powersave\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(GOVERN_NORMAL);
    for (CPUCore &core : info.cores) {
        core.update();
        QCOMPARE(core.policies.value("scaling_governor").value, QString("powersave"));
    }
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_NORMAL);
}

void TestProfiles::powersaveWithHighMinimum()
{
    // With m at or above M / 3 the powersave limit falls into another band.
    SysfsFixture fx;
    fx.addTypicalCore(0, 1600000, 3400000);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    info.cores[0].update();
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("1600000"));
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_SLOW);
}

void TestProfiles::offlineCoreMeansCustom()
{
    SysfsFixture fx;
    makeMachine(fx, 3);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(GOVERN_PERFORMANCE);
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_PERFORMANCE);
    QVERIFY(info.cores[2].setEnabled(false));
    for (int g = GOVERN_PERFORMANCE; g < GOVERN_CUSTOM; ++g)
        QVERIFY(!info.cores[2].checkPredefinedGoverns(static_cast<PREDEFINED_GOVERNS>(g)));
    QVERIFY(!info.cores[2].checkPredefinedGoverns(GOVERN_CUSTOM));
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_CUSTOM);

    // Custom brings it back and writes nothing else.
    const QByteArray max = fx.readAttribute(2, "scaling_max_freq");
    info.setPredefinedGoverns(GOVERN_CUSTOM);
    QVERIFY(info.cores[2].isEnabled());
    QCOMPARE(fx.readAttribute(2, "scaling_max_freq"), max);
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_PERFORMANCE);
}

void TestProfiles::missingAndMalformedValues()
{
    // Without cpuinfo_max_freq every threshold is 0: an online core matches Fast.
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.removeAttribute(0, "cpuinfo_max_freq");
    fx.writeAttribute(0, "scaling_governor", "powersave\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_FAST);
    QVERIFY(!info.cores[0].checkPredefinedGoverns(GOVERN_PERFORMANCE));

    // Applying a profile to it writes 0 as the upper limit rather than skipping the write.
    info.cores[0].setPredefinedGoverns(GOVERN_NORMAL);
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("0"));

    // Text that is not a number counts as 0.
    SysfsFixture bad;
    bad.addTypicalCore(0);
    bad.writeAttribute(0, "cpuinfo_max_freq", "<unknown>\n", 0444);
    bad.writeAttribute(0, "scaling_max_freq", "\n");
    bad.writeAttribute(0, "scaling_governor", "performance\n");
    CPUInfo badInfo(bad.cpuDir(), bad.cpuInfoPath());
    QCOMPARE(badInfo.detectPredefinedGoverns(), GOVERN_PERFORMANCE);
}

void TestProfiles::emptyInventory()
{
    SysfsFixture fx;
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QVERIFY(info.cores.empty());
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_PERFORMANCE);
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
}

void TestProfiles::failedWritesStillCountUntilUpdate()
{
    // Detection works on the records, which hold what was asked for until the next update().
    if (!QFile::exists("/dev/full"))
        QSKIP("/dev/full is not available");
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    fx.replaceWithSymlink(0, "scaling_governor", "/dev/full");
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_POWERSAVE);
    fx.removeAttribute(0, "scaling_governor");
    fx.writeAttribute(0, "scaling_governor", "schedutil\n");
    info.cores[0].update();
    QCOMPARE(info.detectPredefinedGoverns(), GOVERN_CUSTOM);
}

void TestProfiles::failedWritesAreReported()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("/dev/full is not available");
    SysfsFixture fx;
    makeMachine(fx, 3);
    fx.removeOnline(0);                                    // the boot CPU has no switch and is online
    fx.writeAttribute(2, "scaling_governor", "x\n", 0444); // read-only: never written
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    fx.replaceWithSymlink(1, "scaling_max_freq", "/dev/full");
    QFile::remove(fx.coreDir(2) + "/online");
    QVERIFY(QFile::link("/dev/full", fx.coreDir(2) + "/online"));

    QList<WriteFailure> failures;
    info.setPredefinedGoverns(GOVERN_FAST, [&failures](const WriteFailure &f) { failures << f; });
    QCOMPARE(failures.size(), 2);
    QCOMPARE(failures[0].core, 1);
    QCOMPARE(failures[0].attribute, QString("scaling_max_freq"));
    QCOMPARE(failures[0].value, QString("2266666"));
    QCOMPARE(failures[0].error, ELOOP); // writes follow no link
    QCOMPARE(failures[1].core, 2);
    QCOMPARE(failures[1].attribute, QString("online"));
    QCOMPARE(failures[1].value, QString("1"));
    QCOMPARE(failures[1].error, ELOOP);
    // The failures did not stop the other writes.
    QCOMPARE(fx.readAttribute(1, "scaling_governor"), QByteArray("performance"));
    QCOMPARE(fx.readAttribute(2, "scaling_max_freq"), QByteArray("2266666"));

    // Taking a core without a switch offline fails, unlike bringing it online.
    failures.clear();
    info.cores[0].loadSettings(QJsonObject{{"id", 0}, {"isEnabled", false}},
                               [&failures](const WriteFailure &f) { failures << f; });
    QCOMPARE(failures.size(), 1);
    QCOMPARE(failures[0].attribute, QString("online"));
    QCOMPARE(failures[0].value, QString("0"));
    QCOMPARE(failures[0].error, ENOENT);
}

QTEST_GUILESS_MAIN(TestProfiles)
#include "testprofiles.moc"
