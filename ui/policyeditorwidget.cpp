#include "policyeditorwidget.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOption>

#include <cerrno>
#include <cstring>

#include "cpucore.h"
#include "imageswitch.h"

namespace
{

QString errorText(int code)
{
    return QString::fromUtf8(std::strerror(code));
}

int megahertz(const CPUCore &core, const char *name)
{
    return core.policies.value(QLatin1String(name)).value.toInt() / 1000;
}

} // namespace

PolicyEditorWidget::PolicyEditorWidget(CPUCore &core, QWidget *parent)
    : QWidget(parent)
    , core(core)
{
    setObjectName(QStringLiteral("PolicyEditorWidget"));
    grid = new QGridLayout;
    grid->setSpacing(20);

    int row = 0;
    initFirstLine(row);
    initSettingLines(row);

    auto *apply = new QPushButton(tr("Apply"));
    apply->setFixedWidth(120);
    apply->setFixedHeight(40);
    QFont font = apply->font();
    font.setPixelSize(16);
    apply->setFont(font);
    connect(apply, &QPushButton::clicked, this, &PolicyEditorWidget::applyChanges);
    grid->addWidget(apply, row + 1, 1, 3, 1, Qt::AlignRight | Qt::AlignBottom);

    setLayout(grid);
}

QSize PolicyEditorWidget::sizeHint() const
{
    return QSize(500, 500);
}

void PolicyEditorWidget::updateInfo()
{
    onlineSwitch->setChecked(core.isEnabled());
}

void PolicyEditorWidget::popMessage(bool ok, const QString &text)
{
    message->setStyleSheet(ok ? QStringLiteral("color: #228B22") : QStringLiteral("color: #CC0000"));
    if (!text.isEmpty())
        message->setText(text);
    else
        message->setText(ok ? tr("Succeed") : errorText(errno));
}

void PolicyEditorWidget::initFirstLine(int &row)
{
    auto *title = new QLabel(QStringLiteral("CPU %1").arg(core.core_id()));
    QFont titleFont = title->font();
    titleFont.setPointSize(18);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);

    onlineSwitch = new ImageSwitch;
    onlineSwitch->setButtonStyle(ImageSwitch::ButtonStyle_3);
    onlineSwitch->setChecked(core.isEnabled());
    onlineSwitch->setFixedHeight(30);
    connect(onlineSwitch, &ImageSwitch::checked, this, &PolicyEditorWidget::switchToggled);

    auto *titleLine = new QHBoxLayout;
    titleLine->addWidget(title, 256);
    titleLine->addWidget(onlineSwitch, 256);

    message = new QLabel;
    QFont messageFont = message->font();
    messageFont.setPixelSize(18);
    message->setFont(messageFont);
    message->setFixedSize(200, 60);
    message->setWordWrap(true);

    grid->setRowMinimumHeight(row, 40);
    grid->addLayout(titleLine, row, 0);
    grid->addWidget(message, row, 1, 1, 2, Qt::AlignLeft);
    ++row;
}

void PolicyEditorWidget::switchToggled(bool on)
{
    const bool ok = core.setEnabled(on);
    // Keep the error of this very write; later calls may overwrite errno.
    const int code = errno;
    popMessage(ok, ok ? QString() : errorText(code));
    if (!ok)
        onlineSwitch->setChecked(!on);
}

void PolicyEditorWidget::initSettingLines(int &row)
{
    for (const CPUPolicy &policy : qAsConst(core.policies)) {
        if (!policy.writable)
            continue;
        auto *name = new QLabel(policy.name);
        name->setMaximumWidth(200);
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        grid->setRowMinimumHeight(row, 40);

        const QPair<QWidget *, QWidget *> editors = getEdiorPolicyValueWidget(policy);
        editors.first->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        grid->addWidget(name, row, 0, Qt::AlignVCenter);
        grid->addWidget(editors.first, row, 1, Qt::AlignVCenter);
        if (editors.second) {
            editors.second->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
            grid->addWidget(editors.second, row, 2, Qt::AlignVCenter);
        }
        ++row;
    }
}

QPair<QWidget *, QWidget *> PolicyEditorWidget::getEdiorPolicyValueWidget(const CPUPolicy &policy)
{
    QWidget *editor = nullptr;
    QWidget *companion = nullptr;

    if (policy.name == QLatin1String(KnownCPUPolicy::scaling_governor)) {
        auto *governors = new QComboBox;
        governors->setView(new QListView);
        governors->addItems(core.policies.value(QLatin1String(KnownCPUPolicy::scaling_available_governors))
                                .value.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        const int current = governors->findText(policy.value);
        if (current >= 0)
            governors->setCurrentIndex(current);
        governors->setFixedHeight(40);
        governors->setMaximumWidth(200);
        editor = governors;
    } else if (policy.name == QLatin1String(KnownCPUPolicy::scaling_max_freq)
               || policy.name == QLatin1String(KnownCPUPolicy::scaling_min_freq)) {
        const int min = megahertz(core, KnownCPUPolicy::cpuinfo_min_freq);
        const int max = megahertz(core, KnownCPUPolicy::cpuinfo_max_freq);
        auto *slider = new QSlider(Qt::Horizontal);
        slider->setMinimum(min);
        slider->setMaximum(max);
        slider->installEventFilter(this);
        slider->setFixedHeight(40);
        auto *spin = new QSpinBox;
        spin->setMinimum(min);
        spin->setMaximum(max);
        spin->setFixedHeight(30);
        // Each follows the other; setting an equal value emits nothing, so this stops by itself.
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), slider, &QSlider::setValue);
        slider->setValue(policy.value.toInt() / 1000);
        editor = slider;
        companion = spin;
    } else {
        auto *field = new QLineEdit(policy.value);
        field->setMaximumWidth(200);
        field->setFixedHeight(40);
        editor = field;
    }

    editor->setObjectName(policy.name);
    return qMakePair(editor, companion);
}

QMap<QString, QString> PolicyEditorWidget::dumpPolicySettings()
{
    QMap<QString, QString> settings;
    for (QObject *child : children()) {
        const QString name = core.policies.value(child->objectName()).name;
        if (auto *field = qobject_cast<QLineEdit *>(child))
            settings.insert(name, field->text());
        else if (auto *slider = qobject_cast<QSlider *>(child))
            settings.insert(name, QString::number(slider->value() * 1000));
        else if (auto *governors = qobject_cast<QComboBox *>(child))
            settings.insert(name, governors->currentText());
    }
    return settings;
}

bool PolicyEditorWidget::applyChanges()
{
    const QMap<QString, QString> settings = dumpPolicySettings();
    int succeeded = 0;
    int failed = 0;
    int lastError = 0;
    for (auto it = settings.cbegin(); it != settings.cend(); ++it) {
        if (core.policies.value(it.key()).value == it.value())
            continue;
        if (core.setPolicy(it.key(), QVariant(it.value()))) {
            ++succeeded;
        } else {
            ++failed;
            lastError = errno; // the reason of this failure, before anything else can change errno
        }
    }

    const bool ok = failed == 0;
    if (ok)
        popMessage(true, tr("%1 succeed, %2 failed.").arg(succeeded).arg(failed));
    else
        popMessage(false, tr("%1 succeed, %2 failed. %3").arg(succeeded).arg(failed).arg(errorText(lastError)));
    core.update();
    return ok;
}

bool PolicyEditorWidget::eventFilter(QObject *watched, QEvent *event)
{
    auto *slider = qobject_cast<QSlider *>(watched);
    if (slider && event->type() == QEvent::MouseButtonPress && slider->width() > 0) {
        // Jump to the clicked position instead of paging towards it.
        const int x = qRound(static_cast<QMouseEvent *>(event)->localPos().x());
        const double span = double(x) / slider->width() * (slider->maximum() - slider->minimum());
        slider->setValue(slider->minimum() + static_cast<int>(span));
        return false;
    }
    return QWidget::eventFilter(watched, event);
}

void PolicyEditorWidget::paintEvent(QPaintEvent *)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
