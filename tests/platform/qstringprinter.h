#pragma once

#include <ostream>

#include <QString>

// Lets GoogleTest print QStrings readably in failure messages.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
