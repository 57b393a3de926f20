// SPDX-License-Identifier: GPL-3.0-or-later
// libFuzzer target: arbitrary bytes as a request to freqdeck-helper and as a path the client maps
// to a request (see README.md here).

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "helperrequest.h"

namespace
{

const QByteArray root = QByteArrayLiteral("/sys/devices/system/cpu");

[[noreturn]] void broken(const char *rule, const QByteArray &path)
{
    std::fprintf(stderr, "helper request broke its rule: %s (%s)\n", rule, path.toHex().constData());
    std::abort(); // libFuzzer saves the input as a crash
}

// What any accepted request may write: a plain path under the CPU tree, a page of printable text.
void checkWrite(const HelperRequest::Write &write)
{
    const QByteArray &path = write.relativePath;
    if (path.isEmpty() || path.startsWith('/') || path.endsWith('/') || path.contains("//"))
        broken("path not relative and plain", path);
    for (const char c : path) {
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_' || c == '/'))
            broken("character outside [A-Za-z0-9_/]", path);
    }
    const bool isSwitch = HelperRequest::switches().contains(path);
    const bool isCoreFile =
        path.startsWith("cpu") && path.count('/') >= 1 && path.count('/') <= 2
        && (path.endsWith("/online") || path.contains("/cpufreq/") || path.endsWith("/power/energy_perf_bias"));
    if (!isSwitch && !isCoreFile)
        broken("not a listed switch or a core's file", path);
    if (write.bytes.isEmpty() || write.bytes.size() > 4096)
        broken("value empty or over a page", path);
    for (const char c : write.bytes) {
        if (c < 0x20 || c > 0x7e)
            broken("value not printable ASCII", path);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray input = QByteArray::fromRawData(reinterpret_cast<const char *>(data), static_cast<int>(size));
    // A request: kind, CPU number, then name and value split at the first newline.
    if (size >= 5) {
        HelperRequest::Request request;
        request.kind = static_cast<HelperRequest::Kind>(data[0] % 3);
        request.cpu = uint(data[1]) | uint(data[2]) << 8 | uint(data[3]) << 16 | uint(data[4]) << 24;
        const QByteArray rest = input.mid(5);
        const int split = rest.indexOf('\n');
        request.name = QString::fromUtf8(rest.left(split));
        request.value = split < 0 ? QString() : QString::fromUtf8(rest.mid(split + 1));
        const HelperRequest::Checked checked = HelperRequest::check(request);
        if (checked.error == 0) {
            checkWrite(checked.write);
            // The client maps the helper's own file back to a request for the same write.
            const auto back =
                HelperRequest::fromPath(root, root + '/' + checked.write.relativePath, checked.write.bytes);
            if (!back)
                broken("an accepted write does not map back to a request", checked.write.relativePath);
            const HelperRequest::Checked again = HelperRequest::check(*back);
            if (again.error != 0 || again.write.relativePath != checked.write.relativePath
                || again.write.bytes != checked.write.bytes)
                broken("the mapped request writes something else", checked.write.relativePath);
        }
    }
    // A path as the model writes it: a request the client sends for it writes that very file.
    const int split = input.indexOf('\n');
    const QByteArray path = input.left(split);
    const QByteArray bytes = split < 0 ? QByteArray("1") : input.mid(split + 1);
    if (const auto request = HelperRequest::fromPath(root, path, bytes)) {
        const HelperRequest::Checked checked = HelperRequest::check(*request);
        if (checked.error == 0) {
            checkWrite(checked.write);
            if (root + '/' + checked.write.relativePath != path)
                broken("the client would send a request for another file", path);
            if (checked.write.bytes != bytes)
                broken("the client would send another value", path);
        }
    }
    return 0;
}
