// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

#include "updateinfointerface.h"

class CPUInfo;
class HoldNotice;
class ProcessorPanel;
class QFrame;
class QLabel;
class QComboBox;
class QPlainTextEdit;
class QPushButton;
class QSpinBox;
struct ApplyReport;
class QScrollArea;
class SwitchButton;
class UserProfilesPanel;

// The overview of all cores: model, driver, one line per core, the profile selector and the
// settings-file buttons. Where the machine has kinds of core or shared policies, a choice of group
// beside the profile selector sends the profile, or the explicit limits below it, to one group.
class MainPage : public QWidget, public UpdateInfoInterface
{
    Q_OBJECT
    Q_INTERFACES(UpdateInfoInterface)
    Q_DISABLE_COPY_MOVE(MainPage)

public:
    explicit MainPage(CPUInfo &cpuInfo, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    void updateInfo() override;

    // Shows the profile in force on the selector without applying it.
    void updateGovern();
    int detectCurrentGovern();
    void setCurrentGovern(int index);

    // What the two buttons do once a file has been chosen. A file that cannot be read or written
    // is shown in a warning box; settings of a loaded file that did not take, in the notice.
    void loadSettingsFrom(const QString &fileName);
    void saveSettingsTo(QString fileName);
    // Applies the kernel's settings saved at boot (BootDefaults); a report as for a loaded file.
    void restoreBootDefaults();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void updateOverview();

private:
    void askAndLoad();
    void askAndSave();
    // Where the file dialogs open: the directory of the last file chosen, else the user's home;
    // root's own home for root, whatever HOME says.
    QString startDirectory() const;
    void buildNotice();
    // Reads back every core's settings after the page wrote them.
    void rereadSettings();
    // Lists the refused and skipped settings of what in the notice below the selector, or hides
    // the notice when everything took.
    void showReport(const ApplyReport &report, const QString &what);
    void buildGroupControls();
    // The CPUs the profile and the limits go to: the chosen group, or every CPU.
    QVector<int> chosenCpus() const;
    bool allChosen() const;
    // The limits fields show the first chosen CPU's limits in force.
    void showLimits();
    void applyLimits();

    CPUInfo &cpuInfo;
    QLabel *modelLabel;
    QLabel *overviewLabel;
    QPixmap logo;
    SwitchButton *governSwitch;
    QScrollArea *overviewArea;
    QFrame *notice = nullptr;
    QLabel *noticeTitle = nullptr;
    QPlainTextEdit *noticeText = nullptr;
    QString lastDirectory;
    ProcessorPanel *processorPanel = nullptr;
    HoldNotice *hold = nullptr;
    QComboBox *groupChoice = nullptr;
    QSpinBox *minLimit = nullptr;
    QSpinBox *maxLimit = nullptr;
    QPushButton *applyLimitsButton = nullptr;
    QVector<QVector<int>> groupCpus; // by entry of groupChoice
    UserProfilesPanel *userProfiles = nullptr;
};
