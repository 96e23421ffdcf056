#pragma once

// The larger picture over the listing: Space on an image opens it, Left and Right go
// through the folder's pictures in the rows' order, Escape closes it. The file is read
// whole into the preview cache (up to sizeLimitBytes; one whose size the phone did not say,
// only that far) as an operation of the user's own, so thumbnails wait for it; moving on or
// closing stops a read in flight.

#include "TarvelApp/RemoteEntryListModel.h"
#include "TarvelApp/ThumbnailPresenter.h"
#include "TarvelCore/SerialWorker.h"
#include "TarvelCore/TarvelViewModel.h"

#include <QObject>
#include <QPointer>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

namespace tarvel {

class PreviewPresenter : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("The browser's presenter hands the listing its preview.")

    Q_PROPERTY(bool isOpen READ isOpen NOTIFY changed)
    Q_PROPERTY(int row READ row NOTIFY changed)
    Q_PROPERTY(QString title READ title NOTIFY changed)
    Q_PROPERTY(QString detailText READ detailText NOTIFY changed)
    Q_PROPERTY(QUrl pictureSource READ pictureSource NOTIFY changed)
    Q_PROPERTY(bool loading READ loading NOTIFY changed)
    Q_PROPERTY(QString problemText READ problemText NOTIFY changed)
    Q_PROPERTY(QUrl iconSource READ iconSource NOTIFY changed)
    Q_PROPERTY(QString hintText READ hintText CONSTANT)
    Q_PROPERTY(QString closeTitle READ closeTitle CONSTANT)

public:
    static constexpr qint64 sizeLimitBytes = 50LL * 1000 * 1000;

    PreviewPresenter(TarvelViewModel *viewModel, RemoteEntryListModel *rows, ThumbnailPresenter *thumbnails,
                     QObject *parent = nullptr);
    ~PreviewPresenter() override;

    bool isOpen() const { return m_entry.has_value(); }
    int row() const { return m_entry ? m_rows->rowOf(m_entry->id) : -1; }
    QString title() const { return m_entry ? m_entry->name : QString(); }
    // "3 of 120 · 4.2 MB · 11 Jun 2024, 18:15"
    QString detailText() const;
    QUrl pictureSource() const { return m_pictureSource; }
    bool loading() const { return m_loading; }
    // Why there is no picture to show: too large, unreadable, the phone's refusal.
    QString problemText() const { return m_problemText; }
    QUrl iconSource() const;
    QString hintText() const;
    QString closeTitle() const { return tr("Close"); }

    // Files the preview shows: pictures, by their name.
    static bool isPicture(const RemoteEntry &entry);

public Q_SLOTS:
    // Opens the preview on the row's picture; false (and nothing opens) for any other row.
    bool openAt(int row);
    void showNext();
    void showPrevious();
    void close();
    // The view could not decode what was read.
    void pictureFailed();

Q_SIGNALS:
    void changed();

private:
    void show(RemoteEntry entry);
    void step(int direction);
    void stopReading();
    QCoro::Task<> load(ThumbnailRequest request, qint64 generation);
    QCoro::Task<> explainFailure(QString path, QString name, qint64 generation);
    static QString tooLargeToRead(const QString &name);

    QPointer<TarvelViewModel> m_viewModel;
    RemoteEntryListModel *m_rows;
    ThumbnailPresenter *m_thumbnails;
    std::optional<RemoteEntry> m_entry;
    QUrl m_pictureSource;
    bool m_loading = false;
    QString m_problemText;
    qint64 m_generation = 0; // of the picture shown; a read for an older one is dropped
    std::shared_ptr<TransferControl> m_control;
    SerialWorker m_files; // reads a failed picture's header; last, so it goes first and finishes its job
};

} // namespace tarvel
