#include "TarvelApp/WindowSettings.h"

#include <QDir>
#include <QFileInfo>
#include <QMetaEnum>
#include <QSettings>
#include <QStandardPaths>

namespace tarvel {

namespace {

// Larger than any screen: a size past it was not written by us.
constexpr int largestSide = 16384;

} // namespace

WindowSettings::WindowSettings(QString filePath) : m_filePath(std::move(filePath)) {}

QString WindowSettings::defaultFilePath()
{
    const QString config = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    return config.isEmpty() ? QString() : config + QStringLiteral("/tarvel/tarvel.conf");
}

// A QSettings per access: Qt keeps the parsed file cached, and a file another run changed
// meanwhile is read again.
QVariant WindowSettings::value(const char *key) const
{
    if (m_filePath.isEmpty())
        return {};
    return QSettings(m_filePath, QSettings::IniFormat).value(QLatin1String(key));
}

void WindowSettings::setValue(const char *key, const QVariant &value) const
{
    // A file that cannot be written keeps its old values: the next run starts as this one did.
    if (!m_filePath.isEmpty())
        QSettings(m_filePath, QSettings::IniFormat).setValue(QLatin1String(key), value);
}

std::optional<QUrl> WindowSettings::folder(const char *key, bool mustExist) const
{
    const QString path = value(key).toString();
    if (path.isEmpty() || !QDir::isAbsolutePath(path) || (mustExist && !QFileInfo(path).isDir()))
        return std::nullopt;
    return QUrl::fromLocalFile(path);
}

void WindowSettings::setFolder(const char *key, const QUrl &folder) const
{
    if (folder.isLocalFile())
        setValue(key, folder.toLocalFile());
}

std::optional<QSize> WindowSettings::windowSize() const
{
    const QSize size = value("window/size").toSize();
    if (size.width() <= 0 || size.height() <= 0 || size.width() > largestSide || size.height() > largestSide)
        return std::nullopt;
    return size;
}

void WindowSettings::setWindowSize(QSize size) const
{
    if (size.isValid())
        setValue("window/size", size);
}

// Kept by the order's name, "date" or "date reversed", so a new order in between the
// others reads the old ones right.
std::optional<WindowSettings::Sort> WindowSettings::sort() const
{
    const QStringList words = value("browser/sort").toString().split(QLatin1Char(' '), Qt::SkipEmptyParts);
    if (words.isEmpty() || words.size() > 2 || (words.size() == 2 && words.at(1) != QLatin1String("reversed")))
        return std::nullopt;
    bool known = false;
    const int order = QMetaEnum::fromType<RemoteEntryListModel::SortOrder>().keyToValue(words.first().toLatin1(), &known);
    if (!known)
        return std::nullopt;
    return Sort{RemoteEntryListModel::SortOrder(order), words.size() == 2};
}

void WindowSettings::setSort(const Sort &sort) const
{
    const QString order = QString::fromLatin1(QMetaEnum::fromType<RemoteEntryListModel::SortOrder>().valueToKey(int(sort.order)));
    setValue("browser/sort", sort.reversed ? order + QStringLiteral(" reversed") : order);
}

bool WindowSettings::showsGrid() const
{
    return value("browser/view").toString() == QLatin1String("grid");
}

void WindowSettings::setShowsGrid(bool grid) const
{
    setValue("browser/view", grid ? QStringLiteral("grid") : QStringLiteral("list"));
}

} // namespace tarvel
