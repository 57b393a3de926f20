// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "updateinfointerface.h"

class CPUCore;
class PolicyDisplayWidget;
class PolicyEditorWidget;
class QLabel;

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

protected:
    void paintEvent(QPaintEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    // Marks the values of the core that changed outside freqdeck since it set them.
    void showDrift();

    CPUCore &core;
    QLabel *drift = nullptr;
    PolicyEditorWidget *editor = nullptr;
    PolicyDisplayWidget *display;
};
