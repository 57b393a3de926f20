// SPDX-License-Identifier: GPL-3.0-or-later
#include <QtTest>

#include <QComboBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStackedLayout>

#include <cerrno>
#include <cstring>
#include <pwd.h>
#include <unistd.h>

#include "cpuinfo.h"
#include "displaycorepage.h"
#include "imageswitch.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "mountnamespace.h"
#include "policyeditorwidget.h"
#include "sampler.h"
#include "startup.h"
#include "switchbutton.h"
#include "sysfsfixture.h"
#include "windowplacement.h"

// The overview page, the main window and the start-up rules.
class TestMainWindow : public QObject
{
    Q_OBJECT

private slots:
    void overviewText();
    void overviewWithoutDriverOrCores();
    void detectedProfileIsShownNotApplied();
    void pickingAProfileAppliesItOnce();
    void saveNames_data();
    void saveNames();
    void failedSaveAndLoadWarn();
    void loadThroughTheDialog();
    void loadShowsTheProfileInForce();
    void refusedWritesAreShown();
    void saveAsksBeforeReplacing();

    void navigation();
    void samplerRefreshesTheShownPage();
    void readsThatPredateAWriteAreDropped();
    void manyCoresStayReachable();
    void backgroundPainted();

    void privilegeRule_data();
    void privilegeRule();
    void centring_data();
    void centring();
    void windowFitsItsScreen_data();
    void windowFitsItsScreen();
    void styleSheetEndsAtNul();

    void windowOverRealPaths();
    void renderWindow();

private:
    static void makeMachine(SysfsFixture &fx, int cores);
};

namespace
{
QString overview(MainPage &page)
{
    auto *label = page.findChild<QLabel *>("overview");
    return label ? label->text() : QStringLiteral("<no overview label>");
}

SwitchButton *selector(MainPage &page)
{
    return page.findChild<SwitchButton *>();
}

// The centre of segment index on an 800 pixel wide six-segment selector.
QPoint segmentCentre(int index)
{
    return QPoint(index * 133 + 65, 20);
}

QPushButton *button(QWidget &parent, const QString &text)
{
    for (QPushButton *b : parent.findChildren<QPushButton *>()) {
        if (b->text() == text)
            return b;
    }
    return nullptr;
}

// Answers the next modal dialog from inside its event loop.
template<typename Dialog, typename Answer>
void answerNextDialog(Answer answer)
{
    QTimer::singleShot(0, [answer] {
        QTRY_VERIFY(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
        answer(qobject_cast<Dialog *>(QApplication::activeModalWidget()));
    });
}
} // namespace

void TestMainWindow::makeMachine(SysfsFixture &fx, int cores)
{
    for (int i = 0; i < cores; ++i)
        fx.addTypicalCore(i);
    fx.writeCpuInfoForModel("Fixture Processor 3400", cores);
}

void TestMainWindow::overviewText()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    fx.writeAttribute(0, "cpuinfo_cur_freq", "2100000\n", 0400);
    fx.writeAttribute(1, "scaling_cur_freq", "%2 %6\n", 0444); // must show as it stands
    fx.setOnline(1, "0\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    QCOMPARE(page.objectName(), QString("MainPage"));
    QCOMPARE(page.findChildren<QLabel *>().first()->text(), QString("Fixture Processor 3400"));
    QCOMPARE(overview(page),
             QString("Driver: acpi-cpufreq\n"
                     "\n"
                     "CPU 0 : isEnabled = 1,\t scaling_cur_freq = 2100 MHz,\t cpuinfo_cur_freq = 2100 MHz\n"
                     "CPU 1 : isEnabled = 0,\t scaling_cur_freq = %2 %6,\t cpuinfo_cur_freq = \n"));

    // A refresh shows what the cores hold and reads nothing itself: the window's sampler re-reads
    // them off the GUI thread.
    fx.writeAttribute(0, "scaling_cur_freq", "3000000\n", 0444);
    fx.setOnline(1, "1\n");
    page.updateInfo();
    QVERIFY(overview(page).contains("CPU 0 : isEnabled = 1,\t scaling_cur_freq = 2100 MHz,"));
    for (CPUCore &core : info.cores)
        core.update();
    page.updateInfo();
    QVERIFY(overview(page).contains("CPU 0 : isEnabled = 1,\t scaling_cur_freq = 3000 MHz,"));
    QVERIFY(overview(page).contains("CPU 1 : isEnabled = 1,"));
}

void TestMainWindow::overviewWithoutDriverOrCores()
{
    SysfsFixture fx;
    makeMachine(fx, 1);
    fx.removeAttribute(0, "scaling_driver");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    QVERIFY(overview(page).startsWith("Driver: \n\nCPU 0 : "));
    // Missing attributes show as empty text; showing them adds no record to the core.
    QVERIFY(!info.cores[0].policies.contains("cpuinfo_cur_freq"));
    QVERIFY(overview(page).endsWith("cpuinfo_cur_freq = \n"));

    SysfsFixture none;
    CPUInfo empty(none.cpuDir(), none.cpuInfoPath());
    MainPage emptyPage(empty);
    QCOMPARE(overview(emptyPage), QString("Driver: \n\n"));
    QCOMPARE(selector(emptyPage)->currentIndex(), 0);
    QTest::mouseClick(selector(emptyPage), Qt::LeftButton, Qt::NoModifier, segmentCentre(4));
    emptyPage.updateInfo();
    QCOMPARE(overview(emptyPage), QString("Driver: \n\n"));
}

void TestMainWindow::detectedProfileIsShownNotApplied()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    for (int i = 0; i < 2; ++i)
        fx.writeAttribute(i, "scaling_governor", "performance\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    QCOMPARE(selector(page)->currentIndex(), int(GOVERN_PERFORMANCE));
    QCOMPARE(selector(page)->currentText(), QString("Performance"));
    QCOMPARE(fx.readAttribute(0, "scaling_min_freq"), QByteArray("800000\n")); // nothing written

    info.cores[1].policies["scaling_max_freq"].value = "1133333";
    page.updateGovern();
    QCOMPARE(selector(page)->currentText(), QString("Custom"));
    QCOMPARE(fx.readOnline(1), QByteArray("1\n"));
}

void TestMainWindow::pickingAProfileAppliesItOnce()
{
    SysfsFixture fx;
    makeMachine(fx, 3);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    page.resize(1100, 500);
    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(4));
    for (int i = 0; i < 3; ++i) {
        QCOMPARE(fx.readAttribute(i, "scaling_governor"), QByteArray("powersave"));
        QCOMPARE(fx.readAttribute(i, "scaling_max_freq"), QByteArray("800000"));
    }
    QCOMPARE(selector(page)->currentIndex(), int(GOVERN_POWERSAVE));

    // The same segment again applies nothing.
    fx.writeAttribute(1, "scaling_governor", "schedutil\n");
    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(4));
    QCOMPARE(fx.readAttribute(1, "scaling_governor"), QByteArray("schedutil\n"));

    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(1));
    QCOMPARE(fx.readAttribute(1, "scaling_max_freq"), QByteArray("2266666"));
}

void TestMainWindow::saveNames_data()
{
    QTest::addColumn<QString>("chosen");
    QTest::addColumn<QString>("written");
    // clang-format off
    QTest::newRow("no suffix") << "settings" << "settings.json";
    QTest::newRow("suffix") << "settings.json" << "settings.json";
    QTest::newRow("suffix in capitals") << "settings.JSON" << "settings.JSON.json";
    // clang-format on
}

void TestMainWindow::saveNames()
{
    QFETCH(QString, chosen);
    QFETCH(QString, written);
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    const QDir dir(fx.root());
    page.saveSettingsTo(dir.filePath(chosen));
    QCOMPARE(dir.entryList({"settings*"}, QDir::Files), QStringList{written});
    QFile file(dir.filePath(written));
    QVERIFY(file.open(QIODevice::ReadOnly));
    QVERIFY(QJsonDocument::fromJson(file.readAll()).isArray());
}

void TestMainWindow::failedSaveAndLoadWarn()
{
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);

    QString shown;
    answerNextDialog<QMessageBox>([&shown](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    // The name comes from the user's typing or a directory listing: a control character in it
    // is shown escaped, not passed on.
    const QString target = fx.root() + "/missing\x1b[2J-dir/settings.json";
    page.saveSettingsTo(target);
    QVERIFY2(shown.contains(fx.root() + "/missing\\x1b[2J-dir/settings.json"), qPrintable(shown));
    QVERIFY(!shown.contains(QChar(0x1b)));
    QVERIFY(shown.contains("Cannot open"));

    QFile garbage(fx.root() + "/garbage.json");
    QVERIFY(garbage.open(QIODevice::WriteOnly));
    garbage.write("{ not json");
    garbage.close();
    shown.clear();
    answerNextDialog<QMessageBox>([&shown](QMessageBox *box) {
        shown = box->text();
        box->accept();
    });
    page.loadSettingsFrom(garbage.fileName());
    QVERIFY2(shown.contains("not JSON"), qPrintable(shown));
}

void TestMainWindow::loadThroughTheDialog()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString saved = fx.root() + "/saved.json";
    QVERIFY(info.dump(saved));
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    MainPage page(info);

    fx.writeAttribute(1, "scaling_cur_freq", "1234567\n", 0444);
    answerNextDialog<QFileDialog>([saved](QFileDialog *dialog) {
        QCOMPARE(dialog->windowTitle(), QString("Load"));
        dialog->selectFile(saved);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QTest::mouseClick(button(page, "Load Settings"), Qt::LeftButton);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("schedutil"));
    QCOMPARE(fx.readAttribute(1, "scaling_max_freq"), QByteArray("3400000"));
    // The page reads nothing for its refresh: the new values come with the window's next sample.
    QVERIFY(!overview(page).contains("scaling_cur_freq = 1234 MHz"));

    // Cancelled: nothing loaded.
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    answerNextDialog<QFileDialog>([](QFileDialog *dialog) { dialog->reject(); });
    QTest::mouseClick(button(page, "Load Settings"), Qt::LeftButton);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));
}

void TestMainWindow::loadShowsTheProfileInForce()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    info.setPredefinedGoverns(GOVERN_POWERSAVE);
    const QString saved = fx.root() + "/powersave.json";
    QVERIFY(info.dump(saved));
    MainPage page(info);
    page.resize(1100, 500);
    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(GOVERN_PERFORMANCE));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("performance"));

    answerNextDialog<QFileDialog>([saved](QFileDialog *dialog) {
        dialog->selectFile(saved);
        QMetaObject::invokeMethod(dialog, "accept");
    });
    QTest::mouseClick(button(page, "Load Settings"), Qt::LeftButton);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));
    QCOMPARE(selector(page)->currentText(), QString("Powersave"));

    // Performance is no longer the current segment, so picking it applies it again.
    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(GOVERN_PERFORMANCE));
    QCOMPARE(fx.readAttribute(1, "scaling_governor"), QByteArray("performance"));
    QCOMPARE(fx.readAttribute(1, "scaling_max_freq"), QByteArray("3400000"));
}

// Core 1's cpufreq files refuse every write (a read-only mount): the profile and the file that
// touch it say so below the selector, and the selector shows what the kernel kept.
void TestMainWindow::refusedWritesAreShown()
{
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    SysfsFixture fx;
    makeMachine(fx, 2);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    const QString saved = fx.root() + "/settings.json";
    QVERIFY(info.dump(saved));
    const QString refusing = fx.coreDir(1) + "/cpufreq";
    QVERIFY2(MountNamespace::makeReadOnly(refusing), qPrintable(MountNamespace::reason()));
    auto unmount = qScopeGuard([refusing] { MountNamespace::unmount(refusing); });
    MainPage page(info);
    page.resize(1100, 500);
    page.show();
    QVERIFY(QTest::qWaitForWindowExposed(&page));
    auto *notice = page.findChild<QFrame *>("notice");
    auto *noticeText = page.findChild<QPlainTextEdit *>("noticeText");
    QVERIFY(notice && noticeText);
    QVERIFY(!notice->isVisible());

    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(GOVERN_POWERSAVE));
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("powersave"));
    QVERIFY(notice->isVisible());
    const QStringList lines = noticeText->toPlainText().split('\n');
    const QString refused = QString::fromLocal8Bit(std::strerror(EROFS));
    QCOMPARE(lines.size(), 3);
    QVERIFY2(lines[0].startsWith("cpu1: scaling_governor: ") && lines[0].contains("\"powersave\"")
                 && lines[0].contains(refused),
             qPrintable(lines[0]));
    QVERIFY2(lines.filter("cpu1: scaling_max_freq: ").value(0).contains("\"800000\""), qPrintable(lines.join('|')));
    QVERIFY(!noticeText->toPlainText().contains("cpu0"));
    // Core 1 kept its governor and limits: no profile holds.
    QTRY_COMPARE(selector(page)->currentText(), QString("Custom"));

    QTest::mouseClick(page.findChild<QPushButton *>("dismissNotice"), Qt::LeftButton);
    QVERIFY(!notice->isVisible());

    // A settings file asking core 1 for another governor.
    QByteArray text = SysfsFixture::readFile(saved);
    QCOMPARE(text.count("\"schedutil\""), 2);
    const int second = text.lastIndexOf("\"schedutil\"");
    text.replace(second, 11, "\"ondemand\"");
    SysfsFixture::writePlainFile(saved, text);
    page.loadSettingsFrom(saved);
    QCOMPARE(fx.readAttribute(0, "scaling_governor"), QByteArray("schedutil"));
    QVERIFY(notice->isVisible());
    QVERIFY2(noticeText->toPlainText().startsWith("cpu1: scaling_governor: ")
                 && noticeText->toPlainText().contains("ondemand"),
             qPrintable(noticeText->toPlainText()));

    // Once everything takes, the notice goes.
    QVERIFY(MountNamespace::unmount(refusing));
    QTest::mouseClick(selector(page), Qt::LeftButton, Qt::NoModifier, segmentCentre(GOVERN_PERFORMANCE));
    QVERIFY(!notice->isVisible());
    QTRY_COMPARE(selector(page)->currentText(), QString("Performance"));
}

// The save dialog adds ".json" before it asks about replacing; a name that saving would still
// extend is asked about too. The dialog starts in root's home for root, then where the last file
// was chosen.
void TestMainWindow::saveAsksBeforeReplacing()
{
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage page(info);
    const QString existing = fx.root() + "/settings.json";
    const QString planted = fx.root() + "/settings.JSON.json";
    SysfsFixture::writePlainFile(existing, "earlier");
    SysfsFixture::writePlainFile(planted, "planted");

    QTemporaryDir otherHome;
    const QByteArray home = qgetenv("HOME");
    qputenv("HOME", QFile::encodeName(otherHome.path()));
    auto restore = qScopeGuard([home] { qputenv("HOME", home); });
    const passwd *root = ::getpwuid(0);
    const QString firstStart = ::geteuid() == 0 ? QString::fromLocal8Bit(root->pw_dir) : otherHome.path();

    // Chooses name in the save dialog and answers the question that follows, if any, with answer.
    auto save = [&page](const QString &name, QMessageBox::StandardButton answer, QString *startedIn,
                        QString *question) {
        answerNextDialog<QFileDialog>([=](QFileDialog *dialog) {
            *startedIn = dialog->directory().absolutePath();
            answerNextDialog<QMessageBox>([=](QMessageBox *box) {
                *question = box->text();
                box->button(answer)->click();
            });
            dialog->selectFile(name);
            QMetaObject::invokeMethod(dialog, "accept");
            if (dialog->isVisible()) // declined: the dialog stays open
                dialog->reject();
        });
        QTest::mouseClick(button(page, "Save Settings"), Qt::LeftButton);
    };

    QString startedIn, question;
    save(fx.root() + "/settings.JSON", QMessageBox::No, &startedIn, &question);
    QCOMPARE(startedIn, firstStart);
    QVERIFY2(question.startsWith("settings.JSON.json already exists."), qPrintable(question));
    QCOMPARE(SysfsFixture::readFile(planted), QByteArray("planted"));

    question.clear();
    save(fx.root() + "/settings", QMessageBox::No, &startedIn, &question);
    QCOMPARE(startedIn, QDir(fx.root()).absolutePath());
    QVERIFY2(question.startsWith("settings.json already exists."), qPrintable(question));
    QCOMPARE(SysfsFixture::readFile(existing), QByteArray("earlier"));

    save(fx.root() + "/settings", QMessageBox::Yes, &startedIn, &question);
    QVERIFY(QJsonDocument::fromJson(SysfsFixture::readFile(existing)).isArray());
    QStringList files = QDir(fx.root()).entryList({"settings*"}, QDir::Files);
    files.sort();
    QCOMPARE(files, QStringList({"settings.JSON.json", "settings.json"}));
    QCOMPARE(SysfsFixture::readFile(planted), QByteArray("planted"));
}

void TestMainWindow::navigation()
{
    SysfsFixture fx;
    makeMachine(fx, 3);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainWindow window(info);
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));

    // Segments are named by the core's number, not its place: cpu1 may be absent.
    SysfsFixture gap;
    gap.addTypicalCore(0);
    gap.addTypicalCore(2);
    CPUInfo gapInfo(gap.cpuDir(), gap.cpuInfoPath());
    MainWindow gapWindow(gapInfo);
    for (SwitchButton *candidate : gapWindow.findChildren<SwitchButton *>()) {
        if (candidate->parent() == &gapWindow)
            QCOMPARE(candidate->getText(2), QString("Core 2"));
    }

    auto *pages = window.findChild<QStackedLayout *>();
    auto *overviewPage = window.findChild<MainPage *>();
    QVERIFY(pages && overviewPage);
    SwitchButton *nav = nullptr;
    for (SwitchButton *candidate : window.findChildren<SwitchButton *>()) {
        if (candidate->parent() == &window)
            nav = candidate;
    }
    QVERIFY(nav);
    QCOMPARE(nav->count(), 4);
    QCOMPARE(nav->getText(0), QString("All"));
    QCOMPARE(nav->getText(3), QString("Core 2"));
    QCOMPARE(nav->currentIndex(), 0);
    QCOMPARE(pages->count(), 5); // the overview, three cores, the monitor
    QCOMPARE(pages->currentWidget(), overviewPage);

    const int seg = (nav->width() + 2) / nav->count();
    QTest::mouseClick(nav, Qt::LeftButton, Qt::NoModifier, QPoint(3 * seg + seg / 2, nav->height() / 2));
    auto *corePage = qobject_cast<DisplayCorePage *>(pages->currentWidget());
    QVERIFY(corePage);
    QCOMPARE(corePage->findChild<PolicyEditorWidget *>()->findChildren<QLabel *>().value(0)->text(), QString("CPU 2"));
    QVERIFY(corePage->isVisible());
    QVERIFY(!overviewPage->isVisible());

    // Going back to "All" shows the profile in force at that moment.
    info.setPredefinedGoverns(GOVERN_SLOW);
    QVERIFY(selector(*overviewPage)->currentIndex() != int(GOVERN_SLOW));
    QTest::mouseClick(nav, Qt::LeftButton, Qt::NoModifier, QPoint(seg / 2, nav->height() / 2));
    QCOMPARE(pages->currentWidget(), overviewPage);
    QCOMPARE(selector(*overviewPage)->currentIndex(), int(GOVERN_SLOW));
}

void TestMainWindow::samplerRefreshesTheShownPage()
{
    SysfsFixture fx;
    makeMachine(fx, 2);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainWindow window(info);
    auto *sampler = window.findChild<Sampler *>();
    auto *timer = sampler ? sampler->findChild<QTimer *>() : nullptr;
    QVERIFY(timer);
    QVERIFY(!timer->isActive()); // nothing is read before the window is shown
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(timer->isActive());
    QCOMPARE(timer->interval(), 1000);
    auto *overviewPage = window.findChild<MainPage *>();
    QVERIFY(window.findChildren<DisplayCorePage *>().isEmpty()); // core pages wait until shown
    QCOMPARE(sampler->watched(), QVector<int>({0, 1}));

    fx.writeAttribute(1, "scaling_cur_freq", "2900000\n", 0444);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QTRY_VERIFY(overview(*overviewPage).contains("CPU 1 : isEnabled = 1,\t scaling_cur_freq = 2900 MHz,"));

    // A core page shows its core's values as the kernel gives them when it appears.
    fx.writeAttribute(1, "scaling_cur_freq", "1500000\n", 0444);
    window.showPage(2);
    auto *corePage = window.findChild<DisplayCorePage *>();
    QVERIFY(corePage && corePage->isVisible());
    QCOMPARE(sampler->watched(), QVector<int>({1}));
    auto *coreValue = corePage->findChild<QLabel *>("scaling_cur_freq");
    QTRY_COMPARE(coreValue->text(), QString("1500 MHz"));
    QTRY_VERIFY(!sampler->busy());
    const QString overviewBefore = overview(*overviewPage);
    fx.writeAttribute(1, "scaling_cur_freq", "1700000\n", 0444);
    QVERIFY(QMetaObject::invokeMethod(timer, "timeout"));
    QTRY_COMPARE(coreValue->text(), QString("1700 MHz"));
    QCOMPARE(overview(*overviewPage), overviewBefore); // hidden overview: not refreshed

    // Minimised or hidden, nothing is read.
    window.showMinimized();
    QTRY_VERIFY(!timer->isActive());
    window.showNormal();
    QTRY_VERIFY(timer->isActive());
    window.hide();
    QVERIFY(!timer->isActive());
}

void TestMainWindow::readsThatPredateAWriteAreDropped()
{
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    CPUCore &core = info.cores.front();
    Sampler sampler(info.cores);
    QSignalSpy updates(&sampler, &Sampler::updated);

    // The read starts before the write and may see the file either before or after it; either way
    // its result must not replace what the write left in the core.
    sampler.sampleNow({0});
    QVERIFY(core.setPolicy("scaling_max_freq", "2000000"));
    fx.writeAttribute(0, "scaling_cur_freq", "1234000\n", 0444);
    QTRY_VERIFY(!sampler.busy());
    QCOMPARE(updates.count(), 0);
    QCOMPARE(core.policies.value("scaling_max_freq").value, QString("2000000"));

    // The next read brings what the kernel has now.
    sampler.sampleNow({0});
    QTRY_COMPARE(updates.count(), 1);
    QCOMPARE(updates.first().first().value<QVector<int>>(), QVector<int>({0}));
    QCOMPARE(core.policies.value("scaling_cur_freq").value, QString("1234000"));
    QCOMPARE(core.policies.value("scaling_max_freq").value, QString("2000000"));
}

void TestMainWindow::manyCoresStayReachable()
{
    SysfsFixture fx;
    makeMachine(fx, 64);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QVERIFY(StartUp::installStyleSheet(*qApp));
    {
        MainWindow window(info);
        // Small enough for a 1280x720 screen whatever the core count.
        QVERIFY(window.minimumWidth() <= 1200 && window.minimumHeight() <= 600);
        for (const QSize &size : {QSize(1200, 650), window.minimumSize()}) {
            window.resize(size);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            QCoreApplication::sendPostedEvents();
            const QRect inside = window.rect();
            // 65 segments do not fit: the compact navigator stands in, wholly inside the window.
            auto *compact = window.findChild<QWidget *>("CoreNavigator");
            QVERIFY(compact && compact->isVisible());
            // Alike cores with policies of their own: no headings in the list, no choice of group.
            QCOMPARE(compact->findChild<QComboBox *>()->count(), 64);
            QVERIFY(!window.findChild<QComboBox *>("groupChoice"));
            for (QWidget *control : compact->findChildren<QWidget *>()) {
                if (!control->isVisible()) // the drop-down's closed list
                    continue;
                const QRect where(control->mapTo(&window, QPoint()), control->size());
                QVERIFY2(inside.contains(where), qPrintable(control->metaObject()->className()));
            }
            // Every control of the overview is inside the scrolled area, so scrolling reaches it.
            auto *overviewPage = window.findChild<MainPage *>();
            for (QWidget *control : overviewPage->findChildren<QWidget *>()) {
                if (control->parentWidget() == overviewPage && control->isVisible())
                    QVERIFY(overviewPage->rect().contains(control->geometry()));
            }
            QVERIFY(overviewPage->width() >= overviewPage->sizeHint().width());
            QVERIFY(overviewPage->height() >= overviewPage->sizeHint().height());
        }

        // Typing a core's number goes to its page, built only now.
        QVERIFY(window.findChildren<DisplayCorePage *>().isEmpty());
        auto *jump = window.findChild<QWidget *>("CoreNavigator")->findChild<QLineEdit *>();
        QTest::keyClicks(jump, "63");
        QTest::keyClick(jump, Qt::Key_Return);
        QCOMPARE(window.currentPage(), 64);
        QCOMPARE(window.findChildren<DisplayCorePage *>().size(), 1);
        auto *editor = window.findChild<DisplayCorePage *>()->findChild<PolicyEditorWidget *>();
        QCOMPARE(editor->findChildren<QLabel *>().value(0)->text(), QString("CPU 63"));
    }
    qApp->setStyleSheet(QString());
}

void TestMainWindow::backgroundPainted()
{
    SysfsFixture fx;
    makeMachine(fx, 1);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainWindow window(info);
    window.resize(1200, 650);
    const QImage shot = window.grab().toImage();
    const QImage background(":/res/pic/cpu_blue.jpg");
    QVERIFY(!background.isNull());
    for (const QPoint &p : {QPoint(2, 2), QPoint(1195, 645), QPoint(10, 600)})
        QCOMPARE(shot.pixelColor(p), background.pixelColor(p));
}

void TestMainWindow::privilegeRule_data()
{
    QTest::addColumn<int>("uid");
    QTest::addColumn<QString>("dir");
    QTest::addColumn<bool>("refused");
    QTest::newRow("user under /opt") << 1000 << "/opt/freqdeck/bin" << true;
    QTest::newRow("user under /optional") << 1000 << "/optional/bin" << true;
    QTest::newRow("root under /opt") << 0 << "/opt/freqdeck/bin" << false;
    QTest::newRow("user under /home") << 1000 << "/home/user/freqdeck/build/ui" << false;
    QTest::newRow("user under /usr/opt") << 1000 << "/usr/opt/bin" << false;
    QTest::newRow("case matters") << 1000 << "/OPT/bin" << false;
}

void TestMainWindow::privilegeRule()
{
    QFETCH(int, uid);
    QFETCH(QString, dir);
    QFETCH(bool, refused);
    QCOMPARE(StartUp::refusesToStart(static_cast<uid_t>(uid), dir), refused);
}

void TestMainWindow::centring_data()
{
    QTest::addColumn<QSize>("window");
    QTest::addColumn<QSize>("available");
    QTest::addColumn<QPoint>("position");
    QTest::newRow("full HD") << QSize(1201, 701) << QSize(1920, 1080) << QPoint(360, 190);
    QTest::newRow("odd difference rounds up") << QSize(1200, 700) << QSize(1205, 705) << QPoint(3, 3);
    QTest::newRow("negative difference") << QSize(1200, 700) << QSize(1195, 695) << QPoint(-2, -2);
    QTest::newRow("exact fit") << QSize(800, 600) << QSize(800, 600) << QPoint(0, 0);
}

void TestMainWindow::centring()
{
    QFETCH(QSize, window);
    QFETCH(QSize, available);
    QFETCH(QPoint, position);
    QCOMPARE(StartUp::centredPosition(window, available), position);
}

void TestMainWindow::windowFitsItsScreen_data()
{
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("placed");
    // 1200x650 where it fits with its frame, centred on the screen's own area.
    QTest::newRow("1920x1080") << QRect(0, 0, 1920, 1050) << QRect(359, 185, 1200, 650);
    QTest::newRow("1366x768") << QRect(0, 0, 1366, 740) << QRect(82, 30, 1200, 650);
    QTest::newRow("1280x720, panel on top") << QRect(0, 28, 1280, 692) << QRect(39, 34, 1200, 650);
    QTest::newRow("second screen") << QRect(1920, 0, 1366, 768) << QRect(2002, 44, 1200, 650);
    // Else as large as the area allows.
    QTest::newRow("1024x600") << QRect(0, 0, 1024, 600) << QRect(0, 0, 1022, 570);
    QTest::newRow("below the minimum") << QRect(0, 0, 600, 400) << QRect(0, 0, 598, 370);
}

void TestMainWindow::windowFitsItsScreen()
{
    QFETCH(QRect, available);
    QFETCH(QRect, placed);
    const QRect rect = WindowPlacement::fit(QSize(1200, 650), QSize(640, 420), QSize(2, 30), available);
    QCOMPARE(rect, placed);
    QVERIFY(available.contains(QRect(rect.topLeft(), rect.size() + QSize(2, 30))));
}

void TestMainWindow::styleSheetEndsAtNul()
{
    QTemporaryFile file;
    QVERIFY(file.open());
    file.write(QByteArray("QLabel { color: #123456; }\0QLabel { color: #654321; }", 53));
    file.close();
    QVERIFY(StartUp::installStyleSheet(*qApp, file.fileName()));
    QCOMPARE(qApp->styleSheet(), QString("QLabel { color: #123456; }"));
    QVERIFY(!StartUp::installStyleSheet(*qApp, file.fileName() + ".missing"));
    QCOMPARE(qApp->styleSheet(), QString("QLabel { color: #123456; }"));
    qApp->setStyleSheet(QString());

    QVERIFY(StartUp::installStyleSheet(*qApp));
    QVERIFY(qApp->styleSheet().contains(".MainPage"));
    qApp->setStyleSheet(QString());
}

void TestMainWindow::windowOverRealPaths()
{
    if (!MountNamespace::available())
        QSKIP(qPrintable("needs a private mount namespace: " + MountNamespace::reason()));
    SysfsFixture fx;
    makeMachine(fx, 4);
    QVERIFY(MountNamespace::bind(fx.cpuDir(), "/sys/devices/system/cpu"));
    QVERIFY(MountNamespace::bind(fx.cpuInfoPath(), "/proc/cpuinfo"));
    MainWindow window;
    QCOMPARE(window.findChild<QStackedLayout *>()->count(), 6); // the overview, four cores, the monitor
    QCOMPARE(window.findChild<MainPage *>()->findChildren<QLabel *>().first()->text(),
             QString("Fixture Processor 3400"));
    QVERIFY(MountNamespace::unmount("/proc/cpuinfo"));
    QVERIFY(MountNamespace::unmount("/sys/devices/system/cpu"));
}

void TestMainWindow::renderWindow()
{
    SysfsFixture fx;
    makeMachine(fx, 8);
    for (int i = 0; i < 8; ++i)
        fx.writeAttribute(i, "scaling_cur_freq", QByteArray::number(1800000 + i * 123456) + "\n", 0444);
    fx.setOnline(5, "0\n");
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    QVERIFY(StartUp::installStyleSheet(*qApp));
    StartUp::installPalette();
    StartUp::installFont();
    {
        MainWindow window(info);
        window.resize(1200, 650);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const QDir out(QStringLiteral(FREQDECK_RENDER_DIR));
        QVERIFY(window.grab().save(out.filePath("overview.png")));
        for (SwitchButton *nav : window.findChildren<SwitchButton *>()) {
            if (nav->parent() == &window)
                nav->setCurrentIndex(3, true);
        }
        QVERIFY(window.grab().save(out.filePath("corepage-window.png")));
    }
    qApp->setStyleSheet(QString());
}

FREQDECK_NAMESPACED_TEST_MAIN(QApplication, TestMainWindow)
#include "testmainwindow.moc"
