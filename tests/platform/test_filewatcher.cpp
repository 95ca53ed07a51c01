#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>
#include <functional>

#include "platform/files/filewatcher.h"

namespace {

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(bytes);
}

// Each change is reported once, after it was made.
TEST(FileWatcher, NoticesEveryWayAFileChanges) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("rules.txt"));
    QtFileWatcher watcher(0);
    QList<QByteArray> seen;
    watcher.watch(path, [&] {
        QFile file(path);
        seen.append(file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(none)"));
    });

    const struct {
        const char* what;
        std::function<void()> change;
        QByteArray content;
    } steps[] = {
        {"created", [&] { writeAll(path, "mute\ta\n"); }, "mute\ta\n"},
        {"written in place", [&] { writeAll(path, "mute\tb\n"); }, "mute\tb\n"},
        {"replaced by a rename",
         [&] {
             writeAll(path + QStringLiteral(".new"), "mute\tc\n");
             ASSERT_EQ(std::rename(QFile::encodeName(path + QStringLiteral(".new")).constData(),
                                   QFile::encodeName(path).constData()),
                       0);
         },
         "mute\tc\n"},
        {"written in place after the rename", [&] { writeAll(path, "mute\td\n"); }, "mute\td\n"},
        {"removed", [&] { ASSERT_TRUE(QFile::remove(path)); }, "(none)"},
        {"created again", [&] { writeAll(path, "mute\te\n"); }, "mute\te\n"},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.what);
        const QList<QByteArray> before = seen;
        step.change();
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return !seen.isEmpty() && seen.last() == step.content; }, 5000));
        EXPECT_EQ(seen, before + QList<QByteArray>{step.content});
    }
}

}  // namespace
