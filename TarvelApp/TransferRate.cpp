#include "TarvelApp/TransferRate.h"

#include "TarvelApp/ByteCountFormat.h"

#include <cmath>

namespace tarvel {

namespace {
constexpr qint64 windowMs = 5000;
constexpr qint64 meaningfulMs = 1000;
} // namespace

void TransferRate::reset()
{
    m_samples.clear();
}

void TransferRate::add(qint64 msecs, qint64 completedBytes)
{
    // Until the first bytes move the clock has not started: a transfer waiting for the
    // lane or for the phone is not a slow one.
    if (completedBytes <= 0)
        return;
    m_samples.append({msecs, completedBytes});
    while (m_samples.size() > 2 && msecs - m_samples.at(1).msecs >= windowMs)
        m_samples.removeFirst();
}

std::optional<double> TransferRate::bytesPerSecond() const
{
    if (m_samples.size() < 2)
        return std::nullopt;
    const Sample &first = m_samples.first();
    const Sample &last = m_samples.last();
    if (last.msecs - first.msecs < meaningfulMs)
        return std::nullopt;
    return double(last.bytes - first.bytes) * 1000.0 / double(last.msecs - first.msecs);
}

QString TransferRate::text(std::optional<qint64> totalBytes) const
{
    const std::optional<double> rate = bytesPerSecond();
    if (!rate)
        return {};
    QString text = tr("%1/s").arg(formatByteCount(qint64(*rate)));
    if (totalBytes && *rate > 0)
        text += QStringLiteral(" · ") + timeLeftText(double(*totalBytes - m_samples.last().bytes) / *rate);
    return text;
}

QString TransferRate::timeLeftText(double seconds)
{
    const qint64 whole = qint64(std::ceil(std::max(seconds, 1.0)));
    if (whole < 60)
        return tr("%1 s left").arg(whole);
    const qint64 minutes = (whole + 59) / 60;
    if (minutes < 60)
        return tr("%1 min left").arg(minutes);
    return tr("%1 h %2 min left").arg(minutes / 60).arg(minutes % 60);
}

} // namespace tarvel
