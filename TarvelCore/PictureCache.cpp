#include "TarvelCore/PictureCache.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

#include <fcntl.h>
#include <sys/stat.h>

namespace tarvel {

QString PictureCache::pathOf(const QString &key) const
{
    return QDir(m_folder).filePath(key);
}

void PictureCache::countOnce()
{
    if (m_bytes)
        return;
    QDir().mkpath(m_folder);
    qint64 total = 0;
    for (const QFileInfo &info : QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden))
        total += info.size();
    m_bytes = total;
}

std::optional<qint64> PictureCache::lookup(const QString &key)
{
    countOnce();
    const QByteArray path = QFile::encodeName(pathOf(key));
    // A null time is now: the file was just used.
    if (::utimensat(AT_FDCWD, path.constData(), nullptr, 0) != 0)
        return std::nullopt;
    const QFileInfo info(pathOf(key));
    return info.isFile() ? std::optional(info.size()) : std::nullopt;
}

bool PictureCache::store(const QString &key, const QByteArray &bytes)
{
    countOnce();
    QSaveFile file(pathOf(key));
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return false;
    *m_bytes += bytes.size();
    keepCap(key);
    return true;
}

void PictureCache::adopt(const QString &key)
{
    countOnce();
    *m_bytes += QFileInfo(pathOf(key)).size();
    keepCap(key);
}

// Down to nine tenths of the cap, so that not every new picture sweeps the folder.
void PictureCache::keepCap(const QString &keep)
{
    if (*m_bytes <= m_capBytes)
        return;
    const QFileInfoList files = QDir(m_folder).entryInfoList(QDir::Files | QDir::Hidden, QDir::Time | QDir::Reversed);
    qint64 total = 0;
    for (const QFileInfo &info : files)
        total += info.size();
    for (const QFileInfo &info : files) {
        if (total <= m_capBytes / 10 * 9)
            break;
        if (info.fileName() != keep && QFile::remove(info.filePath()))
            total -= info.size();
    }
    m_bytes = total;
}

} // namespace tarvel
