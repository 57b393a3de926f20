// SPDX-License-Identifier: GPL-3.0-or-later
#include "powerrulesdialog.h"

#include "powertoolprobe.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSpinBox>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <utility>

#include "cpuinfo.h"
#include "powerrules.h"
#include "profiles.h"
#include "rulerunner.h"
#include "safetext.h"

PowerRulesDialog::PowerRulesDialog(CPUInfo &cpuInfo, const UserProfiles &profiles, QString rulesPath,
                                   QString stateDirectory, QWidget *parent)
    : QDialog(parent)
    , cpuInfo(cpuInfo)
    , profiles(profiles)
    , rulesPath(std::move(rulesPath))
    , stateDirectory(std::move(stateDirectory))
{
    setObjectName(QStringLiteral("powerRulesDialog"));
    setWindowTitle(tr("Power rules"));

    onAc = profilePicker(tr("Profile on AC"));
    onBattery = profilePicker(tr("Profile on battery"));
    onLow = profilePicker(tr("Profile on a low battery"));
    below = new QSpinBox(this);
    below->setObjectName(QStringLiteral("lowMark"));
    below->setAccessibleName(tr("Low battery below"));
    below->setRange(0, 99);
    below->setSuffix(tr(" %"));
    below->setSpecialValueText(tr("no low-battery rule"));

    const std::optional<PowerRules> rules = PowerRules::read(this->rulesPath, nullptr);
    const PowerRules shown = rules.value_or(PowerRules());
    pick(onAc, shown.onAc);
    pick(onBattery, shown.onBattery);
    pick(onLow, shown.belowProfile);
    below->setValue(shown.below);

    status = new QLabel(this);
    status->setObjectName(QStringLiteral("ruleInForce"));
    status->setTextFormat(Qt::PlainText);
    status->setWordWrap(true);
    status->setMinimumWidth(480);
    status->setFrameStyle(QFrame::StyledPanel);
    status->setMargin(8);

    auto *form = new QFormLayout;
    form->addRow(tr("On AC:"), onAc);
    form->addRow(tr("On battery:"), onBattery);
    form->addRow(tr("Battery below:"), below);
    form->addRow(tr("then:"), onLow);

    auto *buttons = new QDialogButtonBox(QDialogButtonBox::Save | QDialogButtonBox::Close, this);
    QPushButton *applyButton = buttons->addButton(tr("Apply rule now"), QDialogButtonBox::ActionRole);
    applyButton->setObjectName(QStringLiteral("applyRuleNow"));
    connect(buttons->button(QDialogButtonBox::Save), &QPushButton::clicked, this, &PowerRulesDialog::save);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(applyButton, &QPushButton::clicked, this, &PowerRulesDialog::applyNow);

    auto *layout = new QVBoxLayout(this);
    auto *explanation = new QLabel(tr("freqdeck-power-rules.service applies these at boot, after resume and "
                                      "whenever the power source changes. A profile you pick by hand holds "
                                      "until the next change."),
                                   this);
    explanation->setWordWrap(true);
    layout->addWidget(explanation);
    layout->addLayout(form);
    layout->addWidget(status);
    layout->addWidget(buttons);

    // The power source is read from sysfs as the unit reads it; once every two seconds is enough
    // for a view that someone is looking at.
    poll = new QTimer(this);
    poll->setInterval(2000);
    connect(poll, &QTimer::timeout, this, &PowerRulesDialog::updateState);
    poll->start();
    updateState();
}

QComboBox *PowerRulesDialog::profilePicker(const QString &accessibleName)
{
    auto *picker = new QComboBox(this);
    picker->setAccessibleName(accessibleName);
    picker->addItem(tr("(no rule)"), QString());
    for (const Profile &profile : Profile::all())
        picker->addItem(QCoreApplication::translate("Profile", profile.label), QLatin1String(profile.key));
    picker->insertSeparator(picker->count());
    for (const QString &name : profiles.names())
        picker->addItem(SafeText::printable(name), name);
    return picker;
}

void PowerRulesDialog::pick(QComboBox *picker, const QString &profile)
{
    int index = picker->findData(Profile::find(profile) ? QString::fromLatin1(Profile::find(profile)->key) : profile);
    if (index < 0) {
        // A rule naming a profile that is gone: shown, so that saving does not drop it unseen.
        picker->addItem(tr("%1 (missing)").arg(SafeText::printable(profile)), profile);
        index = picker->count() - 1;
    }
    picker->setCurrentIndex(index);
}

void PowerRulesDialog::updateState()
{
    RuleRunner runner(cpuInfo, profiles, rulesPath, stateDirectory);
    QString reason;
    const std::optional<PowerRules> rules = runner.rules(&reason);
    const PowerState state = runner.state();
    QStringList lines;
    if (!rules) {
        lines << tr("Now %1. No rule is in force: the rules cannot be used (%2).")
                     .arg(state.describe(), SafeText::printable(reason));
    } else {
        const PowerRules::Source source = rules->sourceOf(state);
        const QString rule = source == PowerRules::Source::Ac        ? tr("the AC rule")
                             : source == PowerRules::Source::Battery ? tr("the battery rule")
                                                                     : tr("the low-battery rule");
        const QString profile = rules->profileFor(source);
        lines << (profile.isEmpty() ? tr("Now %1: %2 is in force, and names no profile.").arg(rules->why(state), rule)
                                    : tr("Now %1: %2 is in force, with the profile '%3'.")
                                          .arg(rules->why(state), rule, SafeText::printable(profile)));
        if (const auto manual = runner.manualChoice())
            lines << tr("'%1', picked by hand, holds until the power source changes.")
                         .arg(SafeText::printable(manual->profile));
    }
    status->setText(lines.join(QLatin1Char('\n')));
}

bool PowerRulesDialog::save()
{
    PowerRules rules;
    rules.onAc = onAc->currentData().toString();
    rules.onBattery = onBattery->currentData().toString();
    rules.belowProfile = onLow->currentData().toString();
    rules.below = below->value();
    QString reason;
    if (!rules.save(rulesPath, &reason)) {
        QMessageBox::warning(this, tr("Power rules"),
                             tr("Could not save the rules to %1.\n\n%2")
                                 .arg(SafeText::printable(rulesPath), SafeText::printable(reason)));
        return false;
    }
    updateState();
    return true;
}

void PowerRulesDialog::applyNow()
{
    RuleRunner runner(cpuInfo, profiles, rulesPath, stateDirectory);
    runner.setOwnerCheck(&PowerToolProbe::profileOwners);
    // Asked for here, so any manual choice gives way.
    runner.clearManualChoice();
    const RuleRunner::Outcome outcome = runner.applyRule();
    if (outcome.refused)
        QMessageBox::warning(this, tr("Power rules"), SafeText::printable(outcome.line));
    emit applied();
    updateState();
}
