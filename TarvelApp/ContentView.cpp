#include "TarvelApp/ContentView.h"

#include <QTimer>

namespace tarvel {

ContentView::ContentView(TarvelViewModel *viewModel, DesktopServices *desktop, QObject *parent)
    : QObject(parent)
    , m_viewModel(viewModel)
    , m_transfers(viewModel, desktop, this)
    , m_browser(viewModel, desktop, &m_transfers, this)
    , m_status(viewModel, this)
    , m_donation(desktop, this)
    , m_imports(viewModel, desktop, this)
    , m_takenNames(viewModel, this)
    , m_windowTitle(windowTitle())
{
    for (auto signal : {&TransferPresenter::transferChanged, &TransferPresenter::fileChanged,
                        &TransferPresenter::progressChanged})
        connect(&m_transfers, signal, this, &ContentView::followWindowTitle);
    connect(&m_browser, &BrowserPresenter::locationChanged, this, &ContentView::followWindowTitle);
    connect(&m_transfers, &TransferPresenter::fileChanged, this, &ContentView::quitQuestionChanged);
    connect(&m_transfers, &TransferPresenter::transferChanged, this, &ContentView::quitWhenDone);
}

QString ContentView::windowTitle() const
{
    if (const QString copying = m_transfers.transferWindowTitle(); !copying.isEmpty())
        return copying;
    QStringList parts;
    if (const auto device = m_viewModel->selectedDevice()) {
        if (const auto location = m_viewModel->locationName())
            parts.append(*location);
        parts.append(device->name);
    }
    parts.append(QStringLiteral("Tarvel"));
    return parts.join(QStringLiteral(" – "));
}

void ContentView::followWindowTitle()
{
    const QString title = windowTitle();
    if (title == m_windowTitle)
        return;
    m_windowTitle = title;
    Q_EMIT windowTitleChanged();
}

QString ContentView::quitQuestionText() const
{
    const auto job = m_viewModel->currentTransfer();
    if (!job)
        return {};
    if (m_viewModel->batchIsWrittenDown())
        return tr("Tarvel is still copying %1. Quitting stops the copy; the next time this phone is connected, Tarvel offers to finish it.")
            .arg(job->sourceName);
    return tr("Tarvel is still copying %1. Quitting stops the copy; nothing half-copied is kept.").arg(job->sourceName);
}

void ContentView::stopTransferAndQuit()
{
    if (!m_transfers.hasTransfer()) {
        Q_EMIT quitRequested();
        return;
    }
    m_quitting = true;
    m_transfers.startCancelTransfer();
    // A phone that stopped answering can hold the lane for a minute: quit anyway, and let
    // the application's own bounded wait for the lane do the rest.
    QTimer::singleShot(quitWaitMs, this, [this] {
        if (!m_quitting)
            return;
        m_quitting = false;
        Q_EMIT quitRequested();
    });
}

void ContentView::quitWhenDone()
{
    if (m_quitting && !m_transfers.hasTransfer()) {
        m_quitting = false;
        Q_EMIT quitRequested();
    }
}

} // namespace tarvel
