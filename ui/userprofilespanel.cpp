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
    list->setMinimumWidth(180);
    label->setBuddy(list);

    applyButton = new QPushButton(tr("Apply"), this);
    applyButton->setObjectName(QStringLiteral("applyUserProfile"));
    connect(applyButton, &QPushButton::clicked, this, &UserProfilesPanel::applySelected);

    auto *saveButton = new QPushButton(tr("Save current as…"), this);
    saveButton->setObjectName(QStringLiteral("saveUserProfile"));
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

    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(label);
    layout->addWidget(list, 1);
    layout->addWidget(applyButton);
    layout->addWidget(saveButton);
    layout->addWidget(moreButton);
    layout->addSpacing(20);
    layout->addWidget(rulesButton);
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
    dialog->show();
}
