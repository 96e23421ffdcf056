#pragma once

// What the right pane shows for the running transfer.

#include "TarvelCore/Models.h"

#include <QCoreApplication>
#include <QString>

namespace tarvel {

struct TransferSummary {
    Q_DECLARE_TR_FUNCTIONS(tarvel::TransferSummary)

public:
    QString title = {};    // "Downloading" or "Uploading"
    QString iconName = {}; // symbol name
    QString routeText = {}; // source \u2192 destination folder (or file)
    // Determinate only once bytes have moved towards a known positive total; the byte text
    // is empty otherwise.
    bool hasProgress = false;
    double progress = 0;
    QString bytesText = {};

    friend bool operator==(const TransferSummary &, const TransferSummary &) = default;
};

TransferSummary summarizeTransfer(const TransferJob &job);
// The arrow of a direction: down for a download, up for an upload.
QString transferSymbol(TransferDirection direction);

} // namespace tarvel
