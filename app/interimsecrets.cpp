#include "app/interimsecrets.h"

#include <QMetaObject>

#include "platform/files/inifile.h"
#include "platform/files/paths.h"

InterimSecrets::InterimSecrets(const QString& folder, QObject* parent)
    : SecretStore(parent), path(joinPath(folder, QStringLiteral("secrets.ini"))) {}

void InterimSecrets::readPassword(const AccountSettings& account, ReadDone done) {
    // A few lines: read here, answered later as every store answers.
    IniFile file;
    const QString password =
        file.load(path)
            ? QString::fromUtf8(file.value(QStringLiteral("account-%1").arg(account.number),
                                           QStringLiteral("password")))
            : QString();
    QMetaObject::invokeMethod(
        this, [done, password] { done(true, password, {}); }, Qt::QueuedConnection);
}

void InterimSecrets::writePassword(const AccountSettings&, const QString&, WriteDone done) {
    const QString why = tr("パスワードを保存できません");
    QMetaObject::invokeMethod(
        this, [done, why] { done(false, why); }, Qt::QueuedConnection);
}

void InterimSecrets::removePassword(const AccountSettings&, WriteDone done) {
    const QString why = tr("パスワードを削除できません");
    QMetaObject::invokeMethod(
        this, [done, why] { done(false, why); }, Qt::QueuedConnection);
}

void InterimSecrets::probeKeyring(WriteDone done) {
    const QString why = tr("Secret Service が使えません");
    QMetaObject::invokeMethod(
        this, [done, why] { done(false, why); }, Qt::QueuedConnection);
}
