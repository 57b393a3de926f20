#include <QtTest>

#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>

#include "cpucore.h"
#include "displaycorepage.h"
#include "imageswitch.h"
#include "policydisplaywidget.h"
#include "policyeditorwidget.h"
#include "startup.h"
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
    void governorFallsBackToFirst();
    void sliderAndSpinBoxFollowEachOther();
    void applyWithoutChanges();
    void applyWritesChanges();
    void applyReportsRefusedWrites();
    void onlineSwitch();
    void sliderJumpsToClick();

    void pageLayoutAndRefreshOrder();
    void renderPage();
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

    auto *epp = editor.findChild<QLineEdit *>("energy_performance_preference");
    QVERIFY(epp);
    QCOMPARE(epp->text(), QString("balance_performance"));

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

void TestCorePage::governorFallsBackToFirst()
{
    SysfsFixture fx;
    fx.addTypicalCore(0);
    fx.writeAttribute(0, "scaling_governor", "conservative\n");
    CPUCore core(QDir(fx.coreDir(0)));
    PolicyEditorWidget editor(core);
    QCOMPARE(editor.findChild<QComboBox *>("scaling_governor")->currentText(), QString("performance"));
    clickApply(editor);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("performance"));
    QCOMPARE(messageText(editor), QString("1 succeed, 0 failed."));

    // Without a list of governors the drop-down stays empty.
    fx.removeAttribute(0, "scaling_available_governors");
    core.update();
    PolicyEditorWidget bare(core);
    QCOMPARE(bare.findChild<QComboBox *>("scaling_governor")->count(), 0);
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

    // A limit that is not a whole number of MHz comes back from the slider rounded down and is
    // written although nobody touched it.
    fx.writeAttribute(0, "scaling_max_freq", "3400500\n");
    core.update();
    PolicyEditorWidget uneven(core);
    clickApply(uneven);
    QCOMPARE(fx.readAttribute(0, "scaling_max_freq"), QByteArray("3400000"));
    QCOMPARE(messageText(uneven), QString("1 succeed, 0 failed."));

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
    editor.findChild<QLineEdit *>("energy_performance_preference")->setText("power");
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
    // The drop-down still shows what the user chose, which equals the old record: not written.
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
    editor.findChild<QLineEdit *>("energy_performance_preference")->setText("power");
    editor.findChild<QComboBox *>("scaling_governor")->setCurrentText("performance");
    editor.findChild<QSlider *>("scaling_max_freq")->setValue(3000);
    // The successful governor write comes after the first failure; the message must still name
    // the failure's reason.
    clickApply(editor);
    QCOMPARE(messageText(editor), QString("1 succeed, 2 failed. No space left on device"));
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

QTEST_MAIN(TestCorePage)
#include "testcorepage.moc"
