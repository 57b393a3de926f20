// SPDX-License-Identifier: GPL-3.0-or-later
#include "capchainview.h"

#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QTreeWidget>
#include <QVBoxLayout>

#include "cpuinfo.h"
#include "safetext.h"

CapChainView::CapChainView(CPUInfo &info, CPUCore &core, QWidget *parent)
    : QGroupBox(tr("Why this frequency"), parent)
    , info(info)
    , core(core)
    , sensors(info.cpuDir.absolutePath())
    , summary(new QLabel(this))
    , table(new QTreeWidget(this))
{
    setObjectName(QStringLiteral("capChain"));
    summary->setWordWrap(true);
    summary->setTextFormat(Qt::PlainText);
    table->setRootIsDecorated(false);
    table->setHeaderLabels({tr("Ceiling"), tr("Value"), tr("Holds it down")});
    table->header()->setSectionResizeMode(QHeaderView::ResizeToContents);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    table->setAccessibleName(tr("Ceilings of the frequency"));
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(summary);
    layout->addWidget(table);
}

void CapChainView::refresh()
{
    const PackageSensors::Sample now = sensors.sample({core.core_id()});
    info.processor.update();
    chain = CapChain::build(core, info.processor, previous.value_or(now), now);
    previous = now;

    const CapChain::Link *binding = CapChain::binding(chain);
    summary->setText(binding ? tr("Held down by %1: %2.").arg(binding->label, binding->note)
                             : tr("No single ceiling holds this core down."));
    table->clear();
    for (const CapChain::Link &link : qAsConst(chain)) {
        QString value = link.value.isEmpty() ? QStringLiteral("–") : SafeText::printable(link.value);
        if (!link.value.isEmpty() && !link.unit.isEmpty())
            value += QLatin1Char(' ') + link.unit;
        else if (link.value.isEmpty() && !link.note.isEmpty())
            value = link.note;
        QString binds;
        if (link.binds == CapChain::Binds::Yes)
            binds = tr("yes");
        else if (link.binds == CapChain::Binds::Maybe)
            binds = tr("may");
        auto *item = new QTreeWidgetItem(table, {link.label, value, binds});
        item->setToolTip(0, link.key);
        if (link.binds != CapChain::Binds::No) {
            item->setToolTip(2, link.note);
            QFont bold = item->font(0);
            bold.setBold(true);
            for (int column = 0; column < 3; ++column)
                item->setFont(column, bold);
        }
    }
    // As tall as its rows: the page scrolls, the table does not.
    const int rows = table->topLevelItemCount();
    const int rowHeight = rows ? table->visualItemRect(table->topLevelItem(0)).height() : 0;
    table->setFixedHeight(table->header()->sizeHint().height() + rows * qMax(rowHeight, fontMetrics().height() + 4)
                          + 2 * table->frameWidth());
}

void CapChainView::paintEvent(QPaintEvent *event)
{
    // A light panel under the title and the summary, which would otherwise stand on the window's
    // picture.
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        QColor panel = palette().color(QPalette::Window);
        panel.setAlpha(235);
        painter.setBrush(panel);
        painter.drawRoundedRect(rect(), 12, 12);
    }
    QGroupBox::paintEvent(event);
}

QString CapChainView::bindingKey() const
{
    const CapChain::Link *binding = CapChain::binding(chain);
    return binding ? binding->key : QString();
}
