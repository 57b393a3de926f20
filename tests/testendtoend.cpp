// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

#include "mountnamespace.h"
#include "sysfsfixture.h"

// The real freqdeck binary on a test machine: a fixture tree at the real sysfs and cpuinfo paths,
// a private X server, and the start rule for copies under /opt.
class TestEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void startRule_data();
    void startRule();

private:
    bool runTool(const QStringList &args, QString *out = nullptr);
    QString findWindow(const QStringList &searchArgs);
    QString waitForWindow(const QStringList &searchArgs);

    QProcess xserver;
    QString display;
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
    for (const char *tool : {"Xvfb", "xdotool", "setpriv"}) {
        if (QStandardPaths::findExecutable(tool).isEmpty())
            QSKIP(qPrintable(QString("needs %1 (scripts/install-deps.sh installs it)").arg(tool)));
    }
    if (::geteuid() != 0)
        QSKIP("starting the program as another user needs root");

    for (int i = 0; i < 4; ++i)
        machine.addTypicalCore(i);
    machine.writeCpuInfoForModel("End-to-end Test CPU", 4);
    makeTraversable(machine.root());
    QVERIFY(MountNamespace::bind(machine.cpuDir(), "/sys/devices/system/cpu"));
    QVERIFY(MountNamespace::bind(machine.cpuInfoPath(), "/proc/cpuinfo"));

    // A display number of our own, away from the low ones that desktops and other tests use; an
    // Xvfb that finds its number taken exits at once, and the next one is tried.
    for (int n = 200 + ::getpid() % 400, tries = 0; display.isEmpty() && tries < 20; ++n, ++tries) {
        if (QFile::exists(QString("/tmp/.X%1-lock").arg(n)))
            continue;
        xserver.start("Xvfb", {QString(":%1").arg(n), "-displayfd", "1", "-screen", "0", "1280x800x24", "-ac",
                               "-noreset", "-nolisten", "tcp"});
        QVERIFY2(xserver.waitForStarted(), "Xvfb does not start");
        QElapsedTimer clock;
        clock.start();
        while (!xserver.canReadLine() && xserver.state() == QProcess::Running && clock.elapsed() < 30000)
            xserver.waitForReadyRead(1000);
        if (xserver.canReadLine() && xserver.state() == QProcess::Running)
            display = ":" + QString::fromLatin1(xserver.readLine().trimmed());
        else
            xserver.kill(), xserver.waitForFinished();
    }
    QVERIFY2(!display.isEmpty(), "no free X display");
}

void TestEndToEnd::cleanupTestCase()
{
    if (xserver.state() != QProcess::NotRunning) {
        xserver.terminate();
        if (!xserver.waitForFinished(5000))
            xserver.kill(), xserver.waitForFinished();
    }
}

bool TestEndToEnd::runTool(const QStringList &args, QString *out)
{
    QProcess tool;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DISPLAY", display);
    tool.setProcessEnvironment(env);
    tool.start("xdotool", args);
    if (!tool.waitForFinished(10000)) {
        tool.kill();
        tool.waitForFinished();
        return false;
    }
    if (out)
        *out = QString::fromUtf8(tool.readAllStandardOutput()).trimmed();
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

QString TestEndToEnd::findWindow(const QStringList &searchArgs)
{
    QString ids;
    runTool(QStringList{"search", "--onlyvisible"} + searchArgs, &ids);
    return ids.section('\n', 0, 0);
}

QString TestEndToEnd::waitForWindow(const QStringList &searchArgs)
{
    QElapsedTimer clock;
    clock.start();
    int tries = 0;
    do {
        ++tries;
        QString id = findWindow(searchArgs);
        if (!id.isEmpty())
            return id;
        QTest::qWait(100);
    } while (clock.elapsed() < 60000);
    qWarning() << "no window" << searchArgs << "after" << tries << "searches";
    return QString();
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
    env.insert("DISPLAY", display);
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
        const QString box = waitForWindow({"--name", "^Error"});
        QVERIFY(!box.isEmpty());
        QVERIFY(findWindow({"--name", "^freqdeck"}).isEmpty());
        QVERIFY(runTool({"windowfocus", "--sync", box}));
        QVERIFY(runTool({"key", "Return"}));
        QVERIFY(program.waitForFinished(10000));
        QCOMPARE(program.exitStatus(), QProcess::CrashExit); // abort()
        return;
    }

    // The window is shown first, then resized to its working size. Its title names the version.
    QVERIFY(!waitForWindow({"--class", "freqdeck"}).isEmpty());
    QVERIFY(!findWindow({"--name", QStringLiteral("^freqdeck %1$").arg(FREQDECK_VERSION)}).isEmpty());
    bool resized = false;
    QElapsedTimer clock;
    clock.start();
    while (!resized && clock.elapsed() < 10000) {
        QString ids;
        runTool({"search", "--onlyvisible", "--class", "freqdeck"}, &ids);
        for (const QString &id : ids.split('\n', Qt::SkipEmptyParts)) {
            QString geometry;
            resized =
                resized || (runTool({"getwindowgeometry", id}, &geometry) && geometry.contains("Geometry: 1200x650"));
        }
        if (!resized)
            QTest::qWait(100);
    }
    QVERIFY(resized);
    QVERIFY(findWindow({"--name", "^Error"}).isEmpty());
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
