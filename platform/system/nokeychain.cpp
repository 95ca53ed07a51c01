#include <QCoreApplication>
#include <QMetaObject>

#include "platform/system/keychain.h"

// Built without QtKeychain: no Secret Service is ever reached.

namespace {

void unavailable(QObject* context, const KeychainDone& done) {
    KeychainResult result;
    result.status = KeychainResult::Status::Unavailable;
    result.detail = QCoreApplication::translate(
        "Keychain", "このプログラムはキーリングを使う機能なしで作られています。");
    QMetaObject::invokeMethod(
        context, [done, result] { done(result); }, Qt::QueuedConnection);
}

}  // namespace

void keychainRead(const QString&, const QString&, QObject* context, KeychainDone done) {
    unavailable(context, done);
}

void keychainWrite(const QString&, const QString&, const QString&, QObject* context,
                   KeychainDone done) {
    unavailable(context, done);
}

void keychainRemove(const QString&, const QString&, QObject* context, KeychainDone done) {
    unavailable(context, done);
}
