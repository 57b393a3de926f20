// SPDX-License-Identifier: GPL-3.0-or-later
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
#include <QRegularExpressionValidator>
#include <QSlider>
#include <QSpinBox>
#include <QStyleOption>

#include <cerrno>
#include <cstring>

#include "attributehelp.h"
#include "cpucore.h"
#include "imageswitch.h"
#include "processorswitches.h"
#include "refusal.h"
#include "sysfsio.h"

namespace
{

const QString preferenceName = QStringLiteral("energy_performance_preference");
const QString biasName = QStringLiteral("energy_perf_bias");
// The longest label before names are elided; the whole name is in the tooltip.
constexpr int labelWidth = 200;

QString errorText(int code)
{
    return QString::fromUtf8(std::strerror(code));
}

int megahertz(const CPUCore &core, const char *name)
{
    return core.policies.value(QLatin1String(name)).value.toInt() / 1000;
}

bool isSetspeed(const QObject *editor)
{
    return editor->objectName() == QLatin1String(KnownCPUPolicy::scaling_setspeed);
}

// scaling_setspeed holds kHz and is edited in MHz, as every other frequency; text that is no
// number ("<unsupported>") passes unchanged both ways.
QString setspeedInMegahertz(const QString &kiloHertz)
{
    bool isNumber = false;
    const qint64 value = kiloHertz.toLongLong(&isNumber);
    if (!isNumber)
        return kiloHertz;
    if (value % 1000 == 0)
        return QString::number(value / 1000);
    return QString::number(double(value) / 1000, 'f', 3);
}

QString setspeedInKilohertz(const QString &megaHertz)
{
    bool isNumber = false;
    const double value = megaHertz.toDouble(&isNumber);
    return isNumber ? QString::number(qRound64(value * 1000)) : megaHertz;
}

// Names the editor of an attribute for screen readers, with the unit it takes.
void describe(QWidget *editor, const QString &attribute)
{
    const QString unit = AttributeHelp::unit(attribute);
    editor->setAccessibleName(unit.isEmpty() ? attribute : PolicyEditorWidget::tr("%1 in %2").arg(attribute, unit));
    editor->setAccessibleDescription(AttributeHelp::summary(attribute));
    editor->setToolTip(AttributeHelp::toolTip(attribute));
}

// The text an editor holds, as it would be written to the attribute file.
QString editorText(const QWidget *editor)
{
    if (const auto *field = qobject_cast<const QLineEdit *>(editor))
        return isSetspeed(field) ? setspeedInKilohertz(field->text()) : field->text();
    if (const auto *slider = qobject_cast<const QSlider *>(editor))
        return QString::number(slider->value() * 1000);
    if (const auto *governors = qobject_cast<const QComboBox *>(editor))
        return governors->currentText();
    if (const auto *spin = qobject_cast<const QSpinBox *>(editor))
        return QString::number(spin->value());
    return QString();
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
    for (Line &line : lines) {
        if (!line.dirty && !isBeingEdited(line))
            showKernelValue(line);
    }
}

void PolicyEditorWidget::showKernelValue(Line &line)
{
    if (line.name == biasName) {
        // Read here only: after a write and when the page is built, not on every refresh.
        int error = 0;
        const QString bias = core.bias(&error);
        showingKernelValues = true;
        if (error == 0)
            static_cast<QSpinBox *>(line.editor)->setValue(bias.toInt());
        line.editor->setToolTip(error == 0 ? biasName : tr("unreadable: %1").arg(SysfsIO::errorText(error)));
        showingKernelValues = false;
        line.dirty = false;
        return;
    }
    const auto policy = core.policies.constFind(line.name);
    // Gone from sysfs (the core went offline on a real kernel): the line keeps what it showed.
    if (policy == core.policies.constEnd() || policy->name.isEmpty())
        return;
    const bool unreadable = policy->readError != 0;
    showingKernelValues = true;
    if (auto *governors = qobject_cast<QComboBox *>(line.editor)) {
        int index = unreadable ? -1 : governors->findText(policy->value);
        // A governor the kernel runs without listing it is still what the kernel has.
        if (index < 0 && !unreadable && !policy->value.isEmpty()) {
            governors->addItem(policy->value);
            index = governors->count() - 1;
        }
        governors->setCurrentIndex(index);
    } else if (auto *slider = qobject_cast<QSlider *>(line.editor)) {
        if (!unreadable)
            slider->setValue(policy->value.toInt() / 1000);
    } else if (auto *field = qobject_cast<QLineEdit *>(line.editor)) {
        QString text = unreadable ? QString() : policy->value;
        if (isSetspeed(field))
            text = setspeedInMegahertz(text);
        if (field->text() != text)
            field->setText(text);
        field->setPlaceholderText(unreadable ? tr("unreadable") : QString());
    }
    showingKernelValues = false;
    line.dirty = false;
}

bool PolicyEditorWidget::isBeingEdited(const Line &line) const
{
    if (line.editor->hasFocus() || (line.companion && line.companion->hasFocus()))
        return true;
    const auto *governors = qobject_cast<const QComboBox *>(line.editor);
    return governors && governors->view()->isVisible();
}

void PolicyEditorWidget::popMessage(bool ok, const QString &text)
{
    message->setStyleSheet(ok ? QStringLiteral("color: #228B22") : QStringLiteral("color: #CC0000"));
    if (!text.isEmpty())
        message->setText(text);
    else
        message->setText(ok ? tr("Succeed") : errorText(errno));
    // A refusal explained in plain words is long: smaller, wrapped, and whole in the tooltip.
    QFont font = message->font();
    font.setPixelSize(message->text().size() > 40 ? 13 : 18);
    message->setFont(font);
    message->setToolTip(message->text());
}

void PolicyEditorWidget::initFirstLine(int &row)
{
    auto *title = new QLabel(tr("CPU %1").arg(core.core_id()));
    QFont titleFont = title->font();
    titleFont.setPointSize(18);
    titleFont.setWeight(QFont::Bold);
    title->setFont(titleFont);

    onlineSwitch = new ImageSwitch;
    onlineSwitch->setButtonStyle(ImageSwitch::ButtonStyle_3);
    onlineSwitch->setChecked(core.isEnabled());
    onlineSwitch->setFixedHeight(30);
    onlineSwitch->setAccessibleName(tr("CPU %1 online").arg(core.core_id()));
    onlineSwitch->setAccessibleDescription(AttributeHelp::summary(QStringLiteral("online")));
    onlineSwitch->setToolTip(AttributeHelp::toolTip(QStringLiteral("online")));
    connect(onlineSwitch, &ImageSwitch::checked, this, &PolicyEditorWidget::switchToggled);

    auto *titleLine = new QHBoxLayout;
    titleLine->addWidget(title, 256);
    titleLine->addWidget(onlineSwitch, 256);

    message = new QLabel;
    QFont messageFont = message->font();
    messageFont.setPixelSize(18);
    message->setFont(messageFont);
    message->setFixedSize(320, 60);
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
        addLine(policy, row);
    }
    // The energy-performance bias lives beside cpufreq, in power/, on Intel processors.
    int biasError = 0;
    core.bias(&biasError);
    if (biasError != ENOENT) {
        CPUPolicy bias;
        bias.name = biasName;
        bias.readable = bias.writable = true;
        addLine(bias, row);
    }
}

void PolicyEditorWidget::addLine(const CPUPolicy &policy, int &row)
{
    {
        // Long attribute names are elided in the middle, never cut; the tooltip has them whole.
        auto *name = new QLabel;
        name->setText(name->fontMetrics().elidedText(policy.name, Qt::ElideMiddle, labelWidth));
        name->setToolTip(policy.name);
        name->setMaximumWidth(labelWidth);
        name->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        name->setToolTip(AttributeHelp::toolTip(policy.name));
        grid->setRowMinimumHeight(row, 40);

        const QPair<QWidget *, QWidget *> editors = getEdiorPolicyValueWidget(policy);
        name->setBuddy(editors.first);
        describe(editors.first, policy.name);
        if (editors.second && !qobject_cast<QLabel *>(editors.second))
            describe(editors.second, policy.name);
        lines.push_back({policy.name, editors.first, editors.second, false});
        const size_t index = lines.size() - 1;
        // Every change that the program does not make itself is the user's. The spin box moves
        // the slider, so the slider hears of both.
        const auto touched = [this, index] {
            if (!showingKernelValues)
                lines[index].dirty = true;
        };
        if (auto *field = qobject_cast<QLineEdit *>(editors.first))
            connect(field, &QLineEdit::textChanged, this, touched);
        else if (auto *slider = qobject_cast<QSlider *>(editors.first))
            connect(slider, &QSlider::valueChanged, this, touched);
        else if (auto *governors = qobject_cast<QComboBox *>(editors.first))
            connect(governors, &QComboBox::currentTextChanged, this, touched);
        else if (auto *spin = qobject_cast<QSpinBox *>(editors.first))
            connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), this, touched);
        showKernelValue(lines.back());
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
        // Styled before it holds entries: a list that lays its entries out before the style
        // sheet's entry height applies keeps the old positions and draws them overlapping.
        governors->view()->ensurePolished();
        governors->addItems(core.policies.value(QLatin1String(KnownCPUPolicy::scaling_available_governors))
                                .value.split(QLatin1Char(' '), Qt::SkipEmptyParts));
        governors->setFixedHeight(40);
        governors->setMaximumWidth(200);
        editor = governors;
    } else if (policy.name == preferenceName) {
        // The driver's own list; intel_pstate also takes a raw value from 0 to 255.
        const QStringList names = core.policies.value(QStringLiteral("energy_performance_available_preferences"))
                                      .value.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        auto *preferences = new QComboBox;
        preferences->setView(new QListView);
        // As for the governors: rows laid out before the style sheet's height applies overlap.
        preferences->view()->ensurePolished();
        preferences->addItems(names);
        if (core.policies.value(QStringLiteral("scaling_driver")).value == QLatin1String("intel_pstate")) {
            preferences->setEditable(true);
            preferences->setInsertPolicy(QComboBox::NoInsert);
            QStringList words;
            for (const QString &name : names)
                words << QRegularExpression::escape(name);
            words << QStringLiteral("25[0-5]|2[0-4][0-9]|1?[0-9]?[0-9]");
            preferences->setValidator(new QRegularExpressionValidator(
                QRegularExpression(QStringLiteral("^(%1)$").arg(words.join(QLatin1Char('|')))), preferences));
            preferences->setToolTip(tr("a preference from the list, or a raw value from 0 to 255"));
        }
        preferences->setFixedHeight(40);
        preferences->setMaximumWidth(200);
        editor = preferences;
    } else if (policy.name == biasName) {
        auto *spin = new QSpinBox;
        spin->setRange(0, 15);
        spin->setFixedHeight(40);
        spin->setMaximumWidth(200);
        spin->setToolTip(tr("0 favours performance, 15 saving power"));
        editor = spin;
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
        spin->setSuffix(QLatin1Char(' ') + AttributeHelp::unit(policy.name));
        // Room for the highest value and the unit, however long its translation.
        spin->setMinimumWidth(spin->sizeHint().width());
        // Each follows the other; setting an equal value emits nothing, so this stops by itself.
        connect(slider, &QSlider::valueChanged, spin, &QSpinBox::setValue);
        connect(spin, QOverload<int>::of(&QSpinBox::valueChanged), slider, &QSlider::setValue);
        editor = slider;
        companion = spin;
    } else {
        auto *field = new QLineEdit;
        field->setMaximumWidth(200);
        field->setFixedHeight(40);
        editor = field;
        if (policy.name == QLatin1String(KnownCPUPolicy::scaling_setspeed))
            companion = new QLabel(AttributeHelp::unit(policy.name));
    }

    editor->setObjectName(policy.name);
    return qMakePair(editor, companion);
}

QMap<QString, QString> PolicyEditorWidget::dumpPolicySettings()
{
    QMap<QString, QString> settings;
    for (const Line &line : lines)
        settings.insert(line.name, editorText(line.editor));
    return settings;
}

QVector<QPair<QString, QString>> PolicyEditorWidget::pendingWrites() const
{
    QMap<QString, QString> changed;
    for (const Line &line : lines) {
        const QString text = editorText(line.editor);
        if (line.dirty && (line.name == biasName || text != core.policies.value(line.name).value))
            changed.insert(line.name, text);
    }

    QVector<QPair<QString, QString>> writes;
    const auto take = [&changed, &writes](const char *name) {
        const auto it = changed.find(QLatin1String(name));
        if (it != changed.end()) {
            writes.append(qMakePair(it.key(), it.value()));
            changed.erase(it);
        }
    };
    // The governor decides what else the driver takes (intel_pstate refuses a preference other than
    // "performance" under the performance governor), so it goes first, the preference next.
    take(KnownCPUPolicy::scaling_governor);
    take("energy_performance_preference");
    // A new minimum above the current maximum would be held back below it: raise the maximum first.
    const QString newMin = changed.value(QLatin1String(KnownCPUPolicy::scaling_min_freq));
    const bool maxFirst =
        !newMin.isEmpty()
        && newMin.toLongLong()
               > core.policies.value(QLatin1String(KnownCPUPolicy::scaling_max_freq)).value.toLongLong();
    take(maxFirst ? KnownCPUPolicy::scaling_max_freq : KnownCPUPolicy::scaling_min_freq);
    take(maxFirst ? KnownCPUPolicy::scaling_min_freq : KnownCPUPolicy::scaling_max_freq);
    for (auto it = changed.cbegin(); it != changed.cend(); ++it)
        writes.append(qMakePair(it.key(), it.value()));
    return writes;
}

bool PolicyEditorWidget::applyChanges()
{
    int succeeded = 0;
    int failed = 0;
    QString lastError;
    for (const auto &write : pendingWrites()) {
        if (write.first == biasName) {
            if (const auto failure = ProcessorSwitches::writeBias(core, write.second)) {
                ++failed;
                lastError = failure->error != 0 ? errorText(failure->error) : failure->reason;
                if (failure->error != 0 && !failure->reason.isEmpty())
                    lastError += QStringLiteral(" (%1)").arg(failure->reason);
            } else {
                ++succeeded;
            }
            continue;
        }
        if (const int error = core.storePolicy(write.first, QVariant(write.second))) {
            ++failed;
            // The system's text, and the cause in plain words where the program knows it.
            lastError = errorText(error);
            const QString reason = Refusal::explain(core, write.first, write.second, error);
            if (!reason.isEmpty())
                lastError += QStringLiteral(" (%1)").arg(reason);
        } else {
            ++succeeded;
        }
    }

    const bool ok = failed == 0;
    if (ok)
        popMessage(true, tr("%1 succeed, %2 failed.").arg(succeeded).arg(failed));
    else
        popMessage(false, tr("%1 succeed, %2 failed. %3").arg(succeeded).arg(failed).arg(lastError));

    // Every line shows what the kernel kept, the written ones and the refused ones alike.
    core.updateSettings();
    onlineSwitch->setChecked(core.isEnabled());
    for (Line &line : lines)
        showKernelValue(line);
    emit applied();
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
