// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDBusMessage>
#include <QObject>
#include <QString>
#include <QVector>

// What a screen reader sees of a program: its accessible objects on the AT-SPI bus of a session,
// read the way assistive technologies read them (names, role names, states, focus events), not
// through Qt's own accessibility classes.
class AtspiTree final : public QObject
{
    Q_OBJECT

public:
    // One accessible object: the bus name of its program and its object path there.
    struct Node {
        QString service;
        QString path;
        QString name;
        QString role; // the role's name, such as "page tab" or "push button"
        quint64 states = 0;
    };

    // AT-SPI's state numbers (AtspiStateType) used by the tests.
    enum State { Checked = 4, Focused = 12, Selected = 23, Showing = 25 };

    // Connects to the accessibility bus of the session bus at sessionAddress; isValid() says
    // whether that worked, reason() why not.
    explicit AtspiTree(const QString &sessionAddress);
    ~AtspiTree() override;
    Q_DISABLE_COPY_MOVE(AtspiTree)

    bool isValid() const { return connected; }
    QString reason() const { return why; }

    // The programs registered on the bus, as the desktop's children.
    QVector<Node> programs() const;
    // An object and its children, each read afresh.
    Node describe(const QString &service, const QString &path) const;
    QVector<Node> children(const Node &node) const;

    // Asks the programs to report focus changes, as a screen reader does on start.
    bool followFocus();
    // How many objects have gained the focus since followFocus(), and the last of them.
    int focusChanges() const { return changes; }
    Node focused() const;

    static bool has(const Node &node, State state) { return node.states & (quint64(1) << state); }

private slots:
    void stateChanged(const QDBusMessage &message);

private:
    QString connectionName;
    bool connected = false;
    QString why;
    int changes = 0;
    QString focusService;
    QString focusPath;
};
