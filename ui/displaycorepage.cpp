// SPDX-License-Identifier: GPL-3.0-or-later
#include "displaycorepage.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

#include "capchainview.h"
#include "cpucore.h"
#include "driftwatch.h"
#include "holdnotice.h"
#include "policydisplaywidget.h"
#include "policyeditorwidget.h"

DisplayCorePage::DisplayCorePage(CPUCore &core, QWidget *parent)
    : QWidget(parent)
    , core(core)
    , display(new PolicyDisplayWidget(core, this))
    , policyNote(new QLabel(this))
{
    display->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    editor = new PolicyEditorWidget(core, this);
    editor->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
    connect(editor, &PolicyEditorWidget::applied, display, &PolicyDisplayWidget::showValues);
    connect(editor, &PolicyEditorWidget::applied, this, &DisplayCorePage::showDrift);
    connect(editor, &PolicyEditorWidget::applied, this, &DisplayCorePage::applied);

    policyNote->setObjectName(QStringLiteral("policyNote"));
    policyNote->setTextFormat(Qt::PlainText);
    policyNote->setWordWrap(true);
    policyNote->hide();

    auto *editorColumn = new QVBoxLayout;
    editorColumn->setSpacing(8);
    editorColumn->addWidget(policyNote);
    editorColumn->addWidget(editor, 1);

    // Above both: the values of this core that changed since freqdeck set them.
    drift = new QLabel(this);
    drift->setObjectName(QStringLiteral("drift"));
    drift->setTextFormat(Qt::PlainText);
    drift->setWordWrap(true);
    drift->setStyleSheet(QStringLiteral("QLabel { color: #663300; background: rgba(255, 255, 255, 170);"
                                        " border: 1px solid #B35900; border-radius: 6px; padding: 4px; }"));
    drift->hide();
    auto *page = new QVBoxLayout(this);
    page->addWidget(drift);
    auto *layout = new QHBoxLayout;
    page->addLayout(layout, 1);
    layout->addStretch(1);
    layout->addWidget(display, 5);
    layout->addSpacing(50);
    layout->addLayout(editorColumn, 6);
    layout->addStretch(1);
}

void DisplayCorePage::setPolicyNote(const QString &note)
{
    policyNote->setText(note);
    policyNote->setToolTip(note);
    policyNote->setVisible(!note.isEmpty());
}

void DisplayCorePage::updateInfo()
{
    // The list re-reads the core; the editor then shows what was just read.
    display->updateInfo();
    editor->updateInfo();
    showDrift();
    if (capChain)
        capChain->refresh();
}

void DisplayCorePage::showCapChain(CPUInfo &info)
{
    if (capChain)
        return;
    capChain = new CapChainView(info, core, this);
    auto *row = new QHBoxLayout;
    row->addStretch(1);
    row->addWidget(capChain, 11);
    row->addStretch(1);
    static_cast<QVBoxLayout *>(layout())->addLayout(row);
    capChain->refresh();
}

void DisplayCorePage::showDrift()
{
    // The overview's notice made the watch for this machine.
    DriftWatch *watch = DriftWatch::current();
    QStringList lines;
    if (watch) {
        for (const DriftWatch::Drift &change : watch->look(core)) {
            if (change.core == core.core_id())
                lines << HoldNotice::describe(change);
        }
        watch->save();
    }
    drift->setText(lines.join(QLatin1Char('\n')));
    drift->setVisible(!lines.isEmpty());
}

void DisplayCorePage::showEvent(QShowEvent *)
{
    // Whatever changed while the page was hidden (a profile, a loaded file, another program) is
    // shown at once, before the user can press "Apply".
    updateInfo();
}

void DisplayCorePage::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
