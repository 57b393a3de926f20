// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>

class ImageSwitch;

// An ImageSwitch as a check box: checked while on, toggled by its toggle action.
class ImageSwitchAccessible final : public QAccessibleWidget
{
public:
    explicit ImageSwitchAccessible(ImageSwitch *imageSwitch);

    QAccessible::State state() const override;
    QStringList actionNames() const override;
    void doAction(const QString &actionName) override;
};
