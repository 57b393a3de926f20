// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// What the root helper may be asked to write, checked without touching the system: a request names
// a CPU by number and an attribute or switch by a plain name, never a path. Shared by the helper,
// which turns a request into a file under the CPU tree, and its client, which turns the model's
// writes back into requests.
namespace HelperRequest
{

enum class Kind { Attribute, Online, Switch };

struct Request {
    Kind kind = Kind::Attribute;
    uint cpu = 0;  // unused for Switch
    QString name;  // the attribute (Attribute) or the switch (Switch); unused for Online
    QString value; // the text to write; "0" or "1" for Online
};

// The write a valid request stands for: a path relative to the CPU tree (/sys/devices/system/cpu)
// made only of checked parts, and the bytes.
struct Write {
    QByteArray relativePath;
    QByteArray bytes;
};

// The processor-wide switches a request may set, as paths relative to the CPU tree.
const QList<QByteArray> &switches();

// The write for a request, or the errno that refuses it: EINVAL for a name that is not plain
// ([A-Za-z0-9_]+, at most 64 characters), a switch not on the list, a value that is empty, longer
// than a page or not printable ASCII, or an online value other than "0" and "1"; ENODEV for a CPU
// number no kernel gives out.
struct Checked {
    Write write;
    int error = 0;
};
Checked check(const Request &request);

// The request for a write the model makes to root + "/" + relative path, if the helper can make
// it; nothing for a path outside root or one that no request stands for.
std::optional<Request> fromPath(const QByteArray &root, const QByteArray &path, const QByteArray &bytes);

} // namespace HelperRequest
