// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QAccessibleWidget>
#include <QHash>

class SwitchButton;

// A SwitchButton as a page tab list: one page tab per segment, the current one selected, the one
// with the focus ring focused.
class SwitchButtonAccessible final : public QAccessibleWidget
{
public:
    explicit SwitchButtonAccessible(SwitchButton *button);
    ~SwitchButtonAccessible() override;

    int childCount() const override;
    QAccessibleInterface *child(int index) const override;
    int indexOfChild(const QAccessibleInterface *child) const override;
    QAccessibleInterface *childAt(int x, int y) const override;
    QAccessibleInterface *focusChild() const override;

private:
    SwitchButton *button() const;

    // The segments' interfaces live in Qt's registry; this one removes them with itself.
    mutable QHash<int, QAccessible::Id> segmentIds;
};
