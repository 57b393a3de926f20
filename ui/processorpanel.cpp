// SPDX-License-Identifier: GPL-3.0-or-later
#include "processorpanel.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QJsonArray>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QSpinBox>
#include <QThreadPool>

#include "cpuinfo.h"
#include "safetext.h"
#include "sysfsio.h"
#include "writefailure.h"

namespace
{

const QString modeName = QStringLiteral("mode");

// A short label; the file behind it is in the tooltip.
QLabel *rowLabel(const QString &text, const QString &file)
{
    auto *label = new QLabel(text);
    label->setToolTip(file);
    return label;
}

// What a switch shows: its value, or "unreadable" with the reason.
QString shownText(const ProcessorSwitches::Value &value)
{
    return value.readError != 0 ? QObject::tr("unreadable (%1)").arg(SysfsIO::errorText(value.readError))
                                : SafeText::printable(value.text);
}

} // namespace

ProcessorPanel::ProcessorPanel(CPUInfo &cpuInfo, QWidget *parent)
    : QFrame(parent)
    , cpuInfo(cpuInfo)
{
    setObjectName(QStringLiteral("processorPanel"));
    setStyleSheet(QStringLiteral("QFrame#processorPanel { background: rgba(255, 255, 255, 110); border-radius: 8px; }"
                                 " QLabel { background: transparent; }"));
    grid = new QGridLayout(this);
    grid->setContentsMargins(12, 6, 12, 6);
    grid->setHorizontalSpacing(10);
    grid->setVerticalSpacing(4);
    // Packed to the top left, however few switches there are.
    grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    boost = new QCheckBox(tr("on"));
    connect(boost, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing)
            write(QStringLiteral("boost"), on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    addRow(QStringLiteral("boost"), tr("Boost"), tr("cpufreq/boost or intel_pstate/no_turbo"), boost);

    mode = new QComboBox;
    connect(mode, QOverload<int>::of(&QComboBox::activated), this,
            [this](int index) { askAndSwitchMode(mode->itemText(index)); });
    addRow(modeName, tr("Driver mode"), tr("intel_pstate/status or amd_pstate/status"), mode);

    const auto percent = [this](const QString &name) {
        auto *spin = new QSpinBox;
        spin->setRange(0, 100);
        spin->setSuffix(QStringLiteral(" %"));
        spin->setKeyboardTracking(false);
        connect(spin, &QSpinBox::editingFinished, this, [this, spin, name] {
            if (!showing && QString::number(spin->value()) != this->cpuInfo.processor.value(name).text)
                write(name, QString::number(spin->value()));
        });
        return spin;
    };
    maxPerfPct = percent(QStringLiteral("max_perf_pct"));
    addRow(QStringLiteral("max_perf_pct"), tr("Max performance"), QStringLiteral("intel_pstate/max_perf_pct"),
           maxPerfPct);
    minPerfPct = percent(QStringLiteral("min_perf_pct"));
    addRow(QStringLiteral("min_perf_pct"), tr("Min performance"), QStringLiteral("intel_pstate/min_perf_pct"),
           minPerfPct);

    dynamicBoost = new QCheckBox(tr("on"));
    connect(dynamicBoost, &QCheckBox::toggled, this, [this](bool on) {
        if (!showing)
            write(QStringLiteral("hwp_dynamic_boost"), on ? QStringLiteral("1") : QStringLiteral("0"));
    });
    addRow(QStringLiteral("hwp_dynamic_boost"), tr("Dynamic boost"), QStringLiteral("intel_pstate/hwp_dynamic_boost"),
           dynamicBoost);

    prefcore = new QLabel;
    prefcore->setWordWrap(true);
    addRow(QStringLiteral("prefcore"), tr("Preferred cores"),
           tr("amd_pstate/prefcore; ranking: cpufreq/amd_pstate_prefcore_ranking"), prefcore);

    // The inventory has just read the switches.
    showValues();
}

void ProcessorPanel::addRow(const QString &name, const QString &label, const QString &file, QWidget *editor)
{
    auto *text = rowLabel(label, file);
    text->setParent(this);
    editor->setParent(this);
    text->setObjectName(name + QStringLiteral("Label"));
    editor->setObjectName(name);
    editor->setToolTip(file);
    // The row's own words, not the check boxes' "on".
    editor->setAccessibleName(label);
    editor->setMinimumWidth(90);
    text->hide();
    editor->hide();
    rows.append({name, text, editor});
}

void ProcessorPanel::arrange(const QStringList &present)
{
    if (present == arranged)
        return;
    arranged = present;
    for (const Row &row : qAsConst(rows)) {
        grid->removeWidget(row.label);
        grid->removeWidget(row.editor);
        row.label->hide();
        row.editor->hide();
    }
    int index = 0;
    for (const Row &row : qAsConst(rows)) {
        if (!present.contains(row.name))
            continue;
        const int line = index / 3;
        const int column = (index % 3) * 2;
        grid->addWidget(row.label, line, column);
        // The preferred cores' ranking is long: it takes the rest of its line.
        grid->addWidget(row.editor, line, column + 1, 1, row.name == QLatin1String("prefcore") ? 5 - column : 1);
        row.label->show();
        row.editor->show();
        ++index;
    }
    // As tall as its lines, so that one switch does not sit in an empty box.
    grid->activate();
    setFixedHeight(grid->sizeHint().height());
}

void ProcessorPanel::updateInfo()
{
    if (reading)
        return;
    reading = true;
    const quint64 startedAfter = writes;
    QPointer<ProcessorPanel> panel(this);
    QThreadPool::globalInstance()->start([panel, startedAfter, copy = cpuInfo.processor]() mutable {
        copy.update();
        QMetaObject::invokeMethod(
            qApp,
            [panel, startedAfter, read = std::move(copy)]() {
                if (!panel)
                    return;
                panel->reading = false;
                if (panel->writes != startedAfter)
                    return;
                panel->cpuInfo.processor = read;
                panel->showValues();
            },
            Qt::QueuedConnection);
    });
}

void ProcessorPanel::showValues()
{
    ProcessorSwitches &processor = cpuInfo.processor;
    showing = true;
    // Switches the machine lacks now (amd-pstate's boost in active mode) are left out.
    arrange(processor.names());
    setVisible(!processor.names().isEmpty());

    const auto check = [&processor](QCheckBox *box, const QString &name) {
        const ProcessorSwitches::Value value = processor.value(name);
        box->setChecked(value.readError == 0 && value.text == QLatin1String("1"));
        box->setEnabled(value.readError == 0 && value.writable);
        box->setText(value.readError == 0 ? (box->isChecked() ? tr("on") : tr("off")) : shownText(value));
    };
    check(boost, QStringLiteral("boost"));
    check(dynamicBoost, QStringLiteral("hwp_dynamic_boost"));

    const ProcessorSwitches::Value current = processor.value(modeName);
    if (!mode->view()->isVisible()) {
        mode->clear();
        mode->addItems(processor.modes());
        if (current.readError != 0 || !processor.modes().contains(current.text))
            mode->addItem(shownText(current));
        mode->setCurrentText(shownText(current));
    }
    for (QSpinBox *spin : {maxPerfPct, minPerfPct}) {
        if (!spin->hasFocus())
            spin->setValue(processor.value(spin->objectName()).text.toInt());
    }
    QString ranking;
    for (const CPUCore &core : cpuInfo.cores) {
        const CPUPolicy rank = core.policies.value(QStringLiteral("amd_pstate_prefcore_ranking"));
        if (rank.readError == 0 && !rank.value.isEmpty())
            ranking += QStringLiteral(" %1:%2").arg(core.core_id()).arg(SafeText::printable(rank.value));
    }
    prefcore->setText(shownText(processor.value(QStringLiteral("prefcore")))
                      + (ranking.isEmpty() ? QString() : tr("; ranking") + ranking));
    showing = false;
}

void ProcessorPanel::write(const QString &name, const QString &value)
{
    ApplyReport report;
    ++writes;
    if (const auto failure = cpuInfo.processor.write(name, value))
        report.fail(*failure);
    else
        ++report.written;
    // Turbo and the bounds move every core's limits: the cores' settings are read again.
    for (CPUCore &core : cpuInfo.cores)
        core.updateSettings();
    showValues();
    emit reported(report, tr("Processor"));
}

ApplyReport ProcessorPanel::switchMode(const QString &newMode, bool reapply)
{
    // What the kernel has now, not what the last refresh saw.
    for (CPUCore &core : cpuInfo.cores)
        core.updateSettings();
    const QJsonArray before = ProcessorSwitches::snapshot(cpuInfo.cores);
    ApplyReport report;
    ++writes;
    if (const auto failure = cpuInfo.processor.write(modeName, newMode)) {
        report.fail(*failure);
    } else if (reapply) {
        report = ProcessorSwitches::reapply(cpuInfo.cores, before);
    } else {
        for (CPUCore &core : cpuInfo.cores)
            core.updateSettings();
    }
    showValues();
    return report;
}

void ProcessorPanel::askAndSwitchMode(const QString &newMode)
{
    if (newMode == cpuInfo.processor.value(modeName).text)
        return;
    const auto answer = QMessageBox::question(
        this, tr("Driver mode"),
        tr("Switching the driver to %1 mode resets every core's governor, limits and energy preference, and the "
           "new mode may lack some of them.\n\nSwitch now?")
            .arg(newMode));
    if (answer != QMessageBox::Yes) {
        updateInfo();
        return;
    }
    for (CPUCore &core : cpuInfo.cores)
        core.update();
    const QJsonArray before = ProcessorSwitches::snapshot(cpuInfo.cores);
    ApplyReport report = switchMode(newMode, false);
    if (report.ok()
        && QMessageBox::question(this, tr("Driver mode"),
                                 tr("The driver is in %1 mode now, with its default settings.\n\nApply the settings "
                                    "the cores had before the switch?")
                                     .arg(newMode))
               == QMessageBox::Yes) {
        report = ProcessorSwitches::reapply(cpuInfo.cores, before);
        updateInfo();
    }
    emit reported(report, tr("%1 mode").arg(newMode));
}
