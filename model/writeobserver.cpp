// SPDX-License-Identifier: GPL-3.0-or-later
#include "writeobserver.h"

#include <utility>

namespace
{

WriteObserver::Observer &current()
{
    static WriteObserver::Observer observer;
    return observer;
}

} // namespace

void WriteObserver::set(Observer observer)
{
    current() = std::move(observer);
}

void WriteObserver::notify(const QString &machine, int core, const QString &attribute, const QString &value)
{
    if (current())
        current()(machine, core, attribute, value);
}
