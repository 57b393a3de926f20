// SPDX-License-Identifier: GPL-3.0-or-later
#include "segmentaccessible.h"

#include <QWidget>

#include "switchbutton.h"

SegmentAccessible::SegmentAccessible(SwitchButton *button, int index)
    : button(button)
    , segment(index)
{
}

int SegmentAccessible::index() const
{
    return segment;
}

bool SegmentAccessible::isValid() const
{
    return button && segment < button->count();
}

QObject *SegmentAccessible::object() const
{
    return nullptr;
}

QWindow *SegmentAccessible::window() const
{
    return button ? button->window()->windowHandle() : nullptr;
}

void *SegmentAccessible::interface_cast(QAccessible::InterfaceType type)
{
    return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface *>(this) : nullptr;
}

QAccessible::Role SegmentAccessible::role() const
{
    return QAccessible::PageTab;
}

QAccessible::State SegmentAccessible::state() const
{
    QAccessible::State state;
    if (!isValid()) {
        state.invalid = true;
        return state;
    }
    state.selectable = true;
    state.selected = button->currentIndex() == segment;
    state.focusable = true;
    state.focused = button->hasFocus() && button->focusedIndex() == segment;
    state.invisible = !button->isVisible();
    state.disabled = !button->isEnabled();
    return state;
}

QRect SegmentAccessible::rect() const
{
    if (!isValid())
        return QRect();
    const QRect local = button->segmentRect(segment);
    return QRect(button->mapToGlobal(local.topLeft()), local.size());
}

QString SegmentAccessible::text(QAccessible::Text type) const
{
    if (!isValid())
        return QString();
    switch (type) {
    case QAccessible::Name:
        return button->getText(segment);
    case QAccessible::Description:
        return button->toolTip(segment);
    default:
        return QString();
    }
}

void SegmentAccessible::setText(QAccessible::Text, const QString &)
{
}

QAccessibleInterface *SegmentAccessible::parent() const
{
    return button ? QAccessible::queryAccessibleInterface(button.data()) : nullptr;
}

QAccessibleInterface *SegmentAccessible::child(int) const
{
    return nullptr;
}

int SegmentAccessible::childCount() const
{
    return 0;
}

int SegmentAccessible::indexOfChild(const QAccessibleInterface *) const
{
    return -1;
}

QAccessibleInterface *SegmentAccessible::childAt(int, int) const
{
    return nullptr;
}

QStringList SegmentAccessible::actionNames() const
{
    return {pressAction(), setFocusAction()};
}

void SegmentAccessible::doAction(const QString &actionName)
{
    if (!isValid() || !button->isEnabled())
        return;
    if (actionName == pressAction()) {
        button->setCurrentIndex(segment, true);
    } else if (actionName == setFocusAction()) {
        button->setFocus(Qt::OtherFocusReason);
        button->setFocusedIndex(segment);
    }
}

QStringList SegmentAccessible::keyBindingsForAction(const QString &) const
{
    return {};
}
