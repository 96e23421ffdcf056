#pragma once

// Finds the window's items by object name and drives them with real mouse events at
// their centres, so a disabled control really ignores the click.

#include <QList>
#include <QQuickItem>
#include <QQuickWindow>
#include <QString>

namespace tarvel::test {

class WindowDriver {
public:
    virtual ~WindowDriver() = default;
    virtual QQuickWindow *window() const = 0;

    QQuickItem *item(const char *objectName) const;
    // The text property of the named item.
    QString text(const char *objectName) const;
    // Every visible item, depth first.
    QList<QQuickItem *> allItems() const;
    // The list's delegates, top to bottom (ListView does not parent them as QObjects).
    QList<QQuickItem *> rows() const;
    QQuickItem *row(const QString &name) const;
    QQuickItem *rowButton(const QString &name) const;
    void click(QQuickItem *target) const;
    void doubleClick(QQuickItem *target) const;

    static void collect(QQuickItem *root, const QString &objectName, QList<QQuickItem *> &into);
};

} // namespace tarvel::test
