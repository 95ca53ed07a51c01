#pragma once

#include <QByteArray>
#include <QString>

// How a location given for a document (a feed URL, a list's path) is read.
struct ResourceLocation {
    enum class Kind { Http, LocalFile, Unsupported };
    Kind kind = Kind::Unsupported;
    // The file's path for LocalFile; why it cannot be read for Unsupported.
    QString path;
    QString error;
};

// http(s) URLs are fetched; plain paths and file: URLs are read from disk; any other
// scheme is refused. A one-letter "scheme" is a drive letter, so such a path is a file.
[[nodiscard]] ResourceLocation locateResource(const QString& location);

enum class LocalFileRead { Ok, NotAFile, TooLarge, Failed };

// Reads a regular file of at most maxBytes. A FIFO or a device (a feed URL naming
// /dev/zero) is refused rather than read, so it cannot hang or flood the reader. error
// says why it failed.
[[nodiscard]] LocalFileRead readLocalFile(const QString& path, qint64 maxBytes, QByteArray& data,
                                          QString& error);
