// SPDX-License-Identifier: GPL-3.0-or-later
#include <QGenericPlugin>

#include <dlfcn.h>
#include <fcntl.h>
#include <string>
#include <unistd.h>

// A Qt plugin that only tells that it was loaded: as the library is loaded, before Qt asks it for
// anything, it creates a file named "loaded" in its own directory. Tests copy it into a directory of
// their own and see whether a program could be made to load it.
namespace
{
__attribute__((constructor)) void markLoaded()
{
    Dl_info info;
    if (::dladdr(reinterpret_cast<void *>(&markLoaded), &info) == 0 || !info.dli_fname)
        return;
    std::string path(info.dli_fname);
    path.replace(path.rfind('/') + 1, std::string::npos, "loaded");
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0644);
    if (fd >= 0)
        ::close(fd);
}
} // namespace

class MarkerPlugin final : public QGenericPlugin
{
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "markerplugin.json")

public:
    QObject *create(const QString &, const QString &) override { return nullptr; }
};

#include "markerplugin.moc"
