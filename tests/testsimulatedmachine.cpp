// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QCheckBox>
#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStackedLayout>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

#include "corenavigator.h"
#include "cpuinfo.h"
#include "displaycorepage.h"
#include "imageswitch.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "mountedsim.h"
#include "mountnamespace.h"
#include "policydisplaywidget.h"
#include "policyeditorwidget.h"
#include "processorpanel.h"
#include "sampler.h"
#include "switchbutton.h"

// The window on a simulated machine, used as a person would: clicks on the profile selector, the
// navigation, the online switch and the buttons, typing into the editors, answering the file
// dialogs. What happened is read from the simulator's files and from what the window shows.
class TestSimulatedMachine : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();

    void powersaveFromTheOverview();
    void coreOffAndOnFromItsPage();
    void refusedPreferenceIsReported_data();
    void refusedPreferenceIsReported();
    void processorPanel_data();
    void processorPanel();
    void savedSettingsComeBack();
    void lastOfManyCores();
    void sharedPolicyFromCpu1sPage();
    void oneGroupFromTheOverview_data();
    void oneGroupFromTheOverview();
};

namespace
{
const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);
const int cpus = 8;

#define START_SIM(sim)                                \
    do {                                              \
        QString why;                                  \
        QVERIFY2((sim).start(&why), qPrintable(why)); \
    } while (false)

// The whole text of a file as read(2) gives it; the errno of a failed open or read, or 0.
QByteArray readFile(const QString &path, int *error = nullptr)
{
    QByteArray text;
    int err = 0;
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
    } else {
        char buf[4096];
        ssize_t n;
        while ((n = ::read(fd, buf, sizeof buf)) > 0)
            text.append(buf, static_cast<int>(n));
        if (n < 0)
            err = errno;
        ::close(fd);
    }
    if (error)
        *error = err;
    return text;
}

bool writeFile(const QString &path, const QByteArray &text)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Unbuffered) && file.write(text) == text.size();
}

// The settings of every simulated CPU as the kernel's files give them.
struct CpuState {
    QByteArray online, governor, minFreq, maxFreq;
    bool operator==(const CpuState &o) const
    {
        return online == o.online && governor == o.governor && minFreq == o.minFreq && maxFreq == o.maxFreq;
    }
};
QList<CpuState> machineState(const MountedSim &sim)
{
    QList<CpuState> state;
    for (int i = 0; i < cpus; ++i) {
        // cpu0 has no switch, as on x86.
        const QByteArray online =
            i == 0 ? QByteArray("1\n") : readFile(sim.cpu() + QStringLiteral("/cpu%1/online").arg(i));
        state << CpuState{online, readFile(sim.policy(i, "scaling_governor")),
                          readFile(sim.policy(i, "scaling_min_freq")), readFile(sim.policy(i, "scaling_max_freq"))};
    }
    return state;
}

char *describe(const QList<CpuState> &state)
{
    QByteArray text;
    for (int i = 0; i < state.size(); ++i) {
        QByteArray cpu = state[i].online + state[i].governor + state[i].minFreq + state[i].maxFreq;
        text += QByteArray::number(i) + ": " + cpu.replace('\n', ' ') + "| ";
    }
    return qstrdup(text.constData());
}

SwitchButton *navigation(MainWindow &window)
{
    for (SwitchButton *candidate : window.findChildren<SwitchButton *>()) {
        if (candidate->parent() == &window)
            return candidate;
    }
    return nullptr;
}

SwitchButton *profileSelector(MainWindow &window)
{
    auto *overview = window.findChild<MainPage *>();
    return overview ? overview->findChild<SwitchButton *>() : nullptr;
}

void clickSegment(SwitchButton *bar, int index)
{
    QVERIFY(bar && bar->count() > index);
    const int pitch = bar->width() / bar->count();
    QTest::mouseClick(bar, Qt::LeftButton, Qt::NoModifier, QPoint(index * pitch + pitch / 2, bar->height() / 2));
}

// Clicks the navigation's segment of the core and returns its page, now shown.
DisplayCorePage *openCorePage(MainWindow &window, int core)
{
    clickSegment(navigation(window), core + 1);
    auto *page = qobject_cast<DisplayCorePage *>(window.findChild<QStackedLayout *>()->currentWidget());
    return page && page->isVisible() ? page : nullptr;
}

void openOverview(MainWindow &window)
{
    clickSegment(navigation(window), 0);
}

QString overviewText(MainWindow &window)
{
    auto *label = window.findChild<QLabel *>(QStringLiteral("overview"));
    return label ? label->text() : QString();
}

QString shownValue(DisplayCorePage *page, const QString &attribute)
{
    auto *label = page->findChild<PolicyDisplayWidget *>()->findChild<QLabel *>(attribute);
    return label ? label->text() : QStringLiteral("<no row for %1>").arg(attribute);
}

// The editor's result line: the only label with word wrap.
QLabel *messageLabel(PolicyEditorWidget *editor)
{
    for (QLabel *label : editor->findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->wordWrap())
            return label;
    }
    return nullptr;
}

QPushButton *button(QWidget *parent, const QString &text)
{
    for (QPushButton *b : parent->findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// The spin box beside a frequency slider: the one showing the slider's value, in the same row.
QSpinBox *spinBoxBeside(PolicyEditorWidget *editor, QSlider *slider)
{
    for (QSpinBox *spin : editor->findChildren<QSpinBox *>()) {
        const int rowDistance = spin->geometry().center().y() - slider->geometry().center().y();
        if (spin->value() == slider->value() && qAbs(rowDistance) < 10)
            return spin;
    }
    return nullptr;
}

// Replaces a field's text by typing, as a person does.
void typeInto(QWidget *field, const QString &text)
{
    field->setFocus();
    QTest::keyClick(field, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(field, Qt::Key_Backspace);
    QTest::keyClicks(field, text);
}

// Answers the next file dialog with the given path, from inside its event loop.
void answerFileDialog(const QString &path)
{
    QTimer::singleShot(0, [path] {
        QTRY_VERIFY(qobject_cast<QFileDialog *>(QApplication::activeModalWidget()));
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        dialog->selectFile(path);
        QMetaObject::invokeMethod(dialog, "accept");
    });
}
// The simulator's write log (--write-log) from line from on, counted per "policyN/attribute".
QMap<QString, int> writesLogged(const QString &log, int from = 0)
{
    QMap<QString, int> counts;
    const QList<QByteArray> lines = readFile(log).split('\n');
    for (int i = from; i < lines.size(); ++i) {
        if (!lines.at(i).isEmpty())
            ++counts[QString::fromUtf8(lines.at(i)).section(QLatin1Char(' '), 0, 0).section(QLatin1Char('/'), -2)];
    }
    return counts;
}
} // namespace

namespace QTest
{
template<>
inline char *toString(const CpuState &cpu)
{
    return describe({cpu});
}
} // namespace QTest

void TestSimulatedMachine::initTestCase()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
}

// The window as the program builds it, over the machine's own paths, which show the simulator.
// Only root can bind it there; a user's window reads the simulator where it is mounted.
void TestSimulatedMachine::powersaveFromTheOverview()
{
    MountedSim sim(simulator);
    START_SIM(sim);
    const bool ownPaths = ::geteuid() == 0 && MountNamespace::available();
    auto unbind = qScopeGuard([ownPaths] {
        if (ownPaths) {
            MountNamespace::unmount(QStringLiteral("/proc/cpuinfo"));
            MountNamespace::unmount(QStringLiteral("/sys/devices/system/cpu"));
        }
    });
    std::unique_ptr<CPUInfo> info;
    std::unique_ptr<MainWindow> shown;
    if (ownPaths) {
        QVERIFY2(MountNamespace::bind(sim.cpu(), QStringLiteral("/sys/devices/system/cpu")),
                 qPrintable(MountNamespace::reason()));
        QVERIFY2(MountNamespace::bind(sim.cpuInfo(), QStringLiteral("/proc/cpuinfo")),
                 qPrintable(MountNamespace::reason()));
        shown = std::make_unique<MainWindow>();
    } else {
        qInfo("Not root: the window reads the simulator at %s", qPrintable(sim.mnt()));
        info = std::make_unique<CPUInfo>(sim.cpu(), sim.cpuInfo());
        shown = std::make_unique<MainWindow>(*info);
    }
    MainWindow &window = *shown;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(navigation(window)->count(), cpus + 1);
    QVERIFY(window.findChild<MainPage *>()->findChildren<QLabel *>().first()->text().contains("i7-4770"));
    for (const CpuState &cpu : machineState(sim)) {
        QCOMPARE(cpu.governor, QByteArray("schedutil\n"));
        QCOMPARE(cpu.maxFreq, QByteArray("3400000\n"));
    }
    SwitchButton *profiles = profileSelector(window);
    QVERIFY(profiles->currentText() != QLatin1String("Powersave"));

    clickSegment(profiles, GOVERN_POWERSAVE);
    QCOMPARE(profiles->currentText(), QString("Powersave"));
    for (const CpuState &cpu : machineState(sim))
        QCOMPARE(cpu, (CpuState{"1\n", "powersave\n", "800000\n", "800000\n"}));
    // The frequencies follow, in the simulator and, with the next refreshes, in the overview.
    for (int i = 0; i < cpus; ++i)
        QTRY_COMPARE(readFile(sim.policy(i, "scaling_cur_freq")), QByteArray("800000\n"));
    for (int i = 0; i < cpus; ++i) {
        const QString line =
            QStringLiteral("CPU %1 : isEnabled = 1,\t scaling_cur_freq = 800 MHz,\t cpuinfo_cur_freq = 800 MHz\n")
                .arg(i);
        QTRY_VERIFY2(overviewText(window).contains(line), qPrintable(overviewText(window)));
    }

    DisplayCorePage *page = openCorePage(window, 6);
    QVERIFY(page);
    QTRY_COMPARE(shownValue(page, "scaling_governor"), QString("powersave"));
    QCOMPARE(shownValue(page, "scaling_max_freq"), QString("800 MHz"));
    QTRY_COMPARE(shownValue(page, "scaling_cur_freq"), QString("800 MHz"));
}

void TestSimulatedMachine::coreOffAndOnFromItsPage()
{
    MountedSim sim(simulator);
    START_SIM(sim);
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString online = sim.cpu() + QStringLiteral("/cpu3/online");

    DisplayCorePage *page = openCorePage(window, 3);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *onlineSwitch = editor->findChild<ImageSwitch *>();
    QVERIFY(onlineSwitch->getChecked());
    QCOMPARE(readFile(online), QByteArray("1\n"));

    QTest::mouseClick(onlineSwitch, Qt::LeftButton);
    QCOMPARE(readFile(online), QByteArray("0\n"));
    QCOMPARE(readFile(sim.cpu() + "/online"), QByteArray("0-2,4-7\n"));
    QCOMPARE(readFile(sim.cpu() + "/offline"), QByteArray("3\n"));
    QCOMPARE(readFile(sim.cpuInfo()).count("processor\t:"), cpus - 1);
    int error = 0;
    readFile(sim.policy(3, "scaling_governor"), &error);
    QCOMPARE(error, EBUSY);
    QVERIFY(!onlineSwitch->getChecked());
    QCOMPARE(messageLabel(editor)->text(), QString("Succeed"));
    // Refreshes re-read the core from the kernel; the switch still shows it off.
    auto *sampler = window.findChild<Sampler *>();
    auto *refresh = sampler->findChild<QTimer *>();
    for (int i = 0; i < 2; ++i) {
        QVERIFY(QMetaObject::invokeMethod(refresh, "timeout"));
        QTRY_VERIFY_WITH_TIMEOUT(!sampler->busy(), 60000);
    }
    QVERIFY(!onlineSwitch->getChecked());
    // The kernel answers every read of an offline policy with EBUSY: no value, and it says so.
    QCOMPARE(shownValue(page, "scaling_governor"), QString("unreadable"));

    // The overview tells, and no profile holds with a core off.
    openOverview(window);
    QTRY_VERIFY2(overviewText(window).contains("CPU 3 : isEnabled = 0,"), qPrintable(overviewText(window)));
    QVERIFY(overviewText(window).contains("CPU 4 : isEnabled = 1,"));
    QCOMPARE(profileSelector(window)->currentText(), QString("Custom"));

    page = openCorePage(window, 3);
    QTest::mouseClick(onlineSwitch, Qt::LeftButton);
    QCOMPARE(readFile(online), QByteArray("1\n"));
    QCOMPARE(readFile(sim.cpu() + "/online"), QByteArray("0-7\n"));
    QCOMPARE(readFile(sim.policy(3, "scaling_governor")), QByteArray("schedutil\n"));
    QVERIFY(onlineSwitch->getChecked());
    QTRY_COMPARE(shownValue(page, "scaling_governor"), QString("schedutil"));

    // The boot CPU has no switch in sysfs: the refusal is shown and the switch stays on.
    page = openCorePage(window, 0);
    auto *bootEditor = page->findChild<PolicyEditorWidget *>();
    auto *bootSwitch = bootEditor->findChild<ImageSwitch *>();
    QTest::mouseClick(bootSwitch, Qt::LeftButton);
    QVERIFY(bootSwitch->getChecked());
    QCOMPARE(messageLabel(bootEditor)->text(), QString::fromUtf8(std::strerror(ENOENT)));
    QCOMPARE(messageLabel(bootEditor)->styleSheet(), QString("color: #CC0000"));
    QCOMPARE(readFile(sim.cpu() + "/online"), QByteArray("0-7\n"));
}

void TestSimulatedMachine::refusedPreferenceIsReported_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("intel_pstate") << "intel_pstate";
    QTest::newRow("amd-pstate-epp") << "amd-pstate-epp";
}

void TestSimulatedMachine::refusedPreferenceIsReported()
{
    QFETCH(QString, driver);
    MountedSim sim(simulator, {QStringLiteral("--driver"), driver});
    START_SIM(sim);
    // The core runs the performance governor, which holds its preference at "performance".
    QVERIFY(writeFile(sim.policy(2, "scaling_governor"), "performance"));
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const QString eppPath = sim.policy(2, "energy_performance_preference");
    QCOMPARE(readFile(eppPath), QByteArray("performance\n"));

    DisplayCorePage *page = openCorePage(window, 2);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *epp = editor->findChild<QComboBox *>(QStringLiteral("energy_performance_preference"));
    auto *governor = editor->findChild<QComboBox *>(QStringLiteral("scaling_governor"));
    auto *maxSlider = editor->findChild<QSlider *>(QStringLiteral("scaling_max_freq"));
    QVERIFY(epp && governor && maxSlider);
    QSpinBox *maxSpin = spinBoxBeside(editor, maxSlider);
    QVERIFY(maxSpin);
    // The drop-down offers the driver's list.
    QCOMPARE(epp->count(), 5);
    QCOMPARE(epp->currentText(), QString("performance"));

    // A preference from the list under the performance governor, and a limit the driver takes.
    epp->setCurrentIndex(epp->findText(QStringLiteral("power")));
    typeInto(maxSpin, QStringLiteral("3000"));
    QTest::mouseClick(button(editor, QStringLiteral("Apply")), Qt::LeftButton);
    QCOMPARE(messageLabel(editor)->text(),
             QString("1 succeed, 1 failed. Device or resource busy (the performance governor holds the energy "
                     "preference at \"performance\"; choose another governor first)"));
    QCOMPARE(messageLabel(editor)->styleSheet(), QString("color: #CC0000"));
    QCOMPARE(readFile(eppPath), QByteArray("performance\n"));
    QCOMPARE(readFile(sim.policy(2, "scaling_max_freq")), QByteArray("3000000\n"));
    QTRY_COMPARE(shownValue(page, "scaling_max_freq"), QString("3000 MHz"));
    QCOMPARE(epp->currentText(), QString("performance"));

    // With another governor in the same Apply, the preference is taken.
    governor->setCurrentText(QStringLiteral("powersave"));
    epp->setCurrentIndex(epp->findText(QStringLiteral("power")));
    QTest::mouseClick(button(editor, QStringLiteral("Apply")), Qt::LeftButton);
    QCOMPARE(messageLabel(editor)->text(), QString("2 succeed, 0 failed."));
    QCOMPARE(readFile(eppPath), QByteArray("power\n"));
    QTRY_COMPARE(shownValue(page, "energy_performance_preference"), QString("power"));
}

void TestSimulatedMachine::processorPanel_data()
{
    QTest::addColumn<QString>("driver");
    QTest::newRow("acpi-cpufreq") << "acpi-cpufreq";
    QTest::newRow("intel_pstate") << "intel_pstate";
    QTest::newRow("amd-pstate-epp") << "amd-pstate-epp";
}

// The panel shows what the flavour has and switches it; the core page edits the bias. Where
// FREQDECK_SHOTS names a directory, the overview is saved there as processor-DRIVER.png.
void TestSimulatedMachine::processorPanel()
{
    QFETCH(QString, driver);
    MountedSim sim(simulator, {QStringLiteral("--driver"), driver, QStringLiteral("--cpus"), QStringLiteral("4")});
    START_SIM(sim);
    const bool intel = driver == QLatin1String("intel_pstate");
    const bool amd = driver == QLatin1String("amd-pstate-epp");
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.resize(1366, 768);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *panel = window.findChild<ProcessorPanel *>();
    QVERIFY(panel && panel->isVisible());
    auto *boost = panel->findChild<QCheckBox *>(QStringLiteral("boost"));
    auto *mode = panel->findChild<QComboBox *>(QStringLiteral("mode"));
    QVERIFY(boost && mode);
    QCOMPARE(boost->isVisible(), !amd); // amd-pstate-epp has no boost file in active mode
    QCOMPARE(mode->isVisible(), intel || amd);
    QCOMPARE(panel->findChild<QSpinBox *>(QStringLiteral("max_perf_pct"))->isVisible(), intel);
    QCOMPARE(panel->findChild<QLabel *>(QStringLiteral("prefcore"))->isVisible(), amd);
    if (amd)
        QVERIFY(panel->findChild<QLabel *>(QStringLiteral("prefcore"))->text().contains(QLatin1String("1:231")));

    const QString shots = qEnvironmentVariable("FREQDECK_SHOTS");
    if (!shots.isEmpty())
        QVERIFY(window.grab().save(QDir(shots).filePath(QStringLiteral("processor-%1.png").arg(driver))));

    if (!amd) {
        const QString file = sim.cpu() + (intel ? "/intel_pstate/no_turbo" : "/cpufreq/boost");
        QVERIFY(boost->isChecked());
        boost->setFocus();
        QTest::keyClick(boost, Qt::Key_Space);
        QCOMPARE(readFile(file), QByteArray(intel ? "1\n" : "0\n"));
        QVERIFY(!boost->isChecked());
        QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), readFile(sim.policy(1, "cpuinfo_max_freq")));
        QCOMPARE(readFile(sim.policy(1, "cpuinfo_max_freq")), QByteArray(intel ? "3400000\n" : "3200000\n"));
    }
    if (intel || amd) {
        QVERIFY(writeFile(sim.policy(1, "scaling_max_freq"), "3000000"));
        const ApplyReport report = panel->switchMode(QStringLiteral("passive"), true);
        QCOMPARE(readFile(sim.cpu() + (intel ? "/intel_pstate/status" : "/amd_pstate/status")),
                 QByteArray("passive\n"));
        QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), QByteArray("3000000\n"));
        QCOMPARE(report.failures.size(), 4); // the preferences, which passive mode lacks
        QCOMPARE(mode->currentText(), QString("passive"));
        QCOMPARE(boost->isVisible(), true); // amd-pstate too has the boost file now
    }

    DisplayCorePage *page = openCorePage(window, 3);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *bias = editor->findChild<QSpinBox *>(QStringLiteral("energy_perf_bias"));
    QCOMPARE(bias != nullptr, !amd);
    if (bias) {
        QCOMPARE(bias->value(), 6);
        typeInto(bias, QStringLiteral("11"));
        QTest::mouseClick(button(editor, QStringLiteral("Apply")), Qt::LeftButton);
        QCOMPARE(messageLabel(editor)->text(), QString("1 succeed, 0 failed."));
        QCOMPARE(readFile(sim.cpu() + "/cpu3/power/energy_perf_bias"), QByteArray("11\n"));
    }
}

void TestSimulatedMachine::savedSettingsComeBack()
{
    MountedSim sim(simulator);
    START_SIM(sim);
    QTemporaryDir files;
    QVERIFY(files.isValid());
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Settings of the user's own: core 2 on ondemand up to 2000 MHz, core 5 off.
    DisplayCorePage *page = openCorePage(window, 2);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *governor = editor->findChild<QComboBox *>(QStringLiteral("scaling_governor"));
    auto *maxSlider = editor->findChild<QSlider *>(QStringLiteral("scaling_max_freq"));
    QVERIFY(governor && maxSlider);
    governor->setFocus();
    QTest::keyClicks(governor, QStringLiteral("ondemand"));
    QCOMPARE(governor->currentText(), QString("ondemand"));
    typeInto(spinBoxBeside(editor, maxSlider), QStringLiteral("2000"));
    QTest::mouseClick(button(editor, QStringLiteral("Apply")), Qt::LeftButton);
    QCOMPARE(messageLabel(editor)->text(), QString("2 succeed, 0 failed."));
    page = openCorePage(window, 5);
    QTest::mouseClick(page->findChild<ImageSwitch *>(), Qt::LeftButton);
    openOverview(window);

    const QList<CpuState> saved = machineState(sim);
    QCOMPARE(saved[2], (CpuState{"1\n", "ondemand\n", "800000\n", "2000000\n"}));
    QCOMPARE(saved[5].online, QByteArray("0\n"));
    QCOMPARE(saved[4], (CpuState{"1\n", "schedutil\n", "800000\n", "3400000\n"}));

    auto *overview = window.findChild<MainPage *>();
    answerFileDialog(files.filePath(QStringLiteral("mine")));
    QTest::mouseClick(button(overview, QStringLiteral("Save Settings")), Qt::LeftButton);
    QFile file(files.filePath(QStringLiteral("mine.json")));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QJsonArray cores = QJsonDocument::fromJson(file.readAll()).array();
    // One entry per core, and the processor-wide settings after them.
    QCOMPARE(cores.size(), cpus + 1);
    QVERIFY(cores.last().toObject().contains("processor"));
    const QJsonObject core2 = cores[2].toObject().value("policies").toObject();
    QCOMPARE(core2.value("scaling_governor").toString(), QString("ondemand"));
    QCOMPARE(core2.value("scaling_max_freq").toString(), QString("2000000"));
    QCOMPARE(cores[5].toObject().value("isEnabled"), QJsonValue(false));

    // Changed from the overview: every core on, at full speed.
    clickSegment(profileSelector(window), GOVERN_PERFORMANCE);
    for (const CpuState &cpu : machineState(sim))
        QCOMPARE(cpu, (CpuState{"1\n", "performance\n", "800000\n", "3400000\n"}));
    QTRY_VERIFY2(overviewText(window).contains("CPU 5 : isEnabled = 1,"), qPrintable(overviewText(window)));
    page = openCorePage(window, 2);
    QTRY_COMPARE(shownValue(page, "scaling_governor"), QString("performance"));
    QCOMPARE(shownValue(page, "scaling_max_freq"), QString("3400 MHz"));
    openOverview(window);

    answerFileDialog(file.fileName());
    QTest::mouseClick(button(overview, QStringLiteral("Load Settings")), Qt::LeftButton);
    QCOMPARE(machineState(sim), saved);
    QVERIFY2(overviewText(window).contains("CPU 5 : isEnabled = 0,"), qPrintable(overviewText(window)));
    QCOMPARE(profileSelector(window)->currentText(), QString("Custom"));
    page = openCorePage(window, 2);
    QTRY_COMPARE(shownValue(page, "scaling_governor"), QString("ondemand"));
    QCOMPARE(shownValue(page, "scaling_max_freq"), QString("2000 MHz"));
}

// A 256-CPU machine on a 1366x768 screen: the navigator reaches the last CPU, whose page shows the
// simulator's values and follows a change made behind the window's back.
void TestSimulatedMachine::lastOfManyCores()
{
    const int many = 256;
    MountedSim sim(simulator, {QStringLiteral("--cpus"), QString::number(many)});
    START_SIM(sim);
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    QCOMPARE(static_cast<int>(info.cores.size()), many);
    MainWindow window(info);
    window.resize(1200, 650);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(!navigation(window)->isVisible());
    auto *navigator = window.findChild<QWidget *>(QStringLiteral("CoreNavigator"));
    QVERIFY(navigator && navigator->isVisible());
    QVERIFY(window.rect().contains(QRect(navigator->mapTo(&window, QPoint()), navigator->size())));

    auto *jump = navigator->findChild<QLineEdit *>();
    QTest::keyClicks(jump, QString::number(many - 1));
    QTest::keyClick(jump, Qt::Key_Return);
    auto *page = qobject_cast<DisplayCorePage *>(window.findChild<QStackedLayout *>()->currentWidget());
    QVERIFY(page && page->isVisible());
    auto *editor = page->findChild<PolicyEditorWidget *>();
    QCOMPARE(editor->findChildren<QLabel *>().value(0)->text(), QStringLiteral("CPU %1").arg(many - 1));
    QCOMPARE(window.findChildren<DisplayCorePage *>().size(), 1); // no other page was built

    // Every attribute as the simulator gives it; the current frequencies move on by themselves and
    // only have to lie within the limits.
    QTRY_VERIFY_WITH_TIMEOUT(!window.findChild<Sampler *>()->busy(), 60000); // 256 cores, slow under sanitizers
    const QDir policy(QFileInfo(sim.policy(many - 1, QStringLiteral("scaling_governor"))).path());
    const QStringList names = policy.entryList(QDir::Files);
    QVERIFY(names.size() > 10);
    for (const QString &name : names) {
        int error = 0;
        CPUPolicy expected;
        expected.name = name;
        expected.value = QString::fromLatin1(readFile(policy.filePath(name), &error).trimmed());
        if (error != 0 || name.endsWith(QLatin1String("cur_freq")))
            continue;
        QCOMPARE(shownValue(page, name), PolicyDisplayWidget::processPolicyValue(expected));
    }
    const int shownMHz = shownValue(page, QStringLiteral("scaling_cur_freq")).section(' ', 0, 0).toInt();
    QVERIFY2(shownMHz >= 800 && shownMHz <= 3400, qPrintable(shownValue(page, "scaling_cur_freq")));

    // Another program lowers the limit: the page follows within a refresh or two.
    QFile limit(sim.policy(many - 1, QStringLiteral("scaling_max_freq")));
    QVERIFY(limit.open(QIODevice::WriteOnly | QIODevice::Unbuffered));
    QVERIFY(limit.write("1600000") > 0);
    limit.close();
    QTRY_COMPARE_WITH_TIMEOUT(shownValue(page, QStringLiteral("scaling_max_freq")), QString("1600 MHz"), 10000);
}

// On big.LITTLE, cpu1's page edits the little cluster's policy: it says so, its write reaches
// every CPU of the cluster and no other, and cpu2's page, built before, shows the new limit the
// moment it reappears, before any refresh has read it. The navigation names each CPU's kind, and
// the list of cores has the clusters under headings that cannot be chosen.
void TestSimulatedMachine::sharedPolicyFromCpu1sPage()
{
    MountedSim sim(simulator, {"--machine", "biglittle"});
    START_SIM(sim);
    CPUInfo info(sim.sys() + "/devices/system/cpu", sim.cpuInfo());
    MainWindow window(info);
    window.resize(1200, 650);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QCOMPARE(navigation(window)->getText(2), QString("Core 1 (E)"));
    QCOMPARE(navigation(window)->getText(5), QString("Core 4 (P)"));

    DisplayCorePage *sibling = openCorePage(window, 2);
    QVERIFY(sibling);
    QCOMPARE(shownValue(sibling, "scaling_max_freq"), QString("1800 MHz"));
    DisplayCorePage *page = openCorePage(window, 1);
    QVERIFY(page);
    auto *note = page->findChild<QLabel *>("policyNote");
    QVERIFY(note && note->isVisible());
    QCOMPARE(note->text(),
             QString("Efficient core · policy 0, shared by CPUs 0–3\nA change here applies to all of them."));
    auto *editor = page->findChild<PolicyEditorWidget *>();
    QSpinBox *maxSpin = spinBoxBeside(editor, editor->findChild<QSlider *>("scaling_max_freq"));
    QVERIFY(maxSpin);
    typeInto(maxSpin, "1200");
    QTest::mouseClick(button(editor, "Apply"), Qt::LeftButton);
    for (int cpu = 0; cpu < 8; ++cpu) {
        const QString file = sim.cpu() + QStringLiteral("/cpu%1/cpufreq/scaling_max_freq").arg(cpu);
        QCOMPARE(readFile(file), QByteArray(cpu < 4 ? "1200000\n" : "2400000\n"));
    }
    QCOMPARE(openCorePage(window, 2), sibling);
    QCOMPARE(shownValue(sibling, "scaling_max_freq"), QString("1200 MHz"));

    auto *list = window.findChild<CoreNavigator *>()->findChild<QComboBox *>();
    QCOMPARE(list->count(), 10);
    QCOMPARE(list->itemText(0), QString("E-cores · policy 0 (CPUs 0–3)"));
    QCOMPARE(list->itemText(5), QString("P-cores · policy 4 (CPUs 4–7)"));
    QVERIFY(!(list->model()->flags(list->model()->index(5, 0)) & Qt::ItemIsEnabled));
    emit list->activated(6);
    QCOMPARE(window.currentPage(), 5);
}

void TestSimulatedMachine::oneGroupFromTheOverview_data()
{
    QTest::addColumn<QString>("machine");
    QTest::addColumn<QString>("group");
    QTest::addColumn<QVector<int>>("policies");
    QTest::addColumn<int>("limit");
    QTest::newRow("hybrid") << "hybrid"
                            << "E-cores (CPUs 12–19)" << QVector<int>{12, 13, 14, 15, 16, 17, 18, 19} << 2000;
    QTest::newRow("biglittle") << "biglittle"
                               << "E-cores · policy 0 (CPUs 0–3)" << QVector<int>{0} << 1200;
}

// Explicit limits and then a profile for the E-cores, from the overview: each reaches exactly the
// E-cores' policies, with one write per policy and attribute, as the simulator logged them.
void TestSimulatedMachine::oneGroupFromTheOverview()
{
    QFETCH(QString, machine);
    QFETCH(QString, group);
    QFETCH(QVector<int>, policies);
    QFETCH(int, limit);
    QTemporaryDir logDir;
    const QString log = logDir.filePath("writes");
    MountedSim sim(simulator, {"--machine", machine, "--write-log", log});
    START_SIM(sim);
    CPUInfo info(sim.sys() + "/devices/system/cpu", sim.cpuInfo());
    MainWindow window(info);
    window.resize(1200, 650);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    auto *overview = window.findChild<MainPage *>();
    auto *groups = overview->findChild<QComboBox *>("groupChoice");
    QVERIFY(groups);
    groups->setCurrentIndex(groups->findText(group));
    QVERIFY(groups->currentIndex() > 0);

    typeInto(overview->findChild<QSpinBox *>("maxLimit"), QString::number(limit));
    QTest::mouseClick(overview->findChild<QPushButton *>("applyLimits"), Qt::LeftButton);
    QMap<QString, int> expected;
    for (const int policy : policies) {
        expected[QStringLiteral("policy%1/scaling_min_freq").arg(policy)] = 1;
        expected[QStringLiteral("policy%1/scaling_max_freq").arg(policy)] = 1;
        QCOMPARE(readFile(sim.policy(policy, "scaling_max_freq")), QByteArray::number(limit * 1000) + '\n');
    }
    QCOMPARE(writesLogged(log), expected);

    const int before = readFile(log).count('\n');
    SwitchButton *profiles = profileSelector(window);
    QTest::mouseClick(profiles, Qt::LeftButton, Qt::NoModifier, profiles->segmentRect(GOVERN_POWERSAVE).center());
    for (const int policy : policies)
        expected[QStringLiteral("policy%1/scaling_governor").arg(policy)] = 1;
    QCOMPARE(writesLogged(log, before), expected);
    QCOMPARE(readFile(sim.policy(policies.first(), "scaling_governor")), QByteArray("powersave\n"));
    QCOMPARE(overview->findChild<QFrame *>("notice")->isVisible(), false);
}

int main(int argc, char **argv)
{
    // Only root enters a mount namespace of its own. A user's would sit inside a user namespace,
    // where neither the simulator's mount(2) nor fusermount3 may mount; the user's simulator mounts
    // where the user stands, and only the test over the machine's own paths is skipped.
    if (::geteuid() == 0)
        MountNamespace::enter();
    QApplication app(argc, argv);
    TestSimulatedMachine tc;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&tc, argc, argv);
}
#include "testsimulatedmachine.moc"
