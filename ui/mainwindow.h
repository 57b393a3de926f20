// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QPixmap>
#include <QWidget>

#include <vector>

class CPUInfo;
class CoreNavigator;
class DisplayCorePage;
class MainPage;
class MonitorView;
class QToolButton;
class QScrollArea;
class QStackedLayout;
class Sampler;
class SwitchButton;

// The navigation above the stack of pages. While a segment per core fits the window it is the
// segmented switch ("All", then one segment per core); beyond that a compact navigator. Core pages
// are built when first shown. One sampler reads the cores the shown page needs once a second off
// the GUI thread, and only while the window is shown and not minimised. Ctrl+PgUp/PgDown and Alt+1 to
// Alt+9 change pages whichever navigation is shown.
class MainWindow final : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Built over the machine's inventory.
    explicit MainWindow(QWidget *parent = nullptr);
    // Built over any inventory, for example one read from a test tree.
    explicit MainWindow(CPUInfo &cpuInfo, QWidget *parent = nullptr);
    ~MainWindow() override;

    // 0 is the overview, core k's page is k + 1, the monitor the last one (monitorPage()).
    void showPage(int index);
    int monitorPage() const;
    int currentPage() const;

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;
    void changeEvent(QEvent *event) override;

private:
    void chooseNavigation();
    void markGroups();
    // Reads back the other CPUs of core index's policy after its page wrote to it.
    void rereadPolicyOf(int index);
    void addPageShortcuts();
    void updateSampling();
    QVector<int> coresOfPage(int index) const;

    CPUInfo &cpuInfo;
    QPixmap background;
    SwitchButton *navigation;
    CoreNavigator *compactNavigation;
    QScrollArea *pageArea;
    QStackedLayout *pages;
    MainPage *overview;
    std::vector<DisplayCorePage *> corePages; // null until first shown
    MonitorView *monitor = nullptr;           // null until first shown; then it keeps recording
    QToolButton *monitorButton;
    Sampler *sampler;
    int current = 0;
    bool shownBefore = false;
};
