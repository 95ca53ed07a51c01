#pragma once

#include <QString>
#include <QStringList>

#include "core/appstate.h"

// Site lists made for the tests, the same on every run and machine: a shape, then titles and
// URLs drawn by a fixed linear congruential sequence from texts that exercise the writer
// (Japanese, the escaped characters, characters XML forbids, a pair outside the BMP).
struct GeneratedListShape {
    int entries = 0;
    int folders = 0;
    int maxDepth = 1;      // levels of folders below the top level
    bool hostile = false;  // titles and URLs hold characters XML forbids
    bool chain = false;    // every entry goes under the folder made last: folders nest deep
};

class GeneratedList {
public:
    explicit GeneratedList(quint32 seed) : next(seed) {}

    // Fills an empty state: folders spread among the entries, every entry under a folder
    // drawn from the earlier ones (or at the top level); then every 7th entry moves to another
    // folder or the top (the shown order leaves creation order) and every 23rd is deleted.
    void fill(AppState& state, const GeneratedListShape& shape) {
        QList<int> folders;  // rows of the folders made so far
        QList<int> depthOf;  // by row: the entry's level, 0 at the top
        const int spacing = shape.folders > 0 ? qMax(1, shape.entries / shape.folders) : 0;
        for (int i = 0; i < shape.entries; ++i) {
            const bool isFolder =
                shape.folders > 0 && folders.size() < shape.folders && i % spacing == 0;
            int parent = -1;
            if (shape.chain && !folders.isEmpty()) {
                parent = folders.last();
            } else if (!folders.isEmpty() && draw(8) != 0) {
                parent = folders.at(int(draw(quint32(folders.size()))));
            }
            const int depth = parent < 0 ? 0 : depthOf.at(parent) + 1;
            SiteRow row;
            row.intKind = isFolder ? kKindFolder : kKindSite;
            row.strTitle = text(i, shape.hostile);
            if (!isFolder) {
                row.strHtmlUrl = QStringLiteral("https://site%1.example.jp/").arg(i);
                row.strXmlUrl = QStringLiteral("https://site%1.example.jp/rss?a=1&b=%2")
                                    .arg(i)
                                    .arg(shape.hostile ? text(i + 1, true) : QString());
            }
            const int index = state.SiteTable.append(row);
            state.siteTree.addNode(parent < 0 ? QStringLiteral("R") : keyOfIndex(parent),
                                   keyOfIndex(index), row.strTitle, row.intKind);
            depthOf.append(depth);
            if (isFolder && depth < shape.maxDepth) {
                folders.append(index);
            }
        }
        for (int i = 3; i < shape.entries; i += 7) {
            SiteTree::Node* node = state.siteTree.find(keyOfIndex(i));
            SiteTree::Node* to = folders.isEmpty() || draw(3) == 0
                                     ? nullptr
                                     : state.siteTree.find(keyOfIndex(
                                           folders.at(int(draw(quint32(folders.size()))))));
            state.siteTree.moveNode(node, to);  // refused into its own subtree
        }
        for (int i = 5; i < shape.entries; i += 23) {
            // A chain keeps its folders: one deleted would take the depth with it.
            if (!shape.chain || state.SiteTable[i].intKind == kKindSite) {
                state.SiteTable[i].blnDeleted = true;
            }
        }
    }

private:
    quint32 draw(quint32 bound) {
        next = next * 1664525u + 1013904223u;
        return (next >> 8) % bound;
    }

    QString text(int i, bool hostile) {
        static const QStringList plain{
            QStringLiteral("国内ニュース"), QStringLiteral("A & B"), QStringLiteral("<b>太字</b>"),
            QStringLiteral("say \"hi\""),   QStringLiteral("it's"),  QStringLiteral("全角　空白"),
            QStringLiteral("  padded "),    QStringLiteral("&amp;"), QStringLiteral("テック"),
        };
        static const QStringList forbidden{
            QStringLiteral("tab\tand\nline\r"),
            QString::fromUtf16(u"ctl\u0001\u001F\u007F"),
            QString::fromUtf16(u"nc\uFFFE\uFFFF"),
            QString::fromUtf16(u"😀 絵文字"),
            QStringLiteral("lone ") + QChar(0xD800) + QStringLiteral(" low ") + QChar(0xDC00),
            QString(QChar(0)) + QStringLiteral("nul"),
        };
        QString t =
            plain.at(int(draw(quint32(plain.size())))) + QLatin1Char(' ') + QString::number(i);
        if (hostile && draw(2) == 0) {
            t += forbidden.at(int(draw(quint32(forbidden.size()))));
        }
        return t;
    }

    quint32 next;
};
