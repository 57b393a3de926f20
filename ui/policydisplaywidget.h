// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QHash>
#include <QScrollArea>

class CPUCore;
class CPUPolicy;
class QFormLayout;
class QLabel;

// The read-only list of every cpufreq attribute of one core; writable values are shown in red.
class PolicyDisplayWidget : public QScrollArea
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PolicyDisplayWidget)

public:
    explicit PolicyDisplayWidget(CPUCore &core, QWidget *parent = nullptr);

    QSize sizeHint() const override;

    // Rewrites the shown values in place from the core's records; reads nothing.
    virtual void updateInfo();
    // Rewrites the shown values from the core's records as they are, without reading.
    void showValues();

    // Frequencies in MHz, lists one item per line, everything else as the kernel wrote it; a value
    // that could not be read says so.
    static QString processPolicyValue(const CPUPolicy &policy);
    QLabel *getInfoListPolicyValueWidget(const CPUPolicy &policy);

private:
    CPUCore &core;
    QWidget *infoList;
    QFormLayout *form;
    QHash<QString, QLabel *> valueLabels; // the value labels of infoList, by attribute name
};
