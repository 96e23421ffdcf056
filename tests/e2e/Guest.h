#pragma once

// What the tests inside the emulator guest share: the folders run-e2e.sh prepared, the
// bytes of a file, and one phone opened over the real engine for a whole suite.

#include "MTPAdapter/MTPAndroidFileTransferEngine.h"
#include "tests/support/TestSupport.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>

namespace tarvel::test::guest {

inline QString phoneDir() { return qEnvironmentVariable("TARVEL_E2E_PHONE"); }
inline QString phoneName() { return qEnvironmentVariable("TARVEL_E2E_PHONE_NAME"); }
inline QString workDir() { return qEnvironmentVariable("TARVEL_E2E_WORK"); }
inline QString local(const QString &name) { return workDir() + QLatin1Char('/') + name; }

inline QByteArray readAll(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<missing>");
}

inline QByteArray sha256(const QString &path)
{
    QFile file(path);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    return file.open(QIODevice::ReadOnly) && hash.addData(&file) ? hash.result().toHex() : QByteArray("<missing>");
}

inline std::optional<RemoteEntry> named(const QList<RemoteEntry> &entries, const QString &name)
{
    for (const RemoteEntry &entry : entries)
        if (entry.name == name)
            return entry;
    return std::nullopt;
}

// The first phone and its one storage, over the real engine, for every test of a suite.
class GuestPhone : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_FALSE(phoneDir().isEmpty()) << "run through run-e2e.sh";
        engine = std::make_shared<MTPAndroidFileTransferEngine>();
        const QList<AndroidDevice> devices = runSync(engine->scanDevices());
        ASSERT_FALSE(devices.isEmpty());
        device = devices.first();
        const QList<AndroidStorage> storages = runSync(engine->listStorage(device.id));
        ASSERT_EQ(storages.size(), 1);
        storage = storages.first();
    }
    static void TearDownTestSuite() { engine.reset(); }

    // 600 s: a 5,000-entry listing under software emulation.
    QList<RemoteEntry> list(std::optional<QString> parentID = std::nullopt)
    {
        return runSync(engine->listDirectory(device.id, storage.id, parentID), std::chrono::seconds(600));
    }
    RemoteEntry find(const QString &name, std::optional<QString> parentID = std::nullopt)
    {
        const auto entry = named(list(parentID), name);
        EXPECT_TRUE(entry) << name.toStdString();
        return entry.value_or(RemoteEntry{});
    }

    static inline std::shared_ptr<MTPAndroidFileTransferEngine> engine;
    static inline AndroidDevice device;
    static inline AndroidStorage storage;
};

} // namespace tarvel::test::guest
