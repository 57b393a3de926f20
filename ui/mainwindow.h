#pragma once

#include <QPixmap>
#include <QWidget>

class CPUInfo;
class QStackedLayout;
class QTimer;
class QVBoxLayout;
class SwitchButton;

// The navigation ("All", then one segment per core) above the stack of pages; refreshes the
// visible page once a second.
class MainWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Built over the machine's inventory.
    explicit MainWindow(QWidget *parent = nullptr);
    // Built over any inventory, for example one read from a test tree.
    explicit MainWindow(CPUInfo &cpuInfo, QWidget *parent = nullptr);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void showPage(int index);
    void refreshVisiblePage();

    QPixmap background;
    SwitchButton *navigation;
    QVBoxLayout *mainLayout;
    QStackedLayout *pages;
    QTimer *refreshTimer;
};
