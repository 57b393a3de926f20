// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "mountnamespace.h"
#include "privatedisplay.h"
#include "sysfsfixture.h"

// The real freqdeck binary on a test machine: a fixture tree at the real sysfs and cpuinfo paths,
// a private X server, and the start rule for copies under /opt.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void startRule_data();
    void startRule();

private:
    PrivateDisplay x;
    SysfsFixture machine;
};

namespace
{
const uid_t nobody = 65534;

void makeTraversable(const QString &path)
{
    ::chmod(QFile::encodeName(path).constData(), 0755);
}

// A copy of the binary in dir/bin, readable and runnable by everyone.
QString installCopy(const QString &dir)
{
    const QString bin = dir + "/freqdeck/bin";
    if (!QDir().mkpath(bin))
        return QString();
    makeTraversable(dir);
    makeTraversable(dir + "/freqdeck");
    makeTraversable(bin);
    QString target = bin + "/freqdeck";
    QFile::remove(target);
    if (!QFile::copy(QStringLiteral(FREQDECK_BINARY), target))
        return QString();
    ::chmod(QFile::encodeName(target).constData(), 0755);
    return target;
}
} // namespace

void TestEndToEnd::initTestCase()
{
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    if (!PrivateDisplay::unavailableReason().isEmpty())
        QSKIP(qPrintable(PrivateDisplay::unavailableReason()));
    if (QStandardPaths::findExecutable("setpriv").isEmpty())
        QSKIP("needs setpriv (util-linux)");
    if (::geteuid() != 0)
        QSKIP("starting the program as another user needs root");

    for (int i = 0; i < 4; ++i)
        machine.addTypicalCore(i);
    machine.writeCpuInfoForModel("End-to-end Test CPU", 4);
    makeTraversable(machine.root());
    QVERIFY(MountNamespace::bind(machine.cpuDir(), "/sys/devices/system/cpu"));
    QVERIFY(MountNamespace::bind(machine.cpuInfoPath(), "/proc/cpuinfo"));

    QString why;
    QVERIFY2(x.start("1280x800x24", &why), qPrintable(why));
}

void TestEndToEnd::startRule_data()
{
    QTest::addColumn<bool>("asRoot");
    QTest::addColumn<bool>("underOpt");
    QTest::addColumn<bool>("refused");
    QTest::newRow("root under /opt") << true << true << false;
    QTest::newRow("user outside /opt") << false << false << false;
    QTest::newRow("user under /opt") << false << true << true;
}

void TestEndToEnd::startRule()
{
    QFETCH(bool, asRoot);
    QFETCH(bool, underOpt);
    QFETCH(bool, refused);

    QTemporaryDir place;
    QVERIFY(place.isValid());
    QString dir = place.path();
    if (underOpt) {
        // A private /opt: the machine's own stays untouched.
        QVERIFY(QDir("/opt").exists() || QDir().mkpath("/opt"));
        QVERIFY(MountNamespace::bind(place.path(), "/opt"));
        dir = "/opt";
    }
    const QString binary = installCopy(dir);
    QVERIFY(!binary.isEmpty());

    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", x.name());
    env.insert("QT_QPA_PLATFORM", "xcb");
    env.remove("XAUTHORITY");
    program.setProcessEnvironment(env);
    program.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    if (asRoot)
        program.start(binary, QStringList());
    else
        program.start("setpriv",
                      {QString("--reuid=%1").arg(nobody), QString("--regid=%1").arg(nobody), "--clear-groups", binary});
    QVERIFY(program.waitForStarted());
    auto stop = qScopeGuard([&program, underOpt] {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished();
        }
        if (underOpt)
            MountNamespace::unmount("/opt");
    });

    if (refused) {
        const QString box = x.waitForWindow({"--name", "^Error"});
        QVERIFY(!box.isEmpty());
        QVERIFY(x.findWindow({"--name", "^freqdeck"}).isEmpty());
        QVERIFY(x.xdotool({"windowfocus", "--sync", box}));
        QVERIFY(x.xdotool({"key", "Return"}));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit); // abort()
        return;
    }

    // The window is shown first, then resized to its working size. Its title names the version.
    QVERIFY(!x.waitForWindow({"--class", "freqdeck"}).isEmpty());
    QVERIFY(!x.findWindow({"--name", QStringLiteral("^freqdeck %1$").arg(FREQDECK_VERSION)}).isEmpty());
    bool resized = false;
    QElapsedTimer clock;
    clock.start();
    while (!resized && clock.elapsed() < 10000) {
        QString ids;
        x.xdotool({"search", "--onlyvisible", "--class", "freqdeck"}, &ids);
        for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
            QString geometry;
            resized =
                resized || (x.xdotool({"getwindowgeometry", id}, &geometry) && geometry.contains("Geometry: 1200x650"));
        }
        if (!resized)
            QTest::qWait(100);
    }
    QVERIFY(resized);
    QVERIFY(x.findWindow({"--name", "^Error"}).isEmpty());
    // Let the refresh timer run a few times, then close as a session manager would.
    QTest::qWait(2500);
    QCOMPARE(program.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    QVERIFY(program.waitForFinished(10000));
    QCOMPARE(program.exitStatus(), QProcess::NormalExit);
    QCOMPARE(program.exitCode(), 0);
    QCOMPARE(machine.readAttribute(0, "scaling_governor"), QByteArray("schedutil\n")); // nothing written
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestEndToEnd)
#include "testendtoend.moc"
