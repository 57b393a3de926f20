// SPDX-License-Identifier: GPL-3.0-or-later
#include "helperrequest.h"

#include <QList>

#include <cerrno>

namespace
{

// Linux's largest NR_CPUS.
constexpr uint cpuLimit = 8192;
constexpr int nameLimit = 64;
constexpr int pageSize = 4096;

bool isPlainName(const QString &name)
{
    if (name.isEmpty() || name.size() > nameLimit)
        return false;
    for (const QChar c : name) {
        const ushort u = c.unicode();
        if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_'))
            return false;
    }
    return true;
}

bool isPrintableValue(const QString &value)
{
    if (value.isEmpty() || value.size() > pageSize)
        return false;
    for (const QChar c : value) {
        if (c.unicode() < 0x20 || c.unicode() > 0x7e)
            return false;
    }
    return true;
}

// All of the bytes, NUL included, for check() to see and refuse: QString::fromLatin1(QByteArray)
// would stop at the first NUL and turn "name\0junk" into a request for "name".
QString latin1(const QByteArray &bytes)
{
    return QString::fromLatin1(bytes.constData(), bytes.size());
}

QByteArray cpuDir(uint cpu)
{
    return QByteArrayLiteral("cpu") + QByteArray::number(cpu);
}

} // namespace

namespace HelperRequest
{

const QList<QByteArray> &switches()
{
    static const QList<QByteArray> list{
        QByteArrayLiteral("cpufreq/boost"),
        QByteArrayLiteral("intel_pstate/no_turbo"),
        QByteArrayLiteral("intel_pstate/status"),
        QByteArrayLiteral("intel_pstate/max_perf_pct"),
        QByteArrayLiteral("intel_pstate/min_perf_pct"),
        QByteArrayLiteral("intel_pstate/hwp_dynamic_boost"),
        QByteArrayLiteral("amd_pstate/status"),
    };
    return list;
}

Checked check(const Request &request)
{
    if (!isPrintableValue(request.value))
        return {{}, EINVAL};
    const QByteArray bytes = request.value.toLatin1();
    switch (request.kind) {
    case Kind::Switch: {
        const QByteArray name = request.name.toLatin1();
        if (request.name.size() != name.size() || !switches().contains(name))
            return {{}, EINVAL};
        return {{name, bytes}, 0};
    }
    case Kind::Online:
        if (request.cpu >= cpuLimit)
            return {{}, ENODEV};
        if (bytes != "0" && bytes != "1")
            return {{}, EINVAL};
        return {{cpuDir(request.cpu) + "/online", bytes}, 0};
    case Kind::Attribute:
        if (request.cpu >= cpuLimit)
            return {{}, ENODEV};
        if (!isPlainName(request.name))
            return {{}, EINVAL};
        // The bias hint lives beside cpufreq, in the core's power directory.
        if (request.name == QLatin1String("energy_perf_bias"))
            return {{cpuDir(request.cpu) + "/power/energy_perf_bias", bytes}, 0};
        return {{cpuDir(request.cpu) + "/cpufreq/" + request.name.toLatin1(), bytes}, 0};
    }
    return {{}, EINVAL};
}

std::optional<Request> fromPath(const QByteArray &root, const QByteArray &path, const QByteArray &bytes)
{
    if (root.isEmpty() || !path.startsWith(root + '/'))
        return std::nullopt;
    const QByteArray relative = path.mid(root.size() + 1);
    const QString value = latin1(bytes);
    if (switches().contains(relative))
        return Request{Kind::Switch, 0, latin1(relative), value};
    const QList<QByteArray> parts = relative.split('/');
    if (parts.size() < 2 || !parts[0].startsWith("cpu"))
        return std::nullopt;
    bool ok = false;
    const QByteArray number = parts[0].mid(3);
    const uint cpu = number.toUInt(&ok);
    // Only the spelling the kernel uses: no sign, no leading zero.
    if (!ok || number != QByteArray::number(cpu))
        return std::nullopt;
    if (parts.size() == 2 && parts[1] == "online")
        return Request{Kind::Online, cpu, QString(), value};
    // The bias hint is only ever asked for where it lives, not under cpufreq.
    if (parts.size() == 3 && parts[1] == "cpufreq" && parts[2] != "energy_perf_bias")
        return Request{Kind::Attribute, cpu, latin1(parts[2]), value};
    if (parts.size() == 3 && parts[1] == "power" && parts[2] == "energy_perf_bias")
        return Request{Kind::Attribute, cpu, latin1(parts[2]), value};
    return std::nullopt;
}

} // namespace HelperRequest
