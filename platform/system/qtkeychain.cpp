#include <QMetaObject>
#include <QPointer>
#include <qt6keychain/keychain.h>

#include "platform/system/keychain.h"

namespace {

KeychainResult::Status statusOf(QKeychain::Error error) {
    switch (error) {
        case QKeychain::NoError:
            return KeychainResult::Status::Ok;
        case QKeychain::EntryNotFound:
            return KeychainResult::Status::NotFound;
        case QKeychain::NoBackendAvailable:
        case QKeychain::NotImplemented:
            return KeychainResult::Status::Unavailable;
        case QKeychain::AccessDeniedByUser:
        case QKeychain::AccessDenied:
            return KeychainResult::Status::Denied;
        case QKeychain::CouldNotDeleteEntry:
        case QKeychain::OtherError:
            return KeychainResult::Status::Failed;
    }
    return KeychainResult::Status::Failed;
}

// Starts job and hands its outcome to context's thread in an event of its own: a job may
// end inside start(), and a caller is never called back from inside its own call.
void run(QKeychain::Job* job, QObject* context, KeychainDone done) {
    job->setAutoDelete(true);
    QPointer<QObject> guard(context);
    QObject::connect(job, &QKeychain::Job::finished, job,
                     [guard, done = std::move(done)](QKeychain::Job* finished) {
                         KeychainResult result;
                         result.status = statusOf(finished->error());
                         if (result.status != KeychainResult::Status::Ok) {
                             result.detail = finished->errorString();
                         }
                         if (auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(finished)) {
                             result.password = read->textData();
                         }
                         if (guard) {
                             QMetaObject::invokeMethod(
                                 guard.data(), [done, result] { done(result); },
                                 Qt::QueuedConnection);
                         }
                     });
    job->start();
}

}  // namespace

void keychainRead(const QString& service, const QString& key, QObject* context, KeychainDone done) {
    auto* job = new QKeychain::ReadPasswordJob(service);
    job->setKey(key);
    run(job, context, std::move(done));
}

void keychainWrite(const QString& service, const QString& key, const QString& password,
                   QObject* context, KeychainDone done) {
    auto* job = new QKeychain::WritePasswordJob(service);
    job->setKey(key);
    job->setTextData(password);
    run(job, context, std::move(done));
}

void keychainRemove(const QString& service, const QString& key, QObject* context,
                    KeychainDone done) {
    auto* job = new QKeychain::DeletePasswordJob(service);
    job->setKey(key);
    run(job, context, std::move(done));
}
