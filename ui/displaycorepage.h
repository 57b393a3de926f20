// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

#include "updateinfointerface.h"

class CapChainView;
class CPUCore;
class CPUInfo;
class PolicyDisplayWidget;
class PolicyEditorWidget;
class QLabel;

// The page of one core: its attribute list beside its editor, and above the editor, where the
// core's policy serves other CPUs too, a note that its changes apply to all of them.
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
    // "Policy 4, shared by CPUs 4–7"; an empty note hides it.
    void setPolicyNote(const QString &note);

signals:
    // The editor wrote to the core and read it back.
    void applied();

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
    QLabel *policyNote;
    CapChainView *capChain = nullptr;
};
