#pragma once

#include <QMap>
#include <QPair>
#include <QWidget>

class CPUCore;
class CPUPolicy;
class ImageSwitch;
class QGridLayout;
class QLabel;

// Switches one core on and off and edits its writable attributes; "Apply" writes what changed.
class PolicyEditorWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PolicyEditorWidget)

public:
    explicit PolicyEditorWidget(CPUCore &core, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Brings the on/off switch in line with the core's online state; writes nothing.
    void updateInfo();
    // Shows a result: green "Succeed" or red error text when message is empty.
    void popMessage(bool ok, const QString &message);

    void initFirstLine(int &row);
    void initSettingLines(int &row);
    // The editor of one attribute and its companion spin box (null where there is none).
    QPair<QWidget *, QWidget *> getEdiorPolicyValueWidget(const CPUPolicy &policy);
    // The value each editor holds now, as the text for the attribute file, by attribute name.
    QMap<QString, QString> dumpPolicySettings();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    bool applyChanges();

private:
    void switchToggled(bool on);

    ImageSwitch *onlineSwitch = nullptr;
    CPUCore &core;
    QLabel *message = nullptr;
    QGridLayout *grid = nullptr;
};
