#pragma once

// Readable gtest failure output for the records and Qt values the tests compare.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/PhoneDiagnosis.h"

#include <QString>
#include <QUrl>

#include <ostream>

inline void PrintTo(const QString &text, std::ostream *os) { *os << '"' << text.toStdString() << '"'; }
inline void PrintTo(const QUrl &url, std::ostream *os) { *os << url.toString().toStdString(); }

namespace tarvel {

template <typename T>
void printOptional(const std::optional<T> &value, std::ostream *os)
{
    if (value)
        *os << *value;
    else
        *os << "absent";
}

inline void printOptional(const std::optional<QString> &value, std::ostream *os)
{
    *os << (value ? '"' + value->toStdString() + '"' : std::string("absent"));
}

inline void PrintTo(const AndroidDevice &d, std::ostream *os)
{
    *os << "AndroidDevice{" << d.id.toStdString() << ", " << d.name.toStdString() << "}";
}

inline void PrintTo(const AndroidStorage &s, std::ostream *os)
{
    *os << "AndroidStorage{" << s.id.toStdString() << ", " << s.name.toStdString() << ", ";
    printOptional(s.capacityBytes, os);
    *os << ", ";
    printOptional(s.freeBytes, os);
    *os << "}";
}

inline void PrintTo(const RemoteEntry &e, std::ostream *os)
{
    *os << "RemoteEntry{" << e.id.toStdString() << ", " << e.name.toStdString() << ", parent ";
    printOptional(e.parentID, os);
    *os << (e.kind == RemoteEntryKind::folder ? ", folder, " : ", file, ");
    printOptional(e.sizeBytes, os);
    *os << "}";
}

inline void PrintTo(const TransferJob &j, std::ostream *os)
{
    *os << "TransferJob{" << (j.direction == TransferDirection::download ? "download " : "upload ")
        << j.sourceName.toStdString() << " -> " << j.destinationName.toStdString() << "}";
}

inline void PrintTo(const DirectoryRequest &r, std::ostream *os)
{
    *os << "DirectoryRequest{" << r.deviceID.toStdString() << ", " << r.storageID.toStdString() << ", ";
    printOptional(r.parentID, os);
    *os << "}";
}

inline void PrintTo(const TransferError &e, std::ostream *os) { *os << "TransferError{" << e.what() << "}"; }

inline void PrintTo(const USBPhoneReport &r, std::ostream *os)
{
    *os << "USBPhoneReport{bus " << r.address.busNumber << " dev " << r.address.deviceNumber << ", "
        << r.product.toStdString() << ", " << (r.problem ? r.problem->what() : "no problem") << "}";
}

inline void PrintTo(const TarvelConnectionState &s, std::ostream *os)
{
    static const char *names[] = {"noDevice", "deviceUnavailable", "ready", "loadingDirectory", "transferring", "transferFailed"};
    *os << names[static_cast<int>(s)];
}

} // namespace tarvel
