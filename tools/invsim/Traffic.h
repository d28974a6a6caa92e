// What a simulated device received (frames or commands, in order) and how many bytes it sent,
// with waits for both; a callback sees each record as it arrives (the program's --log).
#pragma once

#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <vector>

namespace invsim {

template <typename Record>
class Traffic {
public:
    // Keeps a record, wakes the waits and calls the callback (on the caller's thread, outside
    // the lock, so that it may take its time).
    void Add(const Record& record)
    {
        std::function<void(const Record&)> onRecord;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            records_.push_back(record);
            onRecord = onRecord_;
        }
        cv_.notify_all();
        if (onRecord)
            onRecord(record);
    }
    std::vector<Record> Records() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return records_;
    }
    void Clear()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        records_.clear();
    }
    // Waits until at least n records were kept; false on time-out or when the device stopped.
    bool WaitForRecords(std::size_t n, int timeoutMs) const
    {
        return WaitUntil(timeoutMs, [&] { return records_.size() >= n; });
    }
    void OnRecord(std::function<void(const Record&)> f)
    {
        std::lock_guard<std::mutex> lock(mutex_);
        onRecord_ = std::move(f);
    }

    void AddSent(std::size_t n)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            sent_ += n;
        }
        cv_.notify_all();
    }
    std::size_t Sent() const
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return sent_;
    }
    // Waits until at least n bytes were sent; false on time-out or when the device stopped.
    bool WaitForSent(std::size_t n, int timeoutMs) const
    {
        return WaitUntil(timeoutMs, [&] { return sent_ >= n; });
    }

    // A stopped device receives nothing more: the waits end at once.
    void SetStopped(bool stopped)
    {
        {
            std::lock_guard<std::mutex> lock(mutex_);
            stopped_ = stopped;
        }
        cv_.notify_all();
    }

private:
    template <typename Done>
    bool WaitUntil(int timeoutMs, Done done) const
    {
        std::unique_lock<std::mutex> lock(mutex_);
        return cv_.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] { return done() || stopped_; }) && done();
    }

    mutable std::mutex mutex_;
    mutable std::condition_variable cv_;
    std::vector<Record> records_;
    std::function<void(const Record&)> onRecord_;
    std::size_t sent_ = 0;
    bool stopped_ = false;
};

} // namespace invsim
