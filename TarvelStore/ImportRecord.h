#pragma once

// The import record: every file imported or downloaded from a phone, so that the next import
// copies only what is new. A file is known by its phone, its storage and its path there; a
// file is new unless it was recorded under that path with the same size and the same date to
// the second (MTP dates have whole seconds). Object ids are no key: the phone renumbers them
// on every connection.
//
// The record reads and writes through a TarvelDatabase (TarvelDatabase.h says where it lives
// and what each problem means) and shares its thread: every call blocks, so run it off the UI
// thread. What the UI thread does is ImportedFiles::isNew, one hash lookup per file.

#include "TarvelStore/TarvelDatabase.h"

#include <QDateTime>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace tarvel {

// Which phone and which of its storages a file came from.
struct PhoneKey {
    QString phone;
    QString storage;
    // Made without a serial, so two phones of one model look alike: the window says this
    // import may copy some files twice.
    bool guessed = false;

    // From the phone's USB serial and the storage's id. Without a serial (or with the
    // placeholder cheap phones share), from the model and the storage's description.
    static PhoneKey of(const QString &serial, const QString &model, const QString &storageID,
                       const QString &storageDescription);

    friend bool operator==(const PhoneKey &, const PhoneKey &) = default;
};

// A file as the phone described it when it was recorded. Absent means the phone did not say.
struct RecordedFile {
    std::optional<qint64> sizeBytes = {};
    std::optional<QDateTime> modifiedAt = {};

    friend bool operator==(const RecordedFile &, const RecordedFile &) = default;
};

// One file copied from the phone. `path` runs from the storage's root with '/' between
// folders, in the phone's own spelling.
struct ImportedFile {
    QString path = {};
    std::optional<qint64> sizeBytes = {};
    std::optional<QDateTime> modifiedAt = {};
    QString localPath = {};

    friend bool operator==(const ImportedFile &, const ImportedFile &) = default;
};

// Everything recorded for one phone and storage, read at once so that deciding is a lookup.
struct ImportedFiles {
    QHash<QString, RecordedFile> byPath = {};
    // Why nothing could be read; every file then counts as new.
    StoreProblem problem = StoreProblem::none;

    // Cheap enough for the UI thread: 5,000 files take about a millisecond.
    bool isNew(const QString &path, std::optional<qint64> sizeBytes, std::optional<QDateTime> modifiedAt) const;
};

class ImportRecord {
public:
    // The database must outlive the record.
    explicit ImportRecord(TarvelDatabase &database) : m_database(database) {}

    // One query for the whole phone and storage, files later deleted from the phone included
    // (one that comes back unchanged was imported already).
    ImportedFiles importedFiles(const PhoneKey &key) const;

    // All of `files` or none, in one transaction; a file recorded before is replaced. Call it
    // as files finish (one or a few at a time), so a full disk or a pulled plug keeps every
    // file finished before it. Record a file only once its copy is in place and flushed to
    // disk: an entry must never outlive the copy it vouches for.
    StoreProblem recordImported(const PhoneKey &key, const QList<ImportedFile> &files);

    // Files deleted from the phone after they were imported: the entries stay, marked, so the
    // history does. Paths never recorded are passed over.
    StoreProblem recordDeleted(const PhoneKey &key, const QStringList &paths);

private:
    TarvelDatabase &m_database;
};

} // namespace tarvel
