// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QWidget>

class CPUInfo;
class QComboBox;
class QLineEdit;
class QToolButton;
class SwitchButton;

// The navigation for machines with more cores than segments fit the window: "All", the previous
// and next core, a drop-down list of every core with its current frequency, and a field that goes
// to the core whose number is typed. Page indices are those of the window: 0 is "All", core k is
// k + 1. Where the machine has kinds of core or shared policies, the list is grouped under
// headings ("P-cores · policy 0 (CPUs 0–3)") and each core carries its kind.
class CoreNavigator final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CoreNavigator)

public:
    explicit CoreNavigator(CPUInfo &cpuInfo, QWidget *parent = nullptr);

    // Shows the page as current; announces nothing.
    void setCurrentPage(int index);
    int currentPage() const;
    // Brings the listed cores' frequencies up to date from the inventory; reads nothing.
    void updateFrequencies(const QVector<int> &cores);

signals:
    void pageRequested(int index);

private:
    QString coreText(int core) const;
    void goToTypedCore();
    void fillList();

    CPUInfo &cpuInfo;
    SwitchButton *all;
    QToolButton *previous;
    QToolButton *next;
    QComboBox *cores;
    QLineEdit *jump;
    QVector<int> rowOfCore;  // by core index
    QVector<int> coreOfRow;  // -1 for a heading
    QVector<QString> badges; // by core index, empty on a plain machine
    int current = 0;
};
