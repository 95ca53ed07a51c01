#pragma once

#include <QStringList>

// The folder the build compiles the translations into: a test that wants the windows in
// another language installs a UiTranslation from it for as long as it needs.
inline QStringList builtTranslations() {
    return {QStringLiteral(QV_TEST_TRANSLATIONS_DIR)};
}
