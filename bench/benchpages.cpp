// SPDX-License-Identifier: GPL-3.0-or-later
// The refresh that the window's timer makes once a second, in the real window shown on the
// offscreen platform: the overview of 64 cores (MainPage::updateInfo()) and the page of one core
// (DisplayCorePage::updateInfo()), each paired with the plain POSIX loop over the same files. Each
// is timed twice: the call alone, and the call followed by the layout and painting it causes.
// Then 10,000 refreshes of each page and what they leave in memory.

#include "benchcores.h"
#include "cpuinfo.h"
#include "displaycorepage.h"
#include "mainpage.h"
#include "mainwindow.h"
#include "pairedtiming.h"
#include "startup.h"
#include "switchbutton.h"
#include "sysfsfixture.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QWindow>

#include <benchmark/benchmark.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <iostream>
#include <memory>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

constexpr double targetRatio = 1.5;
constexpr int overviewCores = 64;

// On a real machine the current frequencies move between two refreshes, so the texts change and
// the labels have work to do. Each tick writes new values into the fixture, outside the timing.
class LiveFrequencies
{
public:
    void add(const QString &path) { paths.push_back(QFile::encodeName(path)); }

    // A value for each file that differs from the previous tick's, spread over a wide range so
    // that the texts keep changing in length and digits as well.
    static int kiloHertz(int tick, size_t file)
    {
        return 800000 + ((tick * 7 + static_cast<int>(file) * 13) % 2600) * 1000;
    }

    bool set(int tick) const
    {
        for (size_t i = 0; i < paths.size(); ++i) {
            char text[32];
            const int n = std::snprintf(text, sizeof text, "%d\n", kiloHertz(tick, i));
            if (!write(paths[i].constData(), text, static_cast<size_t>(n)))
                return false;
        }
        return true;
    }

private:
    static bool write(const char *path, const char *text, size_t size)
    {
        int fd = ::open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
        if (fd < 0 && errno == EACCES) { // a read-only attribute and no root: lend it write permission
            struct stat st;
            if (::stat(path, &st) != 0 || ::chmod(path, st.st_mode | S_IWUSR) != 0)
                return false;
            fd = ::open(path, O_WRONLY | O_TRUNC | O_CLOEXEC);
            ::chmod(path, st.st_mode);
        }
        if (fd < 0)
            return false;
        const bool ok = ::write(fd, text, size) == static_cast<ssize_t>(size);
        ::close(fd);
        return ok;
    }

    std::vector<QByteArray> paths;
};

// Delivers what a refresh left for the event loop: layout requests and the update request that
// paints the changed labels into the window's backing store. Timers are not run, so the window's
// own refresh never fires in between.
void deliverPostedEvents()
{
    QCoreApplication::sendPostedEvents();
}

// Counts paint events on the widgets it watches, to show that a refresh repaints.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// The window as main() builds it, over a fixture of 64 cores.
struct Scene {
    SysfsFixture fx;
    std::unique_ptr<CPUInfo> info;
    std::unique_ptr<MainWindow> window;
    SwitchButton *navigation = nullptr;
    MainPage *overview = nullptr;
    QLabel *overviewLabel = nullptr;
    std::vector<SyscallFloor> floors;
    LiveFrequencies overviewFiles; // the two current frequencies of every core
    LiveFrequencies coreFiles;     // the three current frequencies of core 0
    int attributeFiles = 0;
    int tick = 0;
    QString error;

    void showPage(int index)
    {
        navigation->setCurrentIndex(index, true);
        settle();
    }

    DisplayCorePage *visibleCorePage() const
    {
        for (DisplayCorePage *page : window->findChildren<DisplayCorePage *>()) {
            if (page->isVisible())
                return page;
        }
        return nullptr;
    }

    static void settle()
    {
        for (int i = 0; i < 5; ++i) {
            QCoreApplication::processEvents();
            deliverPostedEvents();
        }
    }
};

// Made on first use; main() removes it while the application object still exists.
std::unique_ptr<Scene> made;

Scene &scene()
{
    if (made)
        return *made;
    made = std::make_unique<Scene>();
    Scene &s = *made;
    for (int n = 0; n < overviewCores; ++n) {
        addTmpfsCore(s.fx, n);
        s.overviewFiles.add(s.fx.attributePath(n, QStringLiteral("scaling_cur_freq")));
        s.overviewFiles.add(s.fx.attributePath(n, QStringLiteral("cpuinfo_cur_freq")));
    }
    for (const char *name : {"scaling_cur_freq", "cpuinfo_cur_freq", "cpuinfo_avg_freq"})
        s.coreFiles.add(s.fx.attributePath(0, QLatin1String(name)));
    s.fx.writeCpuInfoForModel(QStringLiteral("Bench CPU @ 2.40GHz"), overviewCores);

    s.info = std::make_unique<CPUInfo>(s.fx.cpuDir(), s.fx.cpuInfoPath());
    if (static_cast<int>(s.info->cores.size()) != overviewCores) {
        s.error = QStringLiteral("the fixture has %1 cores, not %2").arg(s.info->cores.size()).arg(overviewCores);
        return s;
    }
    for (int n = 0; n < overviewCores; ++n) {
        s.floors.emplace_back(s.fx.coreDir(n));
        const int read = s.floors.back().run();
        if (read != s.info->cores[static_cast<size_t>(n)].policies.size()) {
            s.error = QStringLiteral("core %1: the model keeps %2 records, the floor read %3 files")
                          .arg(n)
                          .arg(s.info->cores[static_cast<size_t>(n)].policies.size())
                          .arg(read);
            return s;
        }
        s.attributeFiles += read;
    }

    // As main() shows it.
    s.window = std::make_unique<MainWindow>(*s.info);
    s.window->adjustSize();
    s.window->move(StartUp::centredPosition(s.window->size(), QGuiApplication::primaryScreen()->availableSize()));
    s.window->show();
    s.window->resize(1200, 650);
    QElapsedTimer clock;
    clock.start();
    while (!(s.window->windowHandle() && s.window->windowHandle()->isExposed()) && clock.elapsed() < 10000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    Scene::settle();

    s.navigation = s.window->findChild<SwitchButton *>(QString(), Qt::FindDirectChildrenOnly);
    s.overview = s.window->findChild<MainPage *>();
    s.overviewLabel = s.overview ? s.overview->findChild<QLabel *>(QStringLiteral("overview")) : nullptr;
    if (!s.navigation || !s.overview || !s.overviewLabel || !s.overview->isVisible())
        s.error = QStringLiteral("the window does not look as expected");
    return s;
}

enum class Paint { No, Yes };

// One benchmark iteration per refresh; new frequencies before each, outside the timing.
template<typename Refresh>
void timeRefresh(benchmark::State &state, Scene &s, Paint paint, Refresh refresh,
                 const std::vector<const SyscallFloor *> &floors, const LiveFrequencies &files)
{
    PairedTiming timing;
    for (auto _ : state) {
        if (!files.set(++s.tick)) {
            state.SkipWithError("cannot write the fixture");
            return;
        }
        timing.measure(
            [&] {
                refresh();
                if (paint == Paint::Yes)
                    deliverPostedEvents();
            },
            [&] {
                for (const SyscallFloor *floor : floors)
                    floor->run();
            });
        // Without painting in the timing, the next refresh should still find the window painted.
        if (paint == Paint::No)
            deliverPostedEvents();
    }
    timing.report(state);
}

// How many widgets one refresh repaints, for the record: a refresh that paints nothing would
// make the painted timing meaningless.
template<typename Refresh>
int paintsOfOneRefresh(Scene &s, const std::vector<QWidget *> &watched, Refresh refresh, const LiveFrequencies &files)
{
    PaintCounter counter;
    for (QWidget *w : watched)
        w->installEventFilter(&counter);
    files.set(++s.tick);
    refresh();
    deliverPostedEvents();
    for (QWidget *w : watched)
        w->removeEventFilter(&counter);
    return counter.paints;
}

void overviewRefresh(benchmark::State &state, Paint paint)
{
    Scene &s = scene();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    s.showPage(0);
    MainPage *page = s.overview;
    // The reads the window's sampler makes (off the GUI thread) and the page's refresh.
    auto refresh = [&s, page] {
        for (CPUCore &core : s.info->cores)
            core.update();
        page->updateInfo();
    };

    // The benchmark is only worth something if the text really follows the files.
    s.overviewFiles.set(++s.tick);
    refresh();
    const QString expected =
        QString::number(LiveFrequencies::kiloHertz(s.tick, static_cast<size_t>(2) * (overviewCores - 1)));
    if (!s.overviewLabel->text().contains(QStringLiteral("CPU %1 ").arg(overviewCores - 1))
        || !s.overviewLabel->text().contains(expected)) {
        state.SkipWithError("the overview does not show the new values");
        return;
    }
    const int paints = paintsOfOneRefresh(s, {s.overviewLabel}, refresh, s.overviewFiles);

    std::vector<const SyscallFloor *> floors;
    for (const SyscallFloor &floor : s.floors)
        floors.push_back(&floor);
    timeRefresh(state, s, paint, refresh, floors, s.overviewFiles);
    state.counters["files"] = s.attributeFiles;
    state.counters["paints"] = paints;
}

void corePageRefresh(benchmark::State &state, Paint paint)
{
    Scene &s = scene();
    if (!s.error.isEmpty()) {
        state.SkipWithError(qPrintable(s.error));
        return;
    }
    s.showPage(1); // core 0
    DisplayCorePage *page = s.visibleCorePage();
    if (!page) {
        state.SkipWithError("no core page is shown");
        return;
    }
    auto refresh = [&s, page] {
        s.info->cores.front().update();
        page->updateInfo();
    };

    s.coreFiles.set(++s.tick);
    refresh();
    auto *current = page->findChild<QLabel *>(QStringLiteral("scaling_cur_freq"));
    if (!current || current->text() != QStringLiteral("%1 MHz").arg(LiveFrequencies::kiloHertz(s.tick, 0) / 1000)) {
        state.SkipWithError("the core page does not show the new values");
        return;
    }
    std::vector<QWidget *> labels;
    for (QLabel *label : page->findChildren<QLabel *>())
        labels.push_back(label);
    const int paints = paintsOfOneRefresh(s, labels, refresh, s.coreFiles);

    timeRefresh(state, s, paint, refresh, {&s.floors.front()}, s.coreFiles);
    state.counters["files"] = s.floors.front().run();
    state.counters["paints"] = paints;
}

void memoryChecks(int rounds)
{
    Scene &s = scene();
    if (!s.error.isEmpty()) {
        std::cout << "memory: skipped: " << qPrintable(s.error) << '\n';
        return;
    }
    s.showPage(0);
    std::printf("memory: overview: %d refreshes, each followed by its painting\n", rounds);
    checkMemoryGrowth("overview", rounds, [&s] {
        s.overviewFiles.set(++s.tick);
        for (CPUCore &core : s.info->cores)
            core.update();
        s.overview->updateInfo();
        deliverPostedEvents();
    });
    s.showPage(1);
    DisplayCorePage *page = s.visibleCorePage();
    if (!page)
        return;
    std::printf("memory: core page: %d refreshes, each followed by its painting\n", rounds);
    checkMemoryGrowth("core page", rounds, [&s, page] {
        s.coreFiles.set(++s.tick);
        s.info->cores.front().update();
        page->updateInfo();
        deliverPostedEvents();
    });
}

} // namespace

int main(int argc, char **argv)
{
    BenchArguments arguments = splitBenchArguments(argc, argv);
    const int memoryRounds = arguments.memoryRounds;
    std::vector<char *> &args = arguments.args;
    int &benchArgc = arguments.argc;

    preferTmpfsForFixtures();
    // No display needed, and the same platform wherever it runs.
    qputenv("QT_QPA_PLATFORM", "offscreen");
    if (qEnvironmentVariableIsEmpty("QT_LOGGING_RULES"))
        qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");

    // As main() sets the application up: the pages' looks come from the style sheet.
    QCoreApplication::setAttribute(Qt::AA_EnableHighDpiScaling, true);
    QApplication app(benchArgc, args.data());
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    benchmark::Initialize(&benchArgc, args.data());
    if (benchmark::ReportUnrecognizedArguments(benchArgc, args.data()))
        return 2;
    printFixturePlaces();

    benchmark::RegisterBenchmark("OverviewRefresh/update", overviewRefresh, Paint::No)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("OverviewRefresh/painted", overviewRefresh, Paint::Yes)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("CorePageRefresh/update", corePageRefresh, Paint::No)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("CorePageRefresh/painted", corePageRefresh, Paint::Yes)->Unit(benchmark::kMicrosecond);
    // The targets are for the refresh itself; painting is reported beside it (docs/performance.md).
    RatioSummary::setTarget("OverviewRefresh/update", targetRatio);
    RatioSummary::setTarget("CorePageRefresh/update", targetRatio);

    RatioSummary reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();

    if (memoryRounds > 0) {
        std::cout << '\n';
        memoryChecks(memoryRounds);
    }
    made.reset();
    reporter.printSummary(std::cout);
    return 0;
}
