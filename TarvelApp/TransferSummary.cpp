#include "TarvelApp/TransferSummary.h"

#include "TarvelApp/ByteCountFormat.h"

namespace tarvel {

TransferSummary summarizeTransfer(const TransferJob &job)
{
    const bool download = job.direction == TransferDirection::download;
    TransferSummary summary{
        .title = download ? TransferSummary::tr("Downloading") : TransferSummary::tr("Uploading"),
        .iconName = transferSymbol(job.direction),
        // Where the copy lands: the folder when the job knows it, else the file.
        .routeText = job.sourceName + QStringLiteral(" \u2192 ")
            + (job.destinationFolderName.isEmpty() ? job.destinationName : job.destinationFolderName),
    };
    // Indeterminate until the first bytes have moved.
    if (job.totalBytes && *job.totalBytes >= 1 && job.completedBytes > 0) {
        summary.hasProgress = true;
        summary.progress = double(job.completedBytes) / double(*job.totalBytes);
        summary.bytesText = TransferSummary::tr("%1 of %2").arg(formatByteCount(job.completedBytes), formatByteCount(*job.totalBytes));
    }
    return summary;
}

QString transferSymbol(TransferDirection direction)
{
    return direction == TransferDirection::download ? QStringLiteral("square.and.arrow.down")
                                                    : QStringLiteral("square.and.arrow.up");
}

} // namespace tarvel
