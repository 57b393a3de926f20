// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QMap>
#include <QPair>
#include <QVector>
#include <QWidget>

#include <vector>

class CPUCore;
class CPUPolicy;
class ImageSwitch;
class QGridLayout;
class QLabel;

// Switches one core on and off and edits its writable attributes. Every line shows the kernel's
// value until the user changes it; "Apply" writes only the lines the user changed.
class PolicyEditorWidget : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PolicyEditorWidget)

public:
    explicit PolicyEditorWidget(CPUCore &core, QWidget *parent = nullptr);

    QSize sizeHint() const override;
    bool eventFilter(QObject *watched, QEvent *event) override;

    // Brings the on/off switch and every line the user is not editing in line with the core's
    // records, as the last re-read left them; writes nothing and reads nothing.
    void updateInfo();
    // Shows a result: green "Succeed" or red error text when message is empty.
    void popMessage(bool ok, const QString &message);

    void initFirstLine(int &row);
    void initSettingLines(int &row);
    // The editor of one attribute and its companion: the spin box beside a slider, the unit beside
    // a frequency field (null where there is none).
    QPair<QWidget *, QWidget *> getEdiorPolicyValueWidget(const CPUPolicy &policy);
    // The value each editor holds now, as the text for the attribute file, by attribute name.
    QMap<QString, QString> dumpPolicySettings();

signals:
    // "Apply" has written and re-read the core.
    void applied();

protected:
    void paintEvent(QPaintEvent *event) override;

private slots:
    bool applyChanges();

private:
    // One editor line: the attribute, its editor (and spin box), and whether the user changed it
    // since it last showed the kernel's value.
    struct Line {
        QString name;
        QWidget *editor = nullptr;
        QWidget *companion = nullptr;
        bool dirty = false;
    };

    void addLine(const CPUPolicy &policy, int &row);
    void switchToggled(bool on);
    void showKernelValue(Line &line);
    bool isBeingEdited(const Line &line) const;
    // The changed lines whose text differs from the record, in the order the kernel takes them.
    QVector<QPair<QString, QString>> pendingWrites() const;

    ImageSwitch *onlineSwitch = nullptr;
    CPUCore &core;
    QLabel *message = nullptr;
    QGridLayout *grid = nullptr;
    std::vector<Line> lines;
    bool showingKernelValues = false; // changes made now are the program's, not the user's
};
