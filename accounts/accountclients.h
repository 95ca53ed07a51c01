#pragma once

#include <QString>
#include <memory>

#include "accounts/accountclient.h"
#include "platform/net/fetchoptions.h"

class HttpClient;
class WorkerPool;

// The protocols an account may speak, by the name accounts.ini gives them ("ttrss").
// Nothing else asks which one runs.
[[nodiscard]] bool isAccountType(const QString& type);
// A client for the account, or none for a type no protocol answers to. http and workers
// outlive it.
[[nodiscard]] std::unique_ptr<AccountClient> makeAccountClient(const QString& type,
                                                               const AccountConnection& connection,
                                                               HttpClient& http,
                                                               WorkerPool& workers,
                                                               const FetchOptions& options = {});
