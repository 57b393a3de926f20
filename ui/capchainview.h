// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QGroupBox>

#include <optional>

#include "capchain.h"
#include "packagesensors.h"

class CPUCore;
class CPUInfo;
class QLabel;
class QTreeWidget;

// "Why capped" on a core's page: the core's chain of ceilings, with the one that holds it down
// marked. Each refresh reads the package files once and judges the power limit and throttling
// against the refresh before.
class CapChainView final : public QGroupBox
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CapChainView)

public:
    CapChainView(CPUInfo &info, CPUCore &core, QWidget *parent = nullptr);

    // Takes a package sample and shows the chain of the core as last read.
    void refresh();
    // The key of the link that binds now, empty when none could be named.
    QString bindingKey() const;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    CPUInfo &info;
    CPUCore &core;
    PackageSensors sensors;
    std::optional<PackageSensors::Sample> previous;
    QVector<CapChain::Link> chain;
    QLabel *summary;
    QTreeWidget *table;
};
