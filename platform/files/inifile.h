#pragma once

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// A profile (INI) file: read key by key like the classic profile reader, written whole.
//
// Reading: sections and keys match without regard to letter case; a key's value is the text
// after the first "=" of its line with spaces and tabs around it removed and one pair of
// enclosing quotes (double or single) dropped; values are cut at kMaxValueBytes bytes, never
// inside a UTF-8 character. Lines end in CR LF or LF; a UTF-8 byte-order mark is skipped.
// Only the first section of a name is searched, and the first line of a key in it counts.
class IniFile {
public:
    // The longest value the reader hands out, in bytes (a 256-byte buffer less its NUL).
    static constexpr int kMaxValueBytes = 255;

    // Reads the file at path. False, with nothing held, when it cannot be read.
    bool load(const QString& path);

    // The value's bytes (UTF-8 as stored); empty when the section or key is missing. Its
    // size is the count the profile reader returns.
    [[nodiscard]] QByteArray value(QStringView section, QStringView key) const;

    // Writes the lines as the whole file, UTF-8, each ended by CR LF, through a temporary
    // file and a rename, readable by the user alone. False on any failure (error, when
    // given, says why); the file at path is then left as it was.
    [[nodiscard]] static bool write(const QString& path, const QStringList& lines,
                                    QString* error = nullptr);

private:
    struct Entry {
        QString key;
        QByteArray value;
    };
    struct Section {
        QString name;
        QList<Entry> entries;
    };

    void parse(const QByteArray& bytes);

    QList<Section> sections;
};
