#include "icons/hostgate.h"

#include <algorithm>

void HostGate::enqueue(const QString& host, quint64 ticket) {
    waiting.emplace_back(host, ticket);
}

std::vector<quint64> HostGate::takeReady() {
    std::vector<quint64> ready;
    for (auto it = waiting.begin(); it != waiting.end() && active < limit;) {
        if (busyHosts.contains(it->first)) {
            ++it;
            continue;
        }
        busyHosts.insert(it->first, 1);
        ++active;
        ready.push_back(it->second);
        it = waiting.erase(it);
    }
    return ready;
}

void HostGate::finish(const QString& host) {
    if (busyHosts.remove(host) > 0) {
        --active;
    }
}

bool HostGate::drop(quint64 ticket) {
    const auto it = std::find_if(waiting.begin(), waiting.end(),
                                 [ticket](const auto& entry) { return entry.second == ticket; });
    if (it == waiting.end()) {
        return false;
    }
    waiting.erase(it);
    return true;
}

void HostGate::clear() {
    waiting.clear();
    busyHosts.clear();
    active = 0;
}
