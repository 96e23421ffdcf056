#include "TarvelStore/SqlStatement.h"

#include <sqlite3.h>

namespace tarvel {

SqlStatement::SqlStatement(sqlite3 *db, const char *sql)
    : m_prepared(db ? sqlite3_prepare_v2(db, sql, -1, &m_statement, nullptr) : SQLITE_MISUSE)
{
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_statement); // harmless on null
}

void SqlStatement::bind(int index, const QString &text)
{
    if (!m_statement)
        return;
    const QByteArray utf8 = text.toUtf8();
    sqlite3_bind_text(m_statement, index, utf8.constData(), int(utf8.size()), SQLITE_TRANSIENT);
}

void SqlStatement::bind(int index, std::optional<qint64> number)
{
    if (!m_statement)
        return;
    if (number)
        sqlite3_bind_int64(m_statement, index, *number);
    else
        sqlite3_bind_null(m_statement, index);
}

int SqlStatement::step()
{
    return m_statement ? sqlite3_step(m_statement) : m_prepared;
}

void SqlStatement::reset()
{
    sqlite3_reset(m_statement);
}

QString SqlStatement::text(int column) const
{
    const auto *utf8 = reinterpret_cast<const char *>(sqlite3_column_text(m_statement, column));
    return QString::fromUtf8(utf8, sqlite3_column_bytes(m_statement, column));
}

std::optional<qint64> SqlStatement::number(int column) const
{
    if (sqlite3_column_type(m_statement, column) == SQLITE_NULL)
        return std::nullopt;
    return sqlite3_column_int64(m_statement, column);
}

std::optional<qint64> seconds(const std::optional<QDateTime> &time)
{
    if (!time || !time->isValid())
        return std::nullopt;
    return time->toSecsSinceEpoch();
}

std::optional<QDateTime> fromSeconds(std::optional<qint64> seconds)
{
    if (!seconds)
        return std::nullopt;
    return QDateTime::fromSecsSinceEpoch(*seconds, Qt::UTC);
}

} // namespace tarvel
