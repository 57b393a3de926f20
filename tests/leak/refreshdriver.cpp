// SPDX-License-Identifier: GPL-3.0-or-later
// Drives the window's refresh path, the overview and every core page, over a fake sysfs tree whose
// values change from tick to tick, and compares the heap in use after N and after 2N ticks: what
// one refresh allocates it must give back. scripts/leakcheck.sh runs it for thousands of ticks
// under valgrind, which also reports every block lost at exit; ctest runs it shorter in every
// build, the sanitizer build included.
//   test_refreshleak [--ticks N]    (default 400; a warm-up of N / 2 ticks comes first)

#include <QApplication>
#include <QFile>

#include <fcntl.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <memory>
#include <vector>

// valgrind's header comes with valgrind; without it the driver still measures through the allocator.
#if __has_include(<valgrind/memcheck.h>)
#include <valgrind/memcheck.h>
#define FREQDECK_HEAP_FROM_VALGRIND 1
#endif

#if defined(__SANITIZE_ADDRESS__)
#define FREQDECK_HEAP_FROM_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define FREQDECK_HEAP_FROM_ASAN 1
#endif
#endif
#ifdef FREQDECK_HEAP_FROM_ASAN
// From the sanitizer runtime; gcc ships no header for it.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
#endif

#include "cpuinfo.h"
#include "displaycorepage.h"
#include "mainpage.h"
#include "startup.h"
#include "sysfsfixture.h"

namespace
{

// A heap that grows by less than this over N ticks has not leaked: 16 bytes lost a tick would be
// more over the 400 ticks of ctest. What remains is caches settling, such as a glyph drawn for the
// first time.
constexpr long long allowedGrowth = 4096;

// Bytes held on the heap now, from whichever allocator is in charge.
size_t heapInUse()
{
#ifdef FREQDECK_HEAP_FROM_VALGRIND
    if (RUNNING_ON_VALGRIND) {
        VALGRIND_DO_QUICK_LEAK_CHECK;
        unsigned long leaked = 0;
        unsigned long dubious = 0;
        unsigned long reachable = 0;
        unsigned long suppressed = 0;
        VALGRIND_COUNT_LEAKS(leaked, dubious, reachable, suppressed);
        return leaked + dubious + reachable + suppressed;
    }
#endif
#ifdef FREQDECK_HEAP_FROM_ASAN
    return __sanitizer_get_current_allocated_bytes();
#else
    const struct mallinfo2 info = mallinfo2();
    return info.uordblks + info.hblkhd;
#endif
}

// Four cores as a laptop shows them: cpu0 without an online switch, cpu2 switched on and off by
// the ticks, cpu3 with a driver offering energy preferences.
void buildTree(SysfsFixture &fx)
{
    fx.writeCpuInfoForModel(QStringLiteral("Test CPU @ 2.40GHz"), 4);
    fx.addTypicalCore(0, 800000, 3400000, SysfsFixture::Online::Missing);
    fx.addTypicalCore(1, 800000, 3400000);
    fx.addTypicalCore(2, 400000, 4200000);
    fx.addTypicalCore(3, 400000, 4200000);
    for (int core = 0; core < 4; ++core) {
        fx.writeAttribute(core, QStringLiteral("scaling_cur_freq"), "2100000\n", 0444);
        fx.writeAttribute(core, QStringLiteral("cpuinfo_cur_freq"), "2100000\n", 0400);
    }
    fx.writeAttribute(3, QStringLiteral("energy_performance_preference"), "balance_power\n");
    fx.writeAttribute(3, QStringLiteral("energy_performance_available_preferences"),
                      "default performance balance_performance balance_power power\n", 0444);
}

// Rewrites a file in place with text of the same length. Truncating and rewriting a file makes
// ext4 flush it at close, and each tick would wait for the disk.
void overwrite(const QString &path, const QByteArray &content)
{
    const QByteArray name = QFile::encodeName(path);
    struct stat st;
    if (::stat(name.constData(), &st) != 0 || st.st_size != content.size())
        qFatal("refresh driver: %s does not hold %d bytes", name.constData(), int(content.size()));
    ::chmod(name.constData(), 0600);
    const int fd = ::open(name.constData(), O_WRONLY | O_CLOEXEC);
    const bool written = fd >= 0 && ::write(fd, content.constData(), size_t(content.size())) == content.size();
    if (fd >= 0)
        ::close(fd);
    ::chmod(name.constData(), st.st_mode & 07777);
    if (!written)
        qFatal("refresh driver: cannot write %s", name.constData());
}

// What the kernel changes between two refreshes: current frequencies every tick, now and then a
// governor, an online state, an attribute that comes and goes.
void advance(SysfsFixture &fx, int tick)
{
    for (int core = 0; core < 4; ++core) {
        const QByteArray khz = QByteArray::number(1000000 + (tick * 7919 * (core + 1)) % 3200000) + '\n';
        overwrite(fx.attributePath(core, QStringLiteral("scaling_cur_freq")), khz);
        overwrite(fx.attributePath(core, QStringLiteral("cpuinfo_cur_freq")), khz);
    }
    if (tick % 7 == 0)
        overwrite(fx.attributePath(0, QStringLiteral("scaling_governor")),
                  (tick / 7) % 2 ? "powersave\n" : "schedutil\n");
    if (tick % 10 == 0)
        overwrite(fx.coreDir(2) + QStringLiteral("/online"), (tick / 10) % 2 ? "0\n" : "1\n");
    if (tick % 25 == 0) {
        if ((tick / 25) % 2)
            fx.removeAttribute(3, QStringLiteral("energy_performance_preference"));
        else
            fx.writeAttribute(3, QStringLiteral("energy_performance_preference"), "performance\n");
    }
}

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    int ticks = 400;
    const QStringList arguments = QCoreApplication::arguments();
    const int at = arguments.indexOf(QStringLiteral("--ticks"));
    if (at >= 0 && at + 1 < arguments.size())
        ticks = arguments.at(at + 1).toInt();
    if (ticks < 2) {
        std::fprintf(stderr, "usage: %s [--ticks N], N >= 2\n", argv[0]);
        return 2;
    }

    // As the program starts: its style sheet, palette and font shape every repaint.
    StartUp::installStyleSheet(app);
    StartUp::installPalette();
    StartUp::installFont();

    SysfsFixture fx;
    buildTree(fx);
    CPUInfo info(fx.cpuDir(), fx.cpuInfoPath());
    MainPage overview(info);
    overview.show();
    std::vector<std::unique_ptr<DisplayCorePage>> pages;
    for (CPUCore &core : info.cores) {
        pages.push_back(std::make_unique<DisplayCorePage>(core));
        pages.back()->show();
    }

    int tick = 0;
    auto run = [&](int count) {
        for (const int end = tick + count; tick < end; ++tick) {
            advance(fx, tick);
            // The window's sampler re-reads the cores and the page in view shows them; here the
            // overview and each core page in turn.
            for (CPUCore &core : info.cores)
                core.update();
            overview.updateInfo();
            pages[static_cast<size_t>(tick) % pages.size()]->updateInfo();
            if (tick % 100 == 0)
                overview.updateGovern();       // as when the overview is shown again
            QCoreApplication::processEvents(); // the repaints the new texts ask for
        }
    };

    run(ticks / 2);
    const size_t start = heapInUse();
    run(ticks);
    const size_t afterN = heapInUse();
    run(ticks);
    const size_t after2N = heapInUse();

    std::printf("heap in use after warm-up: %zu bytes, after %d more ticks: %zu, after %d: %zu\n", start, ticks, afterN,
                2 * ticks, after2N);
    const long long growth = static_cast<long long>(after2N) - static_cast<long long>(afterN);
    if (growth > allowedGrowth) {
        std::fprintf(stderr, "the refresh path leaks: the heap grew by %lld bytes over ticks %d to %d\n", growth, ticks,
                     2 * ticks);
        return 1;
    }
    return 0;
}
