// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>

// Lets a test process see a fixture at the real paths (/sys/devices/system/cpu, /proc/cpuinfo)
// without touching the machine: the process moves into a private mount namespace of its own.
class MountNamespace final
{
public:
    // Must run while the process is still single-threaded, before the application object exists.
    static bool enter();
    static bool available();
    static QString reason(); // why the namespace is unavailable, for QSKIP

    // Bind-mounts source over target inside the namespace; false with reason() set on failure.
    static bool bind(const QString &source, const QString &target);
    // Mounts a fresh tmpfs over target inside the namespace, with mount options such as "size=64k";
    // device nodes made in it work. False with reason() set on failure.
    static bool mountTmpfs(const QString &target, const QString &options = QString());
    // Makes a directory read-only inside the namespace, even for root.
    static bool makeReadOnly(const QString &directory);
    static bool unmount(const QString &target);
};

// A test main that enters the namespace before building the application object.
#define FREQDECK_NAMESPACED_TEST_MAIN(AppClass, TestClass) \
    int main(int argc, char **argv)                        \
    {                                                      \
        MountNamespace::enter();                           \
        AppClass app(argc, argv);                          \
        TestClass tc;                                      \
        QTEST_SET_MAIN_SOURCE_PATH                         \
        return QTest::qExec(&tc, argc, argv);              \
    }
