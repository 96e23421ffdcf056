#pragma once

// An import's copies: the files the plan chose, each into its month folder (made on the
// computer as needed) under its own name, or a free one when a different file has it,
// keeping the phone's date. Every file copied is written to the import record as its
// series ends, so a full disk or a pulled plug keeps the record of all that landed before.

#include "TarvelCore/Batch.h"
#include "TarvelCore/ImportPlan.h"
#include "TarvelCore/ImportStore.h"

#include <QHash>

namespace tarvel {

// A file the import copied: where it came from, and where it is now.
struct ImportedCopy {
    ImportCandidate file = {};
    QString localPath = {};

    friend bool operator==(const ImportedCopy &, const ImportedCopy &) = default;
};

class ImportBatch : public Batch {
public:
    // `keys` names each storage's phone key, by storage id.
    ImportBatch(BatchHost &host, QString deviceID, ImportPlan plan, QHash<QString, PhoneKey> keys,
                std::shared_ptr<ImportStore> store);

    const QList<ImportedCopy> &copies() const { return m_copies; }
    // Why what was copied could not be remembered; none when it was.
    StoreProblem storeProblem() const { return m_storeProblem; }

protected:
    QCoro::Task<> steps() override;
    void copied(const SeriesFile &file) override;
    BatchEnd ending() const override;
    std::optional<JournalFile> journalFile(int step) const override;

private:
    QCoro::Task<bool> place();
    QCoro::Task<std::optional<int>> copyFrom(int step);
    QCoro::Task<> remember();

    const ImportPlan m_plan;
    const QHash<QString, PhoneKey> m_keys;
    const std::shared_ptr<ImportStore> m_store;
    QStringList m_folders;               // each step's local folder, once placed
    QList<ImportedCopy> m_copies;
    qsizetype m_remembered = 0;          // copies written to the record so far
    StoreProblem m_storeProblem = StoreProblem::none;
};

} // namespace tarvel
