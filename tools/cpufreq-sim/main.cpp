// SPDX-License-Identifier: GPL-3.0-or-later
// freqdeck-cpufreq-sim: serves a simulated /sys/devices/system/cpu and /proc/cpuinfo through FUSE
// for machines (VMs, CI) whose kernel has no cpufreq interface. The rules live in SimMachine;
// this file only passes requests, data and error numbers between the kernel and it.

#define FUSE_USE_VERSION 31
#include <fuse.h>

#include "simmachine.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace
{

struct Context {
    SimMachine machine;
    uid_t uid;
    gid_t gid;
    std::time_t started;
    long readDelayMs = 0; // slept in every read of a current-frequency file
};

// Kernels 4.13 to 5.18 may sleep in a read of these files until the CPU has taken a new sample.
bool isCurrentFrequency(const char *path)
{
    const std::string_view p(path);
    for (std::string_view name : {std::string_view("/scaling_cur_freq"), std::string_view("/cpuinfo_cur_freq")}) {
        if (p.size() >= name.size() && p.substr(p.size() - name.size()) == name)
            return true;
    }
    return false;
}

// One open file: reads after the first continue in the text that the first one produced, as
// sysfs does, so a reader taking small pieces sees one consistent value.
struct OpenFile {
    std::string text;
    bool filled = false;
};

Context &context()
{
    return *static_cast<Context *>(fuse_get_context()->private_data);
}

OpenFile *openFile(fuse_file_info *fi)
{
    // FUSE keeps the open file as a 64-bit handle; it is our pointer, stored by simOpen.
    return reinterpret_cast<OpenFile *>(static_cast<std::uintptr_t>(fi->fh)); // NOLINT(performance-no-int-to-ptr)
}

void *simInit(fuse_conn_info *, fuse_config *cfg)
{
    // Contents change behind the kernel's back, so nothing may come from the page cache; and
    // cpuinfo, sized 0 like every /proc file, would read empty through it.
    cfg->direct_io = 1;
    cfg->kernel_cache = 0;
    cfg->attr_timeout = 1.0;
    // Names come and go as on sysfs (a mode switch removes the EPP files, an offline CPU its
    // power/ directory): every lookup asks the machine.
    cfg->entry_timeout = 0.0;
    cfg->negative_timeout = 0.0;
    return fuse_get_context()->private_data;
}

int simGetattr(const char *path, struct stat *st, fuse_file_info *)
{
    Context &ctx = context();
    const std::optional<SimMachine::Node> node = ctx.machine.node(path);
    if (!node)
        return -ENOENT;
    std::memset(st, 0, sizeof *st);
    switch (node->type) {
    case SimMachine::NodeType::Directory:
        st->st_mode = S_IFDIR | node->mode;
        st->st_nlink = 2;
        break;
    case SimMachine::NodeType::File:
        st->st_mode = S_IFREG | node->mode;
        st->st_nlink = 1;
        break;
    case SimMachine::NodeType::Symlink:
        st->st_mode = S_IFLNK | node->mode;
        st->st_nlink = 1;
        break;
    }
    st->st_size = static_cast<off_t>(node->size);
    st->st_uid = ctx.uid;
    st->st_gid = ctx.gid;
    st->st_atime = st->st_mtime = st->st_ctime = ctx.started;
    return 0;
}

int simReadlink(const char *path, char *buf, size_t size)
{
    const std::optional<SimMachine::Node> node = context().machine.node(path);
    if (!node)
        return -ENOENT;
    if (node->type != SimMachine::NodeType::Symlink)
        return -EINVAL;
    if (size == 0)
        return -EINVAL;
    const size_t n = std::min(size - 1, node->target.size());
    std::memcpy(buf, node->target.data(), n);
    buf[n] = '\0';
    return 0;
}

int simReaddir(const char *path, void *buf, fuse_fill_dir_t filler, off_t, fuse_file_info *, fuse_readdir_flags)
{
    SimMachine &machine = context().machine;
    const std::optional<SimMachine::Node> node = machine.node(path);
    if (!node)
        return -ENOENT;
    if (node->type != SimMachine::NodeType::Directory)
        return -ENOTDIR;
    filler(buf, ".", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    filler(buf, "..", nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    for (const std::string &name : machine.list(path))
        filler(buf, name.c_str(), nullptr, 0, static_cast<fuse_fill_dir_flags>(0));
    return 0;
}

int simOpen(const char *path, fuse_file_info *fi)
{
    const int mode = fi->flags & O_ACCMODE;
    const bool forRead = mode == O_RDONLY || mode == O_RDWR;
    const bool forWrite = mode == O_WRONLY || mode == O_RDWR;
    if (const int err = context().machine.open(path, forRead, forWrite))
        return -err;
    fi->fh = static_cast<uint64_t>(reinterpret_cast<std::uintptr_t>(new OpenFile));
    return 0;
}

int simRead(const char *path, char *buf, size_t size, off_t offset, fuse_file_info *fi)
{
    OpenFile *file = openFile(fi);
    if (offset == 0 || !file->filled) {
        if (context().readDelayMs > 0 && isCurrentFrequency(path)) {
            const timespec delay{context().readDelayMs / 1000, (context().readDelayMs % 1000) * 1'000'000};
            ::nanosleep(&delay, nullptr);
        }
        if (const int err = context().machine.read(path, file->text))
            return -err;
        file->filled = true;
    }
    if (offset < 0 || static_cast<size_t>(offset) >= file->text.size())
        return 0;
    const size_t n = std::min(size, file->text.size() - static_cast<size_t>(offset));
    // A read fills a byte buffer of the given size, not a C string.
    std::memcpy(buf, file->text.data() + offset, n); // NOLINT(bugprone-not-null-terminated-result)
    return static_cast<int>(n);
}

int simWrite(const char *path, const char *buf, size_t size, off_t, fuse_file_info *fi)
{
    // Like a sysfs store, the offset plays no part: every write(2) is a value of its own.
    openFile(fi)->filled = false;
    return static_cast<int>(context().machine.write(path, std::string_view(buf, size)));
}

int simRelease(const char *, fuse_file_info *fi)
{
    delete openFile(fi);
    return 0;
}

// O_TRUNC opens (shell redirection) truncate first; sysfs accepts and ignores that.
int simTruncate(const char *path, off_t, fuse_file_info *)
{
    const std::optional<SimMachine::Node> node = context().machine.node(path);
    if (!node)
        return -ENOENT;
    return node->type == SimMachine::NodeType::Directory ? -EISDIR : 0;
}

int simUtimens(const char *path, const struct timespec *, fuse_file_info *)
{
    return context().machine.node(path) ? 0 : -ENOENT;
}

void usage(FILE *out)
{
    std::fputs("Usage: freqdeck-cpufreq-sim [options] MOUNTPOINT\n"
               "\n"
               "Mounts a simulated machine: MOUNTPOINT/cpu is laid out like /sys/devices/system/cpu and\n"
               "MOUNTPOINT/cpuinfo like /proc/cpuinfo. Writes follow the kernel's rules and error numbers.\n"
               "\n"
               "  --cpus N          logical CPUs (default 8)\n"
               "  --driver NAME     acpi-cpufreq (default), intel_pstate, amd-pstate-epp or cpufreq-dt\n"
               "  --machine KIND    plain (default: alike CPUs, one policy each), hybrid (Intel,\n"
               "                    6 P-cores with SMT + 8 E-cores, 20 CPUs) or biglittle (ARM, two\n"
               "                    clusters of 4 CPUs sharing a policy each); hybrid and biglittle\n"
               "                    set the CPUs, driver and limits themselves\n"
               "  --model TEXT      the processor's model name\n"
               "  --min-khz N       the hardware's lowest frequency\n"
               "  --max-khz N       the hardware's highest frequency\n"
               "  --seed N          varies the simulated load\n"
               "  --read-error PATH=ERROR\n"
               "                    reads of MOUNTPOINT/PATH fail with ERROR (EIO, EBUSY or ENODEV) after\n"
               "                    the open succeeds; repeatable\n"
               "  --write-log PATH  append one line per store to PATH: the file as served, the text,\n"
               "                    and \" -> error N\" when it was refused\n"
               "  --read-delay-ms N sleep N ms in every read of scaling_cur_freq and\n"
               "                    cpuinfo_cur_freq, as kernels 4.13 to 5.18 may (default 0)\n"
               "  --forget-on-online a CPU coming online starts over with the driver's defaults\n"
               "  --bios-limit-khz N  acpi-cpufreq's firmware limit (bios_limit), below the maximum\n"
               "  --power-limit-w N the package's long-term RAPL limit in watts (default: its TDP)\n"
               "  --hot             the cooler cannot keep up: the package sits at its trip point and\n"
               "                    the CPUs throttle\n"
               "  -f, --foreground  stay in the foreground; without it the command returns once mounted\n"
               "  --pid-file PATH   write the serving process's id to PATH once mounted\n"
               "  --allow-other     let other users in (always on when run as root); needs\n"
               "                    user_allow_other in /etc/fuse.conf when run by a user\n"
               "  -d, --debug       print every FUSE request\n"
               "  -h, --help        this text\n"
               "\n"
               "Ready when MOUNTPOINT/cpuinfo exists. SIGTERM, SIGINT or SIGHUP unmount and stop it.\n",
               out);
}

bool parseNumber(const char *text, long min, long max, long &value)
{
    char *end = nullptr;
    errno = 0;
    const long v = std::strtol(text, &end, 10);
    if (errno != 0 || end == text || *end != '\0' || v < min || v > max)
        return false;
    value = v;
    return true;
}

std::optional<int> errorNumber(const std::string &name)
{
    if (name == "EIO")
        return EIO;
    if (name == "EBUSY")
        return EBUSY;
    if (name == "ENODEV")
        return ENODEV;
    return std::nullopt;
}

} // namespace

int main(int argc, char **argv)
{
    SimMachine::Config config;
    std::string mountpoint;
    std::string pidFile;
    bool foreground = false;
    bool allowOther = ::geteuid() == 0;
    bool debug = false;
    long readDelayMs = 0;
    std::string writeLog;
    bool cpuOptions = false; // --cpus, --driver, --min-khz or --max-khz given

    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> const char * {
            if (i + 1 >= argc) {
                std::fprintf(stderr, "freqdeck-cpufreq-sim: %s needs a value\n", arg.c_str());
                std::exit(2);
            }
            return argv[++i];
        };
        const auto number = [&](long min, long max) {
            long v = 0;
            const char *text = value();
            if (!parseNumber(text, min, max, v)) {
                std::fprintf(stderr, "freqdeck-cpufreq-sim: %s: '%s' is not a number from %ld to %ld\n", arg.c_str(),
                             text, min, max);
                std::exit(2);
            }
            return v;
        };
        if (arg == "-h" || arg == "--help") {
            usage(stdout);
            return 0;
        } else if (arg == "--cpus") {
            config.cpus = static_cast<int>(number(1, 1024));
            cpuOptions = true;
        } else if (arg == "--machine") {
            const char *name = value();
            const std::optional<SimMachine::Machine> machine = SimMachine::machineFromName(name);
            if (!machine) {
                std::fprintf(stderr, "freqdeck-cpufreq-sim: unknown machine '%s'\n", name);
                return 2;
            }
            config.machine = *machine;
        } else if (arg == "--write-log") {
            writeLog = value();
        } else if (arg == "--driver") {
            cpuOptions = true;
            const char *name = value();
            const std::optional<SimMachine::Driver> driver = SimMachine::driverFromName(name);
            if (!driver) {
                std::fprintf(stderr, "freqdeck-cpufreq-sim: unknown driver '%s'\n", name);
                return 2;
            }
            config.driver = *driver;
        } else if (arg == "--model") {
            config.model = value();
        } else if (arg == "--min-khz") {
            cpuOptions = true;
            config.minKHz = static_cast<unsigned>(number(1000, 100'000'000));
        } else if (arg == "--max-khz") {
            cpuOptions = true;
            config.maxKHz = static_cast<unsigned>(number(1000, 100'000'000));
        } else if (arg == "--seed") {
            config.seed = static_cast<std::uint64_t>(number(0, 2'000'000'000));
        } else if (arg == "--read-error") {
            const std::string rule = value();
            const std::size_t eq = rule.rfind('=');
            const std::optional<int> error = eq == std::string::npos ? std::nullopt : errorNumber(rule.substr(eq + 1));
            if (!error || eq == 0) {
                std::fprintf(stderr, "freqdeck-cpufreq-sim: --read-error: '%s' is not PATH=EIO, EBUSY or ENODEV\n",
                             rule.c_str());
                return 2;
            }
            const std::string file = rule.substr(0, eq);
            config.readErrors.emplace_back(file[0] == '/' ? file : '/' + file, *error);
        } else if (arg == "--read-delay-ms") {
            readDelayMs = number(0, 10'000);
        } else if (arg == "--forget-on-online") {
            config.forgetOnOnline = true;
        } else if (arg == "--bios-limit-khz") {
            config.biosLimitKHz = static_cast<unsigned>(number(1000, 100'000'000));
        } else if (arg == "--power-limit-w") {
            config.powerLimitUw = static_cast<std::uint64_t>(number(1, 100'000)) * 1'000'000;
        } else if (arg == "--hot") {
            config.hot = true;
        } else if (arg == "-f" || arg == "--foreground") {
            foreground = true;
        } else if (arg == "--pid-file") {
            pidFile = value();
        } else if (arg == "--allow-other") {
            allowOther = true;
        } else if (arg == "-d" || arg == "--debug") {
            debug = true;
            foreground = true;
        } else if (!arg.empty() && arg[0] == '-') {
            std::fprintf(stderr, "freqdeck-cpufreq-sim: unknown option %s\n", arg.c_str());
            usage(stderr);
            return 2;
        } else if (mountpoint.empty()) {
            mountpoint = arg;
        } else {
            std::fprintf(stderr, "freqdeck-cpufreq-sim: more than one mount point given\n");
            return 2;
        }
    }
    if (mountpoint.empty()) {
        usage(stderr);
        return 2;
    }
    if (cpuOptions && config.machine != SimMachine::Machine::Plain) {
        std::fprintf(stderr, "freqdeck-cpufreq-sim: --machine hybrid and biglittle set --cpus, --driver, --min-khz "
                             "and --max-khz themselves\n");
        return 2;
    }
    if (config.minKHz && config.maxKHz && config.minKHz > config.maxKHz) {
        std::fprintf(stderr, "freqdeck-cpufreq-sim: --min-khz is above --max-khz\n");
        return 2;
    }
    // Daemonising changes to /, so the mount point must not depend on the working directory.
    char *resolved = ::realpath(mountpoint.c_str(), nullptr);
    if (!resolved) {
        std::fprintf(stderr, "freqdeck-cpufreq-sim: %s: %s\n", mountpoint.c_str(), std::strerror(errno));
        return 1;
    }
    mountpoint = resolved;
    std::free(resolved);

    Context ctx{SimMachine(config), ::getuid(), ::getgid(), std::time(nullptr), readDelayMs};
    if (!writeLog.empty()) {
        // Opened before daemonising, which changes to /; a relative path means the starting directory.
        std::shared_ptr<FILE> log(std::fopen(writeLog.c_str(), "ae"), [](FILE *f) {
            if (f)
                std::fclose(f);
        });
        if (!log) {
            std::fprintf(stderr, "freqdeck-cpufreq-sim: %s: %s\n", writeLog.c_str(), std::strerror(errno));
            return 1;
        }
        ctx.machine.observeWrites([log](const std::string &path, std::string_view text, long result) {
            std::string value(text);
            while (!value.empty() && value.back() == '\n')
                value.pop_back();
            std::string line = path + ' ' + value;
            if (result < 0)
                line += " -> error " + std::to_string(-result);
            std::fprintf(log.get(), "%s\n", line.c_str());
            std::fflush(log.get());
        });
    }
    ctx.machine.addPowerSupply();
    ctx.machine.addPackageDevices();

    // default_permissions lets the kernel apply the modes, so a 0444 file refuses writes from
    // anyone but root and 0400 hides cpuinfo_cur_freq from other users, as on sysfs.
    std::string options = "fsname=freqdeck-cpufreq-sim,subtype=freqdeck-cpufreq-sim,default_permissions";
    if (allowOther)
        options += ",allow_other";
    std::vector<std::string> fuseArgv = {argv[0], "-o", options};
    if (debug)
        fuseArgv.emplace_back("-d");
    std::vector<char *> fuseArgvPtrs;
    fuseArgvPtrs.reserve(fuseArgv.size());
    for (std::string &a : fuseArgv)
        fuseArgvPtrs.push_back(a.data());
    fuse_args args = FUSE_ARGS_INIT(static_cast<int>(fuseArgvPtrs.size()), fuseArgvPtrs.data());

    fuse_operations ops{};
    ops.getattr = simGetattr;
    ops.readlink = simReadlink;
    ops.readdir = simReaddir;
    ops.open = simOpen;
    ops.read = simRead;
    ops.write = simWrite;
    ops.release = simRelease;
    ops.truncate = simTruncate;
    ops.utimens = simUtimens;
    ops.init = simInit;

    fuse *fs = fuse_new(&args, &ops, sizeof ops, &ctx);
    if (!fs) {
        fuse_opt_free_args(&args);
        return 1;
    }
    if (fuse_mount(fs, mountpoint.c_str()) != 0) {
        fuse_destroy(fs);
        fuse_opt_free_args(&args);
        return 1;
    }
    fuse_session *session = fuse_get_session(fs);
    int status = 1;
    if (fuse_set_signal_handlers(session) == 0) {
        if (fuse_daemonize(foreground ? 1 : 0) == 0) {
            bool ok = true;
            if (!pidFile.empty()) {
                FILE *f = std::fopen(pidFile.c_str(), "w");
                ok = f && std::fprintf(f, "%ld\n", static_cast<long>(::getpid())) > 0;
                ok = (f && std::fclose(f) == 0) && ok;
                if (!ok)
                    std::fprintf(stderr, "freqdeck-cpufreq-sim: cannot write %s\n", pidFile.c_str());
            }
            // The loop ends with 0 or the number of the signal that stopped it: both are a clean stop.
            if (ok)
                status = fuse_loop(fs) >= 0 ? 0 : 1;
        }
        fuse_remove_signal_handlers(session);
    }
    fuse_unmount(fs);
    fuse_destroy(fs);
    fuse_opt_free_args(&args);
    if (!pidFile.empty())
        ::unlink(pidFile.c_str());
    return status;
}
