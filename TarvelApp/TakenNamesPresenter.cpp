#include "TarvelApp/TakenNamesPresenter.h"

namespace tarvel {

TakenNamesPresenter::TakenNamesPresenter(TarvelViewModel *viewModel, QObject *parent)
    : QObject(parent), m_viewModel(viewModel)
{
    connect(viewModel, &TarvelViewModel::namesTaken, this, [this](int count, QString folder) {
        m_count = count;
        m_folder = std::move(folder);
        Q_EMIT questionChanged();
    });
    // A batch that ends or is cancelled while it asks takes its question along.
    connect(viewModel, &TarvelViewModel::currentBatchChanged, this, [this] {
        if (m_count > 0 && !m_viewModel->currentBatch()) {
            m_count = 0;
            Q_EMIT questionChanged();
        }
    });
}

QString TakenNamesPresenter::questionText() const
{
    return tr("%Ln file(s) already in %1 under the same name.", nullptr, m_count).arg(m_folder);
}

QString TakenNamesPresenter::replaceQuestionText() const
{
    return tr("Replace %Ln file(s) in %1? What is there now is lost.", nullptr, m_count).arg(m_folder);
}

QStringList TakenNamesPresenter::choices() const
{
    return {tr("Skip files that are already there (same name and size)"), tr("Keep both"), tr("Replace")};
}

void TakenNamesPresenter::answer(int choice)
{
    if (m_count == 0 || !m_viewModel)
        return;
    m_count = 0;
    Q_EMIT questionChanged();
    m_viewModel->answerNamesTaken(choice == 2 ? TakenNames::replace
                                  : choice == 1 ? TakenNames::keepBoth
                                                : TakenNames::skipSame);
}

void TakenNamesPresenter::stop()
{
    if (m_count == 0 || !m_viewModel)
        return;
    m_count = 0;
    Q_EMIT questionChanged();
    m_viewModel->cancelTransfer();
}

} // namespace tarvel
