#pragma once

// What downloads and uploads of many files share: the queue of steps and its counts, the
// control the lane and the window share, runs of ready files handed to the lane as one
// series, what the window shows of them, and the sentence the batch ends in. DownloadBatch
// and UploadBatch each walk their own steps; the view model hosts them. A single transfer
// is a batch of one file that shows the job it was given, and no batch line.

#include "TarvelCore/AndroidFileTransferEngine.h"
#include "TarvelCore/Models.h"
#include "TarvelCore/TransferControl.h"
#include "TarvelCore/TransferQueue.h"
#include "TarvelStore/BatchJournal.h"

#include <QCoro/QCoroTask>
#include <QList>
#include <QSet>
#include <QString>

#include <exception>
#include <memory>
#include <optional>

namespace tarvel {

class ImportStore;
class LocalFiles;

// What the window shows of a running batch: the file in flight, and the batch's counts
// (absent for a single transfer).
struct BatchView {
    std::optional<TransferJob> file = {};
    std::optional<TransferBatch> counts = {};

    friend bool operator==(const BatchView &, const BatchView &) = default;
};

// How a batch ended, for the status line.
struct BatchEnd {
    TarvelConnectionState state = TarvelConnectionState::ready;
    QString sentence = {};
    bool phoneGone = false; // cut short by the phone going away; the host knows whether it is still listed

    friend bool operator==(const BatchEnd &, const BatchEnd &) = default;
};

// What a download does with the files whose names are already taken where they go.
enum class TakenNames {
    skipSame, // skip a file already there with the same name and size; keep both for the rest
    keepBoth, // "name (2).ext" beside what is there
    replace,  // the copy replaces what is there once it is complete
};

// What a batch needs of the view model. A batch calls its host only while the host holds
// it: the host lets go of a batch it no longer shows, and of its batch when it goes away.
class BatchHost {
public:
    virtual std::shared_ptr<AndroidFileTransferEngine> engine() const = 0;
    virtual LocalFiles &localFiles() = 0;
    // A new file in flight, or new counts. The bytes of the file in flight are the host's to
    // read, through Batch::view(), on its own timer.
    virtual void show(const BatchView &view) = 0;
    // The status line while the batch runs.
    virtual void say(QString sentence) = 0;
    // Files arrived in the phone folder `parentID`; the host lists it again if it is shown.
    virtual QCoro::Task<> landedIn(QString storageID, std::optional<QString> parentID) = 0;
    // `count` files of the batch find their names taken in `folderName`: what to do with
    // them, asked once per batch.
    virtual QCoro::Task<TakenNames> whenNamesTaken(int count, QString folderName) = 0;
    // The last call: the host shows the batch no more.
    virtual void end(BatchEnd end) = 0;

protected:
    ~BatchHost() = default;
};

class Batch : public std::enable_shared_from_this<Batch> {
public:
    Batch(const Batch &) = delete;
    Batch &operator=(const Batch &) = delete;
    virtual ~Batch() = default;

    // Runs the steps, then tells the host how the batch ended, unless the host let go of it
    // first. Keeps the batch alive until then.
    QCoro::Task<> run();
    QString startSentence() const;
    // What the window shows now: which file of the series is in flight, and its bytes, as
    // the lane stored them in the control.
    BatchView view();

    // The user's cancel: the batch stops soon and says what it copied.
    void cancel();
    bool isCancelled() const { return m_control->isCancelled(); }
    // The phone was pulled out: the batch stops as for a cancel, and ends in the sentence of
    // a phone that went away, counting only the files whose outcomes say they were copied.
    void unplugged();
    // The host shows it no more: it stops at its next step and never calls the host again.
    void letGo() { m_host = nullptr; }
    // Writes the batch down in `store`'s journal as it goes, under `batch`'s id, phone and
    // destination, its files as the batch learns them, so a batch cut by an unplug, a cancel,
    // a quit or a crash can resume. It is forgotten once every file ended. `begun`: the
    // journal holds it already, as it does a batch that resumes.
    void keepJournal(std::shared_ptr<ImportStore> store, JournalBatch batch, bool begun = false);
    // Finds every file the batch holds (its local folders walked, its phone folders listed)
    // and writes them down, once: before it runs, so one that waits its turn is in the
    // journal and a quit meanwhile does not lose it, or else as it starts. Once it returns
    // before the batch runs, the batch has no use for its host until then.
    QCoro::Task<> lookThrough();
    // The bytes of the files found so far.
    qint64 bytesFound() const { return m_queue.batch().totalBytes; }

protected:
    Batch(BatchHost &host, TransferDirection direction, QString destinationName, QString deviceID, QString storageID);

    // A file of a series: where it goes, as the window names it, and its name on the computer.
    struct SeriesFile {
        int step = 0;
        QString name = {};
        QString folderName = {};
        QString localName = {};
    };

    // Returns when the batch is done, stops, or is let go of.
    virtual QCoro::Task<> steps() = 0;
    // What lookThrough does for this kind of batch.
    virtual QCoro::Task<> findFiles() { co_return; }
    // A file of a series that was copied.
    virtual void copied(const SeriesFile &) {}
    // How the batch ended, for the status line.
    virtual BatchEnd ending() const;
    // How a file step is written down in the journal; nothing for a step that is no file.
    virtual std::optional<JournalFile> journalFile(int) const { return std::nullopt; }
    // The number the journal knows a step's file by.
    virtual int journalNumber(int step) const { return step; }
    // Writes down these steps' files as they are now (a name chosen, a folder placed).
    void journalSteps(const QList<int> &steps);
    // A download written down gathers its bytes in a hidden part named from the batch, so
    // Resume finds it again and goes on from its last byte: the tag for a file of this name
    // (empty when the batch is not written down, or the name is too long to carry a tag), and
    // the part's path beside `localPath`.
    QString partTag(const QString &localName) const;
    QString partPath(const QString &localPath) const;

    // A single transfer: it shows `job` for its one step from the start, and no batch line.
    void showOnly(TransferJob job);
    bool single() const { return m_single; }
    bool attached() const { return m_host != nullptr; }
    BatchHost &host() { return *m_host; }
    // The lane said the phone is gone: nothing more is asked of it.
    void phoneWentAway() { m_phoneGone = true; }
    bool phoneGone() const { return m_phoneGone; }
    // The lane is about to run these files. The batch's first file shows at once; later ones
    // when the host's timer reads the view, so a tree of folders is not redrawn for each.
    void startSeries(QList<SeriesFile> files);
    // Counts how the files that ran ended (`error`: the engine's call itself threw). Returns
    // the last step that ran, or nothing when the batch stops here.
    std::optional<int> endSeries(QList<std::exception_ptr> outcomes, const std::exception_ptr &error);
    void fail(int step, const std::exception_ptr &error, const QString &localName);

    TransferQueue m_queue;
    const std::shared_ptr<AndroidFileTransferEngine> m_engine;
    const std::shared_ptr<TransferControl> m_control = std::make_shared<TransferControl>();
    const QString m_deviceID;
    const QString m_storageID;

private:
    TransferJob jobFor(const SeriesFile &file) const;
    void journalEnded(const QList<int> &steps, JournalFileState state);
    void closeJournal();

    BatchHost *m_host;
    bool m_single = false;
    bool m_cancelled = false; // by the user; an unplug cancels the control too
    bool m_phoneGone = false;
    bool m_lookedThrough = false;
    std::exception_ptr m_failure; // the latest step's failure, the one file's for a single transfer
    QList<SeriesFile> m_series;   // the files the lane runs now; empty between two series
    QList<qint64> m_bytesBefore;  // for each of them, the bytes of those before it
    std::optional<TransferJob> m_job;
    int m_jobStep = -1;
    std::shared_ptr<ImportStore> m_journal; // null: the batch is not written down
    JournalBatch m_journalBatch;
    bool m_journalBegun = false;
    QSet<int> m_journaled; // steps written down
    QSet<int> m_done;      // steps copied
    // The phone failed the file before too: one more failure and it is taken to have
    // stopped answering. The step it failed, to be tried again on Resume then.
    std::optional<int> m_phoneFailed;
    QSet<int> m_retry;     // failed steps Resume tries again
    bool m_stoppedAnswering = false;
};

} // namespace tarvel
