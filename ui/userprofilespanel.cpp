// SPDX-License-Identifier: GPL-3.0-or-later
#include "userprofilespanel.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QInputDialog>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

#include <optional>
#include <utility>

#include "cpuinfo.h"
#include "powerrules.h"
#include "powerrulesdialog.h"
#include "rulerunner.h"
#include "safetext.h"

UserProfilesPanel::UserProfilesPanel(CPUInfo &cpuInfo, QWidget *parent, const UserProfiles &profiles, QString rulesPath,
                                     QString stateDirectory)
    : QFrame(parent)
    , cpuInfo(cpuInfo)
    , profiles(profiles)
    , rulesPath(rulesPath.isEmpty() ? PowerRules::defaultPath() : std::move(rulesPath))
    , stateDirectory(stateDirectory.isEmpty() ? RuleRunner::defaultStateDirectory() : std::move(stateDirectory))
{
    setObjectName(QStringLiteral("userProfiles"));
    auto *label = new QLabel(tr("My profiles:"), this);
    list = new QComboBox(this);
    list->setObjectName(QStringLiteral("userProfileList"));
    list->setAccessibleName(tr("My profiles"));
    // Long names are elided rather than pushing the buttons off the line.
    list->setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    list->setMinimumContentsLength(10);
    label->setBuddy(list);

    applyButton = new QPushButton(tr("Apply"), this);
    applyButton->setObjectName(QStringLiteral("applyUserProfile"));
    connect(applyButton, &QPushButton::clicked, this, &UserProfilesPanel::applySelected);

    auto *saveButton = new QPushButton(tr("Save as…"), this);
    saveButton->setObjectName(QStringLiteral("saveUserProfile"));
    saveButton->setToolTip(tr("Save the current settings as a profile of your own"));
    connect(saveButton, &QPushButton::clicked, this, &UserProfilesPanel::askAndSave);

    moreButton = new QPushButton(tr("More"), this);
    moreButton->setObjectName(QStringLiteral("moreUserProfile"));
    auto *menu = new QMenu(moreButton);
    menu->addAction(tr("Rename…"), this, &UserProfilesPanel::askAndRename);
    menu->addAction(tr("Delete…"), this, &UserProfilesPanel::askAndDelete);
    menu->addAction(tr("Export…"), this, &UserProfilesPanel::askAndExport);
    moreButton->setMenu(menu);

    auto *rulesButton = new QPushButton(tr("Power rules…"), this);
    rulesButton->setObjectName(QStringLiteral("powerRules"));
    rulesButton->setToolTip(tr("Which profile to apply on AC, on battery and on a low battery"));
    connect(rulesButton, &QPushButton::clicked, this, &UserProfilesPanel::showRules);

    ruleStatus = new QLabel(this);
    ruleStatus->setObjectName(QStringLiteral("ruleStatus"));
    ruleStatus->setTextFormat(Qt::PlainText);
    ruleStatus->setWordWrap(true);

    auto *profilesRow = new QHBoxLayout;
    profilesRow->addWidget(label);
    profilesRow->addWidget(list, 1);
    profilesRow->addWidget(applyButton);
    profilesRow->addWidget(saveButton);
    profilesRow->addWidget(moreButton);
    // The second line stays left of the page's settings-file buttons.
    auto *rulesRow = new QHBoxLayout;
    rulesRow->addWidget(rulesButton);
    rulesRow->addWidget(ruleStatus, 1);
    rulesRow->addSpacing(355);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addLayout(profilesRow);
    layout->addLayout(rulesRow);

    // The power source changes without telling the window; the files are cheap to read.
    auto *poll = new QTimer(this);
    poll->setInterval(2000);
    connect(poll, &QTimer::timeout, this, &UserProfilesPanel::updateRuleStatus);
    poll->start();
    refresh();
}

void UserProfilesPanel::refresh()
{
    const QString picked = selected();
    list->clear();
    for (const QString &name : profiles.names())
        list->addItem(SafeText::printable(name), name);
    if (list->count() == 0)
        list->setPlaceholderText(tr("none saved yet"));
    select(picked);
    updateButtons();
    updateRuleStatus();
}

void UserProfilesPanel::updateRuleStatus()
{
    RuleRunner runner(cpuInfo, profiles, rulesPath, stateDirectory);
    const std::optional<PowerRules> rules = runner.rules(nullptr);
    QString text;
    if (!rules) {
        text = tr("No power rules in use.");
    } else if (const auto manual = runner.manualChoice()) {
        text = tr("Now %1: '%2', picked by hand, holds until the power source changes.")
                   .arg(rules->why(runner.state()), SafeText::printable(manual->profile));
    } else {
        const QString profile = rules->profileFor(rules->sourceOf(runner.state()));
        text = profile.isEmpty()
                   ? tr("Now %1: no rule for this power source.").arg(rules->why(runner.state()))
                   : tr("Now %1: the rules give '%2'.").arg(rules->why(runner.state()), SafeText::printable(profile));
    }
    ruleStatus->setText(text);
}

void UserProfilesPanel::updateButtons()
{
    applyButton->setEnabled(list->count() > 0);
    moreButton->setEnabled(list->count() > 0);
}

QString UserProfilesPanel::selected() const
{
    return list->currentData().toString();
}

void UserProfilesPanel::select(const QString &name)
{
    const int index = list->findData(name);
    if (index >= 0)
        list->setCurrentIndex(index);
}

bool UserProfilesPanel::refuse(const QString &title, const QString &reason)
{
    QMessageBox::warning(this, title, SafeText::printable(reason));
    return false;
}

void UserProfilesPanel::noteManualChoice(const QString &profile)
{
    // Without a record the rules would apply their profile at the next battery event, not only at
    // the next change of power source; a window run as a user cannot write one, and says nothing.
    RuleRunner(cpuInfo, profiles, rulesPath, stateDirectory).recordManualChoice(profile, nullptr);
    updateRuleStatus();
}

bool UserProfilesPanel::applySelected()
{
    const QString name = selected();
    if (name.isEmpty())
        return false;
    ApplyReport report;
    QString reason;
    if (!profiles.apply(cpuInfo, name, report, &reason))
        return refuse(tr("Apply profile"), reason);
    noteManualChoice(name);
    emit applied();
    emit reported(report, SafeText::printable(name));
    return true;
}

bool UserProfilesPanel::saveCurrentAs(const QString &name)
{
    QString reason;
    if (!profiles.save(cpuInfo, name, &reason))
        return refuse(tr("Save profile"), reason);
    refresh();
    select(name);
    return true;
}

bool UserProfilesPanel::renameSelected(const QString &name)
{
    QString reason;
    if (!profiles.rename(selected(), name, &reason))
        return refuse(tr("Rename profile"), reason);
    refresh();
    select(name);
    return true;
}

bool UserProfilesPanel::deleteSelected()
{
    QString reason;
    if (!profiles.remove(selected(), &reason))
        return refuse(tr("Delete profile"), reason);
    refresh();
    return true;
}

bool UserProfilesPanel::exportSelectedTo(const QString &fileName)
{
    QString reason;
    if (!profiles.exportTo(selected(), fileName, &reason))
        return refuse(tr("Export profile"), reason);
    return true;
}

void UserProfilesPanel::askAndSave()
{
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, tr("Save current as"),
                              tr("Name of the profile (at most %1 characters, no '/', not starting with '.'):")
                                  .arg(UserProfiles::maxNameLength),
                              QLineEdit::Normal, selected(), &ok);
    if (!ok)
        return;
    if (profiles.contains(name)
        && QMessageBox::question(this, tr("Save current as"),
                                 tr("Replace the profile '%1'?").arg(SafeText::printable(name)))
               != QMessageBox::Yes)
        return;
    saveCurrentAs(name);
}

void UserProfilesPanel::askAndRename()
{
    bool ok = false;
    const QString name =
        QInputDialog::getText(this, tr("Rename profile"), tr("New name:"), QLineEdit::Normal, selected(), &ok);
    if (ok && name != selected())
        renameSelected(name);
}

void UserProfilesPanel::askAndDelete()
{
    if (QMessageBox::question(this, tr("Delete profile"),
                              tr("Delete the profile '%1'?").arg(SafeText::printable(selected())))
        == QMessageBox::Yes)
        deleteSelected();
}

void UserProfilesPanel::askAndExport()
{
    const QString fileName = QFileDialog::getSaveFileName(this, tr("Export profile"),
                                                          QDir::home().filePath(selected() + QStringLiteral(".json")),
                                                          tr("Settings files (*.json)"));
    if (!fileName.isEmpty())
        exportSelectedTo(fileName);
}

void UserProfilesPanel::showRules()
{
    auto *dialog = new PowerRulesDialog(cpuInfo, profiles, rulesPath, stateDirectory, this);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &PowerRulesDialog::applied, this, &UserProfilesPanel::applied);
    connect(dialog, &QDialog::finished, this, &UserProfilesPanel::updateRuleStatus);
    dialog->show();
}
