#include "TarvelStore/ImportRecord.h"

#include "TarvelStore/SqlStatement.h"

#include <sqlite3.h>

namespace tarvel {

namespace {

// Many cheap phones report this instead of a serial of their own.
const auto placeholderSerial = QStringLiteral("0123456789ABCDEF");

void bindKey(SqlStatement &statement, const PhoneKey &key)
{
    statement.bind(1, key.phone);
    statement.bind(2, key.storage);
}

} // namespace

PhoneKey PhoneKey::of(const QString &serial, const QString &model, const QString &storageID,
                      const QString &storageDescription)
{
    const QString trimmed = serial.trimmed();
    if (trimmed.isEmpty() || trimmed.compare(placeholderSerial, Qt::CaseInsensitive) == 0)
        return {QStringLiteral("model:") + model.trimmed(), storageDescription, true};
    // The id rather than the description, which changes with the phone's language.
    return {QStringLiteral("serial:") + trimmed, storageID, false};
}

bool ImportedFiles::isNew(const QString &path, std::optional<qint64> sizeBytes,
                          std::optional<QDateTime> modifiedAt) const
{
    const auto found = byPath.constFind(path);
    return found == byPath.cend() || found->sizeBytes != sizeBytes || seconds(found->modifiedAt) != seconds(modifiedAt);
}

ImportedFiles ImportRecord::importedFiles(const PhoneKey &key) const
{
    if (!m_database.canRead())
        return {{}, m_database.problem() == StoreProblem::none ? StoreProblem::unavailable : m_database.problem()};
    SqlStatement select(m_database.handle(),
                        "SELECT path, size, modified FROM imported_file WHERE phone = ?1 AND storage = ?2");
    bindKey(select, key);
    ImportedFiles files;
    int result;
    while ((result = select.step()) == SQLITE_ROW)
        files.byPath.insert(select.text(0), {select.number(1), fromSeconds(select.number(2))});
    if (result != SQLITE_DONE) {
        // A newer Tarvel may have changed what this build reads.
        const bool newer = m_database.problem() == StoreProblem::newerSchema;
        return {{}, newer ? StoreProblem::newerSchema : TarvelDatabase::problemOf(result)};
    }
    return files;
}

StoreProblem ImportRecord::recordImported(const PhoneKey &key, const QList<ImportedFile> &files)
{
    return m_database.write([&] {
        SqlStatement insert(m_database.handle(),
                            "INSERT INTO imported_file (phone, storage, path, size, modified, local_path, imported_at)"
                            " VALUES (?1, ?2, ?3, ?4, ?5, ?6, ?7)"
                            " ON CONFLICT (phone, storage, path) DO UPDATE SET size = excluded.size,"
                            " modified = excluded.modified, local_path = excluded.local_path,"
                            " imported_at = excluded.imported_at, deleted_at = NULL");
        bindKey(insert, key);
        insert.bind(7, QDateTime::currentSecsSinceEpoch());
        int result = insert.prepareResult();
        for (const ImportedFile &file : files) {
            insert.bind(3, file.path);
            insert.bind(4, file.sizeBytes);
            insert.bind(5, seconds(file.modifiedAt));
            insert.bind(6, file.localPath);
            if ((result = insert.step()) != SQLITE_DONE)
                break;
            insert.reset();
        }
        return result;
    });
}

StoreProblem ImportRecord::recordDeleted(const PhoneKey &key, const QStringList &paths)
{
    return m_database.write([&] {
        SqlStatement mark(m_database.handle(),
                          "UPDATE imported_file SET deleted_at = ?4 WHERE phone = ?1 AND storage = ?2 AND path = ?3");
        bindKey(mark, key);
        mark.bind(4, QDateTime::currentSecsSinceEpoch());
        int result = mark.prepareResult();
        for (const QString &path : paths) {
            mark.bind(3, path);
            if ((result = mark.step()) != SQLITE_DONE)
                break;
            mark.reset();
        }
        return result;
    });
}

} // namespace tarvel
