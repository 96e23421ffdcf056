#pragma once

#include <QString>

namespace tarvel {

// Every size the window shows, in decimal units (1 KB = 1000 bytes) limited to KB, MB
// and GB: "Zero KB", "1 KB" for anything under a kilobyte, "12 KB", "1.2 MB", "1.23 GB",
// "1,500 GB", with the default locale's digits ("1,2 MB", "1.500 GB" in German). Rounds to the nearest shown digit and moves up a unit when that reaches 1000.
QString formatByteCount(qint64 bytes);

} // namespace tarvel
