#include "cliapp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <cstring>
#include <iterator>
#include <vector>

#include "safetext.h"
#include "trustedfile.h"

namespace
{

const char *const programName = "freqdeck-cli";

const char *const usageText = "Usage: freqdeck-cli [--json] show\n"
                              "       freqdeck-cli profile performance|fast|normal|slow|powersave|custom\n"
                              "       freqdeck-cli save FILE\n"
                              "       freqdeck-cli load [--trusted-only] FILE\n"
                              "       freqdeck-cli --help | --version\n";

const char *const helpText = "\n"
                             "Shows and changes the CPU frequency-scaling settings of every core through the kernel's\n"
                             "cpufreq interface, with the same profiles and settings files as the freqdeck window.\n"
                             "Showing works for every user; changing settings needs root.\n"
                             "\n"
                             "Commands:\n"
                             "  show          one line per core: online state, governor, lower and upper limit and\n"
                             "                current frequency in MHz, below the processor model and the driver\n"
                             "  profile NAME  applies a profile to every core, as the window's profile selector does,\n"
                             "                and tells which profile is in force afterwards\n"
                             "  save FILE     saves the writable settings of every core to a settings file\n"
                             "  load FILE     applies a settings file saved here or by the window\n"
                             "\n"
                             "Options:\n"
                             "  --json        show prints the same values as JSON\n"
                             "  --trusted-only  load refuses, and says why, a FILE that is not root's or\n"
                             "                that others may write, or one in such a directory, up to /;\n"
                             "                the restore units load this way\n"
                             "  -h, --help    prints this help\n"
                             "  --version     prints the version\n"
                             "\n"
                             "Every write that the kernel refuses is named on standard error.\n"
                             "Exit status: 0 when every write succeeded, 1 when a write failed, 2 for wrong usage and\n"
                             "for a settings file that cannot be read or is refused.\n";

struct Profile {
    const char *name;
    const char *label;
    PREDEFINED_GOVERNS govern;
};

const Profile profiles[] = {
    {"performance", "Performance", GOVERN_PERFORMANCE},
    {"fast", "Fast", GOVERN_FAST},
    {"normal", "Normal", GOVERN_NORMAL},
    {"slow", "Slow", GOVERN_SLOW},
    {"powersave", "Powersave", GOVERN_POWERSAVE},
    {"custom", "Custom", GOVERN_CUSTOM},
};

const Profile *findProfile(const QString &name)
{
    for (const Profile &profile : profiles) {
        if (name.compare(QLatin1String(profile.name), Qt::CaseInsensitive) == 0)
            return &profile;
    }
    return nullptr;
}

QString label(PREDEFINED_GOVERNS govern)
{
    for (const Profile &profile : profiles) {
        if (profile.govern == govern)
            return QLatin1String(profile.label);
    }
    return QLatin1String("Custom");
}

// The attribute's text, or null when the core does not have it or it reads empty (an offline
// policy reads as nothing).
QJsonValue text(const CPUCore &core, const char *name)
{
    const QString value = core.policies.value(QLatin1String(name)).value;
    return value.isEmpty() ? QJsonValue() : QJsonValue(value);
}

// A kHz attribute in whole MHz, truncated as the window shows it; null when it is no number.
QJsonValue megahertz(const CPUCore &core, const char *name)
{
    bool ok = false;
    const int kHz = core.policies.value(QLatin1String(name)).value.toInt(&ok);
    return ok ? QJsonValue(kHz / 1000) : QJsonValue();
}

QJsonObject describe(const CPUCore &core)
{
    // cpuinfo_cur_freq stands in where the driver offers no scaling_cur_freq.
    QJsonValue current = megahertz(core, KnownCPUPolicy::scaling_cur_freq);
    if (current.isNull())
        current = megahertz(core, KnownCPUPolicy::cpuinfo_cur_freq);
    return QJsonObject{
        {QStringLiteral("id"), core.core_id()},
        {QStringLiteral("online"), core.isEnabled()},
        {QStringLiteral("governor"), text(core, KnownCPUPolicy::scaling_governor)},
        {QStringLiteral("min_mhz"), megahertz(core, KnownCPUPolicy::scaling_min_freq)},
        {QStringLiteral("max_mhz"), megahertz(core, KnownCPUPolicy::scaling_max_freq)},
        {QStringLiteral("current_mhz"), current},
    };
}

// The driver of the first core that names one; offline cores may read empty.
QJsonValue driver(const CPUInfo &info)
{
    for (const CPUCore &core : info.cores) {
        QJsonValue name = text(core, "scaling_driver");
        if (!name.isNull())
            return name;
    }
    return QJsonValue();
}

QString cell(const QJsonValue &value)
{
    if (value.isNull())
        return QStringLiteral("-");
    if (value.isBool())
        return value.toBool() ? QStringLiteral("online") : QStringLiteral("offline");
    if (value.isDouble())
        return QString::number(value.toInt());
    return value.toString();
}

} // namespace

CliApp::CliApp(QTextStream &out, QTextStream &err)
    : out(out)
    , err(err)
{
}

CliApp::CliApp(const QString &cpuDirPath, const QString &cpuInfoPath, QTextStream &out, QTextStream &err)
    : cpuDirPath(cpuDirPath)
    , cpuInfoPath(cpuInfoPath)
    , out(out)
    , err(err)
{
}

CPUInfo &CliApp::inventory()
{
    if (!info) {
        if (cpuDirPath.isEmpty()) {
            info = CPUInfo::instance();
        } else {
            ownInventory.emplace(cpuDirPath, cpuInfoPath);
            info = &*ownInventory;
        }
    }
    return *info;
}

int CliApp::run(const QStringList &arguments)
{
    QStringList words;
    bool json = false;
    bool trustedOnly = false;
    bool optionsEnded = false;
    for (const QString &argument : arguments) {
        if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            out << usageText << helpText;
            return Success;
        } else if (argument == QLatin1String("--version")) {
            out << programName << ' ' << FREQDECK_VERSION << '\n';
            return Success;
        } else if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--trusted-only")) {
            trustedOnly = true;
        } else {
            return usageError(QStringLiteral("unknown option '%1'").arg(argument));
        }
    }

    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = words.takeFirst();
    if (json && command != QLatin1String("show"))
        return usageError(QStringLiteral("--json goes with show only"));
    if (trustedOnly && command != QLatin1String("load"))
        return usageError(QStringLiteral("--trusted-only goes with load only"));

    if (command == QLatin1String("show")) {
        if (!words.isEmpty())
            return usageError(QStringLiteral("show takes no arguments"));
        return show(json);
    }
    if (command == QLatin1String("profile")) {
        if (words.size() != 1)
            return usageError(QStringLiteral("profile takes one profile name"));
        const Profile *profile = findProfile(words.first());
        if (!profile)
            return usageError(QStringLiteral("unknown profile '%1'").arg(words.first()));
        return applyProfile(profile->govern);
    }
    if (command == QLatin1String("save") || command == QLatin1String("load")) {
        if (words.size() != 1 || words.first().isEmpty())
            return usageError(QStringLiteral("%1 takes one file name").arg(command));
        QString distrust;
        if (trustedOnly && !TrustedFile::check(words.first(), &distrust)) {
            err << programName << ": refusing to load " << SafeText::printable(words.first()) << ": " << distrust
                << '\n';
            return UsageError;
        }
        return command == QLatin1String("save") ? save(words.first()) : load(words.first());
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(command));
}

int CliApp::usageError(const QString &reason)
{
    err << programName << ": " << reason << '\n' << usageText << "Try 'freqdeck-cli --help' for more information.\n";
    err.flush();
    return UsageError;
}

WriteFailureHandler CliApp::failureReporter()
{
    return [this](const WriteFailure &failure) {
        ++failures;
        err << programName << ": cpu" << failure.core << ": " << failure.attribute << ": writing \"" << failure.value
            << "\" failed: " << QString::fromLocal8Bit(std::strerror(failure.error)) << '\n';
        err.flush();
    };
}

int CliApp::show(bool json)
{
    const CPUInfo &cpus = inventory();
    QJsonArray cores;
    for (const CPUCore &core : cpus.cores)
        cores.append(describe(core));
    const QJsonValue model = cpus.modelName.isEmpty() ? QJsonValue() : QJsonValue(cpus.modelName);
    const QJsonValue driverName = driver(cpus);

    if (json) {
        const QJsonObject all{
            {QStringLiteral("model"), model}, {QStringLiteral("driver"), driverName}, {QStringLiteral("cores"), cores}};
        out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return Success;
    }

    out << "Model:  " << cell(model) << '\n';
    if (driverName.isNull())
        out << "Driver: none (no cpufreq driver is active: frequencies can be neither shown nor changed)\n";
    else
        out << "Driver: " << driverName.toString() << '\n';
    out << '\n';

    struct Column {
        const char *key;
        const char *title;
        bool rightAligned;
    };
    const Column columns[] = {
        {"id", "CPU", true},          {"online", "Online", false},  {"governor", "Governor", false},
        {"min_mhz", "Min MHz", true}, {"max_mhz", "Max MHz", true}, {"current_mhz", "Current MHz", true},
    };
    std::vector<QStringList> rows;
    QStringList titles;
    for (const Column &column : columns)
        titles << QLatin1String(column.title);
    rows.push_back(titles);
    for (const QJsonValue &core : qAsConst(cores)) {
        QStringList row;
        for (const Column &column : columns)
            row << cell(core.toObject().value(QLatin1String(column.key)));
        rows.push_back(row);
    }
    std::vector<int> widths(std::size(columns), 0);
    for (const QStringList &row : rows) {
        for (size_t i = 0; i < widths.size(); ++i)
            widths[i] = std::max(widths[i], row.at(static_cast<int>(i)).size());
    }
    for (const QStringList &row : rows) {
        QString line;
        for (size_t i = 0; i < widths.size(); ++i) {
            const QString &value = row.at(static_cast<int>(i));
            if (i > 0)
                line += QLatin1String("  ");
            line += columns[i].rightAligned ? value.rightJustified(widths[i]) : value.leftJustified(widths[i]);
        }
        out << line << '\n';
    }
    return Success;
}

int CliApp::applyProfile(PREDEFINED_GOVERNS govern)
{
    CPUInfo &cpus = inventory();
    cpus.setPredefinedGoverns(govern, failureReporter());
    // What is in force is what the kernel reports now, not what was asked for.
    for (CPUCore &core : cpus.cores)
        core.update();
    out << "Applied " << label(govern) << "; profile in force: " << label(cpus.detectPredefinedGoverns()) << '\n';
    return failures ? WritesFailed : Success;
}

int CliApp::save(const QString &path)
{
    QString reason;
    QStringList unreadable;
    if (!inventory().dump(path, &reason, &unreadable)) {
        err << programName << ": cannot save " << path << ": " << reason << '\n';
        return WritesFailed;
    }
    for (const QString &line : qAsConst(unreadable))
        err << programName << ": " << line << '\n';
    return unreadable.isEmpty() ? Success : WritesFailed;
}

int CliApp::load(const QString &path)
{
    QString reason;
    if (!inventory().load(path, &reason, failureReporter())) {
        err << programName << ": cannot load " << path << ": " << reason << '\n';
        return UsageError;
    }
    return failures ? WritesFailed : Success;
}
