// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QObject>
#include <QThreadPool>
#include <QTimer>
#include <QVector>

#include <memory>
#include <vector>

#include "cpucore.h"

// Re-reads cores once a second off the calling thread and swaps the results into the inventory,
// so that the thread that owns the cores (the GUI thread) does no sysfs I/O for a refresh.
//
// A read works on copies of the cores. When it is done, each fresh core replaces the one in the
// inventory, unless the inventory's core changed while it was being read (a write, or a re-read
// after one, happened on the owner's thread): then what was read may predate the write, and the
// next read brings the values instead. A core is also never replaced by a read that began before
// the one that last replaced it.
class Sampler final : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Sampler)

public:
    // cores must outlive the sampler and keep its size; its elements are assigned to, not moved.
    explicit Sampler(std::vector<CPUCore> &cores, QObject *parent = nullptr);
    // Waits for reads still running; their results are dropped.
    ~Sampler() override;

    // Which cores, by index into the inventory, the periodic read covers.
    void setWatched(QVector<int> indices);
    QVector<int> watched() const;
    // Starts or stops the periodic read, whose first read follows one interval later; while stopped
    // nothing is read at all.
    void setActive(bool active);
    bool isActive() const;
    void setInterval(int milliseconds);
    // One read of these cores now, beside the periodic one (a page that has just appeared).
    void sampleNow(const QVector<int> &indices);
    // Whether any read is still running.
    bool busy() const;

signals:
    // These cores were replaced in the inventory by fresh reads.
    void updated(const QVector<int> &indices);

private:
    struct Batch;
    void tick();
    void start(const QVector<int> &indices, bool periodic);
    void deliver(const std::shared_ptr<Batch> &batch);

    std::vector<CPUCore> &cores;
    QThreadPool pool;
    QTimer *timer;
    QVector<int> watchedCores;
    std::vector<quint64> appliedSequence; // per core: the read that last replaced it
    std::vector<CPUCore> lastApplied;     // per core: what that read put in (shares its data)
    quint64 nextSequence = 1;
    int running = 0;
    bool periodicRunning = false;
};
