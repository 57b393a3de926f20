// SPDX-License-Identifier: GPL-3.0-or-later
#include "corenavigator.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QStandardItemModel>
#include <QToolButton>

#include "cpuinfo.h"
#include "switchbutton.h"
#include "topologytext.h"

CoreNavigator::CoreNavigator(CPUInfo &cpuInfo, QWidget *parent)
    : QWidget(parent)
    , cpuInfo(cpuInfo)
    , all(new SwitchButton(this))
    , previous(new QToolButton(this))
    , next(new QToolButton(this))
    , cores(new QComboBox(this))
    , jump(new QLineEdit(this))
{
    setObjectName(QStringLiteral("CoreNavigator"));
    // The same segment as in the segmented switch, so "All" looks and works alike in both.
    all->append(tr("All"));
    all->setCurrentIndex(0, false);
    all->setFixedSize(all->sizeHint());
    previous->setArrowType(Qt::LeftArrow);
    previous->setToolTip(tr("Previous core"));
    previous->setFixedSize(40, 40);
    next->setArrowType(Qt::RightArrow);
    next->setToolTip(tr("Next core"));
    next->setFixedSize(40, 40);

    // A scrollable list with a row per core; a plain view follows the style sheet like the
    // editor's drop-down does.
    cores->setView(new QListView);
    cores->setMaxVisibleItems(16);
    fillList();
    cores->setCurrentIndex(-1);
    cores->setPlaceholderText(tr("Choose a core"));
    cores->setFixedHeight(40);
    cores->setMinimumWidth(260);
    cores->setToolTip(tr("Every core with its current frequency"));

    jump->setPlaceholderText(tr("Go to core…"));
    jump->setFixedSize(150, 40);
    jump->setToolTip(tr("Type a core's number and press Enter"));

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(10);
    layout->addWidget(all);
    layout->addSpacing(10);
    layout->addWidget(previous);
    layout->addWidget(cores);
    layout->addWidget(next);
    layout->addSpacing(10);
    layout->addWidget(jump);

    connect(all, &SwitchButton::indexChanged, this, [this] { emit pageRequested(0); });
    connect(previous, &QToolButton::clicked, this, [this] { emit pageRequested(qMax(1, current - 1)); });
    connect(next, &QToolButton::clicked, this,
            [this] { emit pageRequested(qMin(static_cast<int>(this->cpuInfo.cores.size()), current + 1)); });
    connect(cores, QOverload<int>::of(&QComboBox::activated), this, [this](int row) {
        if (row >= 0 && row < coreOfRow.size() && coreOfRow.at(row) >= 0)
            emit pageRequested(coreOfRow.at(row) + 1);
    });
    connect(jump, &QLineEdit::returnPressed, this, &CoreNavigator::goToTypedCore);
}

void CoreNavigator::fillList()
{
    const int count = static_cast<int>(cpuInfo.cores.size());
    rowOfCore.fill(-1, count);
    badges.fill(QString(), count);
    const QVector<TopologyText::Group> groups = TopologyText::navigationGroups(cpuInfo);
    if (groups.isEmpty()) {
        for (int k = 0; k < count; ++k) {
            rowOfCore[k] = k;
            coreOfRow.append(k);
            cores->addItem(coreText(k));
        }
        return;
    }
    const Topology &topology = cpuInfo.topology();
    auto *model = qobject_cast<QStandardItemModel *>(cores->model());
    for (const TopologyText::Group &group : groups) {
        // A heading that cannot be chosen; the keys and the pointer pass over it.
        auto *heading = new QStandardItem(group.heading);
        heading->setFlags(Qt::NoItemFlags);
        QFont bold = cores->font();
        bold.setBold(true);
        heading->setFont(bold);
        model->appendRow(heading);
        coreOfRow.append(-1);
        for (const int k : group.cores) {
            if (const CpuPlace *place = topology.place(cpuInfo.cores[static_cast<size_t>(k)].core_id())) {
                badges[k] = TopologyText::badge(topology, *place);
                const QString tip = TopologyText::description(topology, *place);
                cores->addItem(coreText(k));
                cores->setItemData(cores->count() - 1, tip, Qt::ToolTipRole);
            } else {
                cores->addItem(coreText(k));
            }
            rowOfCore[k] = cores->count() - 1;
            coreOfRow.append(k);
        }
    }
}

void CoreNavigator::setCurrentPage(int index)
{
    current = index;
    all->setCurrentIndex(index == 0 ? 0 : -1, false);
    cores->setCurrentIndex(index >= 1 && index <= rowOfCore.size() ? rowOfCore.at(index - 1) : -1);
    previous->setEnabled(index > 1);
    next->setEnabled(index < static_cast<int>(cpuInfo.cores.size()));
}

int CoreNavigator::currentPage() const
{
    return current;
}

void CoreNavigator::updateFrequencies(const QVector<int> &indices)
{
    for (int k : indices) {
        if (k >= 0 && k < rowOfCore.size())
            cores->setItemText(rowOfCore.at(k), coreText(k));
    }
}

QString CoreNavigator::coreText(int k) const
{
    const CPUCore &core = cpuInfo.cores[static_cast<size_t>(k)];
    const QString id = QString::number(core.core_id());
    // "Core 12 (E)" where the machine has kinds of core.
    const QString badge = k < badges.size() ? badges.at(k) : QString();
    const CPUPolicy current = core.policies.value(QLatin1String(KnownCPUPolicy::scaling_cur_freq));
    const bool known = !current.value.isEmpty() && current.readError == 0;
    const QString mhz = QString::number(current.value.toLongLong() / 1000);
    if (badge.isEmpty()) {
        if (!core.isEnabled())
            return tr("Core %1 · offline").arg(id);
        return known ? tr("Core %1 · %2 MHz").arg(id, mhz) : tr("Core %1").arg(id);
    }
    if (!core.isEnabled())
        return tr("Core %1 (%2) · offline").arg(id, badge);
    return known ? tr("Core %1 (%2) · %3 MHz").arg(id, badge, mhz) : tr("Core %1 (%2)").arg(id, badge);
}

void CoreNavigator::goToTypedCore()
{
    bool ok = false;
    const int number = jump->text().trimmed().toInt(&ok);
    if (!ok)
        return;
    // By the core's own number, which is its position only while no number is missing.
    for (int k = 0; k < static_cast<int>(cpuInfo.cores.size()); ++k) {
        if (cpuInfo.cores[static_cast<size_t>(k)].core_id() == number) {
            jump->clear();
            emit pageRequested(k + 1);
            return;
        }
    }
    jump->selectAll();
}
