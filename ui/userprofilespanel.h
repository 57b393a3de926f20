// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QFrame>
#include <QString>

#include "userprofiles.h"

class CPUInfo;
class QComboBox;
class QLabel;
class QPushButton;
struct ApplyReport;

// "My profiles" on the overview, under the six fixed profiles: the user's own profiles with
// apply, save current as, rename, delete and export; below them the way to the power rules and
// the rule in force. Saving,
// renaming and deleting write /etc/freqdeck/profiles and so need a window run as root; a refusal
// says so in a message box.
class UserProfilesPanel final : public QFrame
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(UserProfilesPanel)

public:
    // profiles and rulesPath: where the own profiles and the power rules are (the system's own by
    // default); stateDirectory: where a manual choice is recorded.
    explicit UserProfilesPanel(CPUInfo &cpuInfo, QWidget *parent = nullptr,
                               const UserProfiles &profiles = UserProfiles(), QString rulesPath = QString(),
                               QString stateDirectory = QString());

    // Lists the profiles again, keeping the one picked where it still exists.
    void refresh();
    // A profile applied by hand here or by the fixed selector: the power rules leave it until the
    // power source changes.
    void noteManualChoice(const QString &profile);
    // Opens the rule view.
    void showRules();

    QString selected() const;
    void select(const QString &name);
    // What the buttons do once a name or file has been chosen; false (with a message box) when refused.
    bool applySelected();
    bool saveCurrentAs(const QString &name);
    bool renameSelected(const QString &name);
    bool deleteSelected();
    bool exportSelectedTo(const QString &fileName);

signals:
    // Writes of an applied profile that did not take, for the page's notice.
    void reported(const ApplyReport &report, const QString &what);
    // Settings were applied: the page reads them back.
    void applied();

private:
    void askAndSave();
    void askAndRename();
    void askAndDelete();
    void askAndExport();
    bool refuse(const QString &title, const QString &reason);
    void updateButtons();
    // The rule in force and why, or the manual choice that holds, on the second line.
    void updateRuleStatus();

    CPUInfo &cpuInfo;
    UserProfiles profiles;
    QString rulesPath;
    QString stateDirectory;
    QComboBox *list = nullptr;
    QPushButton *applyButton = nullptr;
    QPushButton *moreButton = nullptr;
    QLabel *ruleStatus = nullptr;
};
