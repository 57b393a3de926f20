#include "cpucore.h"

#include <QDebug>

#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// sysfs attributes are at most a page; the cap only guards against endless files.
constexpr int maxValueSize = 1024 * 1024;

// Text of a file as a QString. Attribute values are nearly always ASCII, which Latin-1 decoding
// turns into the same string as UTF-8 decoding, only cheaper.
QString decodeValue(const char *begin, const char *end)
{
    unsigned char bits = 0;
    for (const char *c = begin; c < end; ++c) // no early exit, so that it vectorizes
        bits |= static_cast<unsigned char>(*c);
    if (bits & 0x80)
        return QString::fromUtf8(begin, static_cast<int>(end - begin));
    return QString::fromLatin1(begin, static_cast<int>(end - begin));
}

// Reads a whole file through fd. Attribute files are at most a page, so the common case fits the
// stack buffer and is decoded without an intermediate copy. A read that returns less than asked
// for has reached the end: sysfs hands out an attribute's whole text at once and regular files
// only come up short at their end, so the extra read that would return 0 is not made.
QString readValue(int fd)
{
    char buf[4096];
    QByteArray big;
    ssize_t n;
    for (;;) {
        n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < static_cast<ssize_t>(sizeof buf))
            break;
        big.append(buf, static_cast<int>(n));
        if (big.size() >= maxValueSize) {
            n = 0;
            break;
        }
    }
    const char *begin = buf;
    qsizetype size = n > 0 ? n : 0;
    if (!big.isEmpty()) {
        big.append(buf, static_cast<int>(size));
        begin = big.constData();
        size = big.size();
    }
    const char *end = begin + size;
    while (begin < end && isSpace(*begin))
        ++begin;
    while (end > begin && isSpace(end[-1]))
        --end;
    if (const void *nul = std::memchr(begin, '\0', static_cast<size_t>(end - begin)))
        end = static_cast<const char *>(nul);
    return decodeValue(begin, end);
}

// Characters that every locale encoding maps to the same character as Latin-1 does; NUL is not
// one, so that it ends the scan in decodeName().
struct PlainNameCharacters {
    constexpr PlainNameCharacters()
    {
        for (int c = 0; c < 256; ++c)
            plain[c] = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '_'
                       || c == '-' || c == '.';
    }
    bool plain[256] = {};
};
constexpr PlainNameCharacters plainNameCharacters;

// Attribute names are plain identifiers and take the cheap Latin-1 path; anything else goes
// through the locale as QFile::decodeName does.
QString decodeName(const char *name)
{
    const char *c = name;
    while (plainNameCharacters.plain[static_cast<unsigned char>(*c)])
        ++c;
    if (*c)
        return QFile::decodeName(name);
    return QString::fromLatin1(name, static_cast<int>(c - name));
}

// dirPath plus a short suffix as a C string, built without the heap for paths of usual length.
class SubPath
{
public:
    SubPath(const QByteArray &dir, const char *suffix)
    {
        const auto dirLen = static_cast<size_t>(dir.size());
        const size_t suffixLen = std::strlen(suffix);
        if (dirLen + suffixLen < sizeof buf) {
            std::memcpy(buf, dir.constData(), dirLen);
            std::memcpy(buf + dirLen, suffix, suffixLen + 1);
            path = buf;
        } else {
            fallback = dir + suffix;
            path = fallback.constData();
        }
    }
    SubPath(const SubPath &) = delete; // path may point into this object
    SubPath &operator=(const SubPath &) = delete;
    const char *c_str() const { return path; }

private:
    char buf[512];
    QByteArray fallback;
    const char *path;
};

// One write(2) of the whole text: sysfs reports a refused value from this very call. O_TRUNC is
// what a shell redirection does; sysfs ignores it, plain files need it.
bool writeOnce(const QByteArray &path, const QByteArray &bytes)
{
    const int fd = ::open(path.constData(), O_WRONLY | O_TRUNC | O_CLOEXEC);
    if (fd < 0)
        return false;
    ssize_t n;
    do {
        n = ::write(fd, bytes.constData(), static_cast<size_t>(bytes.size()));
    } while (n < 0 && errno == EINTR);
    int savedErrno = errno;
    if (n >= 0 && n < bytes.size()) {
        savedErrno = EIO; // a partial write left the attribute with a truncated value
        n = -1;
    }
    ::close(fd);
    errno = savedErrno;
    return n >= 0;
}

} // namespace

CPUCore::CPUCore() = default;

CPUCore::CPUCore(const QDir &dir)
    : dir(dir)
{
    if (!dir.exists()) {
        qDebug().noquote() << "CPU Dir is not exist";
        return;
    }
    const QString path = dir.absolutePath();
    dirPath = QFile::encodeName(path);

    // The number is taken from the last two characters of the path: cpu7 gives 7, cpu42 gives 42.
    const int len = path.size();
    const QChar last = len > 0 ? path.at(len - 1) : QChar();
    const QChar before = len > 1 ? path.at(len - 2) : QChar();
    if (last.isDigit() && before.isDigit() && last.unicode() < 128 && before.unicode() < 128)
        id = static_cast<short>((before.unicode() - '0') * 10 + (last.unicode() - '0'));
    else if (last.isDigit() && last.unicode() < 128)
        id = static_cast<short>(last.unicode() - '0');
    else
        id = 0;

    update();
}

short CPUCore::core_id() const
{
    return id;
}

bool CPUCore::isEnabled() const
{
    return enabled;
}

bool CPUCore::setEnabled(bool enable)
{
    if (dirPath.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    if (!writeOnce(dirPath + "/online", enable ? QByteArrayLiteral("1") : QByteArrayLiteral("0")))
        return false;
    enabled = enable;
    return true;
}

bool CPUCore::setPolicy(const QString &name, const QVariant &value)
{
    CPUPolicy &policy = policies[name];
    if (!policy.writable) {
        // Nothing is written; errno still tells callers why, as for a refused write.
        errno = policy.isEmpty() ? ENOENT : EACCES;
        return false;
    }
    policy.value = value.toString();
    if (dirPath.isEmpty()) {
        errno = ENOENT;
        return false;
    }
    return writeOnce(dirPath + "/cpufreq/" + QFile::encodeName(name), policy.value.toLatin1());
}

bool CPUCore::update()
{
    if (dirPath.isEmpty())
        return true;

    const int onlineFd = ::open(SubPath(dirPath, "/online").c_str(), O_RDONLY | O_CLOEXEC);
    if (onlineFd >= 0) {
        enabled = readValue(onlineFd).toInt() != 0;
        ::close(onlineFd);
    }

    policies.clear();

    // The flags and the skipping of entries without an inode are those of opendir and readdir.
    const int listingFd = ::open(SubPath(dirPath, "/cpufreq").c_str(), O_RDONLY | O_NONBLOCK | O_DIRECTORY | O_CLOEXEC);
    if (listingFd < 0)
        return true;
    // getdents64 into the stack rather than opendir: the 32 KiB buffer opendir allocates made
    // malloc consolidate its free lists on every update.
    alignas(dirent64) char entries[4096];
    for (;;) {
        const ssize_t n = ::getdents64(listingFd, entries, sizeof entries);
        if (n <= 0)
            break;
        for (ssize_t offset = 0; offset < n;) {
            const auto *entry = reinterpret_cast<const dirent64 *>(entries + offset);
            offset += entry->d_reclen;
            if (entry->d_ino == 0 || entry->d_name[0] == '.')
                continue;
            struct stat st;
            if (::fstatat(listingFd, entry->d_name, &st, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(st.st_mode))
                continue;
            // The record is filled where it lies in the map: copying a finished one would cost
            // atomic reference count updates for each of its strings.
            QString name = decodeName(entry->d_name);
            CPUPolicy &policy = *policies.insert(name, CPUPolicy());
            policy.name = std::move(name);
            policy.readable = st.st_mode & S_IRUSR;
            policy.writable = st.st_mode & S_IWUSR;
            const int fd = ::openat(listingFd, entry->d_name, O_RDONLY | O_CLOEXEC);
            if (fd >= 0) {
                policy.value = readValue(fd);
                ::close(fd);
            }
        }
    }
    ::close(listingFd);
    return true;
}

namespace
{

// setPolicy, telling onFailure when a write was tried and failed. An attribute that the core lacks or
// that is not writable is never written, so skipping it is no failure.
void writePolicy(CPUCore &core, const QString &name, const QVariant &value, const WriteFailureHandler &onFailure)
{
    if (core.setPolicy(name, value) || !onFailure)
        return;
    const int error = errno;
    if (core.policies.value(name).writable)
        onFailure({core.core_id(), name, value.toString(), error, QString()});
}

// setEnabled, telling onFailure when the switch refused. A core without a switch (the boot CPU on
// x86) cannot be taken offline, so it is online already and asking for that is no failure.
void writeOnline(CPUCore &core, bool enable, const WriteFailureHandler &onFailure)
{
    if (core.setEnabled(enable) || !onFailure)
        return;
    const int error = errno;
    if (enable && error == ENOENT)
        return;
    onFailure({core.core_id(), QStringLiteral("online"), enable ? QStringLiteral("1") : QStringLiteral("0"), error,
               QString()});
}

// Frequencies are compared in signed 32-bit arithmetic; the doubling wraps instead of overflowing.
int twoThirds(int max)
{
    return static_cast<int>(static_cast<quint32>(max) * 2u) / 3;
}

} // namespace

void CPUCore::setPredefinedGoverns(PREDEFINED_GOVERNS govern, const WriteFailureHandler &onFailure)
{
    const bool wasOffline = !isEnabled();
    writeOnline(*this, true, onFailure);
    // An offline core's files cannot be read (EBUSY), so its records may hold no limits until it is
    // back: then they are read again.
    const CPUPolicy hardwareMax = policies.value(QLatin1String(KnownCPUPolicy::cpuinfo_max_freq));
    if (wasOffline && isEnabled() && (hardwareMax.value.isEmpty() || hardwareMax.readError != 0))
        update();
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int min = policies[KnownCPUPolicy::cpuinfo_min_freq].value.toInt();

    const QString performance = QStringLiteral("performance");
    switch (govern) {
    case GOVERN_PERFORMANCE:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, performance, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max, onFailure);
        break;
    case GOVERN_FAST:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, performance, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, twoThirds(max), onFailure);
        break;
    case GOVERN_NORMAL:
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max / 2, onFailure);
        break;
    case GOVERN_SLOW:
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, max / 3, onFailure);
        break;
    case GOVERN_POWERSAVE:
        writePolicy(*this, KnownCPUPolicy::scaling_governor, QStringLiteral("powersave"), onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_min_freq, min, onFailure);
        writePolicy(*this, KnownCPUPolicy::scaling_max_freq, min, onFailure);
        break;
    default: // Custom only brings the core online.
        break;
    }
}

bool CPUCore::checkPredefinedGoverns(PREDEFINED_GOVERNS govern)
{
    const int max = policies[KnownCPUPolicy::cpuinfo_max_freq].value.toInt();
    const int limit = policies[KnownCPUPolicy::scaling_max_freq].value.toInt();
    if (!isEnabled())
        return false;

    auto governorIs = [this](const char *name) {
        return policies[KnownCPUPolicy::scaling_governor].value == QLatin1String(name);
    };
    switch (govern) {
    case GOVERN_PERFORMANCE:
        return governorIs("performance") && limit == max;
    case GOVERN_FAST:
        return limit >= twoThirds(max);
    case GOVERN_NORMAL:
        return max / 2 <= limit && limit < twoThirds(max);
    case GOVERN_SLOW:
        return max / 3 <= limit && limit < max / 2;
    case GOVERN_POWERSAVE:
        return governorIs("powersave") && limit < max / 3;
    default:
        return true;
    }
}

QJsonObject CPUCore::dumpSettings() const
{
    QJsonObject values;
    for (const CPUPolicy &policy : policies) {
        if (policy.writable)
            values.insert(policy.name, policy.value);
    }
    return QJsonObject{
        {QStringLiteral("id"), core_id()},
        {QStringLiteral("isEnabled"), isEnabled()},
        {QStringLiteral("policies"), values},
    };
}

void CPUCore::loadSettings(const QJsonObject &settings, const WriteFailureHandler &onFailure)
{
    // Only an object whose "id" is this core's number, as a JSON number, is meant for this core.
    const QJsonValue objectId = settings.value(QStringLiteral("id"));
    if (!objectId.isDouble() || objectId.toDouble() != double(core_id()))
        return;

    writeOnline(*this, settings.value(QStringLiteral("isEnabled")).toBool(true), onFailure);

    const QJsonObject values = settings.value(QStringLiteral("policies")).toObject();
    for (auto it = values.constBegin(); it != values.constEnd(); ++it) {
        const QString text = it.value().toString();
        const auto current = policies.constFind(it.key());
        // A name that is not one of this core's writable attribute files is never written.
        if (current == policies.constEnd() || !current->writable || current->value == text)
            continue;
        writePolicy(*this, it.key(), text, onFailure);
    }
}
