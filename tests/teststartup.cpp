// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <csignal>
#include <pwd.h>
#include <unistd.h>

#include "startup.h"

// What a window running as root takes from the user who started it: of the command line only the
// options that place it, of the environment nothing that could load code or move its settings.
class TestStartUp : public QObject
{
    Q_OBJECT

private slots:
    void rootArgumentsOnlyPlaceTheWindow();
    void rootEnvironmentLoadsNothingOfTheUser();
    void rootWindowLoadsNoPluginOfTheUser_data();
    void rootWindowLoadsNoPluginOfTheUser();
    // Last: it changes this process's own environment.
    void rootKeepsItsSettingsInItsOwnHome();
    // After the rest: it installs translators for the whole process.
    void catalogues();
};

namespace
{
QString rootHome()
{
    const struct passwd *root = ::getpwuid(0);
    return root ? QFile::decodeName(root->pw_dir) : QStringLiteral("/root");
}

// Whether the process has a handler for the signal, from the SigCgt mask of /proc/PID/status.
bool catches(qint64 pid, int signal)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return false;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("SigCgt:"))
            return (line.mid(7).trimmed().toULongLong(nullptr, 16) >> (signal - 1)) & 1;
    }
    return false;
}
} // namespace

void TestStartUp::rootArgumentsOnlyPlaceTheWindow()
{
    const QList<QByteArray> given =
        QByteArray("freqdeck -platformpluginpath /home/user/plugins -platform vnc "
                   "-display :5 -plugin marker -style=fusion -stylesheet /home/user/a.qss "
                   "--display :6 -geometry -platformtheme gtk3 -qwindowgeometry 640x480+0+0 "
                   "-reverse -qwindowicon /home/user/icon.png settings.json -display")
            .split(' ');
    // -geometry is dropped with the option that follows it, which Qt would otherwise take as one.
    QCOMPARE(StartUp::rootArguments(given),
             (QList<QByteArray>{"freqdeck", "-display", ":5", "-qwindowgeometry", "640x480+0+0", "-reverse"}));
}

void TestStartUp::rootEnvironmentLoadsNothingOfTheUser()
{
    if (::geteuid() != 0)
        QSKIP("directories owned by root and by another user need root");
    QTemporaryDir rootsOwn;
    QTemporaryDir usersOwn;
    QVERIFY(rootsOwn.isValid() && usersOwn.isValid());
    QCOMPARE(::chown(QFile::encodeName(usersOwn.path()).constData(), 65534, 65534), 0);

    QProcessEnvironment given;
    const QList<QPair<const char *, QString>> entries{
        {"DISPLAY", ":5"},
        {"XAUTHORITY", "/home/user/.Xauthority"},
        {"HOME", "/home/user"},
        {"USER", "user"},
        {"PATH", "/home/user/bin:/usr/bin"},
        {"XDG_CONFIG_HOME", "/home/user/.config"},
        {"XDG_DATA_DIRS", "/home/user/share"},
        {"QT_PLUGIN_PATH", "/home/user/plugins"},
        {"QT_QPA_PLATFORM_PLUGIN_PATH", "/home/user/plugins/platforms"},
        {"QT_QPA_PLATFORM", "vnc"},
        {"QT_QPA_PLATFORMTHEME", "gtk3"},
        {"QT_QPA_GENERIC_PLUGINS", "marker"},
        {"QT_STYLE_OVERRIDE", "fusion"},
        {"QT_DEBUG_PLUGINS", "1"},
        {"QML2_IMPORT_PATH", "/home/user/qml"},
        {"GTK_PATH", "/home/user/gtk"},
        {"LD_LIBRARY_PATH", "/home/user/lib"},
        {"DBUS_SESSION_BUS_ADDRESS", "unix:path=/run/user/1000/bus"},
        {"LANG", "de_DE.UTF-8"},
        {"LC_ALL", "/home/user/locale"},
        {"TERM", "xterm"},
        {"TMPDIR", usersOwn.path()},
        {"XDG_RUNTIME_DIR", rootsOwn.path()},
    };
    for (const auto &entry : entries)
        given.insert(QLatin1String(entry.first), entry.second);

    QStringList kept = StartUp::rootEnvironment(given, QStringLiteral("/root-home")).toStringList();
    kept.sort();
    QCOMPARE(kept,
             (QStringList{"DISPLAY=:5", "HOME=/root-home", "LANG=de_DE.UTF-8", "LOGNAME=root",
                          "PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin", "TERM=xterm",
                          "USER=root", "XAUTHORITY=/home/user/.Xauthority", "XDG_RUNTIME_DIR=" + rootsOwn.path()}));

    // The platforms of Qt's own directory that show the window on the X display or nowhere.
    for (const char *platform : {"xcb", "offscreen"}) {
        given.insert(QStringLiteral("QT_QPA_PLATFORM"), QLatin1String(platform));
        QCOMPARE(StartUp::rootEnvironment(given, QStringLiteral("/root-home")).value(QStringLiteral("QT_QPA_PLATFORM")),
                 QLatin1String(platform));
    }
}

void TestStartUp::rootWindowLoadsNoPluginOfTheUser_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QStringList>("environment");
    QTest::newRow("command line") << QStringList{"-platformpluginpath", "@DIR@", "-plugin", "marker"} << QStringList();
    QTest::newRow("environment") << QStringList()
                                 << QStringList{"QT_PLUGIN_PATH=@DIR@", "QT_QPA_GENERIC_PLUGINS=marker"};
}

void TestStartUp::rootWindowLoadsNoPluginOfTheUser()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    if (::geteuid() != 0)
        QSKIP("the window confines itself only when it runs as root");

    // The user's plugin directory, with a plugin that leaves "loaded" beside itself when loaded.
    QTemporaryDir plugins;
    QTemporaryDir runtime;
    QVERIFY(plugins.isValid() && runtime.isValid());
    QVERIFY(QDir(plugins.path()).mkdir(QStringLiteral("generic")));
    const QString plugin = plugins.filePath(QStringLiteral("generic/libmarker.so"));
    QVERIFY(QFile::copy(QStringLiteral(FREQDECK_MARKER_PLUGIN), plugin));
    const QString marker = plugins.filePath(QStringLiteral("generic/loaded"));

    QProcessEnvironment env;
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    // The sanitizer build's settings (suppressions of Qt's own leaks) reach the window too.
    const QProcessEnvironment own = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"}) {
        if (own.contains(QLatin1String(name)))
            env.insert(QLatin1String(name), own.value(QLatin1String(name)));
    }
    // Root's own, so that Qt does not make one of its own in /tmp.
    env.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    for (QString entry : qAsConst(environment)) {
        entry.replace(QLatin1String("@DIR@"), plugins.path());
        env.insert(entry.section(QLatin1Char('='), 0, 0), entry.section(QLatin1Char('='), 1));
    }
    arguments.replaceInStrings(QStringLiteral("@DIR@"), plugins.path());

    QProcess window;
    window.setProcessEnvironment(env);
    window.setProcessChannelMode(QProcess::ForwardedOutputChannel);
    window.start(QStringLiteral(FREQDECK_BINARY), arguments);
    QVERIFY(window.waitForStarted());
    auto stop = qScopeGuard([&window] {
        window.kill();
        window.waitForFinished();
    });
    // Once the SIGTERM handler is there, the application object is built; ending the window through
    // its event loop gives Qt every chance to load what it was told to.
    QTRY_VERIFY_WITH_TIMEOUT(catches(window.processId(), SIGTERM) || window.state() != QProcess::Running, 60000);
    QCOMPARE(window.state(), QProcess::Running);
    ::kill(static_cast<pid_t>(window.processId()), SIGTERM);
    QVERIFY(window.waitForFinished(60000));
    QCOMPARE(window.exitStatus(), QProcess::NormalExit);
    QCOMPARE(window.exitCode(), 0);
    QVERIFY2(!QFileInfo::exists(marker), "the root window loaded the user's plugin");
    if (!arguments.isEmpty())
        QVERIFY2(window.readAllStandardError().contains("freqdeck: as root, ignoring the arguments "
                                                        + arguments.join(QLatin1Char(' ')).toLocal8Bit()),
                 "the window did not say which arguments it ignored");
}

void TestStartUp::rootKeepsItsSettingsInItsOwnHome()
{
    // As under sudo with the user's HOME kept: dialogs and settings would follow it there.
    qputenv("HOME", "/home/user");
    qputenv("XDG_CONFIG_HOME", "/home/user/.config");
    QByteArray program("freqdeck");
    QByteArray option("-stylesheet");
    QByteArray value("/home/user/evil.qss");
    char *argv[] = {program.data(), option.data(), value.data(), nullptr};
    int argc = 3;
    QCOMPARE(StartUp::confineRoot(argc, argv), (QList<QByteArray>{"-stylesheet", "/home/user/evil.qss"}));
    QCOMPARE(argc, 1);
    QCOMPARE(QByteArray(argv[0]), QByteArray("freqdeck"));
    QCOMPARE(argv[1], nullptr);
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::ConfigLocation), rootHome() + "/.config");
    QCOMPARE(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation), rootHome() + "/.cache");
    QCOMPARE(QDir::homePath(), rootHome());
}

// Both catalogues are complete and built in; the locale picks one, and a language without one
// stays in English.
void TestStartUp::catalogues()
{
    for (const char *language : {"de", "fr"}) {
        QFile catalogue(QStringLiteral(FREQDECK_SOURCE_DIR "/translations/freqdeck_%1.ts").arg(language));
        QVERIFY(catalogue.open(QIODevice::ReadOnly));
        const QByteArray text = catalogue.readAll();
        QVERIFY2(text.contains("<translation>"), language);
        QVERIFY2(!text.contains("type=\"unfinished\""),
                 qPrintable(QStringLiteral("%1 has untranslated texts").arg(language)));
    }

    QVERIFY(!StartUp::installTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
    QCOMPARE(QCoreApplication::translate("Profile", "Fast"), QString("Fast"));
    QVERIFY(StartUp::installTranslations(*QCoreApplication::instance(), QLocale(QLocale::French, QLocale::Canada)));
    QCOMPARE(QCoreApplication::translate("Profile", "Fast"), QString("Rapide"));
    QVERIFY(StartUp::installTranslations(*QCoreApplication::instance(), QLocale(QLocale::German, QLocale::Austria)));
    QCOMPARE(QCoreApplication::translate("Profile", "Fast"), QString("Schnell"));
    QCOMPARE(QCoreApplication::translate("AttributeHelp", "MHz"), QString("MHz"));
}

QTEST_GUILESS_MAIN(TestStartUp)
#include "teststartup.moc"
