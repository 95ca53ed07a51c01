#include "accounts/accounttreefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamWriter>
#include <vector>

#include "platform/files/atomicfile.h"
#include "platform/xml/safexmlstream.h"

namespace {

// A tree file holds what one server listed: far below these unless it was tampered with.
constexpr qint64 kMaxTreeFileBytes = 64LL * 1024 * 1024;
constexpr int kMaxTreeEntries = 200000;
// Outlines nest below <opml><body>: two levels the tree cannot use.
constexpr int kMaxFolderDepth = SafeXmlStream::kMaxElementDepth - 3;

struct AccountTreeFileText {
    Q_DECLARE_TR_FUNCTIONS(AccountTreeFile)
};

// Characters XML cannot carry (controls but tab and line ends, U+FFFE, U+FFFF, lone
// surrogates) are left out, so that a written file always reads back.
QString xmlSafe(const QString& text) {
    QString safe;
    safe.reserve(text.size());
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text.at(i);
        const char16_t u = c.unicode();
        if (c.isHighSurrogate()) {
            if (i + 1 < n && text.at(i + 1).isLowSurrogate()) {
                safe.append(c);
                safe.append(text.at(++i));
            }
            continue;
        }
        if (c.isLowSurrogate() || u == 0xFFFE || u == 0xFFFF ||
            (u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r')) {
            continue;
        }
        safe.append(c);
    }
    return safe;
}

void writeFolder(QXmlStreamWriter& xml, const AccountFolder& folder, int depth) {
    xml.writeStartElement(QStringLiteral("outline"));
    xml.writeAttribute(QStringLiteral("text"), xmlSafe(folder.title));
    xml.writeAttribute(QStringLiteral("folderId"), xmlSafe(folder.id));
    if (depth < kMaxFolderDepth) {
        for (const AccountFolder& sub : folder.folders) {
            writeFolder(xml, sub, depth + 1);
        }
    }
    for (const AccountFeed& feed : folder.feeds) {
        if (feed.feedUrl.isEmpty()) {
            continue;
        }
        xml.writeEmptyElement(QStringLiteral("outline"));
        const QString title = xmlSafe(feed.title);
        xml.writeAttribute(QStringLiteral("text"), title);
        xml.writeAttribute(QStringLiteral("title"), title);
        xml.writeAttribute(QStringLiteral("type"), QStringLiteral("rss"));
        xml.writeAttribute(QStringLiteral("xmlUrl"), xmlSafe(feed.feedUrl));
        xml.writeAttribute(QStringLiteral("feedId"), xmlSafe(feed.id));
        xml.writeAttribute(QStringLiteral("unread"), QString::number(feed.unread));
    }
    xml.writeEndElement();
}

// Reads the outlines of the first body: the first outline there is the account, and every
// outline under it a folder, or a feed when it has an xmlUrl.
class TreeReader {
public:
    explicit TreeReader(const QByteArray& bytes) : xml(bytes) {}

    bool read(AccountFolder& tree, QString& error) {
        bool inBody = false;
        bool accountSeen = false;
        // The folders open around the current token; the first is the account. Folders
        // are only appended to the innermost one, so the pointers stay valid.
        std::vector<AccountFolder*> open;
        // Outline elements open that are not folders (a feed's, or one after the account).
        int otherDepth = 0;
        int entries = 0;
        while (!xml.atEnd()) {
            const QXmlStreamReader::TokenType token = xml.readNext();
            const QXmlStreamReader& r = xml.reader();
            if (token == QXmlStreamReader::StartElement) {
                if (!inBody) {
                    inBody = r.name() == QLatin1String("body") && !accountSeen;
                    continue;
                }
                if (otherDepth > 0 || r.name() != QLatin1String("outline") ||
                    (open.empty() && accountSeen)) {
                    ++otherDepth;
                    continue;
                }
                if (++entries > kMaxTreeEntries) {
                    error = AccountTreeFileText::tr("項目が多すぎます");
                    return false;
                }
                const QXmlStreamAttributes attributes = r.attributes();
                QString title = attributes.value(QLatin1String("text")).toString();
                if (title.isEmpty()) {
                    title = attributes.value(QLatin1String("title")).toString();
                }
                if (open.empty()) {
                    accountSeen = true;
                    tree.title = title;
                    tree.id = attributes.value(QLatin1String("folderId")).toString();
                    open.push_back(&tree);
                } else if (attributes.hasAttribute(QLatin1String("xmlUrl"))) {
                    AccountFeed feed;
                    feed.title = title;
                    feed.feedUrl = attributes.value(QLatin1String("xmlUrl")).toString();
                    feed.id = attributes.value(QLatin1String("feedId")).toString();
                    feed.unread =
                        qMax<qint64>(0, attributes.value(QLatin1String("unread")).toLongLong());
                    if (!feed.feedUrl.isEmpty()) {
                        open.back()->feeds.append(std::move(feed));
                    }
                    ++otherDepth;
                } else {
                    AccountFolder folder;
                    folder.title = title;
                    folder.id = attributes.value(QLatin1String("folderId")).toString();
                    QList<AccountFolder>& siblings = open.back()->folders;
                    siblings.append(std::move(folder));
                    open.push_back(&siblings.last());
                }
            } else if (token == QXmlStreamReader::EndElement && inBody) {
                if (otherDepth > 0) {
                    --otherDepth;
                } else if (!open.empty()) {
                    open.pop_back();
                } else {
                    inBody = false;  // the body's end
                }
            }
        }
        if (xml.hasError()) {
            error = xml.errorString();
            return false;
        }
        return true;
    }

private:
    SafeXmlStream xml;
};

}  // namespace

QString accountTreePath(const QString& folder, int number) {
    return QDir(folder).filePath(QStringLiteral("accounts/%1.opml").arg(number));
}

bool writeAccountTreeFile(const QString& path, const AccountFolder& tree, QString* error) {
    QByteArray bytes;
    QXmlStreamWriter xml(&bytes);
    xml.setAutoFormatting(true);
    xml.setAutoFormattingIndent(1);
    xml.writeStartDocument();
    xml.writeStartElement(QStringLiteral("opml"));
    xml.writeAttribute(QStringLiteral("version"), QStringLiteral("2.0"));
    xml.writeStartElement(QStringLiteral("head"));
    xml.writeTextElement(QStringLiteral("title"), xmlSafe(tree.title));
    xml.writeEndElement();
    xml.writeStartElement(QStringLiteral("body"));
    writeFolder(xml, tree, 0);
    xml.writeEndElement();
    xml.writeEndElement();
    xml.writeEndDocument();

    const QString dir = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(dir)) {
        if (error) {
            *error = AccountTreeFileText::tr("フォルダ %1 を作れません")
                         .arg(QDir::toNativeSeparators(dir));
        }
        return false;
    }
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}

AccountFolder readAccountTreeFile(const QString& path, QString* error) {
    QFile file(path);
    if (!file.exists()) {
        return {};
    }
    const auto fail = [error, &path](const QString& why) {
        if (error) {
            *error = AccountTreeFileText::tr("%1 を読めません: %2")
                         .arg(QDir::toNativeSeparators(path), why);
        }
        return AccountFolder{};
    };
    if (!file.open(QIODevice::ReadOnly)) {
        return fail(file.errorString());
    }
    if (file.size() > kMaxTreeFileBytes) {
        return fail(AccountTreeFileText::tr("ファイルが大きすぎます"));
    }
    const QByteArray bytes = file.read(kMaxTreeFileBytes + 1);
    if (bytes.size() > kMaxTreeFileBytes) {
        return fail(AccountTreeFileText::tr("ファイルが大きすぎます"));
    }
    AccountFolder tree;
    QString why;
    if (!TreeReader(bytes).read(tree, why)) {
        return fail(why);
    }
    return tree;
}
