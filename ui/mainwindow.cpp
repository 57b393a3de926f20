#include "mainwindow.h"

#include <QPainter>
#include <QStackedLayout>
#include <QTimer>
#include <QVBoxLayout>

#include "cpuinfo.h"
#include "displaycorepage.h"
#include "mainpage.h"
#include "switchbutton.h"
#include "updateinfointerface.h"

MainWindow::MainWindow(QWidget *parent)
    : MainWindow(*CPUInfo::instance(), parent)
{
}

MainWindow::MainWindow(CPUInfo &cpuInfo, QWidget *parent)
    : QWidget(parent)
    , background(QStringLiteral(":/res/pic/cpu_blue.jpg"))
{
    mainLayout = new QVBoxLayout(this);

    navigation = new SwitchButton;
    navigation->append(tr("All"));
    for (const CPUCore &core : cpuInfo.cores)
        navigation->append(tr("Core %1").arg(core.core_id()));
    navigation->adjustSize();
    navigation->setCurrentIndex(0, true);

    mainLayout->addSpacing(20);
    mainLayout->addWidget(navigation, 0, Qt::AlignCenter);
    navigation->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
    mainLayout->addSpacing(20);

    pages = new QStackedLayout;
    // Pages are built inside the window: moving a finished page in would make every one of its
    // widgets resolve the style sheet once more, which with many cores dominated start-up.
    pages->addWidget(new MainPage(cpuInfo, this));
    for (CPUCore &core : cpuInfo.cores)
        pages->addWidget(new DisplayCorePage(core, this));
    pages->setCurrentIndex(0);
    mainLayout->addLayout(pages, 0);
    mainLayout->addSpacing(20);

    resize(1200, 700);

    connect(navigation, &SwitchButton::indexChanged, pages, [this](int index) { showPage(index); });

    refreshTimer = new QTimer(this);
    connect(refreshTimer, &QTimer::timeout, this, &MainWindow::refreshVisiblePage);
    refreshTimer->start(1000);
}

void MainWindow::showPage(int index)
{
    if (index == 0) {
        if (auto *overview = qobject_cast<MainPage *>(pages->widget(0)))
            overview->updateGovern();
    }
    pages->setCurrentIndex(index);
}

void MainWindow::refreshVisiblePage()
{
    // Hidden pages do no work.
    if (auto *page = dynamic_cast<UpdateInfoInterface *>(pages->currentWidget()))
        page->updateInfo();
}

void MainWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, background);
}
