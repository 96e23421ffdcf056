#pragma once

// A folder of cached pictures, one file per key, kept under a size cap: past the cap the
// files used longest ago go first (each use stamps its file's time). An empty file says
// the object has no picture, so it is not asked for again. Does blocking file work: one
// worker uses it, never the UI thread.

#include <QByteArray>
#include <QString>

#include <optional>

namespace tarvel {

class PictureCache {
public:
    PictureCache(QString folder, qint64 capBytes) : m_folder(std::move(folder)), m_capBytes(capBytes) {}

    const QString &folder() const { return m_folder; }
    QString pathOf(const QString &key) const;
    // The size of the key's file, stamped as just used; nothing when it is not there.
    std::optional<qint64> lookup(const QString &key);
    // Writes the file whole or not at all, then keeps the cap. False when the folder cannot
    // be written: the pictures are then fetched again next time, and nothing else is lost.
    bool store(const QString &key, const QByteArray &bytes);
    // Counts a file someone else put under the key, then keeps the cap.
    void adopt(const QString &key);

private:
    void countOnce();
    void keepCap(const QString &keep);

    QString m_folder;
    qint64 m_capBytes;
    std::optional<qint64> m_bytes; // what the folder holds, counted on first use
};

} // namespace tarvel
