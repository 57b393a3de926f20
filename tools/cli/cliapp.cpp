// SPDX-License-Identifier: GPL-3.0-or-later
#include "cliapp.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>
#include <iterator>
#include <utility>
#include <vector>

#include "bootdefaults.h"
#include "cpulist.h"
#include "powertoolprobe.h"
#include "powertools.h"
#include "profilecommands.h"
#include "profiles.h"
#include "refusal.h"
#include "safetext.h"
#include "trustedfile.h"
#include "verifiedapply.h"
#include "writeobserver.h"

namespace
{

const char *const programName = "freqdeck-cli";

// The usage lines, with the profile names from the profiles' table.
QString usageText()
{
    QStringList keys;
    for (const Profile &profile : Profile::all())
        keys << QLatin1String(profile.key);
    return QStringLiteral(
               "Usage: freqdeck-cli [--json] show [--watch [SECONDS]]\n"
               "       freqdeck-cli [--json] why CPU\n"
               "       freqdeck-cli profile %1\n"
               "       freqdeck-cli save FILE\n"
               "       freqdeck-cli load [--trusted-only] [--verbose|--json] [--settle-ms N] [--cpu LIST] FILE\n"
               "       freqdeck-cli boost on|off\n"
               "       freqdeck-cli mode [--reapply] active|passive|guided\n"
               "       freqdeck-cli set [--cpu LIST|GROUP] ATTRIBUTE VALUE\n"
               "       freqdeck-cli profiles | save-profile NAME | apply NAME\n"
               "       freqdeck-cli rename-profile NAME NEW | delete-profile NAME | export-profile NAME FILE\n"
               "       freqdeck-cli power-rules show|apply|watch\n"
               "       freqdeck-cli power-rules set ac|battery PROFILE | set low PERCENT PROFILE\n"
               "       freqdeck-cli --help | --version\n")
        .arg(keys.join(QLatin1Char('|')));
}

QString helpText()
{
    QString profiles;
    for (const Profile &profile : Profile::all())
        profiles +=
            QStringLiteral("  %1%2\n").arg(QLatin1String(profile.key), -14).arg(QLatin1String(profile.description));
    return QStringLiteral("\n"
                          "Shows and changes the CPU frequency-scaling settings of every core through the kernel's\n"
                          "cpufreq interface, with the same profiles and settings files as the freqdeck window.\n"
                          "Showing works for every user; changing settings needs root.\n"
                          "\n"
                          "Commands:\n"
                          "  show          one line per core: kind of core (P or E where the machine mixes\n"
                          "                them), its policy, online state, governor, lower and upper limit and\n"
                          "                current frequency in MHz, below the processor model and the driver;\n"
                          "                values that could not be read are shown as unreadable\n"
                          "  show --watch [SECONDS]\n"
                          "                the same every SECONDS (default 1) until interrupted, one line per\n"
                          "                core and time, with its utilisation from /proc/stat\n"
                          "  why CPU       the ceilings between the hardware's maximum and the frequency the CPU\n"
                          "                runs at (boost, max_perf_pct, limits, firmware limit, governor, power\n"
                          "                limit, thermal throttling), and which one holds it down now; takes\n"
                          "                half a second to measure power and throttling\n"
                          "  status        what freqdeck set that reads otherwise now (another program or\n"
                          "                the kernel changed it), and the power tools running beside it\n"
                          "  defaults      restores the kernel's own settings as saved at boot by\n"
                          "                load --save-defaults (/var/lib/freqdeck/boot-defaults.json)\n"
                          "  tools CHOICE  what load does while another power tool runs: share (write only\n"
                          "                the settings no running tool manages), leave (write nothing), or\n"
                          "                undecided (write everything, and say so)\n"
                          "  profile NAME  applies a profile to every core, as the window's profile selector does,\n"
                          "                and tells which profile is in force afterwards\n"
                          "  save FILE     saves the writable settings of every core to a settings file\n"
                          "  load FILE     applies a settings file saved here or by the window, reads every\n"
                          "                attribute back at once and again after a settle time, and prints\n"
                          "                how many were kept, rounded by the kernel, refused, changed again\n"
                          "                by another program, or unreadable\n"
                          "  boost on|off  switches turbo of the whole processor (cpufreq/boost or\n"
                          "                intel_pstate/no_turbo)\n"
                          "  mode MODE     switches the operation mode of intel_pstate or amd-pstate; the\n"
                          "                kernel then resets every core's settings\n"
                          "  set ATTRIBUTE VALUE\n"
                          "                writes one cpufreq attribute (or energy_perf_bias) of every core,\n"
                          "                or of the cores that --cpu names; CPUs that share a policy share\n"
                          "                its attributes, so each policy is written once\n"
                          "  profiles      lists your own profiles, kept in /etc/freqdeck/profiles\n"
                          "  save-profile NAME\n"
                          "                saves every core's settings as your own profile NAME (at most 64\n"
                          "                printable characters, no '/', no leading '.')\n"
                          "  apply NAME    applies a fixed profile or your own one; while power rules exist,\n"
                          "                this choice holds until the power source changes\n"
                          "  rename-profile NAME NEW, delete-profile NAME, export-profile NAME FILE\n"
                          "  power-rules show   the profiles for AC, battery and low battery, and the rule now\n"
                          "  power-rules apply  applies the profile of the power source now (the units do this)\n"
                          "  power-rules watch  applies it at every change, reading the power supplies\n"
                          "                each second\n"
                          "  power-rules set ac|battery PROFILE, power-rules set low PERCENT PROFILE\n"
                          "                sets a rule in /etc/freqdeck/power-rules.json (\"\" clears it)\n"
                          "\n"
                          "Profiles:\n"
                          "%1"
                          "\n"
                          "Options:\n"
                          "  --json        show, why and status print the same values as JSON (show --watch:\n"
                          "                one object per line and interval); load prints every check\n"
                          "  --verbose     load prints one line per attribute it checked\n"
                          "  --save-defaults  load first saves the kernel's settings as the boot defaults;\n"
                          "                the boot unit loads this way\n"
                          "  --settle-ms N load waits N ms (default 200) before its second read\n"
                          "  --cpu LIST    set changes only these cores: numbers and ranges such as 0-3,8,\n"
                          "                all, or groups: p-cores and e-cores on machines that mix kinds\n"
                          "                of core, policyN for the CPUs of one policy (e-cores,0 mixes them);\n"
                          "                load applies only their entries and leaves the processor-wide\n"
                          "                settings alone\n"
                          "  --reapply     mode writes each core's settings from before the switch again and\n"
                          "                names those the new mode does not take\n"
                          "  --trusted-only  load refuses, and says why, a FILE that is not root's or\n"
                          "                that others may write, or one in such a directory, up to /;\n"
                          "                the restore units load this way\n"
                          "  --config-dir DIR  profiles and power rules in DIR instead of /etc/freqdeck\n"
                          "  --state-dir DIR   the manual choice in DIR instead of /run/freqdeck\n"
                          "  -h, --help    prints this help\n"
                          "  --version     prints the version\n"
                          "\n"
                          "Every write that the kernel refuses and every setting that is skipped is named on\n"
                          "standard error.\n"
                          "Exit status: 0 when every setting was applied, 1 when a write failed or a setting was\n"
                          "skipped, 2 for wrong usage and for a settings file that cannot be read or is refused.\n")
        .arg(profiles);
}

// A value shown to the user, or null: missing, empty (an offline policy reads as nothing) or
// unreadable, which the last says.
struct Shown {
    QJsonValue value;
    bool unreadable = false;
};

// The attribute's text, made printable.
Shown text(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    if (policy.readError != 0)
        return {QJsonValue(), true};
    return {policy.value.isEmpty() ? QJsonValue() : QJsonValue(SafeText::printable(policy.value))};
}

// A kHz attribute in whole MHz, truncated as the window shows it; null when it is no number.
Shown megahertz(const CPUCore &core, const char *name)
{
    const CPUPolicy policy = core.policies.value(QLatin1String(name));
    if (policy.readError != 0)
        return {QJsonValue(), true};
    bool ok = false;
    const int kHz = policy.value.toInt(&ok);
    return {ok ? QJsonValue(kHz / 1000) : QJsonValue()};
}

QJsonArray numbers(const QVector<int> &cpus)
{
    QJsonArray array;
    for (const int cpu : cpus)
        array.append(cpu);
    return array;
}

// Where the CPU sits: its kind of core, its policy and the CPUs sharing it, its SMT siblings, and
// the capacity or preferred-core rank where the kernel gives one.
void describePlace(QJsonObject &object, const CpuPlace *place)
{
    const CoreKind kind = place ? place->kind : CoreKind::Unknown;
    object.insert(QStringLiteral("type"), kind == CoreKind::Performance ? QStringLiteral("P")
                                          : kind == CoreKind::Efficient ? QStringLiteral("E")
                                                                        : QString());
    object.insert(QStringLiteral("policy"), place && place->policy >= 0 ? QJsonValue(place->policy) : QJsonValue());
    object.insert(QStringLiteral("policy_cpus"), numbers(place ? place->policyCpus : QVector<int>()));
    if (place && !place->siblings.isEmpty())
        object.insert(QStringLiteral("siblings"), numbers(place->siblings));
    if (place && place->capacity >= 0)
        object.insert(QStringLiteral("capacity"), place->capacity);
    if (place && place->preferredRank >= 0)
        object.insert(QStringLiteral("rank"), place->preferredRank);
}

QJsonObject describe(const CPUCore &core, const CpuPlace *place)
{
    // cpuinfo_cur_freq stands in where the driver offers no scaling_cur_freq.
    Shown current = megahertz(core, KnownCPUPolicy::scaling_cur_freq);
    if (current.value.isNull()) {
        const Shown other = megahertz(core, KnownCPUPolicy::cpuinfo_cur_freq);
        current = {other.value, other.value.isNull() && (current.unreadable || other.unreadable)};
    }
    QJsonObject object{{QStringLiteral("id"), core.core_id()}, {QStringLiteral("online"), core.isEnabled()}};
    QJsonArray unreadable;
    const std::pair<QString, Shown> values[] = {
        {QStringLiteral("governor"), text(core, KnownCPUPolicy::scaling_governor)},
        {QStringLiteral("min_mhz"), megahertz(core, KnownCPUPolicy::scaling_min_freq)},
        {QStringLiteral("max_mhz"), megahertz(core, KnownCPUPolicy::scaling_max_freq)},
        {QStringLiteral("current_mhz"), current},
    };
    for (const auto &[key, shown] : values) {
        object.insert(key, shown.value);
        if (shown.unreadable)
            unreadable.append(key);
    }
    // Only where a read failed, naming the members that are null for that reason.
    if (!unreadable.isEmpty())
        object.insert(QStringLiteral("unreadable"), unreadable);
    describePlace(object, place);
    return object;
}

// The driver of the first core that names one; offline cores may read empty.
QJsonValue driver(const CPUInfo &info)
{
    for (const CPUCore &core : info.cores) {
        QJsonValue name = text(core, "scaling_driver").value;
        if (!name.isNull())
            return name;
    }
    return QJsonValue();
}

// The CPUs that --cpu names: a list such as 0-3,8 or "all", group names (p-cores, e-cores,
// policyN), or both mixed with commas.
std::optional<QVector<int>> chooseCpus(const QString &text, const QVector<int> &present, const Topology &topology,
                                       QString *why)
{
    QVector<int> cpus;
    QStringList listed;
    for (const QString &item : text.split(QLatin1Char(','))) {
        if (const std::optional<QVector<int>> group = topology.group(item))
            cpus += *group;
        else
            listed << item;
    }
    if (!listed.isEmpty()) {
        const std::optional<QVector<int>> parsed = CpuList::parse(listed.join(QLatin1Char(',')), present, why);
        if (!parsed) {
            const auto named = std::find_if(listed.begin(), listed.end(), [](const QString &item) {
                return item != QLatin1String("all")
                       && std::any_of(item.begin(), item.end(), [](QChar c) { return c.isLetter(); });
            });
            if (named != listed.end() && why) {
                QStringList groups;
                for (const CpuGroup &group : topology.groups())
                    groups << group.name;
                *why = QStringLiteral("'%1' is neither a CPU list such as 0-3,8 nor a group of this machine (%2)")
                           .arg(SafeText::printable(*named), groups.join(QStringLiteral(", ")));
            }
            return std::nullopt;
        }
        cpus += *parsed;
    }
    std::sort(cpus.begin(), cpus.end());
    cpus.erase(std::unique(cpus.begin(), cpus.end()), cpus.end());
    return cpus;
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

QJsonObject CliApp::describeCore(const CPUCore &core, const CpuPlace *place)
{
    return describe(core, place);
}

QString CliApp::cellText(const QJsonValue &value)
{
    return cell(value);
}

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

class CliApp::Recording
{
public:
    explicit Recording(CliApp &app)
        : app(app)
    {
        app.drift().observeWrites();
    }
    ~Recording()
    {
        WriteObserver::set({});
        CPUInfo &cpus = app.inventory();
        for (CPUCore &core : cpus.cores)
            core.updateSettings();
        app.drift().look(cpus.cores);
        QString why;
        if (!app.drift().save(&why))
            app.err << programName << ": note: what was set could not be recorded: " << SafeText::printable(why)
                    << '\n';
    }
    Q_DISABLE_COPY_MOVE(Recording)

private:
    CliApp &app;
};

DriftWatch &CliApp::drift()
{
    if (!driftWatch)
        driftWatch.emplace(DriftWatch::defaultPaths(), inventory().cpuDir.absolutePath());
    return *driftWatch;
}

int CliApp::status(bool json)
{
    CPUInfo &cpus = inventory();
    const QVector<DriftWatch::Drift> drifts = drift().look(cpus.cores);
    const PowerTools::Observed observed = PowerToolProbe::observe();
    const QVector<PowerTools::Found> running = PowerTools::judge(observed);
    if (json) {
        QJsonArray list;
        for (const DriftWatch::Drift &d : drifts)
            list.append(QJsonObject{{QStringLiteral("cpu"), d.core},
                                    {QStringLiteral("attribute"), SafeText::printable(d.attribute)},
                                    {QStringLiteral("set"), SafeText::printable(d.set)},
                                    {QStringLiteral("set_at"), d.setAt.toString(Qt::ISODate)},
                                    {QStringLiteral("found"), SafeText::printable(d.found)}});
        QJsonArray tools;
        for (const PowerTools::Found &tool : running)
            tools.append(QJsonObject{{QStringLiteral("name"), tool.name},
                                     {QStringLiteral("evidence"), QJsonArray::fromStringList(tool.evidence)},
                                     {QStringLiteral("manages"), QJsonArray::fromStringList(tool.manages)}});
        const QJsonObject all{{QStringLiteral("recorded"), drift().recordCount()},
                              {QStringLiteral("changed"), list},
                              {QStringLiteral("other_tools"), tools},
                              {QStringLiteral("other_tools_error"), SafeText::printable(observed.error)},
                              {QStringLiteral("choice"), PowerTools::choiceName(PowerTools::storedChoice())}};
        out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
        return Success;
    }
    out << "Values freqdeck set: " << drift().recordCount() << '\n';
    if (drifts.isEmpty())
        out << "Changed outside freqdeck: none\n";
    else
        out << "Changed outside freqdeck:\n";
    for (const DriftWatch::Drift &d : drifts)
        out << "  " << DriftWatch::describe(d) << '\n';
    if (!observed.error.isEmpty())
        out << "Other power tools: not known (" << SafeText::printable(observed.error) << ")\n";
    else if (running.isEmpty())
        out << "Other power tools: none running\n";
    else
        out << "Other power tools running:\n";
    for (const PowerTools::Found &tool : running)
        out << "  " << tool.name << " (" << tool.evidence.join(QStringLiteral(", ")) << "): manages "
            << tool.manages.join(QStringLiteral(", ")) << '\n';
    if (!running.isEmpty()) {
        switch (PowerTools::storedChoice()) {
        case PowerTools::Choice::Undecided:
            out << "freqdeck restores all its settings and both write the same files. Choose:\n"
                   "  freqdeck-cli tools share   freqdeck keeps only the settings the tools above leave alone\n"
                   "  freqdeck-cli tools leave   freqdeck stops restoring while they run\n"
                   "Nothing is disabled or masked either way.\n";
            break;
        case PowerTools::Choice::Share:
            out << "Choice: share (freqdeck restores only the settings the tools above leave alone)\n";
            break;
        case PowerTools::Choice::Leave:
            out << "Choice: leave (freqdeck restores nothing while they run)\n";
            break;
        }
    }
    return Success;
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
    bool reapply = false;
    bool verbose = false;
    bool saveDefaults = false;
    bool placesGiven = false;
    ProfileCommands::Places places;
    std::optional<double> watchSeconds;
    std::optional<QString> cpuList;
    std::optional<int> settleMs;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments.at(i);
        if (!optionsEnded && argument == QLatin1String("--cpu")) {
            if (i + 1 >= arguments.size())
                return usageError(QStringLiteral("--cpu needs a list of CPUs"));
            cpuList = arguments.at(++i);
        } else if (!optionsEnded && argument.startsWith(QLatin1String("--cpu="))) {
            cpuList = argument.mid(6);
        } else if (!optionsEnded
                   && (argument == QLatin1String("--config-dir") || argument == QLatin1String("--state-dir"))) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return usageError(QStringLiteral("%1 needs a directory").arg(argument));
            (argument == QLatin1String("--config-dir") ? places.configDirectory : places.stateDirectory) =
                arguments.at(++i);
            placesGiven = true;
        } else if (!optionsEnded && argument == QLatin1String("--watch")) {
            watchSeconds = 1.0;
            bool ok = false;
            const double seconds = arguments.value(i + 1).toDouble(&ok);
            if (ok) {
                if (seconds < 0.1 || seconds > 86400)
                    return usageError(QStringLiteral("--watch takes seconds from 0.1 to 86400"));
                watchSeconds = seconds;
                ++i;
            }
        } else if (!optionsEnded && argument == QLatin1String("--reapply")) {
            reapply = true;
        } else if (!optionsEnded && argument == QLatin1String("--verbose")) {
            verbose = true;
        } else if (!optionsEnded && argument == QLatin1String("--save-defaults")) {
            saveDefaults = true;
        } else if (!optionsEnded && argument == QLatin1String("--settle-ms")) {
            bool ok = false;
            const int ms = i + 1 < arguments.size() ? arguments.at(i + 1).toInt(&ok) : -1;
            if (!ok || ms < 0 || ms > 10000)
                return usageError(QStringLiteral("--settle-ms needs a number of milliseconds from 0 to 10000"));
            settleMs = ms;
            ++i;
        } else if (optionsEnded || !argument.startsWith(QLatin1Char('-')) || argument == QLatin1String("-")) {
            words << argument;
        } else if (argument == QLatin1String("--")) {
            optionsEnded = true;
        } else if (argument == QLatin1String("--help") || argument == QLatin1String("-h")) {
            out << usageText() << helpText();
            return Success;
        } else if (argument == QLatin1String("--version")) {
            out << programName << ' ' << FREQDECK_VERSION << '\n';
            return Success;
        } else if (argument == QLatin1String("--json")) {
            json = true;
        } else if (argument == QLatin1String("--trusted-only")) {
            trustedOnly = true;
        } else {
            return usageError(QStringLiteral("unknown option '%1'").arg(SafeText::printable(argument)));
        }
    }

    if (words.isEmpty())
        return usageError(QStringLiteral("no command given"));
    const QString command = words.takeFirst();
    const bool loading = command == QLatin1String("load") || command == QLatin1String("defaults");
    if (saveDefaults && command != QLatin1String("load"))
        return usageError(QStringLiteral("--save-defaults goes with load only"));
    if (json && command != QLatin1String("show") && command != QLatin1String("why")
        && command != QLatin1String("status") && !loading)
        return usageError(QStringLiteral("--json goes with show, why, status and load only"));
    if ((verbose || settleMs) && !loading)
        return usageError(QStringLiteral("--verbose and --settle-ms go with load and defaults only"));
    if (json && verbose)
        return usageError(QStringLiteral("--json and --verbose exclude each other"));
    if (watchSeconds && command != QLatin1String("show"))
        return usageError(QStringLiteral("--watch goes with show only"));
    if (trustedOnly && command != QLatin1String("load"))
        return usageError(QStringLiteral("--trusted-only goes with load only"));
    if (cpuList && command != QLatin1String("set") && command != QLatin1String("load"))
        return usageError(QStringLiteral("--cpu goes with set and load only"));
    if (reapply && command != QLatin1String("mode"))
        return usageError(QStringLiteral("--reapply goes with mode only"));

    // What the commands that write to the cores set is recorded.
    static const QStringList writing{QStringLiteral("boost"),   QStringLiteral("mode"), QStringLiteral("set"),
                                     QStringLiteral("profile"), QStringLiteral("load"), QStringLiteral("defaults"),
                                     QStringLiteral("apply")};
    std::optional<Recording> recording;
    if (writing.contains(command))
        recording.emplace(*this);
    if (ProfileCommands::handles(command)) {
        ProfileCommands commands([this]() -> CPUInfo & { return inventory(); }, places, out, err);
        return commands.run(command, words, [this](const QString &reason) { return usageError(reason); });
    }
    if (placesGiven)
        return usageError(QStringLiteral("--config-dir and --state-dir go with the profile commands only"));

    if (command == QLatin1String("boost")) {
        if (words.size() != 1 || (words.first() != QLatin1String("on") && words.first() != QLatin1String("off")))
            return usageError(QStringLiteral("boost takes on or off"));
        return setSwitch(QStringLiteral("boost"),
                         words.first() == QLatin1String("on") ? QStringLiteral("1") : QStringLiteral("0"));
    }
    if (command == QLatin1String("mode")) {
        static const QStringList modes{QStringLiteral("active"), QStringLiteral("passive"), QStringLiteral("guided")};
        if (words.size() != 1 || !modes.contains(words.first()))
            return usageError(QStringLiteral("mode takes active, passive or guided"));
        return switchMode(words.first(), reapply);
    }
    if (command == QLatin1String("set")) {
        if (words.size() != 2 || words.first().isEmpty())
            return usageError(QStringLiteral("set takes an attribute and a value"));
        return setAttribute(words.at(0), words.at(1), cpuList.value_or(QStringLiteral("all")));
    }

    if (command == QLatin1String("show")) {
        if (!words.isEmpty())
            return usageError(QStringLiteral("show takes no arguments"));
        return watchSeconds ? watch(*watchSeconds, json) : show(json);
    }
    if (command == QLatin1String("why")) {
        if (words.size() != 1)
            return usageError(QStringLiteral("why takes one CPU number"));
        return why(words.first(), json);
    }
    if (command == QLatin1String("status")) {
        if (!words.isEmpty())
            return usageError(QStringLiteral("status takes no arguments"));
        return status(json);
    }
    if (command == QLatin1String("tools")) {
        static const QStringList choices{QStringLiteral("share"), QStringLiteral("leave"), QStringLiteral("undecided")};
        if (words.size() != 1 || !choices.contains(words.first()))
            return usageError(QStringLiteral("tools takes share, leave or undecided"));
        const PowerTools::Choice choice = words.first() == QLatin1String("share")   ? PowerTools::Choice::Share
                                          : words.first() == QLatin1String("leave") ? PowerTools::Choice::Leave
                                                                                    : PowerTools::Choice::Undecided;
        QString why;
        if (!PowerTools::storeChoice(choice, &why)) {
            err << programName << ": cannot store the choice: " << SafeText::printable(why) << '\n';
            return WritesFailed;
        }
        out << "Choice while other power tools run: " << PowerTools::choiceName(choice) << '\n';
        return Success;
    }
    if (command == QLatin1String("profile")) {
        if (words.size() != 1)
            return usageError(QStringLiteral("profile takes one profile name"));
        const Profile *profile = Profile::find(words.first());
        if (!profile)
            return usageError(QStringLiteral("unknown profile '%1'").arg(SafeText::printable(words.first())));
        return applyProfile(profile->govern);
    }
    const LoadDetail detail = json ? LoadDetail::Json : verbose ? LoadDetail::Lines : LoadDetail::Summary;
    if (command == QLatin1String("defaults")) {
        if (!words.isEmpty())
            return usageError(QStringLiteral("defaults takes no arguments"));
        VerifiedApply::Options options;
        options.settleMs = settleMs.value_or(options.settleMs);
        return load(BootDefaults::path(), options, detail);
    }
    if (command == QLatin1String("save") || command == QLatin1String("load")) {
        if (words.size() != 1 || words.first().isEmpty())
            return usageError(QStringLiteral("%1 takes one file name").arg(command));
        QString distrust;
        if (trustedOnly && !TrustedFile::check(words.first(), &distrust)) {
            err << programName << ": refusing to load " << SafeText::printable(words.first()) << ": "
                << SafeText::printable(distrust) << '\n';
            return UsageError;
        }
        if (command == QLatin1String("save"))
            return save(words.first());
        VerifiedApply::Options options;
        options.settleMs = settleMs.value_or(options.settleMs);
        // Only where the user chose is the bus asked, so a plain load never waits for it.
        const PowerTools::Choice choice = PowerTools::storedChoice();
        if (choice != PowerTools::Choice::Undecided) {
            for (const PowerTools::Found &tool : PowerTools::judge(PowerToolProbe::observe())) {
                if (choice == PowerTools::Choice::Leave) {
                    out << "Left every setting to " << tool.name << ", as chosen (freqdeck-cli tools leave)\n";
                    return Success;
                }
                for (const QString &attribute : tool.manages) {
                    if (!options.leaveAlone.contains(attribute))
                        options.leaveAlone << attribute;
                }
                out << "Left " << tool.manages.join(QStringLiteral(", ")) << " to " << tool.name << ", as chosen\n";
            }
        }
        if (cpuList) {
            QVector<int> present;
            for (const CPUCore &core : inventory().cores)
                present << core.core_id();
            QString why;
            const std::optional<QVector<int>> chosen = CpuList::parse(*cpuList, present, &why);
            if (!chosen)
                return usageError(why);
            options.cpus = *chosen;
        }
        if (saveDefaults) {
            // Before anything is written: what the kernel chose at boot.
            QString why;
            if (BootDefaults::save(inventory(), &why))
                out << "Saved the boot defaults to " << SafeText::printable(BootDefaults::path()) << '\n';
            else
                err << programName << ": note: the boot defaults could not be saved: " << SafeText::printable(why)
                    << '\n';
        }
        return load(words.first(), options, detail);
    }
    return usageError(QStringLiteral("unknown command '%1'").arg(SafeText::printable(command)));
}

int CliApp::failed(const WriteFailure &failure)
{
    err << programName << ": " << describeFailure(failure) << '\n';
    err.flush();
    return WritesFailed;
}

int CliApp::setSwitch(const QString &name, const QString &value)
{
    ProcessorSwitches &processor = inventory().processor;
    if (!processor.has(name)) {
        err << programName << ": this machine has no " << name << " switch\n";
        return WritesFailed;
    }
    if (const auto failure = processor.write(name, value))
        return failed(*failure);
    out << name << ": " << processor.value(name).text << '\n';
    return Success;
}

int CliApp::switchMode(const QString &mode, bool reapply)
{
    CPUInfo &cpus = inventory();
    ProcessorSwitches &processor = cpus.processor;
    if (!processor.has(QStringLiteral("mode"))) {
        err << programName << ": this machine's driver has no operation modes\n";
        return WritesFailed;
    }
    const QJsonArray before = ProcessorSwitches::snapshot(cpus.cores);
    if (const auto failure = processor.write(QStringLiteral("mode"), mode))
        return failed(*failure);
    out << "mode: " << processor.value(QStringLiteral("mode")).text << '\n';
    if (!reapply) {
        for (CPUCore &core : cpus.cores)
            core.update();
        out << "Every core's settings were reset by the kernel.\n";
        return Success;
    }
    return report(ProcessorSwitches::reapply(cpus.cores, before));
}

int CliApp::setAttribute(const QString &attribute, const QString &value, const QString &list)
{
    CPUInfo &cpus = inventory();
    QVector<int> present;
    for (const CPUCore &core : cpus.cores)
        present << core.core_id();
    const Topology &places = cpus.topology();
    QString why;
    const std::optional<QVector<int>> chosen = chooseCpus(list, present, places, &why);
    if (!chosen)
        return usageError(why);
    ApplyReport result;
    if (attribute == QLatin1String("energy_perf_bias")) {
        // The bias is each CPU's own.
        for (const int cpu : *chosen) {
            if (const auto failure = ProcessorSwitches::writeBias(*cpus.coreNumbered(cpu), value))
                result.fail(*failure);
            else
                ++result.written;
        }
        return report(result);
    }
    // A policy's attributes are one setting for all its CPUs: one write each, through an online one.
    for (const QVector<int> &part : places.byPolicy(*chosen)) {
        CPUCore *core = cpus.policyWriter(part);
        const CpuPlace *place = places.place(part.first());
        if (!core->isEnabled() && place) {
            if (CPUCore *other = cpus.policyWriter(place->policyCpus))
                core = other;
        }
        if (!core->policies.contains(attribute) || core->policies.value(attribute).isEmpty()) {
            result.fail(places.onPolicy({core->core_id(), attribute, value, 0,
                                         core->isEnabled()
                                             ? QStringLiteral("this CPU has no such attribute")
                                             : QStringLiteral("cpu%1 is offline; the kernel takes no settings for an "
                                                              "offline CPU")
                                                   .arg(core->core_id())}));
            continue;
        }
        if (const int error = core->storePolicy(attribute, value)) {
            result.fail(places.onPolicy(Refusal::failure(*core, attribute, value, error)));
            continue;
        }
        ++result.written;
        if (place && place->sharesPolicy()) {
            cpus.refreshPolicy(place->policyCpus, core);
            if (part.size() < place->policyCpus.size())
                result.notes << QStringLiteral("%1: %2 changed for all of them, not only for cpu%3")
                                    .arg(places.sharedPolicyText(part.first()), attribute, CpuList::format(part));
        }
    }
    return report(result);
}

int CliApp::usageError(const QString &reason)
{
    err << programName << ": " << reason << '\n' << usageText() << "Try 'freqdeck-cli --help' for more information.\n";
    err.flush();
    return UsageError;
}

int CliApp::report(const ApplyReport &report)
{
    for (const WriteFailure &failure : report.failures)
        err << programName << ": " << describeFailure(failure) << '\n';
    for (const QString &note : report.notes)
        err << programName << ": note: " << SafeText::printable(note) << '\n';
    err.flush();
    return report.ok() ? Success : WritesFailed;
}

int CliApp::show(bool json)
{
    const CPUInfo &cpus = inventory();
    QJsonArray cores;
    for (const CPUCore &core : cpus.cores)
        cores.append(describe(core, cpus.topology().place(core.core_id())));
    const QJsonValue model = cpus.modelName.isEmpty() ? QJsonValue() : QJsonValue(SafeText::printable(cpus.modelName));
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
        {"id", "CPU", true},
        {"type", "Type", false},
        {"policy", "Policy", false},
        {"online", "Online", false},
        {"governor", "Governor", false},
        {"min_mhz", "Min MHz", true},
        {"max_mhz", "Max MHz", true},
        {"current_mhz", "Current MHz", true},
    };
    std::vector<QStringList> rows;
    QStringList titles;
    for (const Column &column : columns)
        titles << QLatin1String(column.title);
    rows.push_back(titles);
    for (const QJsonValue &core : qAsConst(cores)) {
        const QJsonObject values = core.toObject();
        const QJsonArray unreadable = values.value(QLatin1String("unreadable")).toArray();
        QStringList row;
        for (const Column &column : columns) {
            const QString key = QLatin1String(column.key);
            if (key == QLatin1String("type")) {
                const QString type = values.value(key).toString();
                row << (type.isEmpty() ? QStringLiteral("-") : type);
            } else if (key == QLatin1String("policy")) {
                // A shared policy with its CPUs: "4:4-7".
                QVector<int> shared;
                for (const QJsonValue cpu : values.value(QLatin1String("policy_cpus")).toArray())
                    shared << cpu.toInt();
                const QString policy = cell(values.value(key));
                row << (shared.size() > 1 ? policy + QLatin1Char(':') + CpuList::format(shared) : policy);
            } else {
                row << (unreadable.contains(key) ? QStringLiteral("unreadable") : cell(values.value(key)));
            }
        }
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
    const int status = report(cpus.applyProfile(govern));
    // What is in force is what the kernel reports now, not what was asked for.
    for (CPUCore &core : cpus.cores)
        core.update();
    out << "Applied " << Profile::of(govern).label
        << "; profile in force: " << Profile::of(cpus.detectPredefinedGoverns()).label << '\n';
    return status;
}

int CliApp::save(const QString &path)
{
    QString reason;
    QStringList unreadable;
    if (!inventory().dump(path, &reason, &unreadable)) {
        err << programName << ": cannot save " << SafeText::printable(path) << ": " << SafeText::printable(reason)
            << '\n';
        return WritesFailed;
    }
    for (const QString &line : qAsConst(unreadable))
        err << programName << ": " << line << '\n';
    return unreadable.isEmpty() ? Success : WritesFailed;
}

int CliApp::load(const QString &path, const VerifiedApply::Options &options, LoadDetail detail)
{
    QString reason;
    const std::optional<VerifiedApply::Result> result = VerifiedApply::load(inventory(), path, &reason, options);
    if (!result) {
        err << programName << ": cannot load " << SafeText::printable(path) << ": " << SafeText::printable(reason)
            << '\n';
        return UsageError;
    }
    // One line on stdout, which the units pass to the journal.
    if (detail == LoadDetail::Json) {
        QJsonObject all = result->toJson();
        all.insert(QStringLiteral("file"), SafeText::printable(path));
        out << QString::fromUtf8(QJsonDocument(all).toJson(QJsonDocument::Indented));
    } else {
        out << "Loaded " << SafeText::printable(path) << ": " << result->summary() << '\n';
        if (detail == LoadDetail::Lines) {
            for (const VerifiedApply::Check &check : result->checks)
                out << "  " << result->describe(check) << '\n';
        }
    }
    out.flush();
    // What the kernel kept is what freqdeck set; a value another program changed at once was set
    // as first read, so that the change shows as drift.
    for (const VerifiedApply::Check &check : result->checks) {
        if (check.outcome == VerifiedApply::Outcome::Kept || check.outcome == VerifiedApply::Outcome::Rounded)
            drift().kept(check.core, check.attribute, check.found);
        else if (check.outcome == VerifiedApply::Outcome::ChangedAgain)
            drift().kept(check.core, check.attribute, check.reason);
    }
    return report(result->report);
}
