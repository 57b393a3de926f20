#pragma once

#include <QPixmap>
#include <QWidget>

#include "updateinfointerface.h"

class CPUInfo;
class QLabel;
class QScrollArea;
class SwitchButton;

// The overview of all cores: model, driver, one line per core, the profile selector and the
// settings-file buttons.
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

    // What the two buttons do once a file has been chosen; failures are shown in a warning box.
    void loadSettingsFrom(const QString &fileName);
    void saveSettingsTo(QString fileName);

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    void updateOverview();

private:
    void askAndLoad();
    void askAndSave();

    CPUInfo &cpuInfo;
    QLabel *modelLabel;
    QLabel *overviewLabel;
    QPixmap logo;
    SwitchButton *governSwitch;
    QScrollArea *overviewArea;
};
