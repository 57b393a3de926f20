// SPDX-License-Identifier: GPL-3.0-or-later
#include "sampler.h"

#include <algorithm>

namespace
{

bool samePolicy(const CPUPolicy &a, const CPUPolicy &b)
{
    return a.name == b.name && a.value == b.value && a.readable == b.readable && a.writable == b.writable
           && a.readError == b.readError;
}

// Whether now still holds what was handed to the read as before.
bool unchangedSince(const CPUCore &now, const CPUCore &before)
{
    if (now.isEnabled() != before.isEnabled())
        return false;
    // Untouched maps still share their data with the copy taken for the read.
    if (now.policies.isSharedWith(before.policies))
        return true;
    if (now.policies.size() != before.policies.size())
        return false;
    return std::equal(now.policies.cbegin(), now.policies.cend(), before.policies.cbegin(), samePolicy);
}

} // namespace

struct Sampler::Batch {
    quint64 sequence = 0;
    bool periodic = false;
    QVector<int> indices;
    std::vector<CPUCore> before;         // the inventory's cores when the read began
    std::vector<quint64> appliedAtStart; // and the reads that had last replaced them
    std::vector<CPUCore> fresh;          // copies of them, re-read by the worker
};

Sampler::Sampler(std::vector<CPUCore> &cores, QObject *parent)
    : QObject(parent)
    , cores(cores)
    , timer(new QTimer(this))
    , appliedSequence(cores.size(), 0)
    , lastApplied(cores.size())
{
    // One thread for the periodic read and one for a page that has just appeared.
    pool.setMaxThreadCount(2);
    pool.setExpiryTimeout(-1);
    timer->setInterval(1000);
    connect(timer, &QTimer::timeout, this, &Sampler::tick);
}

Sampler::~Sampler()
{
    pool.waitForDone();
}

void Sampler::setWatched(QVector<int> indices)
{
    watchedCores = std::move(indices);
}

QVector<int> Sampler::watched() const
{
    return watchedCores;
}

void Sampler::setActive(bool active)
{
    if (active == timer->isActive())
        return;
    if (active)
        timer->start();
    else
        timer->stop();
}

bool Sampler::isActive() const
{
    return timer->isActive();
}

void Sampler::setInterval(int milliseconds)
{
    timer->setInterval(milliseconds);
}

void Sampler::sampleNow(const QVector<int> &indices)
{
    start(indices, false);
}

bool Sampler::busy() const
{
    return running > 0;
}

void Sampler::tick()
{
    // A read slower than the interval (old kernels sleep in every current-frequency read) is not
    // stacked up behind: the next one starts with the first tick after it ends.
    if (!periodicRunning)
        start(watchedCores, true);
}

void Sampler::start(const QVector<int> &indices, bool periodic)
{
    auto batch = std::make_shared<Batch>();
    batch->sequence = nextSequence++;
    batch->periodic = periodic;
    for (int index : indices) {
        if (index < 0 || static_cast<size_t>(index) >= cores.size())
            continue;
        batch->indices.append(index);
        batch->before.push_back(cores[static_cast<size_t>(index)]);
        batch->appliedAtStart.push_back(appliedSequence[static_cast<size_t>(index)]);
    }
    if (batch->indices.isEmpty())
        return;
    batch->fresh = batch->before;
    ++running;
    periodicRunning = periodicRunning || periodic;
    pool.start([this, batch] {
        for (CPUCore &core : batch->fresh)
            core.update();
        QMetaObject::invokeMethod(
            this, [this, batch] { deliver(batch); }, Qt::QueuedConnection);
    });
}

void Sampler::deliver(const std::shared_ptr<Batch> &batch)
{
    --running;
    if (batch->periodic)
        periodicRunning = false;
    QVector<int> replaced;
    for (int k = 0; k < batch->indices.size(); ++k) {
        const auto index = static_cast<size_t>(batch->indices[k]);
        const auto slot = static_cast<size_t>(k);
        if (batch->sequence < appliedSequence[index])
            continue;
        // Another read may have replaced the core meanwhile; then that is the state to compare with.
        const bool replacedMeanwhile = appliedSequence[index] != batch->appliedAtStart[slot];
        if (!unchangedSince(cores[index], replacedMeanwhile ? lastApplied[index] : batch->before[slot]))
            continue;
        cores[index] = std::move(batch->fresh[slot]);
        lastApplied[index] = cores[index];
        appliedSequence[index] = batch->sequence;
        replaced.append(batch->indices[k]);
    }
    if (!replaced.isEmpty())
        emit updated(replaced);
}
