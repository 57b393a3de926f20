// SPDX-License-Identifier: GPL-3.0-or-later
#include "switchbuttonaccessible.h"

#include "segmentaccessible.h"
#include "switchbutton.h"

SwitchButtonAccessible::SwitchButtonAccessible(SwitchButton *button)
    : QAccessibleWidget(button, QAccessible::PageTabList)
{
}

SwitchButtonAccessible::~SwitchButtonAccessible()
{
    for (const QAccessible::Id id : qAsConst(segmentIds))
        QAccessible::deleteAccessibleInterface(id);
}

SwitchButton *SwitchButtonAccessible::button() const
{
    return static_cast<SwitchButton *>(widget());
}

int SwitchButtonAccessible::childCount() const
{
    return button()->count();
}

QAccessibleInterface *SwitchButtonAccessible::child(int index) const
{
    if (index < 0 || index >= childCount())
        return nullptr;
    const auto known = segmentIds.constFind(index);
    if (known != segmentIds.constEnd())
        return QAccessible::accessibleInterface(*known);
    auto *segment = new SegmentAccessible(button(), index);
    segmentIds.insert(index, QAccessible::registerAccessibleInterface(segment));
    return segment;
}

int SwitchButtonAccessible::indexOfChild(const QAccessibleInterface *child) const
{
    if (!child || child->role() != QAccessible::PageTab || child->parent() != this)
        return -1;
    return static_cast<const SegmentAccessible *>(child)->index();
}

QAccessibleInterface *SwitchButtonAccessible::childAt(int x, int y) const
{
    const QPoint local = button()->mapFromGlobal(QPoint(x, y));
    for (int i = 0; i < childCount(); ++i) {
        if (button()->segmentRect(i).contains(local))
            return child(i);
    }
    return nullptr;
}

QAccessibleInterface *SwitchButtonAccessible::focusChild() const
{
    return button()->hasFocus() ? child(button()->focusedIndex()) : nullptr;
}
