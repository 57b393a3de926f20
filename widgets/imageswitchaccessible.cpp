// SPDX-License-Identifier: GPL-3.0-or-later
#include "imageswitchaccessible.h"

#include "imageswitch.h"

ImageSwitchAccessible::ImageSwitchAccessible(ImageSwitch *imageSwitch)
    : QAccessibleWidget(imageSwitch, QAccessible::CheckBox)
{
}

QAccessible::State ImageSwitchAccessible::state() const
{
    QAccessible::State state = QAccessibleWidget::state();
    state.checkable = true;
    state.checked = static_cast<ImageSwitch *>(widget())->getChecked();
    return state;
}

QStringList ImageSwitchAccessible::actionNames() const
{
    return QStringList(toggleAction()) << QAccessibleWidget::actionNames();
}

void ImageSwitchAccessible::doAction(const QString &actionName)
{
    if (actionName == toggleAction()) {
        if (widget()->isEnabled())
            static_cast<ImageSwitch *>(widget())->toggle();
        return;
    }
    QAccessibleWidget::doAction(actionName);
}
