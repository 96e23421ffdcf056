#pragma once

// What the UI thread and the lane share about one running transfer: the lane stores
// byte counts and reads the cancel flag; the UI thread samples the counts on a timer
// and raises the flag. Atomics only, so neither side ever waits for the other.

#include <QtGlobal>

#include <atomic>
#include <optional>

namespace tarvel {

class TransferControl {
public:
    // From the lane, as often as it likes; a total below 1 means not known yet.
    void setProgress(qint64 completed, qint64 total)
    {
        m_total.store(total, std::memory_order_relaxed);
        m_completed.store(completed, std::memory_order_relaxed);
    }

    qint64 completedBytes() const { return m_completed.load(std::memory_order_relaxed); }
    std::optional<qint64> totalBytes() const
    {
        const qint64 total = m_total.load(std::memory_order_relaxed);
        return total >= 1 ? std::optional(total) : std::nullopt;
    }

    // A series of files copied in one lane job: the lane says which of them is in flight,
    // counting from 0, after it has set that file's counts to nothing. The files before it
    // have ended; the window reads from here which file to show, never from its own guess.
    void setFileInSeries(int index) { m_fileInSeries.store(index, std::memory_order_release); }
    int fileInSeries() const { return m_fileInSeries.load(std::memory_order_acquire); }

    void cancel() { m_cancelled.store(true, std::memory_order_relaxed); }
    bool isCancelled() const { return m_cancelled.load(std::memory_order_relaxed); }

private:
    std::atomic<qint64> m_completed{0};
    std::atomic<qint64> m_total{0};
    std::atomic<bool> m_cancelled{false};
    std::atomic<int> m_fileInSeries{0};
};

} // namespace tarvel
