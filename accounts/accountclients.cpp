#include "accounts/accountclients.h"

#include "accounts/ttrss/ttrssclient.h"

bool isAccountType(const QString& type) {
    return type == QLatin1String("ttrss");
}

std::unique_ptr<AccountClient> makeAccountClient(const QString& type,
                                                 const AccountConnection& connection,
                                                 HttpClient& http, WorkerPool& workers,
                                                 const FetchOptions& options) {
    if (type == QLatin1String("ttrss")) {
        return std::make_unique<TtrssClient>(connection, http, workers, options);
    }
    return nullptr;
}
