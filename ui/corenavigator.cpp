// SPDX-License-Identifier: GPL-3.0-or-later
#include "corenavigator.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListView>
#include <QToolButton>

#include "cpuinfo.h"
#include "switchbutton.h"

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
    for (int k = 0; k < static_cast<int>(cpuInfo.cores.size()); ++k)
        cores->addItem(coreText(k));
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
    connect(cores, QOverload<int>::of(&QComboBox::activated), this, [this](int k) { emit pageRequested(k + 1); });
    connect(jump, &QLineEdit::returnPressed, this, &CoreNavigator::goToTypedCore);
}

void CoreNavigator::setCurrentPage(int index)
{
    current = index;
    all->setCurrentIndex(index == 0 ? 0 : -1, false);
    cores->setCurrentIndex(index - 1);
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
        if (k >= 0 && k < cores->count())
            cores->setItemText(k, coreText(k));
    }
}

QString CoreNavigator::coreText(int k) const
{
    const CPUCore &core = cpuInfo.cores[static_cast<size_t>(k)];
    if (!core.isEnabled())
        return tr("Core %1 · offline").arg(core.core_id());
    const CPUPolicy current = core.policies.value(QLatin1String(KnownCPUPolicy::scaling_cur_freq));
    if (current.value.isEmpty() || current.readError != 0)
        return tr("Core %1").arg(core.core_id());
    return tr("Core %1 · %2 MHz").arg(core.core_id()).arg(current.value.toLongLong() / 1000);
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
