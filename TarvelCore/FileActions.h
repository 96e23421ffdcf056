#pragma once

// Changes to the phone's files that the user asks for: the checks a new name passes
// before anything is sent, and deleting files and folders with everything in them. A
// phone answers a taken name with a bare error and has no trash, so names are checked
// here, and a folder is emptied one object at a time, each still the one listed, and
// kept when anything in it could not be deleted.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/TransferControl.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QString>

#include <exception>
#include <functional>
#include <memory>
#include <optional>

namespace tarvel {

// Why `name` cannot name an object in a folder that holds `siblings`, as the sentence the
// user reads; nothing when it can. The object being renamed (`selfID`) does not count as
// taking its own name, so a change of case alone is allowed. Names are compared without
// case: phones' storage mostly ignores it.
std::optional<QString> nameProblem(const QString &name, const QList<RemoteEntry> &siblings,
                                   const QString &selfID = QString());

// Everything a deletion removes, as listed on the phone: what a folder holds comes before
// the folder.
struct DeletionPlan {
    struct Step {
        ObjectRequest object = {};
        bool folder = false;
        int item = 0;      // the chosen entry it belongs to
        QString parentID = {}; // the folder it is in; empty for a chosen entry
    };
    QString deviceID = {};
    QString storageID = {};
    QList<RemoteEntry> items = {}; // as chosen
    QList<Step> steps = {};
    int fileCount = 0;        // chosen files and the files in chosen folders
    int folderCount = 0;
    qint64 bytes = 0;
};

struct DeletionOutcome {
    QList<RemoteEntry> deleted = {};   // chosen entries gone with all they held
    QList<RemoteEntry> remaining = {}; // chosen entries still on the phone, whole or in part
    std::exception_ptr error = {};     // why the first of them stayed
};

// Lists every folder among the items to its bottom, a run of folders at a time. Throws
// what the first folder that could not be listed failed with, and cancelled once
// `control` is.
QCoro::Task<DeletionPlan> listForDeletion(std::shared_ptr<AndroidFileTransferEngine> engine, QString deviceID,
                                          QString storageID, QList<RemoteEntry> items,
                                          std::shared_ptr<TransferControl> control);

// Deletes the plan's steps in order: files in runs, each folder on its own once all it
// held is gone. A folder that still holds anything stays, and so does every folder above
// it. Stops at the phone going away or `control` being cancelled. `progress` hears, after
// each run, how many of the steps have ended.
QCoro::Task<DeletionOutcome> carryOut(std::shared_ptr<AndroidFileTransferEngine> engine, DeletionPlan plan,
                                      std::shared_ptr<TransferControl> control,
                                      std::function<void(int done, int total)> progress);

} // namespace tarvel
