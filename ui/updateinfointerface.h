// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QtPlugin>

// What the main window calls on the visible page once a second to bring it up to date.
class UpdateInfoInterface
{
public:
    virtual void updateInfo() = 0;

protected:
    // Pages are owned by the widget tree and never deleted through this interface.
    ~UpdateInfoInterface() = default;
};

Q_DECLARE_INTERFACE(UpdateInfoInterface, "freqdeck.UpdateInfoInterface")
