// SPDX-License-Identifier: GPL-3.0-or-later
#include "policydisplaywidget.h"

#include <QFormLayout>
#include <QLabel>

#include "attributehelp.h"
#include "cpucore.h"

namespace
{

// Attributes whose values are frequencies in kHz.
const QStringList &freqField()
{
    static const QStringList names{
        KnownCPUPolicy::bios_limit,       KnownCPUPolicy::cpuinfo_cur_freq,
        KnownCPUPolicy::cpuinfo_min_freq, KnownCPUPolicy::cpuinfo_max_freq,
        KnownCPUPolicy::scaling_cur_freq, KnownCPUPolicy::scaling_min_freq,
        KnownCPUPolicy::scaling_max_freq, "base_frequency",
    };
    return names;
}

QString megahertz(const QString &kiloHertz)
{
    return PolicyDisplayWidget::tr("%1 MHz").arg(kiloHertz.toInt() / 1000);
}

} // namespace

PolicyDisplayWidget::PolicyDisplayWidget(CPUCore &core, QWidget *parent)
    : QScrollArea(parent)
    , core(core)
    , infoList(new QWidget)
    , form(new QFormLayout(infoList))
{
    setObjectName(QStringLiteral("PolicyDisplayWidget"));
    setAccessibleName(tr("Attributes of CPU %1").arg(core.core_id()));
    infoList->setObjectName(QStringLiteral("infoList"));

    for (const CPUPolicy &policy : qAsConst(core.policies)) {
        if (policy.name.isEmpty())
            continue;
        QLabel *value = getInfoListPolicyValueWidget(policy);
        valueLabels.insert(policy.name, value);
        form->addRow(policy.name, value);
        const QString help = AttributeHelp::toolTip(policy.name);
        form->labelForField(value)->setToolTip(help);
        value->setToolTip(help);
        value->setAccessibleName(policy.name);
    }
    form->setRowWrapPolicy(QFormLayout::WrapAllRows);

    infoList->adjustSize();
    // The scroll area never resizes the list, so its size is fixed from here on. Saying so keeps a
    // changed value from making the scroll area measure every row again. The layout's default
    // constraint would drop the minimum once the list is no longer a window of its own.
    form->setSizeConstraint(QLayout::SetNoConstraint);
    infoList->setFixedSize(infoList->size());
    setWidget(infoList);
}

QSize PolicyDisplayWidget::sizeHint() const
{
    return QSize(400, 500);
}

void PolicyDisplayWidget::updateInfo()
{
    showValues();
}

void PolicyDisplayWidget::showValues()
{
    for (const CPUPolicy &policy : qAsConst(core.policies)) {
        if (QLabel *label = valueLabels.value(policy.name))
            label->setText(processPolicyValue(policy));
    }
}

QString PolicyDisplayWidget::processPolicyValue(const CPUPolicy &policy)
{
    if (policy.readError != 0)
        return tr("unreadable");

    if (freqField().contains(policy.name))
        return megahertz(policy.value);

    // A frequency under the userspace governor, "<unsupported>" under any other.
    if (policy.name == QLatin1String(KnownCPUPolicy::scaling_setspeed)) {
        bool isNumber = false;
        policy.value.toLongLong(&isNumber);
        if (isNumber)
            return megahertz(policy.value);
    }

    if (policy.name == QLatin1String("energy_performance_available_preferences")
        || policy.name == QLatin1String(KnownCPUPolicy::scaling_available_governors)) {
        QString lines = policy.value;
        return lines.replace(QLatin1Char(' '), QLatin1Char('\n'));
    }

    if (policy.name == QLatin1String(KnownCPUPolicy::scaling_available_frequencies)) {
        QString lines;
        const QStringList pieces = policy.value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (const QString &piece : pieces)
            lines += megahertz(piece) + QLatin1Char('\n');
        lines.chop(1);
        return lines;
    }

    return policy.value;
}

QLabel *PolicyDisplayWidget::getInfoListPolicyValueWidget(const CPUPolicy &policy)
{
    auto *label = new QLabel;
    label->setObjectName(policy.name);
    label->setTextFormat(Qt::PlainText); // values come from files, never markup
    if (policy.writable)
        label->setStyleSheet(QStringLiteral("color:red;"));
    label->setText(processPolicyValue(policy));
    label->setIndent(50);
    return label;
}
