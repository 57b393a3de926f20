// SPDX-License-Identifier: GPL-3.0-or-later
#include "holdnotice.h"

#include <QGridLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>

#include <algorithm>

#include <unistd.h>

#include "cpuinfo.h"
#include "driftwatch.h"
#include "safetext.h"

namespace
{

// Drift of settings a running tool manages is that tool's doing, which the user has agreed to.
bool leftToTools(const DriftWatch::Drift &drift, const QVector<PowerTools::Found> &tools)
{
    if (PowerTools::storedChoice() == PowerTools::Choice::Undecided)
        return false;
    return std::any_of(tools.begin(), tools.end(),
                       [&drift](const PowerTools::Found &tool) { return tool.manages.contains(drift.attribute); });
}

} // namespace

HoldNotice::HoldNotice(CPUInfo &cpuInfo, const Probe &probe, QWidget *parent)
    : QFrame(parent)
    , cpuInfo(cpuInfo)
    , title(new QLabel)
    , text(new QPlainTextEdit)
    , first(new QPushButton)
    , second(new QPushButton)
{
    setObjectName(QStringLiteral("holdNotice"));
    setStyleSheet(QStringLiteral(
        "QFrame#holdNotice { background: rgba(255, 255, 255, 170); border: 1px solid #B35900; border-radius: 8px; }"
        " QFrame#holdNotice QLabel { color: #663300; background: transparent; font-size: 14px; font-weight: bold; }"
        " QFrame#holdNotice QPlainTextEdit { color: #663300; background: transparent; font-size: 12px; }"
        " QFrame#holdNotice QPushButton { padding: 1px 8px; font-size: 12px; }"));
    title->setTextFormat(Qt::PlainText);
    title->setObjectName(QStringLiteral("holdTitle"));
    title->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    text->setObjectName(QStringLiteral("holdText"));
    text->setReadOnly(true);
    text->setFrameStyle(QFrame::NoFrame);
    text->viewport()->setAutoFillBackground(false);
    first->setObjectName(QStringLiteral("holdFirst"));
    second->setObjectName(QStringLiteral("holdSecond"));

    // The title has the whole width; the two choices sit under the text.
    auto *layout = new QGridLayout(this);
    layout->setContentsMargins(10, 4, 6, 4);
    layout->setVerticalSpacing(2);
    layout->addWidget(title, 0, 0, 1, 3);
    layout->addWidget(text, 1, 0, 1, 3);
    layout->addWidget(first, 2, 1);
    layout->addWidget(second, 2, 2);
    layout->setColumnStretch(0, 1);
    for (QPushButton *button : {first, second})
        button->setFixedHeight(24);

    connect(first, &QPushButton::clicked, this, [this] {
        if (showingDrift)
            setAgain();
        else
            choose(PowerTools::Choice::Share);
    });
    connect(second, &QPushButton::clicked, this, [this] {
        if (showingDrift)
            acceptChanged();
        else
            choose(PowerTools::Choice::Leave);
    });

    if (probe)
        tools = PowerTools::judge(probe());
    hide();
    refresh();
}

void HoldNotice::show(const QString &heading, const QStringList &lines)
{
    title->setText(heading);
    title->setToolTip(heading);
    if (text->toPlainText() != lines.join(QLatin1Char('\n')))
        text->setPlainText(lines.join(QLatin1Char('\n')));
    QFrame::show();
}

void HoldNotice::refresh()
{
    DriftWatch &watch = DriftWatch::shared(cpuInfo.cpuDir.absolutePath());
    QStringList lines;
    for (const DriftWatch::Drift &drift : watch.look(cpuInfo.cores)) {
        if (!leftToTools(drift, tools))
            lines << describe(drift);
    }
    // What the last writes left is on disk for the next start and for freqdeck-cli status.
    watch.save();
    if (!lines.isEmpty()) {
        showingDrift = true;
        first->setText(tr("Set again"));
        first->setToolTip(tr("Writes the values freqdeck set once more"));
        second->setText(tr("Keep new values"));
        second->setToolTip(tr("Takes the values found as freqdeck's own; the marks go"));
        show(lines.size() == 1 ? tr("1 setting changed outside freqdeck")
                               : tr("%1 settings changed outside freqdeck").arg(lines.size()),
             lines);
        return;
    }
    showingDrift = false;
    if (tools.isEmpty() || PowerTools::storedChoice() != PowerTools::Choice::Undecided) {
        hide();
        return;
    }
    QStringList names;
    QStringList toolLines;
    for (const PowerTools::Found &tool : qAsConst(tools)) {
        names << tool.name;
        toolLines << tr("%1 (%2) manages %3")
                         .arg(tool.name, tool.evidence.join(QStringLiteral(", ")),
                              tool.manages.join(QStringLiteral(", ")));
    }
    toolLines << tr("Both write the same files; the last writer wins. Choose: keep freqdeck's settings only "
                    "where %1 leaves them alone, or stop using freqdeck for those settings. Nothing is "
                    "disabled or masked either way.")
                     .arg(names.join(QStringLiteral(", ")));
    if (::geteuid() != 0)
        toolLines << tr("The restore at boot and resume follows root's choice: sudo freqdeck-cli tools share|leave");
    first->setText(tr("Keep where left alone"));
    first->setAccessibleName(tr("Keep freqdeck's settings only where the other tool leaves them alone"));
    first->setToolTip(tr("freqdeck keeps only the settings that %1 does not manage").arg(names.join(", ")));
    second->setText(tr("Stop for those"));
    second->setAccessibleName(tr("Stop using freqdeck for the settings the other tool manages"));
    second->setToolTip(tr("freqdeck stops restoring settings while %1 runs").arg(names.join(", ")));
    show(tr("Also running: %1").arg(names.join(QStringLiteral(", "))), toolLines);
}

QString HoldNotice::describe(const DriftWatch::Drift &drift)
{
    return tr("cpu%1 %2: changed outside freqdeck at %3; freqdeck set %4, it reads %5")
        .arg(QString::number(drift.core), SafeText::printable(drift.attribute),
             drift.noticedAt.toString(QStringLiteral("HH:mm:ss")), SafeText::printable(drift.set),
             SafeText::printable(drift.found));
}

void HoldNotice::setAgain()
{
    DriftWatch &watch = DriftWatch::shared(cpuInfo.cpuDir.absolutePath());
    for (const DriftWatch::Drift &drift : watch.drifts()) {
        for (CPUCore &core : cpuInfo.cores) {
            if (core.core_id() == drift.core && drift.attribute != QLatin1String("online"))
                core.storePolicy(drift.attribute, drift.set);
        }
    }
    for (CPUCore &core : cpuInfo.cores)
        core.updateSettings();
    refresh();
}

void HoldNotice::acceptChanged()
{
    DriftWatch &watch = DriftWatch::shared(cpuInfo.cpuDir.absolutePath());
    for (const DriftWatch::Drift &drift : watch.drifts())
        watch.kept(drift.core, drift.attribute, drift.found);
    refresh();
}

void HoldNotice::choose(PowerTools::Choice choice)
{
    QString why;
    if (!PowerTools::storeChoice(choice, &why)) {
        title->setText(tr("The choice could not be stored: %1").arg(SafeText::printable(why)));
        return;
    }
    refresh();
}
