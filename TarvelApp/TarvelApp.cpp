#include "TarvelApp/TarvelApp.h"

#include "TarvelApp/PictureProvider.h"
#include "TarvelCore/ImportStore.h"
#include "TarvelStore/TarvelDatabase.h"
#include "TarvelApp/WindowSettings.h"

#include <QCoreApplication>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QPalette>
#include <QQmlApplicationEngine>
#include <QQuickStyle>
#include <QQuickWindow>

// Generated with the QML module's type registrations. Referring to it keeps that object
// file, and with it the module's registration, in any program that links this library.
void qml_register_types_Tarvel();

namespace tarvel {

namespace {

// Qt Quick's Fusion starts a window in its own light colours. It takes from the
// application's palette only the colours set on it, and only once told the palette
// changed; a platform theme's palette (KDE's colour scheme, qt6ct's, what the file panels
// show) sets none. So every colour of it is set, and the window told.
void followDesktopPalette(QQuickWindow *window)
{
    QPalette desktop = QGuiApplication::palette();
    for (int group = 0; group < QPalette::NColorGroups; ++group) {
        for (int role = 0; role < QPalette::NColorRoles; ++role) {
            const auto g = QPalette::ColorGroup(group);
            const auto r = QPalette::ColorRole(role);
            desktop.setBrush(g, r, desktop.brush(g, r));
        }
    }
    QGuiApplication::setPalette(desktop);
    QEvent changed(QEvent::ApplicationPaletteChange);
    QCoreApplication::sendEvent(window, &changed);
}

} // namespace

TarvelApp::TarvelApp(std::shared_ptr<AndroidFileTransferEngine> engine, std::unique_ptr<DesktopServices> desktop,
                     QObject *parent)
    : TarvelApp(std::move(engine), nullptr, nullptr, std::move(desktop), parent)
{
}

TarvelApp::TarvelApp(std::shared_ptr<AndroidFileTransferEngine> engine, std::shared_ptr<PhoneDiagnosis> diagnosis,
                     USBPlugEvents *plugEvents, std::unique_ptr<DesktopServices> desktop, QObject *parent)
    : QObject(parent)
    , m_desktop(desktop ? std::move(desktop) : std::make_unique<QtDesktopServices>())
    , m_viewModel(std::move(engine), std::move(diagnosis))
    , m_contentView(&m_viewModel, m_desktop.get())
{
    if (plugEvents)
        m_viewModel.followPlugEvents(plugEvents);
    // One database for the import record, which imports and downloads write to, and the
    // journal of batches, so one cut by an unplug or a quit can resume; opened on first use.
    m_viewModel.setStore(std::make_shared<ImportStore>(TarvelDatabase::defaultFolder()));
    // The folder shown shows what the phone adds to it or takes from it, without Refresh.
    m_viewModel.followPhoneEvents();
    [[maybe_unused]] volatile auto keepRegistration = &qml_register_types_Tarvel;

    // The window is text, icons and lists, which the software scene graph draws just as
    // well; without a GL driver to load it starts in about half the time and a third of
    // the memory. QT_QUICK_BACKEND still chooses another.
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        QQuickWindow::setGraphicsApi(QSGRendererInterface::Software);
    // Drawn in software, an animation (a spinner, a bar waiting for its first bytes) would
    // be redrawn every 5 ms, up to 200 times a second, taking the CPU a copy needs; the
    // screen shows 60.
    if (qEnvironmentVariableIsEmpty("QT_QPA_UPDATE_IDLE_TIME"))
        qputenv("QT_QPA_UPDATE_IDLE_TIME", "16");

    // The window shows the icon the desktop entry names, and says which entry it belongs
    // to, so the task bar and the launcher show the same one.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.github.orvath.Tarvel"));
    QGuiApplication::setWindowIcon(QIcon(QStringLiteral(":/tarvel/io.github.orvath.Tarvel.svg")));

    // Once per process: the style cannot change after Qt Quick Controls are first loaded.
    if (QQuickStyle::name() != QLatin1String("Fusion"))
        QQuickStyle::setStyle(QStringLiteral("Fusion"));
    // exit(), not quit(): quit() would ask the window to close again, and a window that is
    // still showing a transfer would ask its question again.
    connect(&m_contentView, &ContentView::quitRequested, this, [] { QCoreApplication::exit(0); }, Qt::QueuedConnection);
    // Pictures come from phones: none may make a reader allocate more than this.
    QImageReader::setAllocationLimit(PictureProvider::allocationLimitMB);
    m_qml = std::make_unique<QQmlApplicationEngine>();
    m_qml->addImageProvider(PictureProvider::providerName,
                            new PictureProvider(m_viewModel.thumbnails()->cacheRoot()));
    m_qml->addImportPath(QStringLiteral("qrc:/qt/qml")); // where the module's files are compiled in
    m_qml->setInitialProperties({{QStringLiteral("contentView"), QVariant::fromValue(&m_contentView)}});
    m_qml->load(QUrl(QStringLiteral("qrc:/qt/qml/Tarvel/qml/Main.qml")));
    const QList<QObject *> roots = m_qml->rootObjects();
    m_window = roots.isEmpty() ? nullptr : qobject_cast<QQuickWindow *>(roots.first());
    if (!m_window)
        return;
    followDesktopPalette(m_window);
    qApp->installEventFilter(this);
    if (const auto size = WindowSettings().windowSize())
        m_window->resize(size->expandedTo(m_window->minimumSize()));
    connect(m_window, &QWindow::visibleChanged, this, [this](bool visible) {
        if (visible && !m_started) {
            m_started = true;
            m_contentView.refreshSequence();
        }
    });
}

// The window goes first: its bindings read the presenters, which read the view model.
TarvelApp::~TarvelApp()
{
    // A maximised or full-screen window says nothing of the size to open at.
    if (m_window && m_started && m_window->windowStates() == Qt::WindowNoState)
        WindowSettings().setWindowSize(m_window->size());
    m_qml.reset();
}

// A desktop switching between light and dark while the window is open says so in one of two
// ways: it sets the application's palette (KDE, qt6ct), or its theme's palette changes and
// each window hears of the theme. The first may again set only some colours; the second
// is hidden behind the copy set above, so that copy goes and the theme's is taken afresh.
bool TarvelApp::eventFilter(QObject *watched, QEvent *event)
{
    const bool paletteSet = watched == qApp && event->type() == QEvent::ApplicationPaletteChange;
    const bool themeChanged = watched == m_window && event->type() == QEvent::ThemeChange;
    // Setting the palette below sends the first event again.
    if ((paletteSet || themeChanged) && !m_followingPalette) {
        m_followingPalette = true;
        if (themeChanged)
            QGuiApplication::setPalette(QPalette());
        followDesktopPalette(m_window);
        m_followingPalette = false;
    }
    return QObject::eventFilter(watched, event);
}

void TarvelApp::show()
{
    if (m_window)
        m_window->show();
}

void TarvelApp::followTransfersOnDesktop(DesktopBuses buses)
{
    // Active while any window of ours has the focus, a file dialog over the window too.
    const auto active = [] { return QGuiApplication::applicationState() == Qt::ApplicationActive; };
    m_desktopFeedback = std::make_unique<TransferDesktopFeedback>(&m_viewModel, active, std::move(buses));
    // The notification's "Show in Folder" opens what the window's own button opens.
    connect(m_desktopFeedback.get(), &TransferDesktopFeedback::showFolderRequested, m_contentView.transfers(),
            &TransferPresenter::showDownloadedFolder);
    TransferDesktopFeedback *feedback = m_desktopFeedback.get();
    connect(qGuiApp, &QGuiApplication::applicationStateChanged, feedback, [feedback](Qt::ApplicationState state) {
        if (state == Qt::ApplicationActive)
            feedback->windowActivated();
    });
}

} // namespace tarvel
