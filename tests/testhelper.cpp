// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtDBus>
#include <QtTest>

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

#include "atspitree.h"
#include "cpucore.h"
#include "helperclient.h"
#include "mountnamespace.h"
#include "privatedisplay.h"
#include "sysfsfixture.h"
#include "sysfsio.h"

// freqdeck-helper as root on a private system bus with a mock polkit authority, writing to a
// fixture bound over /sys/devices/system/cpu in this test's own mount namespace. The bus runs the
// helper's own bus policy, so that what a user may send and who may own the name are the shipped
// ones.
class TestHelper : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void allowedWritesGoWhereTheRequestSays();
    void deniedAndHostileRequestsWriteNothing();
    void callerGoneBeforeTheWriteGetsNothing();
    void unprivilegedCliAppliesProfileThroughHelper();
    void unprivilegedWindowRunsOnWaylandWithoutAsking();
    void unprivilegedWindowPageAppliesProfileThroughHelper();
    void unprivilegedWindowByKeysAsAScreenReaderSeesIt();

private:
    // Starts program with the private bus as system bus; false with the reason in why.
    bool start(QProcess &process, const QString &program, const QStringList &arguments);
    void allow(bool allowed);
    QDBusMessage call(const QString &method, const QVariantList &arguments);
    QDBusInterface mock(const QString &interface);

    SysfsFixture fixture;
    QTemporaryDir busDir;
    QString address;
    QProcess bus;
    QProcess polkit;
    QProcess helper;
    bool bound = false;
};

namespace
{
const QString helperName = QStringLiteral("org.freqdeck.Helper");
const QString polkitName = QStringLiteral("org.freedesktop.PolicyKit1");
const QString changeAction = QStringLiteral("org.freqdeck.Freqdeck.change");

// The system bus's own default policy: method calls refused unless a policy file allows them.
QByteArray busConfig(const QString &socket, const QString &policyFile)
{
    const QString config = QStringLiteral("<busconfig>\n"
                                          "  <type>system</type>\n"
                                          "  <listen>unix:path=%1</listen>\n"
                                          "  <auth>EXTERNAL</auth>\n"
                                          "  <policy context=\"default\">\n"
                                          "    <allow user=\"*\"/>\n"
                                          "    <deny own=\"*\"/>\n"
                                          "    <deny send_type=\"method_call\"/>\n"
                                          "    <allow send_type=\"signal\"/>\n"
                                          "    <allow send_requested_reply=\"true\" send_type=\"method_return\"/>\n"
                                          "    <allow send_requested_reply=\"true\" send_type=\"error\"/>\n"
                                          "    <allow receive_type=\"method_call\"/>\n"
                                          "    <allow receive_type=\"method_return\"/>\n"
                                          "    <allow receive_type=\"error\"/>\n"
                                          "    <allow receive_type=\"signal\"/>\n"
                                          "    <allow send_destination=\"org.freedesktop.DBus\"/>\n"
                                          "    <allow own=\"org.freedesktop.PolicyKit1\"/>\n"
                                          "    <allow send_destination=\"org.freedesktop.PolicyKit1\"/>\n"
                                          "  </policy>\n"
                                          "  <include>%2</include>\n"
                                          "</busconfig>\n");
    return config.arg(socket, policyFile).toUtf8();
}
} // namespace

bool TestHelper::start(QProcess &process, const QString &program, const QStringList &arguments)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SYSTEM_BUS_ADDRESS"), address);
    process.setProcessEnvironment(environment);
    process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process.start(program, arguments);
    return process.waitForStarted();
}

void TestHelper::initTestCase()
{
    if (::geteuid() != 0 || !MountNamespace::available())
        QSKIP("the helper writes /sys/devices/system/cpu as root: needs root in a mount namespace of its own");
    const QString daemon = QStandardPaths::findExecutable("dbus-daemon");
    if (daemon.isEmpty())
        QSKIP("dbus-daemon is not installed");
    QProcess probe;
    probe.start("/usr/bin/python3", {"-c", "import dbusmock.templates.polkitd"});
    if (!probe.waitForFinished() || probe.exitCode() != 0)
        QSKIP("python3-dbusmock is not installed");

    fixture.addTypicalCore(0);
    fixture.addTypicalCore(1);
    fixture.writeAttribute(0, "scaling_cur_freq", "800000", 0444);
    fixture.addSubdirectory(0, "stats");
    fixture.replaceWithSymlink(0, "scaling_setspeed", fixture.root() + "/elsewhere");
    SysfsFixture::writePlainFile(fixture.root() + "/elsewhere", "<unsupported>\n");
    fixture.addTopDirectory("intel_pstate");
    SysfsFixture::writePlainFile(fixture.cpuDir() + "/intel_pstate/no_turbo", "0\n");
    QVERIFY2(MountNamespace::bind(fixture.cpuDir(), "/sys/devices/system/cpu"), qPrintable(MountNamespace::reason()));
    bound = true;

    // Others must reach the socket: the CLI runs as nobody.
    QVERIFY(busDir.isValid());
    QCOMPARE(::chmod(QFile::encodeName(busDir.path()).constData(), 0755), 0);
    const QString config = busDir.filePath("bus.conf");
    SysfsFixture::writePlainFile(config, busConfig(busDir.filePath("socket"), FREQDECK_BUS_POLICY));
    bus.start(daemon, {"--config-file=" + config, "--nofork", "--nopidfile", "--print-address"});
    QVERIFY(bus.waitForReadyRead(30000));
    address = QString::fromUtf8(bus.readLine()).trimmed();
    QVERIFY2(address.startsWith("unix:"), qPrintable(address));
    qputenv("DBUS_SYSTEM_BUS_ADDRESS", address.toUtf8());

    QVERIFY(start(polkit, "/usr/bin/python3",
                  {"-m", "dbusmock", "--system", "--template", "polkitd", "-l", busDir.filePath("polkit.log")}));
    QDBusConnectionInterface *names = QDBusConnection::systemBus().interface();
    QVERIFY(names);
    QTRY_VERIFY_WITH_TIMEOUT(names->isServiceRegistered(polkitName), 30000);
    QVERIFY(start(helper, FREQDECK_HELPER_BINARY, {}));
    QTRY_VERIFY_WITH_TIMEOUT(names->isServiceRegistered(helperName), 30000);
}

void TestHelper::cleanupTestCase()
{
    SysfsIO::setWriter({});
    for (QProcess *process : {&helper, &polkit, &bus}) {
        process->terminate();
        process->waitForFinished();
    }
    if (bound)
        MountNamespace::unmount("/sys/devices/system/cpu");
}

QDBusInterface TestHelper::mock(const QString &interface)
{
    return QDBusInterface(polkitName, "/org/freedesktop/PolicyKit1/Authority", interface, QDBusConnection::systemBus());
}

void TestHelper::allow(bool allowed)
{
    QDBusInterface control = mock("org.freedesktop.DBus.Mock");
    const QDBusMessage reply = control.call("SetAllowed", allowed ? QStringList{changeAction} : QStringList{});
    QCOMPARE(reply.type(), QDBusMessage::ReplyMessage);
    // Answers at once, also after a test that stopped while it had polkit hang.
    QCOMPARE(control.call("SimulateHang", false).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(control.call("ReleaseHangingCalls").type(), QDBusMessage::ReplyMessage);
}

QDBusMessage TestHelper::call(const QString &method, const QVariantList &arguments)
{
    QDBusMessage message =
        QDBusMessage::createMethodCall(helperName, "/org/freqdeck/Helper", "org.freqdeck.Helper1", method);
    message.setArguments(arguments);
    return QDBusConnection::systemBus().call(message);
}

void TestHelper::allowedWritesGoWhereTheRequestSays()
{
    allow(true);
    // The model's own writes, sent by the client as a user's window sends them.
    HelperClient::install();
    auto direct = qScopeGuard([] { SysfsIO::setWriter({}); });
    CPUCore core(QDir("/sys/devices/system/cpu/cpu1"));
    QVERIFY(core.update());
    QVERIFY(core.setPolicy("scaling_governor", "powersave"));
    QVERIFY(core.setEnabled(false));
    QCOMPARE(fixture.readAttribute(1, "scaling_governor"), QByteArray("powersave"));
    QCOMPARE(fixture.readOnline(1), QByteArray("0"));
    // The kernel's refusal comes back as its errno, through the same contract as a direct write.
    CPUCore first(QDir("/sys/devices/system/cpu/cpu0"));
    QVERIFY(first.update());
    first.policies["scaling_cur_freq"].writable = true; // as if the model had misread the mode
    errno = 0;
    QVERIFY(!first.setPolicy("scaling_cur_freq", "1000000"));
    QCOMPARE(errno, EACCES);
    QCOMPARE(call("SetSwitch", {"intel_pstate/no_turbo", "1"}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(SysfsFixture::readFile(fixture.cpuDir() + "/intel_pstate/no_turbo"), QByteArray("1"));

    // polkit was asked about this connection's bus name, never a process, for the one action.
    const QByteArray log = SysfsFixture::readFile(busDir.filePath("polkit.log"));
    const QByteArray subject = "'system-bus-name'), dbus.Dictionary({dbus.String('name'): dbus.String('"
                               + QDBusConnection::systemBus().baseService().toUtf8() + "'";
    QVERIFY2(log.contains(subject), log.constData());
    // The client lets polkit ask for a password, and the helper passes that on as its flag.
    QVERIFY2(log.contains('"' + changeAction.toUtf8() + "\" {} 1 \"\""), log.constData());
    QVERIFY2(!log.contains("unix-process"), log.constData());
}

void TestHelper::deniedAndHostileRequestsWriteNothing()
{
    const QMap<QString, QByteArray> before = fixture.snapshot();

    allow(false);
    HelperClient::install();
    auto direct = qScopeGuard([] { SysfsIO::setWriter({}); });
    CPUCore core(QDir("/sys/devices/system/cpu/cpu0"));
    QVERIFY(core.update());
    errno = 0;
    QVERIFY(!core.setPolicy("scaling_governor", "powersave"));
    QCOMPARE(errno, EACCES);
    QCOMPARE(call("SetOnline", {0U, false}).errorName(), "org.freqdeck.Error.EACCES");

    // Allowed by polkit, and still refused: nothing but a listed file of a present CPU.
    allow(true);
    struct Hostile {
        const char *what;
        QString method;
        QVariantList arguments;
        QString error;
    };
    const QList<Hostile> hostile{
        {"parent directory", "SetAttribute", {0U, "../../cpu1/online", "0"}, "EINVAL"},
        {"absolute path", "SetAttribute", {0U, "/etc/passwd", "x"}, "EINVAL"},
        {"control character", "SetAttribute", {0U, "scaling_governor", "power\nsave"}, "EINVAL"},
        {"over-long value", "SetAttribute", {0U, "scaling_max_freq", QString(4097, '1')}, "EINVAL"},
        {"non-ASCII value", "SetAttribute", {0U, "scaling_governor", QString::fromUtf8("pöwersave")}, "EINVAL"},
        {"unlisted attribute", "SetAttribute", {0U, "no_such_attribute", "1"}, "ENOENT"},
        {"read-only attribute", "SetAttribute", {0U, "scaling_cur_freq", "1"}, "EACCES"},
        {"link to another file", "SetAttribute", {0U, "scaling_setspeed", "1"}, "EPERM"},
        {"directory", "SetAttribute", {0U, "stats", "1"}, "EPERM"},
        {"missing CPU", "SetAttribute", {7U, "scaling_governor", "powersave"}, "ENODEV"},
        {"impossible CPU", "SetOnline", {100000U, false}, "ENODEV"},
        {"unlisted switch", "SetSwitch", {"cpu0/online", "0"}, "EINVAL"},
        {"switch by a path", "SetSwitch", {"intel_pstate/../cpu0/online", "0"}, "EINVAL"},
        {"absent switch", "SetSwitch", {"cpufreq/boost", "1"}, "ENOENT"},
    };
    for (const Hostile &request : hostile) {
        const QDBusMessage reply = call(request.method, request.arguments);
        QVERIFY2(reply.errorName() == "org.freqdeck.Error." + request.error,
                 qPrintable(QString::fromLatin1(request.what) + ": " + reply.errorName()));
    }
    // D-Bus strings end at a NUL, so the client refuses such a value before it could arrive cut.
    errno = 0;
    QVERIFY(!core.setPolicy("scaling_governor", QString("power") + QChar(0) + "save"));
    QCOMPARE(errno, EINVAL);
    QCOMPARE(fixture.snapshot(), before);
    QCOMPARE(SysfsFixture::readFile(fixture.root() + "/elsewhere"), QByteArray("<unsupported>\n"));
}

void TestHelper::callerGoneBeforeTheWriteGetsNothing()
{
    allow(true);
    const QByteArray before = fixture.readAttribute(0, "scaling_min_freq");
    QDBusInterface control = mock("org.freedesktop.DBus.Mock");
    QCOMPARE(control.call("SimulateHang", true).type(), QDBusMessage::ReplyMessage);
    const QString gone = QStringLiteral("gone");
    QString name;
    {
        QDBusConnection caller = QDBusConnection::connectToBus(address, gone);
        QVERIFY(caller.isConnected());
        name = caller.baseService();
        QDBusMessage message =
            QDBusMessage::createMethodCall(helperName, "/org/freqdeck/Helper", "org.freqdeck.Helper1", "SetAttribute");
        message << 0U << QStringLiteral("scaling_min_freq") << QStringLiteral("1200000");
        QVERIFY(caller.send(message));
        QTRY_VERIFY(control.call("HaveHangingCalls").arguments().value(0).toBool());
    }
    QDBusConnection::disconnectFromBus(gone);
    QTRY_VERIFY(!QDBusConnection::systemBus().interface()->isServiceRegistered(name));
    QCOMPARE(control.call("SimulateHang", false).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(control.call("ReleaseHangingCalls").type(), QDBusMessage::ReplyMessage);
    // The helper hears polkit's answers in order: once this one is written, the first is handled.
    QCOMPARE(call("SetAttribute", {0U, "scaling_max_freq", "2000000"}).type(), QDBusMessage::ReplyMessage);
    QCOMPARE(fixture.readAttribute(0, "scaling_max_freq"), QByteArray("2000000"));
    QCOMPARE(fixture.readAttribute(0, "scaling_min_freq"), before);
}

void TestHelper::unprivilegedCliAppliesProfileThroughHelper()
{
    allow(true);
    QProcess cli;
    QVERIFY(start(cli, QStandardPaths::findExecutable("setpriv"),
                  {"--reuid=65534", "--regid=65534", "--clear-groups", FREQDECK_CLI_BINARY, "profile", "powersave"}));
    QVERIFY(cli.waitForFinished(60000));
    const QByteArray out = cli.readAllStandardOutput();
    if (cli.exitCode() == 126 || cli.exitCode() == 127)
        QSKIP("the build directory is closed to other users");
    QVERIFY2(cli.exitCode() == 0, out.constData());
    for (int cpu : {0, 1}) {
        QCOMPARE(fixture.readAttribute(cpu, "scaling_governor"), QByteArray("powersave"));
        QCOMPARE(fixture.readOnline(cpu), QByteArray("1"));
    }
    // The user could not have written these files: the helper did.
    struct stat st;
    QCOMPARE(::stat(QFile::encodeName(fixture.attributePath(0, "scaling_governor")).constData(), &st), 0);
    QCOMPARE(st.st_uid, 0U);
    QCOMPARE(st.st_mode & 0022, 0U);
}

void TestHelper::unprivilegedWindowRunsOnWaylandWithoutAsking()
{
    const QString weston = QStandardPaths::findExecutable("weston");
    if (weston.isEmpty())
        QSKIP("weston is not installed");
    const QString wayland = QLibraryInfo::location(QLibraryInfo::PluginsPath) + "/platforms/libqwayland-generic.so";
    if (!QFile::exists(wayland))
        QSKIP("Qt's Wayland platform is not installed (qtwayland5)");

    // A session of nobody's own: its runtime directory, a headless compositor without XWayland.
    const QString runtime = busDir.filePath("runtime");
    QVERIFY(QDir().mkdir(runtime));
    QCOMPARE(::chown(QFile::encodeName(runtime).constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(QFile::encodeName(runtime).constData(), 0700), 0);
    const QStringList asNobody{
        "--reuid=65534",  "--regid=65534", "--clear-groups", "env", "-u", "DISPLAY", "XDG_RUNTIME_DIR=" + runtime,
        "HOME=" + runtime};
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    QProcess compositor;
    QVERIFY(start(compositor, setpriv,
                  asNobody
                      + QStringList{weston, "--backend=headless-backend.so", "--socket=freqdeck-test", "--no-config"}));
    auto stopCompositor = qScopeGuard([&compositor] {
        compositor.terminate();
        compositor.waitForFinished();
    });
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(runtime + "/freqdeck-test"), 30000);

    const int checksBefore = SysfsFixture::readFile(busDir.filePath("polkit.log")).count("CheckAuthorization");
    QProcess window;
    window.setProcessChannelMode(QProcess::MergedChannels);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SYSTEM_BUS_ADDRESS", address);
    environment.remove("QT_QPA_PLATFORM");
    // In the sanitizer build: the Wayland platform loads the system's EGL libraries, which lose a
    // block from code that is unloaded before the leak check can name it. The window's own leaks
    // are scripts/leakcheck.sh's to find.
    environment.insert("ASAN_OPTIONS", environment.value("ASAN_OPTIONS") + ":detect_leaks=0");
    window.setProcessEnvironment(environment);
    window.start(setpriv, asNobody
                              + QStringList{"WAYLAND_DISPLAY=freqdeck-test", "QT_QPA_PLATFORM=wayland",
                                            "WAYLAND_DEBUG=client", FREQDECK_WINDOW_BINARY});
    QVERIFY(window.waitForStarted());
    auto stopWindow = qScopeGuard([&window] {
        window.terminate();
        window.waitForFinished();
    });
    // A native toplevel with the window's title, drawn into: the protocol as the client speaks it.
    QByteArray protocol;
    const auto shown = [&] {
        protocol += window.readAll();
        return protocol.contains("xdg_toplevel@") && protocol.contains("set_title(\"freqdeck ")
               && protocol.contains(".attach(");
    };
    QTRY_VERIFY2_WITH_TIMEOUT(shown(), protocol.right(2000).constData(), 60000);
    QCOMPARE(window.state(), QProcess::Running);
    // Reading every core needed no authorization.
    QCOMPARE(SysfsFixture::readFile(busDir.filePath("polkit.log")).count("CheckAuthorization"), checksBefore);
    window.terminate();
    QVERIFY(window.waitForFinished(60000));
    protocol += window.readAll();
    const QByteArray said = protocol.right(3000);
    QVERIFY2(window.exitStatus() == QProcess::NormalExit && window.exitCode() == 0, said.constData());
}

void TestHelper::unprivilegedWindowPageAppliesProfileThroughHelper()
{
    allow(true);
    for (int cpu : {0, 1})
        fixture.writeAttribute(cpu, "scaling_governor", "performance\n");
    QProcess page;
    page.setProcessChannelMode(QProcess::MergedChannels);
    QVERIFY(
        start(page, QStandardPaths::findExecutable("setpriv"),
              {"--reuid=65534", "--regid=65534", "--clear-groups", FREQDECK_WINDOW_DRIVER, "-platform", "offscreen"}));
    QVERIFY(page.waitForFinished(60000));
    QVERIFY2(page.exitStatus() == QProcess::NormalExit && page.exitCode() == 0, page.readAll().constData());
    for (int cpu : {0, 1})
        QCOMPARE(fixture.readAttribute(cpu, "scaling_governor"), QByteArray("powersave"));
}

// The whole round of a user without a mouse, on an X server of the test's own: keys typed into
// the real window (running as nobody, writing through the helper), and what happens checked as a
// screen reader sees it on the session's accessibility bus and in the files written.
void TestHelper::unprivilegedWindowByKeysAsAScreenReaderSeesIt()
{
    if (!PrivateDisplay::unavailableReason().isEmpty())
        QSKIP(qPrintable(PrivateDisplay::unavailableReason()));
    if (!QFile::exists("/usr/share/dbus-1/services/org.a11y.Bus.service"))
        QSKIP("the accessibility bus is not installed (at-spi2-core)");
    allow(true);
    for (int cpu : {0, 1}) {
        fixture.writeAttribute(cpu, "scaling_governor", "schedutil\n");
        fixture.writeAttribute(cpu, "scaling_max_freq", "3400000\n");
    }
    PrivateDisplay x;
    QString why;
    QVERIFY2(x.start("1366x768x24", &why), qPrintable(why));

    // nobody's session: a runtime directory and a session bus, which starts the accessibility bus.
    const QString home = busDir.filePath("session");
    QVERIFY(QDir().mkdir(home));
    QCOMPARE(::chown(QFile::encodeName(home).constData(), 65534, 65534), 0);
    QCOMPARE(::chmod(QFile::encodeName(home).constData(), 0700), 0);
    const QStringList asNobody{"--reuid=65534",           "--regid=65534", "--clear-groups",     "env",
                               "XDG_RUNTIME_DIR=" + home, "HOME=" + home,  "DISPLAY=" + x.name()};
    const QString setpriv = QStandardPaths::findExecutable("setpriv");
    // Open to this test as well, which reads as the screen reader would.
    const QString sessionConfig = busDir.filePath("session.conf");
    SysfsFixture::writePlainFile(sessionConfig,
                                 QStringLiteral("<busconfig>\n"
                                                "  <type>session</type>\n"
                                                "  <listen>unix:path=%1/bus</listen>\n"
                                                "  <standard_session_servicedirs/>\n"
                                                "  <auth>EXTERNAL</auth>\n"
                                                "  <policy context=\"default\">\n"
                                                "    <allow user=\"*\"/>\n"
                                                "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                                                "    <allow eavesdrop=\"true\"/>\n"
                                                "    <allow own=\"*\"/>\n"
                                                "  </policy>\n"
                                                "</busconfig>\n")
                                     .arg(home)
                                     .toUtf8());
    QProcess session;
    QVERIFY(
        start(session, setpriv,
              asNobody + QStringList{"dbus-daemon", "--config-file=" + sessionConfig, "--nofork", "--print-address"}));
    auto stopSession = qScopeGuard([&session] {
        session.terminate();
        session.waitForFinished();
    });
    QVERIFY(session.waitForReadyRead(30000));
    const QString sessionAddress = QString::fromUtf8(session.readLine()).trimmed();

    QProcess window;
    QVERIFY(start(window, setpriv,
                  asNobody
                      + QStringList{"DBUS_SESSION_BUS_ADDRESS=" + sessionAddress, "QT_QPA_PLATFORM=xcb",
                                    "QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1", "ASAN_OPTIONS=detect_leaks=0",
                                    FREQDECK_WINDOW_BINARY}));
    auto stopWindow = qScopeGuard([&window] {
        window.terminate();
        window.waitForFinished();
    });
    const QString id = x.waitForWindow({"--class", "freqdeck"});
    QVERIFY(!id.isEmpty());
    QVERIFY(x.xdotool({"windowfocus", "--sync", id}));

    AtspiTree reader(sessionAddress);
    QVERIFY2(reader.isValid(), qPrintable(reader.reason()));
    using Node = AtspiTree::Node;
    QTRY_VERIFY_WITH_TIMEOUT(!reader.programs().isEmpty(), 60000);
    QVERIFY(reader.followFocus());
    Node profiles;

    // A key, then what the screen reader hears gets the focus.
    QVector<Node> reached;
    const auto press = [&](const QString &key) {
        const int before = reader.focusChanges();
        if (!x.xdotool({"key", key}))
            return Node();
        QElapsedTimer clock;
        clock.start();
        while (reader.focusChanges() == before && clock.elapsed() < 10000)
            QTest::qWait(20);
        Node now = reader.focused();
        reached.append(now);
        return now;
    };
    const auto tabTo = [&](const std::function<bool(const Node &)> &matches) {
        for (int i = 0; i < 40; ++i) {
            if (matches(press("Tab")))
                return true;
        }
        return false;
    };
    // The tab of the profile list with the given state, by its name.
    const auto profileWith = [&](AtspiTree::State state) {
        for (const Node &tab : reader.children(profiles)) {
            if (AtspiTree::has(tab, state))
                return tab.name;
        }
        return QString();
    };

    // Powersave, the fifth profile: the ring moves with the arrows, Space chooses.
    QVERIFY(tabTo([&](const Node &n) {
        profiles = n;
        return n.role == "page tab list" && n.name.startsWith("Profile");
    }));
    QVERIFY(x.xdotool({"key", "Home"}));
    for (int i = 0; i < 4; ++i)
        QVERIFY(x.xdotool({"key", "Right"}));
    QTRY_COMPARE(profileWith(AtspiTree::Focused), QString("Powersave"));
    QVERIFY(x.xdotool({"key", "space"}));
    for (int cpu : {0, 1})
        QTRY_COMPARE_WITH_TIMEOUT(fixture.readAttribute(cpu, "scaling_governor"), QByteArray("powersave"), 30000);
    QTRY_COMPARE(profileWith(AtspiTree::Selected), QString("Powersave"));

    // The first core's page by its shortcut; its maximum, named with its unit, typed in MHz.
    QVERIFY(x.xdotool({"key", "alt+2"}));
    QVERIFY(tabTo([](const Node &n) { return n.role == "spin box" && n.name == "scaling_max_freq in MHz"; }));
    QVERIFY(x.xdotool({"key", "ctrl+a"}));
    QVERIFY(x.xdotool({"type", "2000"}));
    QVERIFY(tabTo([](const Node &n) { return n.role == "push button" && n.name == "Apply"; }));
    QVERIFY(x.xdotool({"key", "space"}));
    QTRY_COMPARE_WITH_TIMEOUT(fixture.readAttribute(0, "scaling_max_freq"), QByteArray("2000000"), 30000);
    QCOMPARE(fixture.readAttribute(1, "scaling_max_freq"), QByteArray("800000")); // Powersave's, untouched

    // Save Settings on the overview; the file dialog takes a typed path and Enter.
    QVERIFY(x.xdotool({"key", "alt+1"}));
    QVERIFY(tabTo([](const Node &n) { return n.role == "push button" && n.name == "Save Settings"; }));
    QVERIFY(x.xdotool({"key", "space"}));
    QTRY_VERIFY_WITH_TIMEOUT(reader.focused().role == "text", 30000);
    const QString saved = home + "/keys.json";
    QVERIFY(x.xdotool({"type", saved}));
    QVERIFY(x.xdotool({"key", "Return"}));
    QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(saved), 30000);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray text = file.readAll();
    QVERIFY2(text.contains("\"scaling_max_freq\": \"2000000\"") && text.contains("\"powersave\""), text.constData());

    // Everything Tab stops at, round the overview and a core page, is named for the listener.
    // Without a window manager the keyboard stays with no window once the dialog is gone.
    QVERIFY(x.xdotool({"windowfocus", "--sync", id}));
    for (const char *page : {"alt+1", "alt+2"}) {
        QVERIFY(x.xdotool({"key", page}));
        const Node first = press("Tab");
        QVERIFY(tabTo([&first](const Node &n) { return n.path == first.path; }));
    }
    for (const Node &node : qAsConst(reached))
        QVERIFY2(!node.name.isEmpty() && node.name != "on", qPrintable(node.role + " \"" + node.name + '"'));
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestHelper)
#include "testhelper.moc"
