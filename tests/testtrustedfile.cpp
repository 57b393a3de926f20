// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include "cliapp.h"
#include "mountnamespace.h"
#include "sysfsfixture.h"
#include "trustedfile.h"

// Which files root applies unattended: only those nobody but root can have written or swapped.
// Every tree is built on a tmpfs mounted over /tmp in this test's own mount namespace, so that the
// way to it (/ and /tmp) is root's and only root's, as /etc is on a real machine.
class TestTrustedFile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void refusesWhatOthersCouldChange();
    void loadTrustedOnlyRefusesAndSaysWhy();

private:
    bool mounted = false;
};

namespace
{
const uid_t nobody = 65534;

// Makes path a directory of the given mode, with its parents as root's 0755 directories.
void makeDirectory(const QString &path, mode_t mode = 0755)
{
    QVERIFY(QDir().mkpath(path));
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void makeFile(const QString &path, mode_t mode = 0644, const QByteArray &content = "[]\n")
{
    SysfsFixture::writePlainFile(path, content);
    QCOMPARE(::chmod(QFile::encodeName(path).constData(), mode), 0);
}

void chownTo(const QString &path, uid_t owner)
{
    QCOMPARE(::lchown(QFile::encodeName(path).constData(), owner, nobody), 0);
}

QString refusal(const QString &path)
{
    QString reason;
    return TrustedFile::check(path, &reason) ? QStringLiteral("trusted") : reason;
}
} // namespace

void TestTrustedFile::initTestCase()
{
    if (::geteuid() != 0)
        QSKIP("files of other users and root-owned directories need root");
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    struct stat st;
    if (::stat("/", &st) != 0 || st.st_uid != 0 || (st.st_mode & (S_IWGRP | S_IWOTH)) != 0)
        QSKIP("/ itself is not root's alone here, so no file could be trusted");
    QCOMPARE(::mount("tmpfs", "/tmp", "tmpfs", MS_NOSUID | MS_NODEV, "mode=0755"), 0);
    mounted = true;
}

void TestTrustedFile::cleanupTestCase()
{
    if (mounted)
        MountNamespace::unmount(QStringLiteral("/tmp"));
}

void TestTrustedFile::refusesWhatOthersCouldChange()
{
    // The accepted case: root's 0644 file in root's 0755 directories; also read through a link
    // that lies in such a directory.
    makeDirectory(QStringLiteral("/tmp/etc/freqdeck"));
    makeFile(QStringLiteral("/tmp/etc/freqdeck/settings.json"));
    QCOMPARE(refusal(QStringLiteral("/tmp/etc/freqdeck/settings.json")), QStringLiteral("trusted"));
    QVERIFY(QFile::link(QStringLiteral("freqdeck/settings.json"), QStringLiteral("/tmp/etc/link.json")));
    QCOMPARE(refusal(QStringLiteral("/tmp/etc/link.json")), QStringLiteral("trusted"));
    QVERIFY(QDir::setCurrent(QStringLiteral("/tmp/etc")));
    QCOMPARE(refusal(QStringLiteral("freqdeck/../freqdeck/settings.json")), QStringLiteral("trusted"));

    makeDirectory(QStringLiteral("/tmp/group"));
    makeFile(QStringLiteral("/tmp/group/settings.json"), 0664);
    QCOMPARE(refusal(QStringLiteral("/tmp/group/settings.json")),
             QStringLiteral("the file '/tmp/group/settings.json' is writable by its group (mode 0664)"));

    makeDirectory(QStringLiteral("/tmp/owner"));
    makeFile(QStringLiteral("/tmp/owner/settings.json"));
    chownTo(QStringLiteral("/tmp/owner/settings.json"), nobody);
    QCOMPARE(refusal(QStringLiteral("/tmp/owner/settings.json")),
             QStringLiteral("the file '/tmp/owner/settings.json' is owned by uid 65534, not by root"));

    // A sticky bit keeps others from renaming root's file, but not from planting their own first.
    makeDirectory(QStringLiteral("/tmp/public"), 01777);
    makeDirectory(QStringLiteral("/tmp/public/freqdeck"));
    makeFile(QStringLiteral("/tmp/public/freqdeck/settings.json"));
    QCOMPARE(refusal(QStringLiteral("/tmp/public/freqdeck/settings.json")),
             QStringLiteral("the directory '/tmp/public' is writable by everyone (mode 1777)"));

    makeDirectory(QStringLiteral("/tmp/home/user"));
    chownTo(QStringLiteral("/tmp/home/user"), nobody);
    makeFile(QStringLiteral("/tmp/home/user/settings.json"));
    QCOMPARE(refusal(QStringLiteral("/tmp/home/user/settings.json")),
             QStringLiteral("the directory '/tmp/home/user' is owned by uid 65534, not by root"));

    // A link in root's directory that leads into another user's is judged by where it leads; one
    // in another user's directory that leads back into root's by where it lies.
    QVERIFY(QFile::link(QStringLiteral("/tmp/home/user/settings.json"), QStringLiteral("/tmp/etc/away.json")));
    QCOMPARE(refusal(QStringLiteral("/tmp/etc/away.json")),
             QStringLiteral("the directory '/tmp/home/user' is owned by uid 65534, not by root"));
    QVERIFY(QFile::link(QStringLiteral("/tmp/etc/freqdeck"), QStringLiteral("/tmp/home/user/back")));
    QCOMPARE(refusal(QStringLiteral("/tmp/home/user/back/settings.json")),
             QStringLiteral("the directory '/tmp/home/user' is owned by uid 65534, not by root"));

    QCOMPARE(refusal(QStringLiteral("/tmp/etc/freqdeck")), QStringLiteral("'/tmp/etc/freqdeck' is not a regular file"));
    QCOMPARE(refusal(QStringLiteral("/tmp/etc/missing.json")),
             QStringLiteral("cannot resolve '/tmp/etc/missing.json': No such file or directory"));
}

void TestTrustedFile::loadTrustedOnlyRefusesAndSaysWhy()
{
    SysfsFixture machine;
    for (int core = 0; core < 2; ++core)
        machine.addTypicalCore(core);
    machine.writeCpuInfoForModel(QStringLiteral("Trusted Test CPU"), 2);
    const QString file = QStringLiteral("/tmp/cli/settings.json");
    makeDirectory(QStringLiteral("/tmp/cli"));

    const auto run = [&machine](const QStringList &arguments, QString *errors = nullptr) {
        QString outText;
        QString errText;
        QTextStream out(&outText);
        QTextStream err(&errText);
        const int status = CliApp(machine.cpuDir(), machine.cpuInfoPath(), out, err).run(arguments);
        err.flush();
        if (errors)
            *errors = errText;
        return status;
    };
    QCOMPARE(run({QStringLiteral("save"), file}), 0);
    machine.writeAttribute(1, QStringLiteral("scaling_governor"), "powersave\n");

    // Writable by everyone: the units' form refuses it and touches no core.
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0666), 0);
    QString errors;
    QCOMPARE(run({QStringLiteral("load"), QStringLiteral("--trusted-only"), file}, &errors), 2);
    QCOMPARE(errors, QStringLiteral("freqdeck-cli: refusing to load /tmp/cli/settings.json: the file "
                                    "'/tmp/cli/settings.json' is writable by everyone (mode 0666)\n"));
    QCOMPARE(machine.readAttribute(1, QStringLiteral("scaling_governor")), QByteArray("powersave\n"));

    // Someone at the keyboard who names the file (sudo freqdeck-cli load ~/file.json) still may.
    QCOMPARE(run({QStringLiteral("load"), file}), 0);
    QCOMPARE(machine.readAttribute(1, QStringLiteral("scaling_governor")), QByteArray("schedutil"));

    machine.writeAttribute(1, QStringLiteral("scaling_governor"), "powersave\n");
    QCOMPARE(::chmod(QFile::encodeName(file).constData(), 0644), 0);
    QCOMPARE(run({QStringLiteral("load"), QStringLiteral("--trusted-only"), file}), 0);
    QCOMPARE(machine.readAttribute(1, QStringLiteral("scaling_governor")), QByteArray("schedutil"));
}

FREQDECK_NAMESPACED_TEST_MAIN(QCoreApplication, TestTrustedFile)
#include "testtrustedfile.moc"
