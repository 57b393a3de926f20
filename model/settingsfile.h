// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QJsonArray>
#include <QJsonObject>
#include <QString>

#include <optional>
#include <vector>

#include "cpucore.h"
#include "topology.h"
#include "writefailure.h"

// Reading a settings file and applying it to the cores. The file is a JSON array with one object
// per core: {"id": number, "isEnabled": bool, "policies": {attribute: text}}, and possibly one
// element of processor-wide settings (see processorKey()).
namespace SettingsFile
{
// The key of the file's one element of processor-wide settings, {"processor": {...}}; it has no
// "id", so loaders that know only core entries skip it.
inline QString processorKey()
{
    return QStringLiteral("processor");
}

// The file's array; nothing, with a reason for the user in errorString, when the file cannot be
// read or is not a settings file.
std::optional<QJsonArray> read(const QString &path, QString *errorString = nullptr);

// Reads the file and applies every entry to the core with the entry's number. False when the
// file was not read (nothing applied); true once it was applied, even where settings failed or
// were skipped: those are in report, and passed to onFailure as they happen, if given.
bool load(std::vector<CPUCore> &cores, const QString &path, ApplyReport &report, QString *errorString = nullptr,
          const WriteFailureHandler &onFailure = {});

// Applies the entries of a file to the cores (sorted by number, as the inventory keeps them).
// Entries that name no core, or a core not present, are skipped and reported as failures.
void apply(std::vector<CPUCore> &cores, const QJsonArray &entries, ApplyReport &report,
           const WriteFailureHandler &onFailure = {});
// The same on a machine whose CPUs may share policies. The file keeps one entry per CPU, but a
// policy's attributes are one setting: a value that an earlier entry of the same policy already
// applied is not written again, and an entry that disagrees with an earlier one is applied in file
// order (so the later value holds for every CPU of the policy) and named in a note. The settings
// of a CPU that stays offline go through an online CPU of its policy, if it has one. Failed
// writes to a shared policy name the policy and its CPUs.
void apply(std::vector<CPUCore> &cores, const QJsonArray &entries, const Topology &topology, ApplyReport &report,
           const WriteFailureHandler &onFailure = {});

// Applies one entry to its core; an entry whose "id" is not the core's number is ignored. A core
// that is or goes online: online first, then scaling_governor, energy_performance_preference,
// the two limits in an order the kernel takes, the rest by name. A core that goes offline gets its
// settings while still online, then goes offline; one that is offline and stays so takes none (a
// note says so). Values equal to the current ones are not written. Values that are not text and
// attributes the core does not have or cannot write are skipped as failures with error 0.
void applyToCore(CPUCore &core, const QJsonObject &settings, ApplyReport &report,
                 const WriteFailureHandler &onFailure = {});
} // namespace SettingsFile
