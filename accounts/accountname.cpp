#include <QUrl>

#include "accounts/accountsettings.h"

// The folder name of an account while the accounts file's own code is not linked in: that
// definition, where present, takes the place of this weak one.
__attribute__((weak)) QString AccountSettings::displayName() const {
    return user + QLatin1Char('@') + QUrl(url).host();
}
