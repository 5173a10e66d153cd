// SPDX-License-Identifier: MIT
#pragma once

#include <QThread>
#include <QtGlobal>

#include <condition_variable>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace report {

// Worker threads for an OrderedWork: one per core, none on a machine of one core, where
// working ahead gains nothing, and no more than four: beyond that the thread taking the
// results is what limits, and every worker adds results held in memory.
inline int workerThreads()
{
    const int cores = QThread::idealThreadCount();
    return cores > 1 ? qMin(cores, 4) : 0;
}

// How far ahead of the result in hand they work: enough to keep every worker busy.
inline qsizetype workWindow()
{
    return 2 * qsizetype(workerThreads()) + 2;
}

// Makes `make(0)`, `make(1)` ... on worker threads and hands the results over in that order,
// so that what comes out does not depend on which thread was quicker. The workers stay at most
// `window` results ahead of the one taken last, and start no result while those made and not
// yet taken hold `budget` bytes or more (as `weigh` counts them): what is held stays bounded in
// bytes however many there are and however large each is, beyond the one each worker is making.
// Without workers (a machine of one core) each result is made when it is taken.
// `make` must touch nothing that the taking thread changes meanwhile.
//
// Built on the standard library's threads and locks rather than Qt's, so that a race detector
// sees every hand-over: Qt's own waits happen inside a library it cannot look into.
template<typename T>
class OrderedWork
{
public:
    using Weigh = std::function<qint64(const T &)>;

    OrderedWork(qsizetype count, std::function<T(qsizetype)> make, int workers, qsizetype window,
                Weigh weigh = {}, qint64 budget = std::numeric_limits<qint64>::max())
        : make_(std::move(make))
        , weigh_(std::move(weigh))
        , done_(std::size_t(count))
        , weights_(std::size_t(count), 0)
        , count_(count)
        , window_(qMax<qsizetype>(window, 1))
        , budget_(qMax<qint64>(budget, 1))
    {
        for (int w = 0; w < workers && count > 1; ++w)
            threads_.emplace_back([this] { work(); });
    }

    OrderedWork(const OrderedWork &) = delete;
    OrderedWork &operator=(const OrderedWork &) = delete;

    // Results not taken are dropped; a result being made is waited for.
    ~OrderedWork()
    {
        {
            const std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        roomMade_.notify_all();
        for (std::thread &thread : threads_)
            thread.join();
    }

    // The results in order: 0, 1, 2 ...
    T take(qsizetype i)
    {
        if (threads_.empty())
            return make_(i);
        std::unique_lock lock(mutex_);
        resultMade_.wait(lock, [&] { return done_[std::size_t(i)].has_value(); });
        T result = std::move(*done_[std::size_t(i)]);
        done_[std::size_t(i)].reset();
        held_ -= weights_[std::size_t(i)];
        taken_ = i + 1;
        lock.unlock();
        roomMade_.notify_all(); // the bytes given back may let more than one worker start
        return result;
    }

    // The bytes held by results made and not yet taken, for tests.
    qint64 heldBytes() const
    {
        const std::lock_guard lock(mutex_);
        return held_;
    }

private:
    bool roomForNext() const { return next_ < taken_ + window_ && held_ < budget_; }

    void work()
    {
        for (;;) {
            qsizetype i = 0;
            {
                std::unique_lock lock(mutex_);
                roomMade_.wait(lock, [&] { return stopping_ || next_ >= count_ || roomForNext(); });
                if (stopping_ || next_ >= count_)
                    return;
                i = next_++;
            }
            T result = make_(i);
            const qint64 weight = weigh_ ? weigh_(result) : 0;
            {
                const std::lock_guard lock(mutex_);
                done_[std::size_t(i)] = std::move(result);
                weights_[std::size_t(i)] = weight;
                held_ += weight;
            }
            resultMade_.notify_one(); // only the taker waits for results
        }
    }

    std::function<T(qsizetype)> make_;
    Weigh weigh_;
    std::vector<std::optional<T>> done_;
    std::vector<qint64> weights_;
    qsizetype count_;
    qsizetype window_;
    qint64 budget_;
    qsizetype next_ = 0;
    qsizetype taken_ = 0;
    qint64 held_ = 0;
    bool stopping_ = false;
    mutable std::mutex mutex_;
    std::condition_variable roomMade_;
    std::condition_variable resultMade_;
    std::vector<std::thread> threads_;
};

} // namespace report
