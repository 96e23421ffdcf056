#include "DesktopSession/LauncherProgress.h"

#include <QDBusMessage>
#include <QVariantMap>

#include <algorithm>
#include <cmath>

namespace tarvel {

LauncherProgress::LauncherProgress(QDBusConnection sessionBus, QString appURI, QString objectPath)
    : m_bus(std::move(sessionBus)), m_appURI(std::move(appURI)), m_objectPath(std::move(objectPath))
{
}

void LauncherProgress::showProgress(double fraction)
{
    // NaN (0 of 0 bytes) shows as nothing done yet.
    const double clamped = std::isnan(fraction) ? 0.0 : std::clamp(fraction, 0.0, 1.0);
    show({.visible = true, .percent = int(std::floor(clamped * 100)), .urgent = m_wanted.urgent});
}

void LauncherProgress::hideProgress()
{
    show({.visible = false, .percent = 0, .urgent = m_wanted.urgent});
}

void LauncherProgress::setUrgent(bool urgent)
{
    Shown wanted = m_wanted;
    wanted.urgent = urgent;
    show(wanted);
}

void LauncherProgress::show(Shown wanted)
{
    m_wanted = wanted;
    if (m_sent == wanted || !m_bus.isConnected())
        return;
    QDBusMessage update = QDBusMessage::createSignal(m_objectPath, QStringLiteral("com.canonical.Unity.LauncherEntry"),
                                                     QStringLiteral("Update"));
    update << m_appURI
           << QVariantMap{{QStringLiteral("progress"), wanted.percent / 100.0},
                          {QStringLiteral("progress-visible"), wanted.visible},
                          {QStringLiteral("urgent"), wanted.urgent}};
    if (m_bus.send(update))
        m_sent = wanted;
}

} // namespace tarvel
