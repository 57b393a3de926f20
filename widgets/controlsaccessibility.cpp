// SPDX-License-Identifier: GPL-3.0-or-later
#include "controlsaccessibility.h"

#include <QAccessible>

#include "imageswitch.h"
#include "imageswitchaccessible.h"
#include "switchbutton.h"
#include "switchbuttonaccessible.h"

namespace
{

QAccessibleInterface *controlsFactory(const QString &className, QObject *object)
{
    if (className == QLatin1String("SwitchButton")) {
        if (auto *button = qobject_cast<SwitchButton *>(object))
            return new SwitchButtonAccessible(button);
    }
    if (className == QLatin1String("ImageSwitch")) {
        if (auto *imageSwitch = qobject_cast<ImageSwitch *>(object))
            return new ImageSwitchAccessible(imageSwitch);
    }
    return nullptr;
}

} // namespace

void installControlsAccessibility()
{
    static const bool installed = [] {
        QAccessible::installFactory(controlsFactory);
        return true;
    }();
    Q_UNUSED(installed)
}
