#include "tests/support/WindowDriver.h"

#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QTest>
#include <QtQuickTest/quicktest.h>

#include <algorithm>
#include <functional>

namespace tarvel::test {

QQuickItem *WindowDriver::item(const char *objectName) const
{
    auto *found = window()->findChild<QQuickItem *>(objectName);
    EXPECT_NE(found, nullptr) << objectName;
    return found;
}

QString WindowDriver::text(const char *objectName) const
{
    QQuickItem *found = item(objectName);
    return found ? found->property("text").toString() : QString();
}

void WindowDriver::collect(QQuickItem *root, const QString &objectName, QList<QQuickItem *> &into)
{
    if (!root)
        return;
    for (QQuickItem *child : root->childItems()) {
        if (child->objectName() == objectName && child->isVisible())
            into.append(child);
        collect(child, objectName, into);
    }
}

QList<QQuickItem *> WindowDriver::allItems() const
{
    QList<QQuickItem *> found;
    const std::function<void(QQuickItem *)> walk = [&](QQuickItem *item) {
        for (QQuickItem *child : item->childItems()) {
            if (child->isVisible()) {
                found.append(child);
                walk(child);
            }
        }
    };
    walk(window()->contentItem());
    return found;
}

QList<QQuickItem *> WindowDriver::rows() const
{
    QList<QQuickItem *> found;
    if (auto *list = window()->findChild<QQuickItem *>("remoteList"))
        collect(list, "entryRow", found);
    std::sort(found.begin(), found.end(), [](QQuickItem *a, QQuickItem *b) { return a->y() < b->y(); });
    return found;
}

QQuickItem *WindowDriver::row(const QString &name) const
{
    for (QQuickItem *candidate : rows()) {
        if (candidate->property("name").toString() == name)
            return candidate;
    }
    ADD_FAILURE() << "no row " << name.toStdString();
    return nullptr;
}

QQuickItem *WindowDriver::rowButton(const QString &name) const
{
    QList<QQuickItem *> buttons;
    collect(row(name), "entryActionButton", buttons);
    return buttons.value(0);
}

void WindowDriver::click(QQuickItem *target) const
{
    ASSERT_NE(target, nullptr);
    // An item that just appeared is placed by the next polish; a click before it would
    // land where the item is about to stop being.
    ASSERT_TRUE(QQuickTest::qWaitForPolish(window()));
    const QPoint centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
    QTest::mouseClick(window(), Qt::LeftButton, {}, centre);
    settle();
}

void WindowDriver::doubleClick(QQuickItem *target) const
{
    ASSERT_NE(target, nullptr);
    ASSERT_TRUE(QQuickTest::qWaitForPolish(window()));
    const QPoint centre = target->mapToScene(QPointF(target->width() / 2, target->height() / 2)).toPoint();
    QTest::mouseDClick(window(), Qt::LeftButton, {}, centre);
    settle();
}

} // namespace tarvel::test
