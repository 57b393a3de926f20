#include "mainpage.h"

#include <QDir>
#include <QFileDialog>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QStyleOption>

#include "cpuinfo.h"
#include "switchbutton.h"

MainPage::MainPage(CPUInfo &cpuInfo, QWidget *parent)
    : QWidget(parent)
    , cpuInfo(cpuInfo)
{
    setObjectName(QStringLiteral("MainPage"));

    modelLabel = new QLabel(this);
    QFont font = modelLabel->font();
    font.setPointSize(15);
    modelLabel->setFont(font);
    modelLabel->setText(cpuInfo.modelName);
    modelLabel->move(290, 50);
    modelLabel->adjustSize();

    overviewLabel = new QLabel(this);
    overviewLabel->setObjectName(QStringLiteral("overview"));
    overviewLabel->setTextFormat(Qt::PlainText);
    font.setPointSize(12);
    overviewLabel->setFont(font);
    updateOverview();
    overviewLabel->adjustSize();
    // The scroll area never resizes the label, so its size is fixed from here on. Saying so keeps
    // each new text from asking the scroll area to lay out the whole text again for nothing.
    overviewLabel->setFixedSize(overviewLabel->size());

    overviewArea = new QScrollArea(this);
    overviewArea->setFrameStyle(0);
    overviewArea->setWidget(overviewLabel);
    overviewArea->move(290, 100);
    overviewArea->setFixedSize(800, 200);

    logo.load(QStringLiteral(":/res/pic/cpulogo.png"));

    governSwitch = new SwitchButton(this);
    for (const char *label : {"Performance", "Fast", "Normal", "Slow", "Powersave", "Custom"})
        governSwitch->append(QString::fromLatin1(label));
    governSwitch->move(250, 330);
    governSwitch->resize(800, 40);

    updateInfo();
    updateGovern();
    // Connected only now, so that showing the initial profile applies nothing.
    connect(governSwitch, &SwitchButton::indexChanged, this, &MainPage::setCurrentGovern);

    font.setPixelSize(16);
    auto *load = new QPushButton(tr("Load Settings"), this);
    load->resize(150, 40);
    load->move(700, 430);
    load->setFont(font);
    connect(load, &QPushButton::clicked, this, &MainPage::askAndLoad);

    auto *save = new QPushButton(tr("Save Settings"), this);
    save->resize(150, 40);
    save->move(900, 430);
    connect(save, &QPushButton::clicked, this, &MainPage::askAndSave);
    save->setFont(font);
}

QSize MainPage::sizeHint() const
{
    return QSize(1100, 500);
}

void MainPage::updateInfo()
{
    updateOverview();
}

void MainPage::updateOverview()
{
    QString text = QStringLiteral("Driver: %1\n\n");
    // The driver line shows the first core's value as read by the previous refresh.
    text =
        text.arg(cpuInfo.cores.empty() ? QString()
                                       : cpuInfo.cores.front().policies.value(QStringLiteral("scaling_driver")).value);

    const QString line = QStringLiteral("CPU %1 : isEnabled = %2,\t %3 = %4,\t %5 = %6\n");
    const QString scalingName = QLatin1String(KnownCPUPolicy::scaling_cur_freq);
    const QString cpuinfoName = QLatin1String(KnownCPUPolicy::cpuinfo_cur_freq);
    // The cores hold what the window's sampler read last; nothing is read here.
    for (const CPUCore &core : cpuInfo.cores) {
        const QString cpuinfoCur = core.policies.value(cpuinfoName).value;
        const QString scalingCur = core.policies.value(scalingName).value;
        // One multi-argument arg() so that a value containing "%2" is never substituted again.
        text += line.arg(QString::number(core.core_id()), QString::number(core.isEnabled() ? 1 : 0), scalingName,
                         scalingCur, cpuinfoName, cpuinfoCur);
    }
    overviewLabel->setText(text);
}

int MainPage::detectCurrentGovern()
{
    return cpuInfo.detectPredefinedGoverns();
}

void MainPage::updateGovern()
{
    governSwitch->setCurrentIndex(detectCurrentGovern(), false);
}

void MainPage::setCurrentGovern(int index)
{
    cpuInfo.setPredefinedGoverns(static_cast<PREDEFINED_GOVERNS>(index));
}

void MainPage::loadSettingsFrom(const QString &fileName)
{
    QString error;
    if (!cpuInfo.load(fileName, &error))
        QMessageBox::warning(this, tr("Load"), tr("Could not load the settings from %1.\n\n%2").arg(fileName, error));
}

void MainPage::saveSettingsTo(QString fileName)
{
    if (!fileName.endsWith(QLatin1String(".json")))
        fileName += QLatin1String(".json");
    QString error;
    if (!cpuInfo.dump(fileName, &error))
        QMessageBox::warning(this, tr("Save"), tr("Could not save the settings to %1.\n\n%2").arg(fileName, error));
}

void MainPage::askAndLoad()
{
    const QString fileName =
        QFileDialog::getOpenFileName(nullptr, tr("Load"), QDir::homePath(), QStringLiteral("*.json"));
    if (!fileName.isEmpty())
        loadSettingsFrom(fileName);
    updateInfo();
    // The selector must not keep claiming the profile the file replaced: picking that profile
    // again would apply nothing.
    updateGovern();
}

void MainPage::askAndSave()
{
    const QString fileName =
        QFileDialog::getSaveFileName(nullptr, tr("Save"), QDir::homePath(), QStringLiteral("*.json"));
    if (!fileName.isEmpty())
        saveSettingsTo(fileName);
}

void MainPage::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.drawPixmap(QRect(50, 10, 250, 250), logo);
}
