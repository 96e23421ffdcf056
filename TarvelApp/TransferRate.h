#pragma once

// Speed and time left of the running transfer, from the byte counts the window samples:
// a rate over the last few seconds, so a stall shows soon and a burst does not mislead.

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QList>
#include <QString>

#include <optional>

namespace tarvel {

class TransferRate {
    Q_DECLARE_TR_FUNCTIONS(tarvel::TransferRate)

public:
    // Starts over for a new transfer.
    void reset();
    // A sample of the bytes moved so far, at `msecs` since any fixed point.
    void add(qint64 msecs, qint64 completedBytes);

    // Bytes a second, once at least a second of moving bytes has been seen.
    std::optional<double> bytesPerSecond() const;
    // "12.3 MB/s · 2 min left", "12.3 MB/s" when nothing is known of the total, or empty
    // while the speed is not yet meaningful.
    QString text(std::optional<qint64> totalBytes) const;

    // "5 s left", "2 min left", "1 h 5 min left".
    static QString timeLeftText(double seconds);

private:
    struct Sample {
        qint64 msecs;
        qint64 bytes;
    };
    QList<Sample> m_samples;
};

} // namespace tarvel
