#include "TarvelCore/FileActions.h"

#include "TarvelCore/Attempt.h"
#include "TarvelCore/Sentences.h"

#include <QHash>
#include <QSet>

#include <algorithm>

namespace tarvel {

namespace {

using sentences::NameProblem;

// An object's longest name, in bytes of UTF-8: what the phones' file systems take.
constexpr qsizetype longestName = 255;

// Files go to the lane in runs of at most this many, so the status can count them.
constexpr int deletionRun = 100;

ObjectRequest objectOf(const QString &deviceID, const QString &storageID, const RemoteEntry &entry)
{
    const bool folder = entry.kind == RemoteEntryKind::folder;
    return ObjectRequest{deviceID, storageID, entry.id, entry.name, folder ? std::nullopt : entry.sizeBytes};
}

} // namespace

std::optional<QString> nameProblem(const QString &name, const QList<RemoteEntry> &siblings, const QString &selfID)
{
    if (name.trimmed().isEmpty())
        return sentences::nameProblem(NameProblem::empty, name);
    if (name.contains(QLatin1Char('/')))
        return sentences::nameProblem(NameProblem::slash, name);
    if (name.contains(QChar(0)))
        return sentences::nameProblem(NameProblem::nul, name);
    if (name == QLatin1String(".") || name == QLatin1String(".."))
        return sentences::nameProblem(NameProblem::dots, name);
    if (name.toUtf8().size() > longestName)
        return sentences::nameProblem(NameProblem::tooLong, name);
    for (const RemoteEntry &sibling : siblings) {
        if (sibling.id != selfID && sibling.name.compare(name, Qt::CaseInsensitive) == 0)
            return sentences::nameProblem(sibling.kind == RemoteEntryKind::folder ? NameProblem::takenByFolder
                                                                                  : NameProblem::takenByFile,
                                          sibling.name);
    }
    return std::nullopt;
}

QCoro::Task<DeletionPlan> listForDeletion(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID,
                                          QString storageID, QList<RemoteEntry> items,
                                          std::shared_ptr<TransferControl> control)
{
    QSet<QString> chosen;
    items.removeIf([&](const RemoteEntry &item) {
        const bool again = chosen.contains(item.id);
        chosen.insert(item.id);
        return again;
    });
    // What each folder holds, by its id; a folder is listed once, so a phone that lists a
    // folder inside itself cannot send the walk round in circles.
    QHash<QString, QList<RemoteEntry>> held;
    QList<QString> toList;
    for (const RemoteEntry &item : std::as_const(items)) {
        if (item.kind == RemoteEntryKind::folder && !held.contains(item.id)) {
            held.insert(item.id, {});
            toList.append(item.id);
        }
    }
    while (!toList.isEmpty()) {
        if (control->isCancelled())
            throw TransferError::cancelled();
        QList<DirectoryRequest> requests;
        for (const QString &id : std::as_const(toList))
            requests.append(DirectoryRequest{deviceID, storageID, id});
        auto [listings, error] = co_await attempt(engine->listFolders(std::move(requests), control));
        if (error || listings.isEmpty())
            std::rethrow_exception(error ? error : noResult());
        const qsizetype answered = std::min(listings.size(), toList.size());
        QList<QString> next = toList.mid(answered);
        for (qsizetype k = 0; k < answered; ++k) {
            const auto &[listing, failure] = listings.at(k);
            if (failure)
                std::rethrow_exception(failure);
            held[toList.at(k)] = listing.entries;
            for (const RemoteEntry &entry : listing.entries) {
                if (entry.kind == RemoteEntryKind::folder && !held.contains(entry.id)) {
                    held.insert(entry.id, {});
                    next.append(entry.id);
                }
            }
        }
        toList = next;
    }

    DeletionPlan plan{.deviceID = deviceID, .storageID = storageID, .items = items};
    QSet<QString> placed;
    // Depth first, what a folder holds before the folder.
    const std::function<void(const RemoteEntry &, int, const QString &)> add = [&](const RemoteEntry &entry, int item,
                                                                                 const QString &parentID) {
        if (placed.contains(entry.id))
            return;
        placed.insert(entry.id);
        const bool folder = entry.kind == RemoteEntryKind::folder;
        if (folder) {
            for (const RemoteEntry &inside : held.value(entry.id))
                add(inside, item, entry.id);
            ++plan.folderCount;
        } else {
            ++plan.fileCount;
            plan.bytes += entry.sizeBytes.value_or(0);
        }
        plan.steps.append(DeletionPlan::Step{objectOf(deviceID, storageID, entry), folder, item, parentID});
    };
    for (int i = 0; i < items.size(); ++i)
        add(items.at(i), i, QString());
    co_return plan;
}

QCoro::Task<DeletionOutcome> carryOut(std::shared_ptr<AndroidFileTransferEngine> engine, DeletionPlan plan,
                                      std::shared_ptr<TransferControl> control,
                                      std::function<void(int, int)> progress)
{
    const QList<DeletionPlan::Step> &steps = plan.steps;
    QList<bool> itemDeleted(plan.items.size(), false);
    QSet<QString> kept; // folders that still hold something, and so stay
    std::exception_ptr firstError;
    bool stopped = false;
    for (int i = 0; i < steps.size() && !stopped && !control->isCancelled();) {
        const DeletionPlan::Step &step = steps.at(i);
        if (step.folder && kept.contains(step.object.objectID)) {
            kept.insert(step.parentID);
            ++i;
            continue;
        }
        // A folder goes alone, so it is sent only once all it held is known to be gone:
        // a phone deletes what is left in a folder with it.
        int end = i + 1;
        while (!step.folder && end < steps.size() && end - i < deletionRun && !steps.at(end).folder)
            ++end;
        QList<ObjectRequest> requests;
        for (int j = i; j < end; ++j)
            requests.append(steps.at(j).object);
        auto [outcomes, error] = co_await attempt(engine->deleteObjects(std::move(requests), control));
        if (error || outcomes.isEmpty())
            outcomes = {error ? error : noResult()};
        const int answered = int(std::min<qsizetype>(outcomes.size(), end - i));
        for (int k = 0; k < answered; ++k) {
            const DeletionPlan::Step &done = steps.at(i + k);
            const std::exception_ptr &outcome = outcomes.at(k);
            if (!outcome) {
                if (done.parentID.isEmpty())
                    itemDeleted[done.item] = true;
                continue;
            }
            const auto kind = kindOf(outcome);
            if (kind == TransferError::Kind::disconnected || kind == TransferError::Kind::cancelled)
                stopped = true;
            if (kind != TransferError::Kind::cancelled && !firstError)
                firstError = outcome;
            kept.insert(done.parentID);
        }
        i += answered;
        if (progress)
            progress(i, int(steps.size()));
    }
    DeletionOutcome outcome{.error = firstError};
    for (int i = 0; i < plan.items.size(); ++i)
        (itemDeleted.at(i) ? outcome.deleted : outcome.remaining).append(plan.items.at(i));
    co_return outcome;
}

} // namespace tarvel
