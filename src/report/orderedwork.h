// SPDX-License-Identifier: MIT
#pragma once

#include <QMutex>
#include <QThread>
#include <QWaitCondition>

#include <functional>
#include <memory>
#include <optional>
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
// `window` results ahead of the one taken last: what is held stays bounded however many there
// are. Without workers (a machine of one core) each result is made when it is taken.
// `make` must touch nothing that the taking thread changes meanwhile.
template<typename T>
class OrderedWork
{
public:
    OrderedWork(qsizetype count, std::function<T(qsizetype)> make, int workers, qsizetype window)
        : make_(std::move(make))
        , done_(std::size_t(count))
        , count_(count)
        , window_(qMax<qsizetype>(window, 1))
    {
        for (int w = 0; w < workers && count > 1; ++w) {
            threads_.emplace_back(QThread::create([this] { work(); }));
            threads_.back()->start();
        }
    }

    OrderedWork(const OrderedWork &) = delete;
    OrderedWork &operator=(const OrderedWork &) = delete;

    // Results not taken are dropped; a result being made is waited for.
    ~OrderedWork()
    {
        {
            const QMutexLocker lock(&mutex_);
            stopping_ = true;
            roomMade_.wakeAll();
        }
        for (const auto &thread : threads_)
            thread->wait();
    }

    // The results in order: 0, 1, 2 ...
    T take(qsizetype i)
    {
        if (threads_.empty())
            return make_(i);
        QMutexLocker lock(&mutex_);
        while (!done_[std::size_t(i)])
            resultMade_.wait(&mutex_);
        T result = std::move(*done_[std::size_t(i)]);
        done_[std::size_t(i)].reset();
        taken_ = i + 1;
        roomMade_.wakeOne(); // room for one more
        return result;
    }

private:
    void work()
    {
        for (;;) {
            qsizetype i = 0;
            {
                QMutexLocker lock(&mutex_);
                while (!stopping_ && next_ < count_ && next_ >= taken_ + window_)
                    roomMade_.wait(&mutex_);
                if (stopping_ || next_ >= count_)
                    return;
                i = next_++;
            }
            T result = make_(i);
            const QMutexLocker lock(&mutex_);
            done_[std::size_t(i)] = std::move(result);
            resultMade_.wakeOne(); // only the taker waits for results
        }
    }

    std::function<T(qsizetype)> make_;
    std::vector<std::optional<T>> done_;
    qsizetype count_;
    qsizetype window_;
    qsizetype next_ = 0;
    qsizetype taken_ = 0;
    bool stopping_ = false;
    QMutex mutex_;
    QWaitCondition roomMade_;
    QWaitCondition resultMade_;
    std::vector<std::unique_ptr<QThread>> threads_;
};

} // namespace report
