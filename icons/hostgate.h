#pragma once

#include <QHash>
#include <QString>
#include <QtGlobal>
#include <deque>
#include <utility>
#include <vector>

// Who may fetch next: at most one fetch per host at a time and maxActive in all, the others
// waiting in order of arrival, so that many sites never storm one server nor the network.
class HostGate {
public:
    explicit HostGate(int maxActive) : limit(maxActive) {}

    // A fetch from host waits for its turn under ticket.
    void enqueue(const QString& host, quint64 ticket);
    // The tickets that may start now, in order of arrival; they count as active until
    // finish().
    [[nodiscard]] std::vector<quint64> takeReady();
    // A fetch from host has ended (or was dropped before it began).
    void finish(const QString& host);
    // Forgets a ticket still waiting; false when it was not waiting.
    bool drop(quint64 ticket);
    void clear();

    [[nodiscard]] int activeCount() const { return active; }
    [[nodiscard]] int waitingCount() const { return int(waiting.size()); }

private:
    int limit;
    int active = 0;
    QHash<QString, int> busyHosts;
    std::deque<std::pair<QString, quint64>> waiting;
};
