#include "platform/files/inifile.h"

#include <QFile>

#include "platform/files/atomicfile.h"

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

QByteArray trimBlanks(const QByteArray& text) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && isBlank(text[begin])) {
        ++begin;
    }
    while (end > begin && isBlank(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin);
}

bool isUtf8Continuation(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Cuts to at most maxBytes, backing off to the start of a UTF-8 character that the limit
// would split. A lead byte is at most three bytes before the limit; text that is not UTF-8
// is simply cut at the limit.
QByteArray cutAtCharacter(const QByteArray& value, qsizetype maxBytes) {
    if (value.size() <= maxBytes) {
        return value;
    }
    for (qsizetype cut = maxBytes; cut >= 0 && cut > maxBytes - 4; --cut) {
        if (!isUtf8Continuation(value[cut])) {
            return value.left(cut);
        }
    }
    return value.left(maxBytes);
}

// The value as the reader gives it: blanks around it dropped, then one pair of quotes.
QByteArray valueText(const QByteArray& afterEquals) {
    QByteArray value = trimBlanks(afterEquals);
    if (value.size() >= 2) {
        const char first = value.front();
        if ((first == '"' || first == '\'') && value.back() == first) {
            value = value.mid(1, value.size() - 2);
        }
    }
    return cutAtCharacter(value, IniFile::kMaxValueBytes);
}

}  // namespace

bool IniFile::load(const QString& path) {
    sections.clear();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    parse(file.readAll());
    return true;
}

void IniFile::parse(const QByteArray& bytes) {
    QByteArrayView text(bytes);
    if (text.startsWith("\xEF\xBB\xBF")) {
        text = text.sliced(3);
    }
    Section* current = nullptr;
    qsizetype start = 0;
    while (start < text.size()) {
        qsizetype end = text.indexOf('\n', start);
        if (end < 0) {
            end = text.size();
        }
        QByteArray line = text.sliced(start, end - start).toByteArray();
        start = end + 1;
        if (line.endsWith('\r')) {
            line.chop(1);
        }
        line = trimBlanks(line);
        if (line.startsWith('[')) {
            qsizetype close = line.indexOf(']');
            if (close < 0) {
                close = line.size();
            }
            sections.append(Section{QString::fromUtf8(trimBlanks(line.mid(1, close - 1))), {}});
            current = &sections.back();
            continue;
        }
        const qsizetype equals = line.indexOf('=');
        if (current == nullptr || equals < 0) {
            continue;
        }
        current->entries.append(Entry{QString::fromUtf8(trimBlanks(line.left(equals))),
                                      valueText(line.mid(equals + 1))});
    }
}

QByteArray IniFile::value(QStringView section, QStringView key) const {
    for (const Section& candidate : sections) {
        if (candidate.name.compare(section, Qt::CaseInsensitive) != 0) {
            continue;
        }
        for (const Entry& entry : candidate.entries) {
            if (entry.key.compare(key, Qt::CaseInsensitive) == 0) {
                return entry.value;
            }
        }
        return {};
    }
    return {};
}

bool IniFile::write(const QString& path, const QStringList& lines, QString* error) {
    QByteArray bytes;
    for (const QString& line : lines) {
        bytes += line.toUtf8();
        bytes += "\r\n";
    }
    // A failed write leaves the old file as it was.
    return writeFileAtomically(path, bytes, FileAccess::OwnerOnly, error);
}
