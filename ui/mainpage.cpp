// SPDX-License-Identifier: GPL-3.0-or-later
#include "mainpage.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListView>
#include <QMessageBox>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyleOption>
#include <QTimer>

#include <algorithm>

#include <pwd.h>
#include <unistd.h>

#include "bootdefaults.h"
#include "cpuinfo.h"
#include "groupwriter.h"
#include "holdnotice.h"
#include "powertoolprobe.h"
#include "processorpanel.h"
#include "profiles.h"
#include "safetext.h"
#include "switchbutton.h"
#include "topologytext.h"
#include "userprofilespanel.h"
#include "verifiedapply.h"
#include "writefailure.h"

namespace
{

// The name saveSettingsTo writes: ".json" appended unless the name ends in it already.
QString settingsFileName(const QString &chosen)
{
    return chosen.endsWith(QLatin1String(".json")) ? chosen : chosen + QLatin1String(".json");
}

// The kernel's kHz as whole MHz; anything that is no number shows as it was read.
QString megahertz(const QString &kiloHertz)
{
    bool isNumber = false;
    const qlonglong value = kiloHertz.toLongLong(&isNumber);
    return isNumber ? MainPage::tr("%1 MHz").arg(value / 1000) : kiloHertz;
}

QString profileName(int index)
{
    return QCoreApplication::translate("Profile", Profile::of(index).label);
}

} // namespace

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
    overviewArea->setFixedSize(800, 128);
    // Focusable so that the keys scroll the lines; a screen reader says what they are.
    overviewArea->setAccessibleName(tr("Frequency of each CPU"));

    logo.load(QStringLiteral(":/res/pic/cpulogo.png"));

    governSwitch = new SwitchButton(this);
    governSwitch->setAccessibleName(tr("Profile for all CPUs"));
    for (int index = GOVERN_PERFORMANCE; index <= GOVERN_CUSTOM; ++index) {
        governSwitch->append(profileName(index));
        // What a click writes, from the table that writes it.
        governSwitch->setToolTip(index, QCoreApplication::translate("Profile", Profile::of(index).description));
    }
    governSwitch->move(250, 330);
    governSwitch->resize(800, 40);
    buildNotice();
    buildGroupControls();

    updateInfo();
    updateGovern();
    // Connected only now, so that showing the initial profile applies nothing.
    connect(governSwitch, &SwitchButton::indexChanged, this, &MainPage::setCurrentGovern);

    font.setPixelSize(16);
    auto *load = new QPushButton(tr("Load Settings"), this);
    load->setFont(font);
    connect(load, &QPushButton::clicked, this, &MainPage::askAndLoad);
    auto *save = new QPushButton(tr("Save Settings"), this);
    save->setFont(font);
    connect(save, &QPushButton::clicked, this, &MainPage::askAndSave);
    // Right-aligned under the selector, each at least 150 wide and as wide as its text needs.
    save->resize(qMax(150, save->sizeHint().width()), 40);
    save->move(1050 - save->width(), 430);
    load->resize(qMax(150, load->sizeHint().width()), 40);
    load->move(save->x() - 50 - load->width(), 430);

    // The user's own profiles and the power rules, under the fixed ones.
    userProfiles = new UserProfilesPanel(cpuInfo, this);
    // Under the settings-file buttons: the row beside the selector holds the limits for a group.
    userProfiles->move(150, 485);
    userProfiles->setFixedWidth(900);
    userProfiles->stackUnder(load);
    connect(userProfiles, &UserProfilesPanel::applied, this, [this] {
        rereadSettings();
        updateGovern();
    });
    connect(userProfiles, &UserProfilesPanel::reported, this,
            [this](const ApplyReport &report, const QString &what) { showReport(report, what); });

    // Beside the two: back to what the kernel chose at boot, as the boot unit saved it.
    auto *defaults = new QPushButton(tr("Boot Defaults"), this);
    defaults->setObjectName(QStringLiteral("bootDefaults"));
    defaults->setToolTip(tr("Restores the settings the kernel had at boot"));
    defaults->resize(qMax(150, defaults->sizeHint().width()), 40);
    defaults->move(load->x() - 50 - defaults->width(), 430);
    connect(defaults, &QPushButton::clicked, this, &MainPage::restoreBootDefaults);

    // In the notice's place: a report of the page's own writes covers it while shown.
    hold = new HoldNotice(
        cpuInfo, [] { return PowerToolProbe::observe(); }, this);
    hold->move(notice->pos());
    hold->setFixedSize(notice->size());
    hold->stackUnder(notice);

    // Under the list of cores: the processor-wide switches, where the machine has any.
    processorPanel = new ProcessorPanel(cpuInfo, this);
    processorPanel->move(290, 236);
    processorPanel->setFixedWidth(800);
    connect(processorPanel, &ProcessorPanel::reported, this,
            [this](const ApplyReport &report, const QString &what) { showReport(report, what); });
}

void MainPage::buildGroupControls()
{
    const QVector<TopologyText::Choice> choices = TopologyText::choices(cpuInfo);
    for (const TopologyText::Choice &choice : choices)
        groupCpus.append(choice.cpus);
    // Only where there is more to choose than every CPU; the selector then makes room for it.
    if (choices.size() > 1) {
        groupChoice = new QComboBox(this);
        groupChoice->setObjectName(QStringLiteral("groupChoice"));
        groupChoice->setView(new QListView);
        for (const TopologyText::Choice &choice : choices)
            groupChoice->addItem(choice.label);
        groupChoice->setAccessibleName(tr("CPUs to apply to"));
        groupChoice->setToolTip(tr("Which CPUs the profile and the limits go to"));
        groupChoice->move(60, 330);
        groupChoice->setFixedSize(300, 40);
        groupChoice->view()->setMinimumWidth(groupChoice->view()->sizeHintForColumn(0) + 30);
        governSwitch->move(370, 330);
        governSwitch->resize(680, 40);
        // One size a pixel smaller for every label, rather than the longest shrunk on its own.
        QFont smaller = governSwitch->font();
        smaller.setPixelSize(15);
        governSwitch->setFont(smaller);
        governSwitch->setAccessibleName(tr("Profile for the chosen CPUs"));
        connect(groupChoice, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
            groupChoice->setToolTip(groupChoice->currentText());
            updateGovern();
            showLimits();
        });
    }

    // Explicit limits in MHz, within the widest range of the machine's cores.
    qint64 lowest = -1;
    qint64 highest = -1;
    for (const CPUCore &core : cpuInfo.cores) {
        const CPUPolicy min = core.policies.value(QLatin1String(KnownCPUPolicy::cpuinfo_min_freq));
        const CPUPolicy max = core.policies.value(QLatin1String(KnownCPUPolicy::cpuinfo_max_freq));
        if (min.readError == 0 && !min.value.isEmpty())
            lowest = lowest < 0 ? min.value.toLongLong() : qMin(lowest, min.value.toLongLong());
        if (max.readError == 0 && !max.value.isEmpty())
            highest = qMax(highest, max.value.toLongLong());
    }
    const int from = lowest < 0 ? 0 : int(lowest / 1000);
    const int to = highest < 0 ? 100000 : int(highest / 1000);
    const auto makeField = [from, to](const QString &name, const QString &prefix, const QString &accessible) {
        auto *field = new QSpinBox;
        field->setObjectName(name);
        field->setRange(from, qMax(from, to));
        field->setSingleStep(100);
        field->setPrefix(prefix);
        field->setSuffix(tr(" MHz"));
        field->setAccessibleName(accessible);
        field->setFixedHeight(40);
        return field;
    };
    minLimit = makeField(QStringLiteral("minLimit"), tr("min "), tr("Lower frequency limit"));
    maxLimit = makeField(QStringLiteral("maxLimit"), tr("max "), tr("Upper frequency limit"));
    applyLimitsButton = new QPushButton(tr("Set limits"));
    applyLimitsButton->setObjectName(QStringLiteral("applyLimits"));
    applyLimitsButton->setToolTip(groupChoice ? tr("Writes both limits to the chosen CPUs, once per policy")
                                              : tr("Writes both limits to every CPU"));
    applyLimitsButton->setFixedHeight(40);
    connect(applyLimitsButton, &QPushButton::clicked, this, &MainPage::applyLimits);

    auto *row = new QWidget(this);
    row->setObjectName(QStringLiteral("limitsRow"));
    auto *layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    layout->addWidget(minLimit);
    layout->addWidget(maxLimit);
    layout->addWidget(applyLimitsButton);
    row->adjustSize();
    // Right-aligned under the profile selector, above the settings-file buttons; the notice of
    // refused writes keeps left of it.
    row->move(1050 - row->width(), 382);
    notice->setFixedWidth(qMin(notice->width(), row->x() - 10 - notice->x()));
    showLimits();
}

bool MainPage::allChosen() const
{
    return !groupChoice || groupChoice->currentIndex() <= 0;
}

QVector<int> MainPage::chosenCpus() const
{
    return groupCpus.value(groupChoice ? qMax(0, groupChoice->currentIndex()) : 0);
}

void MainPage::showLimits()
{
    if (!minLimit)
        return;
    // A limit that could not be read leaves its field as it was rather than showing a made-up one.
    const auto show = [](QSpinBox *field, const CPUPolicy &limit) {
        bool ok = false;
        const qlonglong value = limit.value.toLongLong(&ok);
        if (limit.readError == 0 && ok)
            field->setValue(int(value / 1000));
    };
    const QVector<int> cpus = chosenCpus();
    for (const CPUCore &core : cpuInfo.cores) {
        if (!cpus.contains(core.core_id()) || !core.isEnabled())
            continue;
        show(minLimit, core.policies.value(QLatin1String(KnownCPUPolicy::scaling_min_freq)));
        show(maxLimit, core.policies.value(QLatin1String(KnownCPUPolicy::scaling_max_freq)));
        return;
    }
}

void MainPage::applyLimits()
{
    const QString what = allChosen() ? tr("Limits") : tr("Limits for %1").arg(groupChoice->currentText());
    const qint64 lower = qint64(minLimit->value()) * 1000;
    const qint64 upper = qint64(maxLimit->value()) * 1000;
    ApplyReport report;
    if (lower > upper) {
        report.fail({-1, QString(), QString(), 0,
                     tr("the lower limit (%1 MHz) is above the upper one (%2 MHz); nothing was written")
                         .arg(minLimit->value())
                         .arg(maxLimit->value())});
    } else {
        report = GroupWriter::applyLimits(cpuInfo, chosenCpus(), lower, upper);
        rereadSettings();
        updateGovern();
    }
    showReport(report, what);
}

void MainPage::buildNotice()
{
    // Left of the buttons, below the selector: part of the page, not a window over it.
    notice = new QFrame(this);
    notice->setObjectName(QStringLiteral("notice"));
    notice->setStyleSheet(QStringLiteral(
        "QFrame#notice { background: rgba(255, 255, 255, 150); border: 1px solid #CC0000; border-radius: 8px; }"
        " QFrame#notice QLabel { color: #8B0000; background: transparent; font-size: 15px; font-weight: bold; }"
        " QFrame#notice QPlainTextEdit { color: #8B0000; background: transparent; font-size: 13px; }"
        // The window's scroll bars keep room for arrows that this short list has no space for.
        " QFrame#notice QScrollBar:vertical { padding: 0px; }"
        " QFrame#notice QScrollBar::add-line:vertical, QFrame#notice QScrollBar::sub-line:vertical"
        " { height: 0px; margin: 0px; }"));
    notice->move(70, 385);
    notice->setFixedSize(600, 105);

    noticeTitle = new QLabel;
    noticeTitle->setTextFormat(Qt::PlainText);
    noticeTitle->setObjectName(QStringLiteral("noticeTitle"));
    // A long file name is cut off rather than pushing the button out of the notice.
    noticeTitle->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);

    auto *dismiss = new QPushButton(tr("Dismiss"));
    dismiss->setObjectName(QStringLiteral("dismissNotice"));
    dismiss->setFixedSize(80, 26);
    dismiss->setStyleSheet(QStringLiteral("padding: 2px;"));
    connect(dismiss, &QPushButton::clicked, notice, &QWidget::hide);

    noticeText = new QPlainTextEdit;
    noticeText->setObjectName(QStringLiteral("noticeText"));
    noticeText->setReadOnly(true);
    noticeText->setFrameStyle(QFrame::NoFrame);
    noticeText->viewport()->setAutoFillBackground(false);

    auto *layout = new QGridLayout(notice);
    layout->setContentsMargins(10, 6, 6, 6);
    layout->addWidget(noticeTitle, 0, 0);
    layout->addWidget(dismiss, 0, 1);
    layout->addWidget(noticeText, 1, 0, 1, 2);
    notice->hide();
}

void MainPage::showReport(const ApplyReport &report, const QString &what)
{
    if (report.ok()) {
        notice->hide();
        return;
    }
    QStringList lines;
    for (const WriteFailure &failure : report.failures)
        lines << describeFailure(failure);
    for (const QString &note : report.notes)
        lines << SafeText::printable(note);
    // One multi-argument arg(): a file name holding "%2" is not substituted again.
    const QString title =
        report.failures.size() == 1
            ? tr("%1: 1 setting was not applied.").arg(what)
            : tr("%1: %2 settings were not applied.").arg(what, QString::number(report.failures.size()));
    noticeTitle->setText(title);
    noticeTitle->setToolTip(title);
    noticeText->setPlainText(lines.join(QLatin1Char('\n')));
    notice->show();
    notice->raise();
}

QSize MainPage::sizeHint() const
{
    // Room down to the own-profiles row under the settings-file buttons.
    const int bottom = userProfiles ? userProfiles->y() + userProfiles->sizeHint().height() + 10 : 0;
    return QSize(1100, qMax(500, bottom));
}

void MainPage::updateInfo()
{
    updateOverview();
    if (processorPanel)
        processorPanel->updateInfo();
}

void MainPage::updateOverview()
{
    QString text = tr("Driver: %1\n\n");
    // The driver line shows the first core's value as read by the previous refresh.
    text =
        text.arg(cpuInfo.cores.empty() ? QString()
                                       : cpuInfo.cores.front().policies.value(QStringLiteral("scaling_driver")).value);

    const QString line = QStringLiteral("CPU %1 : isEnabled = %2,\t %3 = %4,\t %5 = %6\n");
    const QString scalingName = QLatin1String(KnownCPUPolicy::scaling_cur_freq);
    const QString cpuinfoName = QLatin1String(KnownCPUPolicy::cpuinfo_cur_freq);
    // The cores hold what the window's sampler read last; nothing is read here.
    for (const CPUCore &core : cpuInfo.cores) {
        const CPUPolicy cpuinfoRecord = core.policies.value(cpuinfoName);
        const CPUPolicy scalingRecord = core.policies.value(scalingName);
        const QString cpuinfoCur = cpuinfoRecord.readError != 0 ? tr("unreadable") : megahertz(cpuinfoRecord.value);
        const QString scalingCur = scalingRecord.readError != 0 ? tr("unreadable") : megahertz(scalingRecord.value);
        // One multi-argument arg() so that a value containing "%2" is never substituted again.
        text += line.arg(QString::number(core.core_id()), QString::number(core.isEnabled() ? 1 : 0), scalingName,
                         scalingCur, cpuinfoName, cpuinfoCur);
    }
    overviewLabel->setText(text);
    if (hold)
        hold->refresh();
}

int MainPage::detectCurrentGovern()
{
    if (allChosen())
        return cpuInfo.detectPredefinedGoverns();
    // The first profile that every CPU of the group matches, as for all of them.
    const QVector<int> cpus = chosenCpus();
    for (const Profile &profile : Profile::all()) {
        if (std::all_of(cpuInfo.cores.begin(), cpuInfo.cores.end(), [&](CPUCore &core) {
                return !cpus.contains(core.core_id()) || core.checkPredefinedGoverns(profile.govern);
            }))
            return profile.govern;
    }
    return GOVERN_CUSTOM;
}

void MainPage::updateGovern()
{
    governSwitch->setCurrentIndex(detectCurrentGovern(), false);
}

void MainPage::setCurrentGovern(int index)
{
    const auto govern = static_cast<PREDEFINED_GOVERNS>(index);
    const bool all = allChosen();
    const ApplyReport report =
        all ? cpuInfo.applyProfile(govern) : GroupWriter::applyProfile(cpuInfo, govern, chosenCpus());
    rereadSettings(); // the selector shows what the kernel kept
    userProfiles->noteManualChoice(QLatin1String(Profile::of(index).key));
    showReport(report, all ? profileName(index)
                           : tr("%1 for %2", "profile for group").arg(profileName(index), groupChoice->currentText()));
    // The selector stores the picked segment only after this returns; the detected one replaces it.
    QTimer::singleShot(0, this, &MainPage::updateGovern);
}

void MainPage::loadSettingsFrom(const QString &fileName)
{
    ApplyReport report;
    QString error;
    if (!cpuInfo.load(fileName, report, &error)) {
        QMessageBox::warning(this, tr("Load"),
                             tr("Could not load the settings from %1.\n\n%2")
                                 .arg(SafeText::printable(fileName), SafeText::printable(error)));
        return;
    }
    rereadSettings();
    showReport(report, SafeText::printable(QFileInfo(fileName).fileName()));
}

void MainPage::restoreBootDefaults()
{
    QString error;
    const std::optional<VerifiedApply::Result> result = VerifiedApply::load(cpuInfo, BootDefaults::path(), &error);
    if (!result) {
        QMessageBox::warning(this, tr("Boot defaults"),
                             tr("The boot defaults cannot be read: %1\nThe boot unit saves them; until the next "
                                "boot with it enabled there are none.")
                                 .arg(SafeText::printable(error)));
        return;
    }
    rereadSettings();
    updateGovern();
    showReport(result->report, tr("Boot defaults"));
}

void MainPage::rereadSettings()
{
    for (CPUCore &core : cpuInfo.cores)
        core.updateSettings();
    updateOverview();
    showLimits();
}

void MainPage::saveSettingsTo(QString fileName)
{
    fileName = settingsFileName(fileName);
    QString error;
    if (!cpuInfo.dump(fileName, &error))
        QMessageBox::warning(this, tr("Save"),
                             tr("Could not save the settings to %1.\n\n%2")
                                 .arg(SafeText::printable(fileName), SafeText::printable(error)));
}

QString MainPage::startDirectory() const
{
    if (!lastDirectory.isEmpty())
        return lastDirectory;
    if (::geteuid() != 0)
        return QDir::homePath();
    // Under sudo HOME can still be the user's; root keeps to directories it owns.
    const passwd *root = ::getpwuid(0);
    if (root && root->pw_dir && root->pw_dir[0] == '/')
        return QFile::decodeName(root->pw_dir);
    return QDir::rootPath();
}

void MainPage::askAndLoad()
{
    const QString fileName = QFileDialog::getOpenFileName(this, tr("Load"), startDirectory(), QStringLiteral("*.json"));
    if (!fileName.isEmpty()) {
        lastDirectory = QFileInfo(fileName).absolutePath();
        loadSettingsFrom(fileName);
    }
    updateInfo();
    // The selector must not keep claiming the profile the file replaced: picking that profile
    // again would apply nothing.
    updateGovern();
}

void MainPage::askAndSave()
{
    QFileDialog dialog(this, tr("Save"), startDirectory(), QStringLiteral("*.json"));
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    // The dialog adds the suffix before it asks about replacing, so its question names the file
    // that is really replaced.
    dialog.setDefaultSuffix(QStringLiteral("json"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return;
    const QString chosen = dialog.selectedFiles().constFirst();
    lastDirectory = QFileInfo(chosen).absolutePath();

    // A name with another suffix ("settings.JSON") still gets ".json"; the dialog asked about a
    // different file then.
    const QString target = settingsFileName(chosen);
    const QFileInfo targetInfo(target);
    if (target != chosen && (targetInfo.exists() || targetInfo.isSymLink())) {
        const auto answer = QMessageBox::question(
            this, tr("Save"),
            tr("%1 already exists.\nDo you want to replace it?").arg(SafeText::printable(targetInfo.fileName())),
            QMessageBox::Yes | QMessageBox::No, QMessageBox::No);
        if (answer != QMessageBox::Yes)
            return;
    }
    saveSettingsTo(chosen);
}

void MainPage::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
    painter.drawPixmap(QRect(50, 10, 250, 250), logo);
}
