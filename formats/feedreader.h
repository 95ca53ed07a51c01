#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QUrl>

#include "core/feedservice.h"
#include "formats/feedtext.h"

// How a fetched document is written, as its first bytes tell: JSON when its first
// character other than space, tab, CR and LF (after a UTF-8 byte-order mark) is "{",
// else XML. Neither the file name nor the Content-Type has a say: servers label JSON
// Feeds application/feed+json, application/json and text/plain alike.
enum class FeedSyntax { Xml, Json };
[[nodiscard]] FeedSyntax feedSyntaxOf(QByteArrayView body);

// Reads a fetched document as a feed of any format the program reads (RSS 0.9x, 1.0 and
// 2.0, Atom 1.0, JSON Feed 1.0 and 1.1), each by its own reader, into the one result they
// all give. contentType is the HTTP Content-Type (its charset decides only for an XML
// document that names no encoding itself); documentUrl is where the document came from,
// against which relative links are resolved. Safe to call on any thread: it touches no
// shared state.
[[nodiscard]] FeedReadResult readFeed(const QByteArray& body, const QString& contentType = {},
                                      const QUrl& documentUrl = {});
