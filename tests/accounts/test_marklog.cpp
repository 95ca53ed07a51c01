#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "accounts/marklog.h"
#include "tests/platform/qstringprinter.h"

namespace {

// A writer killed at any moment leaves whole marks, in order, none lost of those it had
// written; a line it cut short neither counts nor swallows the next mark.
TEST(MarkLog, AKilledWriterLeavesWholeMarksInOrder) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("accounts/1.marks"));
    QProcess writer;
    writer.start(QStringLiteral(QV_MARKS_WRITER), {path});
    ASSERT_TRUE(writer.waitForReadyRead(30000)) << writer.errorString().toStdString();
    writer.kill();
    ASSERT_TRUE(writer.waitForFinished(30000));
    const QStringList marks = readMarks(path);
    ASSERT_GE(marks.size(), 100);
    for (int i = 0; i < marks.size(); ++i) {
        ASSERT_EQ(marks[i], QString::number(i + 1));
    }

    QFile cut(path);
    ASSERT_TRUE(cut.open(QIODevice::Append));
    cut.write("123");
    cut.close();
    EXPECT_EQ(readMarks(path).size(), marks.size());
    ASSERT_TRUE(appendMarks(path, {QStringLiteral("999")}));
    const QStringList after = readMarks(path);
    EXPECT_EQ(after.last(), QStringLiteral("999"));
    EXPECT_EQ(after.size(), marks.size() + 2);

    ASSERT_TRUE(rewriteMarks(path, {QStringLiteral("7")}));
    EXPECT_EQ(readMarks(path), QStringList{QStringLiteral("7")});
    ASSERT_TRUE(rewriteMarks(path, {}));
    EXPECT_FALSE(QFile::exists(path));
}

}  // namespace
