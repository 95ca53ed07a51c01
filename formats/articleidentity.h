#pragma once

#include <QDateTime>
#include <QString>
#include <QStringView>

// Longest identity kept as it stands; a longer one is kept as its digest, so a hostile feed
// cannot make every comparison of its items cost megabytes.
inline constexpr qsizetype kMaxArticleIdentityLength = 1024;

// Who a feed's article is, the same at every read of the feed: the feed's own id for it
// (RSS guid or RSS 1.0 rdf:about, Atom id, JSON Feed id), trimmed; else its link; else a
// digest of its title and date ("sha1:" and 40 hex digits). An id or link longer than
// kMaxArticleIdentityLength becomes its digest too.
[[nodiscard]] QString articleIdentity(QStringView ownId, const QString& link, const QString& title,
                                      const QDateTime& date);
