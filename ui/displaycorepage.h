// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "updateinfointerface.h"

class CapChainView;
class CPUCore;
class CPUInfo;
class PolicyDisplayWidget;
class PolicyEditorWidget;

// The page of one core: its attribute list beside its editor.
class DisplayCorePage : public QWidget, public UpdateInfoInterface
{
    Q_OBJECT
    Q_INTERFACES(UpdateInfoInterface)
    Q_DISABLE_COPY_MOVE(DisplayCorePage)

public:
    explicit DisplayCorePage(CPUCore &core, QWidget *parent = nullptr);

    // Shows the core as last read, in the list and in every line the user is not editing.
    void updateInfo() override;
    // Adds the "why this frequency" section below, for the core of info's inventory.
    void showCapChain(CPUInfo &info);

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    CPUCore &core;
    PolicyEditorWidget *editor = nullptr;
    PolicyDisplayWidget *display;
    CapChainView *capChain = nullptr;
};
