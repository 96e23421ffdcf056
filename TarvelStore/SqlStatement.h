#pragma once

// One SQLite statement, prepared for one use and finalized when it goes out of scope, so no
// early return leaks it. Binding and reading speak Qt's types; an absent value is NULL.

#include <QDateTime>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace tarvel {

class SqlStatement {
public:
    SqlStatement(sqlite3 *db, const char *sql);
    ~SqlStatement();
    SqlStatement(const SqlStatement &) = delete;
    SqlStatement &operator=(const SqlStatement &) = delete;

    // SQLITE_OK, or why it could not be prepared (no such table in a database this build
    // cannot read, say). Binding and stepping a failed statement returns that same code.
    int prepareResult() const { return m_prepared; }

    void bind(int index, const QString &text);
    void bind(int index, std::optional<qint64> number);

    // SQLITE_ROW while there is a row to read, SQLITE_DONE at the end, else the error.
    int step();
    // Back to before the first step with the bindings kept, for the next row to write.
    void reset();

    QString text(int column) const;
    std::optional<qint64> number(int column) const;

private:
    sqlite3_stmt *m_statement = nullptr;
    int m_prepared;
};

// Dates are stored as whole seconds since the epoch, in UTC; an invalid one as NULL.
std::optional<qint64> seconds(const std::optional<QDateTime> &time);
std::optional<QDateTime> fromSeconds(std::optional<qint64> seconds);

} // namespace tarvel
