#pragma once

// The window's icons are files of our own, named after the symbols they stand for and
// compiled into the QML module's resources, so they show without any icon theme.

#include <QString>
#include <QUrl>

namespace tarvel {

// Empty for no symbol, so an image bound to it shows nothing.
inline QUrl symbolSource(const QString &symbol)
{
    if (symbol.isEmpty())
        return {};
    return QUrl(QStringLiteral("qrc:/qt/qml/Tarvel/icons/") + symbol + QStringLiteral(".svg"));
}

} // namespace tarvel
