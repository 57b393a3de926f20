// SPDX-License-Identifier: GPL-3.0-or-later
// Replays every saved input of the helper's request checks through the fuzz target in every build:
// a broken rule aborts, which fails the test.

#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size);

int main()
{
    const QDir corpus(QStringLiteral(FREQDECK_FUZZ_DIR "/corpus-helper"));
    const QStringList names = corpus.entryList(QDir::Files);
    if (names.isEmpty()) {
        std::fprintf(stderr, "no inputs in %s\n", qPrintable(corpus.path()));
        return 1;
    }
    for (const QString &name : names) {
        QFile file(corpus.filePath(name));
        if (!file.open(QIODevice::ReadOnly))
            return 1;
        const QByteArray input = file.readAll();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(input.constData()), static_cast<size_t>(input.size()));
    }
    std::printf("%d helper requests replayed\n", static_cast<int>(names.size()));
    return 0;
}
