#pragma once

// The phone the window tests talk to: one device, a storage with 10 GB free of 64 GB,
// and a small tree of folders and files.

#include "TarvelCore/AndroidFileTransferEngine.h"

namespace tarvel::test {

inline RemoteEntry folder(QString id, QString name, std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::folder};
}

inline RemoteEntry file(QString id, QString name, std::optional<qint64> size = std::nullopt,
                        std::optional<QString> parent = std::nullopt)
{
    return {.id = id, .name = name, .parentID = parent, .kind = RemoteEntryKind::file, .sizeBytes = size};
}

namespace phone {

inline const AndroidDevice pixel{"mtp-1-2-18d1-4ee1", "Pixel 8", 0x18d1, 0x4ee1};
inline const AndroidStorage internal{"65537", "Internal shared storage", 64'000'000'000, 10'000'000'000};
inline const RemoteEntry dcim = folder("10", "DCIM");
inline const RemoteEntry camera = folder("11", "Camera", "10");
inline const RemoteEntry music = folder("30", "Music");
inline const RemoteEntry photo = file("40", "photo.jpg", 2'000'000);
inline const RemoteEntry notes = file("41", "notes.txt");

inline void script(FakeAndroidFileTransferEngine &engine)
{
    engine.devicesToReturn = {pixel};
    engine.storagesToReturn = {internal};
    engine.entriesByParentID = {
        {"", {dcim, music, photo, notes}},
        {"10", {camera}},
        {"11", {file("42", "IMG_1.jpg", 3'500'000, "11")}},
        {"30", {}},
    };
}

} // namespace phone
} // namespace tarvel::test
