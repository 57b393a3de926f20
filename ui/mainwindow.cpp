// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainwindow.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QScrollArea>
#include <QShortcut>
#include <QStackedLayout>
#include <QToolButton>
#include <QVBoxLayout>

#include "corenavigator.h"
#include "cpuinfo.h"
#include "cpuload.h"
#include "displaycorepage.h"
#include "mainpage.h"
#include "monitorview.h"
#include "sampler.h"
#include "switchbutton.h"
#include "topologytext.h"

namespace
{
constexpr int margin = 20;
}

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(*CPUInfo::instance(), parent)
{
}

MainWindow::MainWindow(CPUInfo &cpuInfo, QWidget *parent)
    : QWidget(parent)
    , cpuInfo(cpuInfo)
    , background(QStringLiteral(":/res/pic/cpu_blue.jpg"))
    , corePages(cpuInfo.cores.size(), nullptr)
    , sampler(new Sampler(cpuInfo.cores, this))
{
    auto *mainLayout = new QVBoxLayout(this);
    mainLayout->setContentsMargins(margin, margin, margin, margin);
    mainLayout->setSpacing(margin);

    navigation = new SwitchButton(this);
    navigation->setAccessibleName(tr("Pages"));
    navigation->append(tr("All"));
    for (const CPUCore &core : cpuInfo.cores)
        navigation->append(tr("Core %1").arg(core.core_id()));
    markGroups();
    navigation->adjustSize();
    navigation->setCurrentIndex(0, true);
    // It may be squeezed for a moment; resizeEvent() then hands over to the compact navigator.
    navigation->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);

    compactNavigation = new CoreNavigator(cpuInfo, this);
    compactNavigation->setCurrentPage(0);
    compactNavigation->hide();

    auto *navigationRow = new QHBoxLayout;
    navigationRow->addWidget(navigation, 0, Qt::AlignCenter);
    navigationRow->addWidget(compactNavigation, 0, Qt::AlignCenter);
    monitorButton = new QToolButton(this);
    monitorButton->setObjectName(QStringLiteral("monitorButton"));
    monitorButton->setText(tr("Monitor"));
    monitorButton->setCheckable(true);
    monitorButton->setToolTip(
        tr("Every CPU's frequency, utilisation, temperature and power over ten minutes (Ctrl+M)"));
    navigationRow->addWidget(monitorButton, 0, Qt::AlignRight);
    mainLayout->addLayout(navigationRow);

    // The pages scroll where the window is smaller than they are, so that every control stays
    // reachable on a small screen.
    pageArea = new QScrollArea(this);
    pageArea->setObjectName(QStringLiteral("pageArea"));
    pageArea->setFrameShape(QFrame::NoFrame);
    pageArea->setWidgetResizable(true);
    // Not a stop of its own for Tab: the controls on the page are, and it scrolls to them.
    pageArea->setFocusPolicy(Qt::NoFocus);
    pageArea->viewport()->setAutoFillBackground(false);
    auto *pageHolder = new QWidget;
    pageHolder->setObjectName(QStringLiteral("pageHolder"));
    pages = new QStackedLayout(pageHolder);
    pageArea->setWidget(pageHolder);
    // The window's background shows through, as it did before the pages could scroll.
    pageHolder->setAutoFillBackground(false);
    mainLayout->addWidget(pageArea, 1);

    // Pages are built inside the window: moving a finished page in would make every one of its
    // widgets resolve the style sheet once more.
    overview = new MainPage(cpuInfo, pageHolder);
    // The overview places its controls by hand; its size hint is the room they need.
    overview->setMinimumSize(overview->sizeHint());
    pages->addWidget(overview);
    // A cheap stand-in per core keeps the page indices; the page itself is built when first shown.
    for (size_t i = 0; i < cpuInfo.cores.size(); ++i)
        pages->addWidget(new QWidget(pageHolder));
    pages->addWidget(new QWidget(pageHolder)); // the monitor's
    pages->setCurrentIndex(0);

    // Small enough for a 1280×720 screen, wide enough for the compact navigator.
    setMinimumSize(compactNavigation->sizeHint().width() + 2 * margin, 420);
    resize(1200, 650);

    connect(navigation, &SwitchButton::indexChanged, this, &MainWindow::showPage);
    connect(compactNavigation, &CoreNavigator::pageRequested, this, &MainWindow::showPage);
    connect(monitorButton, &QToolButton::clicked, this, [this] { showPage(monitorPage()); });
    connect(sampler, &Sampler::updated, this, [this](const QVector<int> &cores) {
        if (monitor) {
            monitor->record(cores);
            if (current == monitorPage())
                monitor->updateInfo();
        }
        if (compactNavigation->isVisible())
            compactNavigation->updateFrequencies(cores);
        if (current == 0)
            this->overview->updateInfo();
        else if (cores.contains(current - 1) && corePages[static_cast<size_t>(current - 1)])
            corePages[static_cast<size_t>(current - 1)]->updateInfo();
    });
    addPageShortcuts();
    chooseNavigation();
    updateSampling();
}

void MainWindow::markGroups()
{
    // Kinds of core and shared policies: a badge on each segment, its place in a tool tip, and a
    // bright separator where a group begins. A plain machine keeps its plain segments.
    const QVector<TopologyText::Group> groups = TopologyText::navigationGroups(cpuInfo);
    if (groups.isEmpty())
        return;
    const Topology &topology = cpuInfo.topology();
    QVector<int> groupOf(static_cast<int>(cpuInfo.cores.size()), -1);
    for (int g = 0; g < groups.size(); ++g) {
        for (const int k : groups.at(g).cores)
            groupOf[k] = g;
    }
    for (int k = 0; k < groupOf.size(); ++k) {
        const int id = cpuInfo.cores[static_cast<size_t>(k)].core_id();
        if (const CpuPlace *place = topology.place(id)) {
            const QString badge = TopologyText::badge(topology, *place);
            if (!badge.isEmpty())
                navigation->setText(k + 1, tr("Core %1 (%2)").arg(QString::number(id), badge));
            navigation->setToolTip(k + 1, TopologyText::description(topology, *place));
        }
        navigation->setGroupStart(k + 1, k > 0 && groupOf.at(k) != groupOf.at(k - 1));
    }
}

void MainWindow::rereadPolicyOf(int index)
{
    // A write through one CPU of a shared policy changed all of them: their records (the other
    // pages, the overview, the list of cores) show the policy as it is now.
    const CPUCore &writer = cpuInfo.cores[static_cast<size_t>(index)];
    const CpuPlace *place = cpuInfo.topology().place(writer.core_id());
    if (!place || !place->sharesPolicy())
        return;
    cpuInfo.refreshPolicy(place->policyCpus, &writer);
    QVector<int> reread;
    for (int k = 0; k < static_cast<int>(cpuInfo.cores.size()); ++k) {
        if (k != index && place->policyCpus.contains(cpuInfo.cores[static_cast<size_t>(k)].core_id()))
            reread.append(k);
    }
    if (compactNavigation->isVisible())
        compactNavigation->updateFrequencies(reread);
}

void MainWindow::addPageShortcuts()
{
    // Window-wide, so that they work from whichever field of a page has the focus.
    const auto add = [this](const QKeySequence &keys, auto page) {
        auto *shortcut = new QShortcut(keys, this);
        shortcut->setContext(Qt::WindowShortcut);
        connect(shortcut, &QShortcut::activated, this, [this, page] { showPage(page()); });
    };
    // Round the pages, as tabs elsewhere do.
    add(QKeySequence(QStringLiteral("Ctrl+PgUp")), [this] { return (current + pages->count() - 1) % pages->count(); });
    add(QKeySequence(QStringLiteral("Ctrl+PgDown")), [this] { return (current + 1) % pages->count(); });
    // Alt+1 is the overview, Alt+2 the first core's page.
    for (int index = 0; index < qMin(9, pages->count()); ++index)
        add(QKeySequence(QStringLiteral("Alt+%1").arg(index + 1)), [index] { return index; });
    add(QKeySequence(QStringLiteral("Ctrl+M")), [this] { return monitorPage(); });
}

MainWindow::~MainWindow()
{
    // No read may finish into pages that are going away.
    delete sampler;
}

void MainWindow::showPage(int index)
{
    if (index < 0 || index >= pages->count())
        return;
    current = index;
    if (index == 0) {
        overview->updateGovern();
    } else if (index == monitorPage()) {
        if (!monitor) {
            QWidget *standIn = pages->widget(index);
            monitor = new MonitorView(cpuInfo, CpuLoad::statPathForCpuDir(cpuInfo.cpuDir.absolutePath()),
                                      pages->parentWidget());
            pages->insertWidget(index, monitor);
            pages->removeWidget(standIn);
            delete standIn;
            monitor->record(coresOfPage(index));
        }
        monitor->updateInfo();
    } else {
        const auto core = static_cast<size_t>(index - 1);
        if (!corePages[core]) {
            QWidget *standIn = pages->widget(index);
            corePages[core] = new DisplayCorePage(cpuInfo.cores[core], pages->parentWidget());
            if (const CpuPlace *place = cpuInfo.topology().place(cpuInfo.cores[core].core_id()))
                corePages[core]->setPolicyNote(TopologyText::pageNote(cpuInfo.topology(), *place));
            connect(corePages[core], &DisplayCorePage::applied, this, [this, index] { rereadPolicyOf(index - 1); });
            corePages[core]->showCapChain(cpuInfo);
            pages->insertWidget(index, corePages[core]);
            pages->removeWidget(standIn);
            delete standIn;
        }
    }
    pages->setCurrentIndex(index);
    const bool onMonitor = index == monitorPage();
    monitorButton->setChecked(onMonitor);
    navigation->setCurrentIndex(onMonitor ? -1 : index, false);
    if (!onMonitor)
        compactNavigation->setCurrentPage(index);
    updateSampling();
    // The page shows what was last read; what the kernel says now follows at once.
    if (sampler->isActive())
        sampler->sampleNow(coresOfPage(index));
}

int MainWindow::monitorPage() const
{
    return static_cast<int>(cpuInfo.cores.size()) + 1;
}

int MainWindow::currentPage() const
{
    return current;
}

QVector<int> MainWindow::coresOfPage(int index) const
{
    QVector<int> cores;
    // The overview and the compact navigator's list show every core.
    if (index == 0 || index == monitorPage() || compactNavigation->isVisibleTo(this)) {
        cores.reserve(static_cast<int>(cpuInfo.cores.size()));
        for (int k = 0; k < static_cast<int>(cpuInfo.cores.size()); ++k)
            cores.append(k);
    } else {
        cores.append(index - 1);
    }
    return cores;
}

void MainWindow::updateSampling()
{
    sampler->setWatched(coresOfPage(current));
    const bool active = isVisible() && !isMinimized();
    // The inventory was read just before the window was built, so the first showing waits for the
    // first tick and leaves the first frame the machine to itself. Back from minimised or hidden,
    // what changed meanwhile is read at once.
    const bool resumed = active && !sampler->isActive() && shownBefore;
    sampler->setActive(active);
    shownBefore = shownBefore || active;
    if (resumed)
        sampler->sampleNow(sampler->watched());
}

void MainWindow::chooseNavigation()
{
    const bool segmentsFit = navigation->sizeHint().width() <= width() - 2 * margin;
    if (segmentsFit == navigation->isVisibleTo(this) && segmentsFit != compactNavigation->isVisibleTo(this))
        return;
    navigation->setVisible(segmentsFit);
    compactNavigation->setVisible(!segmentsFit);
    if (!segmentsFit)
        compactNavigation->updateFrequencies(coresOfPage(0));
    updateSampling();
}

void MainWindow::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    chooseNavigation();
}

void MainWindow::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateSampling();
}

void MainWindow::hideEvent(QHideEvent *event)
{
    QWidget::hideEvent(event);
    updateSampling();
}

void MainWindow::changeEvent(QEvent *event)
{
    QWidget::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        updateSampling();
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, background);
}
