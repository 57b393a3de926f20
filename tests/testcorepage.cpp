// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QComboBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QTranslator>

#include <QStackedLayout>

#include <fcntl.h>
#include <unistd.h>

#include <QTreeWidget>

#include "capchainview.h"
#include "corenavigator.h"
#include "cpucore.h"
#include "cpuinfo.h"
#include "displaycorepage.h"
#include "heatmap.h"
#include "imageswitch.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "monitorhistory.h"
#include "monitorview.h"
#include "mountedsim.h"
#include "policydisplaywidget.h"
#include "policyeditorwidget.h"
#include "startup.h"
#include "switchbutton.h"
#include "sysfsfixture.h"

// The page of one core: the attribute list, the editor, and the page that holds both.
class TestCorePage : public QObject
{
    Q_OBJECT

private slots:
    void displayText_data();
    void displayText();
    void displayRows();
    void displayRefreshesInPlace();

    void editorLines();
    void governorNotListed();
    void sliderAndSpinBoxFollowEachOther();
    void applyWithoutChanges();
    void applyWritesChanges();
    void applyReportsRefusedWrites();
    void onlineSwitch();
    void sliderJumpsToClick();

    void pageLayoutAndRefreshOrder();
    void renderPage();

    void editorFollowsTheKernel();
    void governorAndPreferenceInOneApply();
    void setspeedInMegahertzAndEditorsNamed();
    void pseudoLocale();
    void keyboardOnlyRound();
    void governorListWhole();
    void capChainFollowsTheMachine();
    void monitorRecordsWhatTheRefreshReads();
};

namespace
{
CPUPolicy record(const QString &name, const QString &value)
{
    CPUPolicy policy;
    policy.name = name;
    policy.value = value;
    return policy;
}

QString messageText(PolicyEditorWidget &editor)
{
    // The message label is the only label with word wrap.
    for (QLabel *label : editor.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->wordWrap())
            return label->text();
    }
    return QStringLiteral("<no message label>");
}

QString messageStyle(PolicyEditorWidget &editor)
{
    for (QLabel *label : editor.findChildren<QLabel *>(QString(), Qt::FindDirectChildrenOnly)) {
        if (label->wordWrap())
            return label->styleSheet();
    }
    return QString();
}

void clickApply(PolicyEditorWidget &editor)
{
    for (QPushButton *button : editor.findChildren<QPushButton *>()) {
        if (button->text() == "Apply") {
            QTest::mouseClick(button, Qt::LeftButton);
            return;
        }
    }
    QFAIL("no Apply button");
}

const QString simulator = QStringLiteral(FREQDECK_CPUFREQ_SIM);

// What the kernel's files say, read as another program reads them.
QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly | QIODevice::Unbuffered) ? file.readAll() : QByteArray();
}

// A change made behind the window's back, as another program makes it: one write(2).
bool writeFile(const QString &path, const QByteArray &text)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool written = ::write(fd, text.constData(), static_cast<size_t>(text.size())) == text.size();
    ::close(fd);
    return written;
}

// Every setting of one simulated CPU that the editor could write.
QMap<QString, QByteArray> settingsOf(const MountedSim &sim, int cpu)
{
    QMap<QString, QByteArray> files;
    for (const char *name : {"scaling_governor", "scaling_min_freq", "scaling_max_freq", "scaling_setspeed",
                             "energy_performance_preference"})
        files.insert(name, readFile(sim.policy(cpu, name)));
    files.insert("online", readFile(sim.cpu() + QStringLiteral("/cpu%1/online").arg(cpu)));
    return files;
}

// Clicks the window's navigation segment of the core and returns its page, now shown.
DisplayCorePage *openCorePage(MainWindow &window, int core)
{
    for (SwitchButton *nav : window.findChildren<SwitchButton *>()) {
        if (nav->parent() != &window)
            continue;
        const int pitch = nav->width() / nav->count();
        QTest::mouseClick(nav, Qt::LeftButton, Qt::NoModifier,
                          QPoint((core + 1) * pitch + pitch / 2, nav->height() / 2));
    }
    auto *page = qobject_cast<DisplayCorePage *>(window.findChild<QStackedLayout *>()->currentWidget());
    return page && page->isVisible() ? page : nullptr;
}

// The spin box in the same row as a frequency slider.
QSpinBox *spinBoxBeside(PolicyEditorWidget &editor, QSlider *slider)
{
    for (QSpinBox *spin : editor.findChildren<QSpinBox *>()) {
        if (qAbs(spin->geometry().center().y() - slider->geometry().center().y()) < 10)
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

void addEppAttributes(SysfsFixture &fx, int core)
{
    fx.writeAttribute(core, "energy_performance_available_preferences",
                      "default performance balance_performance balance_power power\n", 0444);
    fx.writeAttribute(core, "energy_performance_preference", "balance_performance\n");
}
} // namespace

void TestCorePage::displayText_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("shown");
    // clang-format off
    QTest::newRow("limit in MHz") << "scaling_max_freq" << "3400000" << "3400 MHz";
    QTest::newRow("truncated, not rounded") << "scaling_min_freq" << "1999999" << "1999 MHz";
    QTest::newRow("negative truncates toward zero") << "bios_limit" << "-1500" << "-1 MHz";
    QTest::newRow("not a number") << "cpuinfo_cur_freq" << "<unknown>" << "0 MHz";
    QTest::newRow("empty frequency") << "scaling_cur_freq" << "" << "0 MHz";
    QTest::newRow("hardware limits") << "cpuinfo_min_freq" << "800000" << "800 MHz";
    QTest::newRow("setspeed is no frequency") << "scaling_setspeed" << "<unsupported>" << "<unsupported>";
    QTest::newRow("frequency list") << "scaling_available_frequencies" << "800000 1600000 2400000"
                                    << "800 MHz\n1600 MHz\n2400 MHz";
    QTest::newRow("frequency list, double spaces") << "scaling_available_frequencies" << " 800000  1600000 "
                                                   << "800 MHz\n1600 MHz";
    QTest::newRow("empty frequency list") << "scaling_available_frequencies" << "" << "";
    QTest::newRow("governors") << "scaling_available_governors" << "performance powersave"
                               << "performance\npowersave";
    QTest::newRow("governors, double space") << "scaling_available_governors" << "performance  powersave"
                                             << "performance\n\npowersave";
    QTest::newRow("preferences") << "energy_performance_available_preferences" << "default power"
                                 << "default\npower";
    QTest::newRow("governor unchanged") << "scaling_governor" << "performance" << "performance";
    QTest::newRow("driver unchanged") << "scaling_driver" << "acpi-cpufreq" << "acpi-cpufreq";
    QTest::newRow("case matters") << "Scaling_max_freq" << "3400000" << "3400000";
    // clang-format on
}

void TestCorePage::displayText()
{
    QFETCH(QString, name);
    QFETCH(QString, value);
    QFETCH(QString, shown);
    QCOMPARE(PolicyDisplayWidget::processPolicyValue(record(name, value)), shown);
    // A value that could not be read is never shown as a value, nor as nothing.
    CPUPolicy failed = record(name, value);
    failed.readError = EIO;
    QCOMPARE(PolicyDisplayWidget::processPolicyValue(failed), QString("unreadable"));
}

void TestCorePage::displayRows()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.writeAttribute(0, "bios_limit", "3000000\n", 0444);
    CPUCore core(QDir(fx.coreDir(0)));
    core.policies[""]; // an empty record gets no row
    PolicyDisplayWidget display(core);

    auto *form = display.widget()->findChild<QFormLayout *>();
    QVERIFY(form);
    QCOMPARE(display.widget()->objectName(), QString("infoList"));
    QStringList names;
    for (int row = 0; row < form->rowCount(); ++row) {
        auto *label = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::LabelRole)->widget());
        auto *value = qobject_cast<QLabel *>(form->itemAt(row, QFormLayout::FieldRole)->widget());
        QVERIFY(label && value);
        QCOMPARE(value->objectName(), label->text());
        names << label->text();
        const bool writable = core.policies.value(label->text()).writable;
        value->ensurePolished();
        const QColor colour = value->palette().color(QPalette::WindowText);
        QCOMPARE(colour == QColor(Qt::red), writable);
    }
    QCOMPARE(names, QStringList({"affected_cpus", "bios_limit", "cpuinfo_max_freq", "cpuinfo_min_freq",
                                 "cpuinfo_transition_latency", "related_cpus", "scaling_available_frequencies",
                                 "scaling_available_governors", "scaling_cur_freq", "scaling_driver",
                                 "scaling_governor", "scaling_max_freq", "scaling_min_freq"}));
    QCOMPARE(display.widget()->findChild<QLabel *>("bios_limit")->text(), QString("3000 MHz"));
}

void TestCorePage::displayRefreshesInPlace()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyDisplayWidget display(core);
    auto *current = display.widget()->findChild<QLabel *>("scaling_cur_freq");
    auto *latency = display.widget()->findChild<QLabel *>("cpuinfo_transition_latency");
    QVERIFY(current && latency);
    const int rows = display.widget()->findChildren<QLabel *>().size();

    fx.writeAttribute(0, "scaling_cur_freq", "2999999\n", 0444);
    fx.removeAttribute(0, "cpuinfo_transition_latency");
    fx.writeAttribute(0, "bios_limit", "3000000\n", 0444);
    display.updateInfo();
    QCOMPARE(current->text(), QString("2100 MHz")); // reads nothing itself
    core.update();                                  // the window's sampler does
    display.updateInfo();

    QCOMPARE(display.widget()->findChild<QLabel *>("scaling_cur_freq"), current);
    QCOMPARE(current->text(), QString("2999 MHz"));
    QCOMPARE(latency->text(), QString("10000"));                   // gone from sysfs: keeps its last text
    QVERIFY(!display.widget()->findChild<QLabel *>("bios_limit")); // appeared later: not shown
    QCOMPARE(display.widget()->findChildren<QLabel *>().size(), rows);
}

void TestCorePage::editorLines()
{
    SysfsFixture fx;
    fx.addTypicalCore(3);
    addEppAttributes(fx, 3);
    CPUCore core(QDir(fx.coreDir(3)));
    PolicyEditorWidget editor(core);

    QCOMPARE(editor.objectName(), QString("PolicyEditorWidget"));
    auto *title = editor.findChildren<QLabel *>().value(0);
    QVERIFY(title);
    QCOMPARE(title->text(), QString("CPU 3"));

    auto *governor = editor.findChild<QComboBox *>("scaling_governor");
    QVERIFY(governor);
    QStringList items;
    for (int i = 0; i < governor->count(); ++i)
        items << governor->itemText(i);
    QCOMPARE(items, QStringList({"performance", "powersave", "schedutil", "ondemand"}));
    QCOMPARE(governor->currentText(), QString("schedutil"));

    for (const char *name : {"scaling_max_freq", "scaling_min_freq"}) {
        auto *slider = editor.findChild<QSlider *>(name);
        QVERIFY2(slider, name);
        QCOMPARE(slider->minimum(), 800);
        QCOMPARE(slider->maximum(), 3400);
    }
    QCOMPARE(editor.findChild<QSlider *>("scaling_max_freq")->value(), 3400);
    QCOMPARE(editor.findChild<QSlider *>("scaling_min_freq")->value(), 800);
    QCOMPARE(editor.findChildren<QSpinBox *>().size(), 2);

    auto *epp = editor.findChild<QComboBox *>("energy_performance_preference");
    QVERIFY(epp);
    QCOMPARE(epp->currentText(), QString("balance_performance"));

    // Only the four writable attributes have editors.
    QStringList named;
    for (QObject *child : editor.children()) {
        if (!child->objectName().isEmpty())
            named << child->objectName();
    }
    named.sort();
    QCOMPARE(named, QStringList(
                        {"energy_performance_preference", "scaling_governor", "scaling_max_freq", "scaling_min_freq"}));
    QCOMPARE(editor.dumpPolicySettings(),
             (QMap<QString, QString>{{"energy_performance_preference", "balance_performance"},
                                     {"scaling_governor", "schedutil"},
                                     {"scaling_max_freq", "3400000"},
                                     {"scaling_min_freq", "800000"}}));
}

void TestCorePage::governorNotListed()
{
    // The drop-down shows the governor in force even where the list lacks it, and does not
    // replace it with the first listed one.
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.writeAttribute(0, "scaling_governor", "conservative\n");
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    QCOMPARE(editor.findChild<QComboBox *>("scaling_governor")->currentText(), QString("conservative"));
    clickApply(editor);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("conservative\n"));
    QCOMPARE(messageText(editor), QString("0 succeed, 0 failed."));

    // Without a list of governors the drop-down holds only the one in force.
    fx.removeAttribute(0, "scaling_available_governors");
    core.update();
    PolicyEditorWidget bare(core);
    QCOMPARE(bare.findChild<QComboBox *>("scaling_governor")->count(), 1);
    QCOMPARE(bare.findChild<QComboBox *>("scaling_governor")->currentText(), QString("conservative"));
}

void TestCorePage::sliderAndSpinBoxFollowEachOther()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    auto *slider = editor.findChild<QSlider *>("scaling_max_freq");
    QSpinBox *spin = nullptr;
    for (QSpinBox *box : editor.findChildren<QSpinBox *>()) {
        if (box->value() == 3400)
            spin = box;
    }
    QVERIFY(slider && spin);
    spin->setValue(2000);
    QCOMPARE(slider->value(), 2000);
    slider->setValue(2500);
    QCOMPARE(spin->value(), 2500);
    spin->setValue(9999); // clamped to the hardware range
    QCOMPARE(slider->value(), 3400);
    spin->setValue(1234);
    QCOMPARE(editor.dumpPolicySettings().value("scaling_max_freq"), QString("1234000"));
    clickApply(editor);
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("1234000"));
}

void TestCorePage::applyWithoutChanges()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    addEppAttributes(fx, 0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    clickApply(editor);
    QCOMPARE(messageText(editor), QString("0 succeed, 0 failed."));
    QCOMPARE(messageStyle(editor), QString("color: #228B22"));
    // Written values carry no line end, so every file still has its own.
    for (const char *name :
         {"scaling_governor", "scaling_max_freq", "scaling_min_freq", "energy_performance_preference"})
        QVERIFY2(fx.readAttribute(0, name).endsWith('\n'), name);

    // A limit that is not a whole number of MHz shows rounded down on the slider, and is not
    // written rounded while nobody touches it.
    fx.writeAttribute(0, "scaling_max_freq", "3400500\n");
    core.update();
    PolicyEditorWidget uneven(core);
    clickApply(uneven);
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("3400500\n"));
    QCOMPARE(messageText(uneven), QString("0 succeed, 0 failed."));

    // A core without writable attributes only offers the switch and the button.
    SysfsFixture ro;
    ro.addCore(1);
    ro.writeAttribute(1, "scaling_cur_freq", "800000\n", 0444);
    CPUCore readOnly(QDir(ro.coreDir(1)));
    PolicyEditorWidget empty(readOnly);
    QVERIFY(empty.dumpPolicySettings().isEmpty());
    clickApply(empty);
    QCOMPARE(messageText(empty), QString("0 succeed, 0 failed."));
}

void TestCorePage::applyWritesChanges()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    addEppAttributes(fx, 0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    editor.findChild<QComboBox *>("scaling_governor")->setCurrentText("powersave");
    editor.findChild<QSlider *>("scaling_max_freq")->setValue(2000);
    editor.findChild<QComboBox *>("energy_performance_preference")->setCurrentText("power");
    clickApply(editor);
    QCOMPARE(messageText(editor), QString("3 succeed, 0 failed."));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("2000000"));
    QCOMPARE(fx.readAttribute(0, "energy_performance_preference"), QByteArray("power"));
    QCOMPARE(fx.readAttribute(0, "scaling_min_freq"), QByteArray("800000\n"));

    // The core is re-read afterwards: the records hold what the files now hold.
    fx.writeAttribute(0, "scaling_governor", "performance\n");
    editor.findChild<QSlider *>("scaling_max_freq")->setValue(2100);
    clickApply(editor);
    // The governor line, untouched since the last "Apply", is not written back over the change.
    QCOMPARE(messageText(editor), QString("1 succeed, 0 failed."));
    QCOMPARE(core.policies.value("scaling_governor").value, QString("performance"));
}

void TestCorePage::applyReportsRefusedWrites()
{
    if (!QFile::exists("/dev/full"))
        QSKIP("/dev/full is not available");
    SysfsFixture fx;
    fx.addTypicalCore(0);
    addEppAttributes(fx, 0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    fx.replaceWithSymlink(0, "energy_performance_preference", "/dev/full");
    fx.replaceWithSymlink(0, "scaling_max_freq", "/dev/full");
    editor.findChild<QComboBox *>("energy_performance_preference")->setCurrentText("power");
    editor.findChild<QComboBox *>("scaling_governor")->setCurrentText("performance");
    editor.findChild<QSlider *>("scaling_max_freq")->setValue(3000);
    // The successful governor write comes after the first failure; the message must still name
    // the failure's reason.
    clickApply(editor);
    QCOMPARE(messageText(editor), QString("1 succeed, 2 failed. Too many levels of symbolic links"));
    QCOMPARE(messageStyle(editor), QString("color: #CC0000"));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("performance"));
}

void TestCorePage::onlineSwitch()
{
    SysfsFixture fx;
    fx.addTypicalCore(1);
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);

    CPUCore core(QDir(fx.coreDir(1)));
    PolicyEditorWidget editor(core);
    auto *onlineSwitch = editor.findChild<ImageSwitch *>();
    QVERIFY(onlineSwitch);
    QCOMPARE(onlineSwitch->getButtonStyle(), ImageSwitch::ButtonStyle_3);
    QVERIFY(onlineSwitch->getChecked());
    QTest::mouseClick(onlineSwitch, Qt::LeftButton);
    QCOMPARE(fx.readOnline(1), QByteArray("0"));
    QVERIFY(!onlineSwitch->getChecked());
    QCOMPARE(messageText(editor), QString("Succeed"));
    QCOMPARE(messageStyle(editor), QString("color: #228B22"));

    // The boot core cannot be switched: the error is shown and the switch moves back.
    CPUCore boot(QDir(fx.coreDir(0)));
    PolicyEditorWidget bootEditor(boot);
    auto *bootSwitch = bootEditor.findChild<ImageSwitch *>();
    QSignalSpy spy(bootSwitch, &ImageSwitch::checked);
    QTest::mouseClick(bootSwitch, Qt::LeftButton);
    QCOMPARE(spy.count(), 1);
    QVERIFY(bootSwitch->getChecked());
    QVERIFY(boot.isEnabled());
    QCOMPARE(messageText(bootEditor), QString::fromUtf8(strerror(ENOENT)));
    QCOMPARE(messageStyle(bootEditor), QString("color: #CC0000"));

    // A refresh brings the switch in line with the core.
    QVERIFY(core.setEnabled(true));
    editor.updateInfo();
    QVERIFY(onlineSwitch->getChecked());
}

void TestCorePage::sliderJumpsToClick()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    editor.resize(600, 500);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto *slider = editor.findChild<QSlider *>("scaling_min_freq");
    QCOMPARE(slider->value(), 800);
    const int width = slider->width();
    QVERIFY(width > 10);

    const int x = width / 4;
    QTest::mousePress(slider, Qt::RightButton, Qt::NoModifier, QPoint(x, slider->height() / 2));
    QCOMPARE(slider->value(), 800 + int(double(x) / width * 2600));
    QTest::mouseRelease(slider, Qt::RightButton, Qt::NoModifier, QPoint(x, slider->height() / 2));

    QTest::mouseClick(slider, Qt::LeftButton, Qt::NoModifier, QPoint(width - 1, slider->height() / 2));
    QVERIFY(slider->value() >= 3400 - 2600 / width - 1);
}

void TestCorePage::pageLayoutAndRefreshOrder()
{
    SysfsFixture fx;
    fx.addTypicalCore(2);
    CPUCore core(QDir(fx.coreDir(2)));
    DisplayCorePage page(core);
    page.resize(1200, 600);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto *display = page.findChild<PolicyDisplayWidget *>();
    auto *editor = page.findChild<PolicyEditorWidget *>();
    QVERIFY(display && editor);
    QVERIFY(editor->x() - display->geometry().right() - 1 >= 50);
    QVERIFY(editor->width() > display->width());
    QVERIFY(display->x() > 0);
    QVERIFY(editor->geometry().right() < page.width() - 1);

    // Once the core has been re-read (by the window's sampler), one refresh brings an outside
    // change to the switch.
    auto *onlineSwitch = editor->findChild<ImageSwitch *>();
    fx.setOnline(2, "0\n");
    core.update();
    page.updateInfo();
    QVERIFY(!onlineSwitch->getChecked());
}

void TestCorePage::renderPage()
{
    SysfsFixture fx;
    fx.addTypicalCore(3);
    addEppAttributes(fx, 3);
    fx.writeAttribute(3, "bios_limit", "3400000\n", 0444);
    CPUCore core(QDir(fx.coreDir(3)));
    QVERIFY(StartUp::installStyleSheet(*qApp));
    StartUp::installPalette();
    StartUp::installFont();
    DisplayCorePage page(core);
    page.resize(1200, 560);
    QImage image(page.size(), QImage::Format_ARGB32);
    image.fill(QColor("#1B4F72"));
    page.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    qApp->setStyleSheet(QString());

    const QString out = QDir(QStringLiteral(FREQDECK_RENDER_DIR)).filePath("corepage.png");
    QVERIFY(image.save(out));

    // Both panels are light grey over the dark background; the page itself is transparent.
    auto *display = page.findChild<PolicyDisplayWidget *>();
    auto *editor = page.findChild<PolicyEditorWidget *>();
    for (const QPoint &p : {QPoint(display->geometry().right() - 25, display->geometry().center().y()),
                            QPoint(editor->geometry().center().x(), editor->geometry().bottom() - 60)}) {
        const QColor panel = image.pixelColor(p);
        QVERIFY2(panel.red() > 170 && panel.green() > 170, qPrintable(panel.name()));
    }
    QCOMPARE(image.pixelColor(5, 5), QColor("#1B4F72"));
    QCOMPARE(image.pixelColor(display->geometry().right() + 25, 100), QColor("#1B4F72"));
}

// Another program changes a core while its page is hidden; the page shows the change when opened,
// "Apply" writes only what the user changed, and a line being edited keeps the user's value.
void TestCorePage::editorFollowsTheKernel()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator);
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(writeFile(sim.policy(2, "scaling_governor"), "powersave"));
    QVERIFY(writeFile(sim.policy(2, "scaling_max_freq"), "1600000"));
    DisplayCorePage *page = openCorePage(window, 2);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *governor = editor->findChild<QComboBox *>("scaling_governor");
    auto *maxSlider = editor->findChild<QSlider *>("scaling_max_freq");
    auto *minSlider = editor->findChild<QSlider *>("scaling_min_freq");
    QVERIFY(governor && maxSlider && minSlider);
    QSpinBox *maxSpin = spinBoxBeside(*editor, maxSlider);
    QVERIFY(maxSpin);
    // The page appears with what was read last; the kernel's values follow at once.
    QTRY_COMPARE(governor->currentText(), QString("powersave"));
    QTRY_COMPARE(maxSlider->value(), 1600);
    QCOMPARE(maxSpin->value(), 1600);

    const QMap<QString, QByteArray> before = settingsOf(sim, 2);
    QCOMPARE(before.value("scaling_max_freq"), QByteArray("1600000\n"));
    clickApply(*editor);
    QCOMPARE(messageText(*editor), QString("0 succeed, 0 failed."));
    QCOMPARE(settingsOf(sim, 2), before);

    typeInto(maxSpin, "2000");
    clickApply(*editor);
    QCOMPARE(messageText(*editor), QString("1 succeed, 0 failed."));
    QMap<QString, QByteArray> expected = before;
    expected["scaling_max_freq"] = "2000000\n";
    QCOMPARE(settingsOf(sim, 2), expected);

    // Refreshes pass over the line being edited and bring the others up to date.
    typeInto(maxSpin, "2400");
    QVERIFY(writeFile(sim.policy(2, "scaling_max_freq"), "3000000"));
    QVERIFY(writeFile(sim.policy(2, "scaling_min_freq"), "1000000"));
    QTRY_COMPARE(minSlider->value(), 1000); // the window's next refresh
    QCOMPARE(maxSlider->value(), 2400);
    clickApply(*editor);
    QCOMPARE(messageText(*editor), QString("1 succeed, 0 failed."));
    QCOMPARE(readFile(sim.policy(2, "scaling_max_freq")), QByteArray("2400000\n"));
    QCOMPARE(readFile(sim.policy(2, "scaling_min_freq")), QByteArray("1000000\n"));
    // The list shows the written value at once.
    QCOMPARE(page->findChild<PolicyDisplayWidget *>()->widget()->findChild<QLabel *>("scaling_max_freq")->text(),
             QString("2400 MHz"));
}

// intel_pstate refuses a preference other than "performance" under the performance governor:
// leaving it and choosing a preference in one "Apply" works only with the governor written first.
void TestCorePage::governorAndPreferenceInOneApply()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {QStringLiteral("--driver"), QStringLiteral("intel_pstate")});
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(writeFile(sim.policy(1, "scaling_governor"), "performance"));
    DisplayCorePage *page = openCorePage(window, 1);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *governor = editor->findChild<QComboBox *>("scaling_governor");
    auto *preference = editor->findChild<QComboBox *>("energy_performance_preference");
    QVERIFY(governor && preference);
    QTRY_COMPARE(governor->currentText(), QString("performance"));
    QTRY_COMPARE(preference->currentText(), QString("performance"));

    governor->setCurrentText("powersave");
    typeInto(preference, "power");
    clickApply(*editor);
    QCOMPARE(messageText(*editor), QString("2 succeed, 0 failed."));
    QCOMPARE(readFile(sim.policy(1, "scaling_governor")), QByteArray("powersave\n"));
    QCOMPARE(readFile(sim.policy(1, "energy_performance_preference")), QByteArray("power\n"));
    QCOMPARE(preference->currentText(), QString("power"));
}

// scaling_setspeed takes kHz; the window shows and takes MHz like every other frequency, so typing
// 2200 asks for 2200 MHz. Every editor is named for screen readers, with its unit.
void TestCorePage::setspeedInMegahertzAndEditorsNamed()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator);
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    QVERIFY(writeFile(sim.policy(3, "scaling_governor"), "userspace"));
    QVERIFY(writeFile(sim.policy(3, "scaling_setspeed"), "1600000"));
    DisplayCorePage *page = openCorePage(window, 3);
    QVERIFY(page);
    auto *editor = page->findChild<PolicyEditorWidget *>();
    auto *setspeed = editor->findChild<QLineEdit *>("scaling_setspeed");
    QVERIFY(setspeed);
    QTRY_COMPARE(setspeed->text(), QString("1600"));

    typeInto(setspeed, "2200");
    clickApply(*editor);
    QCOMPARE(messageText(*editor), QString("1 succeed, 0 failed."));
    QCOMPARE(readFile(sim.policy(3, "scaling_setspeed")), QByteArray("2200000\n"));
    QCOMPARE(setspeed->text(), QString("2200"));
    QCOMPARE(page->findChild<PolicyDisplayWidget *>()->widget()->findChild<QLabel *>("scaling_setspeed")->text(),
             QString("2200 MHz"));

    // The unit is on screen beside each frequency editor (the energy bias is a plain number).
    QStringList unitsShown;
    for (QSpinBox *spin : editor->findChildren<QSpinBox *>())
        if (spin->objectName() != "energy_perf_bias")
            unitsShown << spin->text().section(' ', 1);
    for (QLabel *label : editor->findChildren<QLabel *>())
        if (label->text() == "MHz")
            unitsShown << label->text();
    QCOMPARE(unitsShown, QStringList({"MHz", "MHz", "MHz"}));

    QAccessibleInterface *field = QAccessible::queryAccessibleInterface(setspeed);
    QCOMPARE(field->text(QAccessible::Name), QString("scaling_setspeed in MHz"));
    QStringList unnamed;
    for (QWidget *w : editor->findChildren<QWidget *>()) {
        if (!qobject_cast<QLineEdit *>(w) && !qobject_cast<QSlider *>(w) && !qobject_cast<QAbstractSpinBox *>(w)
            && !qobject_cast<QComboBox *>(w) && !qobject_cast<ImageSwitch *>(w))
            continue;
        if (qobject_cast<QAbstractSpinBox *>(w->parent()))
            continue; // the spin box's own text field, read out as part of the spin box
        QAccessibleInterface *a = QAccessible::queryAccessibleInterface(w);
        if (a->text(QAccessible::Name).isEmpty() || a->text(QAccessible::Description).isEmpty())
            unnamed << w->objectName() + ' ' + w->metaObject()->className();
    }
    QCOMPARE(unnamed, QStringList());
    QAccessibleInterface *online = QAccessible::queryAccessibleInterface(editor->findChild<ImageSwitch *>());
    QCOMPARE(online->role(), QAccessible::CheckBox);
    QCOMPARE(online->text(QAccessible::Name), QString("CPU 3 online"));
    QVERIFY(online->state().checked);
}

namespace
{
// Every text 40 % longer and between markers, as a long translation would be.
class PseudoTranslator final : public QTranslator
{
public:
    QString translate(const char *, const char *source, const char *, int) const override
    {
        if (!source || !*source)
            return QString();
        const QString text = QString::fromUtf8(source);
        return QStringLiteral("\u00AB") + text + QString((text.size() * 4 + 9) / 10, QLatin1Char('~'))
               + QStringLiteral("\u00BB");
    }
    bool isEmpty() const override { return false; }
};

// Kernel names and values, shown as the kernel has them: not translated on purpose.
bool isKernelText(const QString &text)
{
    // An attribute name elided to fit its column ends up with an ellipsis in it.
    static const QRegularExpression kernelText(QStringLiteral("^[a-z0-9_.:,/<>\\-\\s\u2026]*$"));
    return kernelText.match(text).hasMatch();
}

// What of a page's visible texts went past tr(), and what is cut off.
QStringList pseudoFindings(QWidget &page, const QString &modelName)
{
    QStringList found;
    const auto translated = [&](const QString &text, const QString &where) {
        if (!text.isEmpty() && !text.contains(QChar(0x00AB)) && !isKernelText(text) && text != modelName)
            found << QStringLiteral("untranslated %1: %2").arg(where, text);
    };
    for (QLabel *label : page.findChildren<QLabel *>()) {
        if (!label->isVisibleTo(&page))
            continue;
        translated(label->text(), QStringLiteral("label"));
        // Kernel names are the same in every language: only translated texts are measured here.
        if (!label->wordWrap() && label->sizePolicy().horizontalPolicy() != QSizePolicy::Ignored
            && !isKernelText(label->text()) && label->sizeHint().width() > label->width())
            found << QStringLiteral("cut label: %1").arg(label->text());
    }
    for (QAbstractButton *button : page.findChildren<QAbstractButton *>()) {
        if (!button->isVisibleTo(&page))
            continue;
        translated(button->text(), QStringLiteral("button"));
        if (button->sizeHint().width() > button->width())
            found << QStringLiteral("cut button: %1").arg(button->text());
    }
    for (QAbstractSpinBox *spin : page.findChildren<QAbstractSpinBox *>()) {
        if (spin->isVisibleTo(&page) && spin->sizeHint().width() > spin->width())
            found << QStringLiteral("cut spin box: %1").arg(spin->text());
    }
    // A segment's label is cut when its pixels reach the segment's edges.
    for (SwitchButton *segments : page.findChildren<SwitchButton *>()) {
        if (!segments->isVisibleTo(&page))
            continue;
        const QImage shot = segments->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const QColor ink = segments->palette().color(QPalette::WindowText);
        for (int i = 0; i < segments->count(); ++i) {
            translated(segments->getText(i), QStringLiteral("segment"));
            const QRect area = segments->segmentRect(i);
            QRect drawn;
            for (int y = area.top(); y <= area.bottom(); ++y)
                for (int x = area.left(); x <= area.right(); ++x) {
                    const QRgb p = shot.pixel(x, y);
                    if (qAbs(qRed(p) - ink.red()) < 25 && qAbs(qGreen(p) - ink.green()) < 25
                        && qAbs(qBlue(p) - ink.blue()) < 25)
                        drawn |= QRect(x, y, 1, 1);
                }
            if (drawn.isEmpty() || drawn.left() <= area.left() + 1 || drawn.right() >= area.right() - 1)
                found << QStringLiteral("cut segment: %1").arg(segments->getText(i));
        }
    }
    return found;
}
} // namespace

// Under a pseudo-translation every text of the overview and of a core page is marked as
// translated, and none is cut off although each is 40 % longer.
void TestCorePage::pseudoLocale()
{
    SysfsFixture fx;
    for (int core = 0; core < 4; ++core)
        fx.addTypicalCore(core);
    addEppAttributes(fx, 1);
    fx.writeCpuInfoForModel(QStringLiteral("Example CPU @ 3.40GHz"), 4);
    PseudoTranslator pseudo;
    QCoreApplication::installTranslator(&pseudo);
    QVERIFY(StartUp::installStyleSheet(*qApp));
    StartUp::installFont();
    QStringList found;
    {
        CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
        MainWindow window(info);
        window.resize(1200, 650);
        window.show();
        if (QTest::qWaitForWindowExposed(&window)) {
            found << pseudoFindings(window, info.modelName);
            DisplayCorePage *page = openCorePage(window, 1);
            if (page)
                found << pseudoFindings(*page, info.modelName);
            else
                found << QStringLiteral("no page for core 1");
        } else {
            found << QStringLiteral("window not shown");
        }
    }
    qApp->setStyleSheet(QString());
    QCoreApplication::removeTranslator(&pseudo);
    QVERIFY2(found.isEmpty(), qPrintable(found.join(QLatin1Char('\n'))));
}

namespace
{
// Presses Tab until the focus is where a keyboard user wants it; false after 40 presses.
template<typename Match>
bool tabTo(Match matches)
{
    for (int i = 0; i < 40; ++i) {
        QWidget *focus = QApplication::focusWidget();
        if (!focus)
            return false;
        if (matches(focus))
            return true;
        QTest::keyClick(focus, Qt::Key_Tab);
    }
    return false;
}

void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
{
    QTest::keyClick(QApplication::focusWidget(), key, modifiers);
}
} // namespace

// The whole round without a mouse: choose a profile, open a core page and come back with the page
// shortcuts (under both navigations), change a limit, apply, save the settings. Every key goes to
// whatever has the focus.
void TestCorePage::keyboardOnlyRound()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator);
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    QTemporaryDir saves;
    QVERIFY(saves.isValid());
    CPUInfo info(sim.cpu(), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    window.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&window));
    if (!QApplication::focusWidget())
        QTest::keyClick(&window, Qt::Key_Tab);

    const auto isProfileSelector = [](QWidget *w) {
        return qobject_cast<SwitchButton *>(w) && qobject_cast<MainPage *>(w->parentWidget());
    };

    // "Slow", the fourth profile.
    QVERIFY(tabTo(isProfileSelector));
    press(Qt::Key_Home);
    for (int i = 0; i < 3; ++i)
        press(Qt::Key_Right);
    press(Qt::Key_Space);
    QCOMPARE(int(CPUInfo(sim.cpu(), sim.cpuInfo()).detectPredefinedGoverns()), int(GOVERN_SLOW));

    // The page of CPU 1 by the window's shortcuts, the focus still on the overview's selector.
    press(Qt::Key_PageDown, Qt::ControlModifier);
    QCOMPARE(window.currentPage(), 1);
    press(Qt::Key_3, Qt::AltModifier);
    QCOMPARE(window.currentPage(), 2);
    auto *page = qobject_cast<DisplayCorePage *>(window.findChild<QStackedLayout *>()->currentWidget());
    QVERIFY(page && page->isVisible());
    auto *editor = page->findChild<PolicyEditorWidget *>();
    QSpinBox *maxSpin = spinBoxBeside(*editor, editor->findChild<QSlider *>("scaling_max_freq"));
    QVERIFY(maxSpin);

    QVERIFY(tabTo([maxSpin](QWidget *w) { return w == maxSpin || w->parentWidget() == maxSpin; }));
    press(Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(QApplication::focusWidget(), "2000");
    QVERIFY(tabTo([](QWidget *w) {
        auto *button = qobject_cast<QPushButton *>(w);
        return button && button->text() == "Apply";
    }));
    press(Qt::Key_Space);
    QCOMPARE(messageText(*editor), QString("1 succeed, 0 failed."));
    QCOMPARE(readFile(sim.policy(1, "scaling_max_freq")), QByteArray("2000000\n"));

    // Too narrow for a segment per core: the shortcuts drive the compact navigator, even from its
    // own field for a core number.
    window.resize(window.minimumSize());
    auto *compact = window.findChild<CoreNavigator *>();
    QTRY_VERIFY(compact->isVisible());
    QVERIFY(tabTo([compact](QWidget *w) { return qobject_cast<QLineEdit *>(w) && w->parentWidget() == compact; }));
    press(Qt::Key_PageUp, Qt::ControlModifier);
    QCOMPARE(window.currentPage(), 1);
    QCOMPARE(compact->currentPage(), 1);
    press(Qt::Key_1, Qt::AltModifier);
    QCOMPARE(window.currentPage(), 0);
    QCOMPARE(compact->currentPage(), 0);

    // "Save Settings" on the overview; the file dialog takes a typed name and Enter.
    QVERIFY(tabTo([](QWidget *w) {
        auto *button = qobject_cast<QPushButton *>(w);
        return button && button->text() == "Save Settings" && button->isVisible();
    }));
    const QString target = saves.filePath("keys.json");
    bool typed = false;
    QTimer typist;
    connect(&typist, &QTimer::timeout, &typist, [&] {
        auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget());
        QWidget *focus = QApplication::focusWidget();
        // Still open after the name and Enter: give up instead of waiting for ever.
        if (typed && dialog)
            dialog->reject();
        if (typed || !dialog || !focus || focus->window() != dialog)
            return;
        typed = true;
        QTest::keyClicks(QApplication::focusWidget(), target);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
    });
    typist.start(20);
    press(Qt::Key_Space);
    typist.stop();
    QVERIFY(typed);
    const QByteArray saved = readFile(target);
    QVERIFY2(saved.contains("\"scaling_max_freq\": \"2000000\""), saved.constData());
}

namespace
{
// The text's pixels in area: those far from the background at the area's right end.
QRect inkOf(const QImage &img, const QRect &area)
{
    const int background = qGray(img.pixel(area.right() - 1, area.center().y()));
    QRect ink;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            if (qAbs(qGray(img.pixel(x, y)) - background) > 96)
                ink |= QRect(x, y, 1, 1);
    return ink;
}
} // namespace

// The governor drop-down of a core page under the program's style sheet and font: every entry
// of the open list lies whole in the list, below the one before, and its text whole inside it.
// Run again at 200 % scale and with 192 dpi fonts.
void TestCorePage::governorListWhole()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    const QStringList governors = {"performance", "powersave", "schedutil", "ondemand", "userspace", "conservative"};
    fx.writeAttribute(0, "scaling_available_governors", governors.join(' ').toUtf8() + '\n', 0444);
    CPUCore core(QDir(fx.coreDir(0)));
    QVERIFY(StartUp::installStyleSheet(*qApp));
    const QFont oldFont = QApplication::font();
    StartUp::installFont();
    PolicyEditorWidget editor(core);
    editor.show();
    QVERIFY(QTest::qWaitForWindowExposed(&editor));
    auto *combo = editor.findChild<QComboBox *>("scaling_governor");
    QVERIFY(combo);
    combo->showPopup();
    QAbstractItemView *view = combo->view();
    QTRY_VERIFY(view->isVisible());

    const QImage shot = view->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const qreal ratio = shot.devicePixelRatio();
    QStringList found;
    int previousBottom = -1;
    int shown = 0;
    for (int row = 0; row < governors.size(); ++row) {
        const QString &name = governors.at(row);
        const QRect entry = view->visualRect(view->model()->index(row, 0));
        if (entry.top() <= previousBottom)
            found << name + " overlaps the entry above";
        previousBottom = entry.bottom();
        // On a small screen the list scrolls; the entries out of view are drawn when scrolled to.
        if (!view->viewport()->rect().contains(entry))
            continue;
        ++shown;
        const QRect device(QPoint(qFloor(entry.left() * ratio), qFloor(entry.top() * ratio)),
                           QPoint(qCeil((entry.right() + 1) * ratio) - 1, qCeil((entry.bottom() + 1) * ratio) - 1));
        const QRect ink = inkOf(shot, device & shot.rect());
        // The same text drawn alone, with room all around, at the same ratio.
        QImage alone(QSize(1000, 200) * ratio, QImage::Format_RGB32);
        alone.setDevicePixelRatio(ratio);
        alone.fill(Qt::white);
        {
            QPainter p(&alone);
            p.setFont(view->font());
            p.setPen(Qt::black);
            p.drawText(QPointF(20, 100), name);
        }
        const QRect whole = inkOf(alone, alone.rect());
        if (ink.width() < whole.width() - 2 || ink.height() < whole.height() - 2)
            found << QStringLiteral("%1 shows %2 x %3 of %4 x %5 px")
                         .arg(name)
                         .arg(ink.width())
                         .arg(ink.height())
                         .arg(whole.width())
                         .arg(whole.height());
        if (ink.top() <= device.top() || ink.bottom() >= device.bottom())
            found << name + " touches the entry's edge";
    }
    combo->hidePopup();
    QApplication::setFont(oldFont);
    qApp->setStyleSheet(QString());
    QVERIFY2(found.isEmpty(), qPrintable(found.join('\n')));
    QVERIFY2(shown >= 3, qPrintable(QStringLiteral("only %1 entries in view").arg(shown)));
}

// The page's "why" section names what holds the core down and follows the machine: the hardware
// maximum under the performance governor, then a power limit set below what the package draws,
// then boost switched off once the limit is lifted again.
void TestCorePage::capChainFollowsTheMachine()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {QStringLiteral("--cpus"), QStringLiteral("4")});
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    QVERIFY(writeFile(sim.policy(1, "scaling_governor"), "performance"));
    CPUInfo info(sim.sys() + QStringLiteral("/devices/system/cpu"), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    DisplayCorePage *page = openCorePage(window, 1);
    QVERIFY(page);
    auto *chain = page->findChild<CapChainView *>();
    QVERIFY(chain);
    QTRY_COMPARE(chain->bindingKey(), QString("cpuinfo_max_freq"));

    const QString limit = sim.sys() + QStringLiteral("/class/powercap/intel-rapl:0/constraint_0_power_limit_uw");
    QVERIFY(writeFile(limit, "5000000"));
    QTRY_COMPARE_WITH_TIMEOUT(chain->bindingKey(), QString("power_limit"), 10000);
    auto *table = chain->findChild<QTreeWidget *>();
    const QList<QTreeWidgetItem *> held = table->findItems(QStringLiteral("yes"), Qt::MatchExactly, 2);
    QCOMPARE(held.size(), 1);
    QVERIFY2(held.first()->text(1).endsWith(" / 5.0 W"), qPrintable(held.first()->text(1)));

    QVERIFY(writeFile(limit, "65000000"));
    QVERIFY(writeFile(sim.cpu() + QStringLiteral("/cpufreq/boost"), "0"));
    QTRY_COMPARE_WITH_TIMEOUT(chain->bindingKey(), QString("boost"), 10000);
}

// The monitor records what the window's refresh reads, with /proc/stat's utilisation and the
// package's temperature and power, and hovering the map names the values with units: a core held
// at its lowest frequency shows that frequency, an offline core shows nothing.
void TestCorePage::monitorRecordsWhatTheRefreshReads()
{
    const QString unavailable = MountedSim::unavailableReason(simulator);
    if (!unavailable.isEmpty())
        QSKIP(qPrintable(unavailable));
    MountedSim sim(simulator, {QStringLiteral("--cpus"), QStringLiteral("4")});
    QString why;
    QVERIFY2(sim.start(&why), qPrintable(why));
    QVERIFY(writeFile(sim.policy(2, "scaling_governor"), "powersave"));
    QVERIFY(writeFile(sim.cpu() + QStringLiteral("/cpu3/online"), "0"));
    CPUInfo info(sim.sys() + QStringLiteral("/devices/system/cpu"), sim.cpuInfo());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    window.showPage(window.monitorPage());
    auto *monitor = window.findChild<MonitorView *>();
    QVERIFY(monitor && monitor->isVisible());
    const MonitorHistory &history = monitor->history();
    // Two refreshes give a utilisation and a power.
    QTRY_VERIFY_WITH_TIMEOUT(history.latest() >= 2 && history.utilisation(0, history.latest()) >= 0, 10000);
    const qint64 second = history.latest();
    for (int cpu = 0; cpu < 3; ++cpu) {
        const int busy = history.utilisation(cpu, second);
        QVERIFY2(busy > 0 && busy < 100, qPrintable(QString::number(busy)));
        QVERIFY(history.mhz(cpu, second) >= 800);
    }
    QCOMPARE(history.mhz(2, second), 800);
    QCOMPARE(history.mhz(3, second), -1);
    QVERIFY(history.temperature(second).value_or(0) >= 35);
    QVERIFY(history.power(second).value_or(0) > 2);
    QVERIFY2(monitor->summaryText().contains(QRegularExpression(QStringLiteral("Package \\d+ °C · \\d+\\.\\d W"))),
             qPrintable(monitor->summaryText()));

    auto *map = monitor->findChild<HeatMap *>();
    QVERIFY(map);
    const QString held = map->describeAt(map->pointOf(2, second));
    QVERIFY2(held.startsWith(QStringLiteral("CPU 2, ")) && held.contains(QStringLiteral("\n800 MHz\n")),
             qPrintable(held));
    QVERIFY2(held.contains(QStringLiteral("% busy")), qPrintable(held));
    QVERIFY2(map->describeAt(map->pointOf(3, second)).contains(QStringLiteral("frequency not sampled")),
             qPrintable(map->describeAt(map->pointOf(3, second))));
}

QTEST_MAIN(TestCorePage)
#include "testcorepage.moc"
