#include "TarvelApp/TransferSummary.h"

#include "TarvelApp/ByteCountFormat.h"

namespace tarvel {

TransferSummary summarizeTransfer(const TransferJob &job)
{
    const bool download = job.direction == TransferDirection::download;
    TransferSummary summary{
        .title = download ? QStringLiteral("Downloading") : QStringLiteral("Uploading"),
        .iconName = download ? QStringLiteral("square.and.arrow.down") : QStringLiteral("square.and.arrow.up"),
        .routeText = job.sourceName + QStringLiteral(" -> ") + job.destinationName,
    };
    if (job.totalBytes && *job.totalBytes >= 1) {
        summary.hasProgress = true;
        summary.progress = double(job.completedBytes) / double(*job.totalBytes);
        summary.bytesText = formatByteCount(job.completedBytes) + QStringLiteral(" of ") + formatByteCount(*job.totalBytes);
    }
    return summary;
}

} // namespace tarvel
