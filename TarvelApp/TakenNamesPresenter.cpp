#include "TarvelApp/TakenNamesPresenter.h"

#include <QLocale>

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
    // Qt words %n by the translation only, so English's two forms are written out.
    return m_count == 1 ? tr("1 file is already in %1 under the same name.").arg(m_folder)
                        : tr("%1 files are already in %2 under the same name.").arg(QLocale().toString(m_count), m_folder);
}

QString TakenNamesPresenter::replaceQuestionText() const
{
    return m_count == 1 ? tr("Replace 1 file in %1? What is there now is lost.").arg(m_folder)
                        : tr("Replace %1 files in %2? What is there now is lost.").arg(QLocale().toString(m_count), m_folder);
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

} // namespace tarvel
