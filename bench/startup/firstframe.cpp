// SPDX-License-Identifier: GPL-3.0-or-later
// Preloaded into a program that the start-up benchmark launches: reports the moment the first
// frame of a window has been handed to the platform, which is when a user would see the window.
// Nothing in the program changes; the widgets' own call into QtGui is intercepted on its way.
//
// The benchmark passes a pipe as descriptor 3. At the end of the first flush of a window with a
// non-empty area, one line goes to it: the CLOCK_MONOTONIC time in nanoseconds and the window's
// size. Without such a pipe nothing is written.

#include <QBackingStore>
#include <QRegion>
#include <QWindow>

#include <atomic>
#include <cstdio>
#include <ctime>

#include <dlfcn.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{
constexpr int reportFd = 3;
std::atomic<bool> reported{false};

using Flush = void (*)(QBackingStore *, const QRegion &, QWindow *, const QPoint &);

Flush realFlush()
{
    static const auto real =
        reinterpret_cast<Flush>(::dlsym(RTLD_NEXT, "_ZN13QBackingStore5flushERK7QRegionP7QWindowRK6QPoint"));
    return real;
}

void report(QWindow *window)
{
    struct timespec now;
    ::clock_gettime(CLOCK_MONOTONIC, &now);
    struct stat st;
    if (::fstat(reportFd, &st) != 0 || !S_ISFIFO(st.st_mode))
        return;
    char line[128];
    const int n = std::snprintf(line, sizeof line, "%lld %d %d\n",
                                static_cast<long long>(now.tv_sec) * 1000000000LL + now.tv_nsec,
                                window ? window->width() : 0, window ? window->height() : 0);
    if (n > 0) {
        const size_t size = static_cast<size_t>(n) < sizeof line ? static_cast<size_t>(n) : sizeof line - 1;
        [[maybe_unused]] const ssize_t written = ::write(reportFd, line, size);
    }
    ::close(reportFd);
}
} // namespace

void QBackingStore::flush(const QRegion &region, QWindow *window, const QPoint &offset)
{
    if (const Flush real = realFlush())
        real(this, region, window, offset);
    if (!region.isEmpty() && !reported.exchange(true))
        report(window ? window : this->window());
}
