// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a settings file for CPUInfo::load (see README.md here).

#include <QByteArray>
#include <QStringList>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "loadharness.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    // One tree for the whole run; the harness puts it back after every input.
    static LoadHarness harness;
    const QStringList problems =
        harness.run(QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size)));
    if (!problems.isEmpty()) {
        std::fprintf(stderr, "settings load broke its rules:\n  %s\n",
                     qPrintable(problems.join(QStringLiteral("\n  "))));
        std::abort(); // libFuzzer saves the input as a crash
    }
    return 0;
}
