#include "rules/keywordautomaton.h"

#include <algorithm>
#include <deque>
#include <map>

KeywordAutomaton::KeywordAutomaton(const QList<QString>& keywords) {
    // Number the characters, one page of 256 per high byte that occurs.
    int unitCount = 0;
    for (const QString& keyword : keywords) {
        for (const QChar ch : keyword) {
            const char16_t c = ch.unicode();
            quint16& page = pageOf[c >> 8];
            if (page == 0) {
                page = quint16(units.size());
                units.push_back({});
            }
            quint16& unit = units[page][c & 0xFF];
            // Past 65535 numbers (a file made to break this), characters go unnumbered and
            // keywords holding them are never found.
            if (unit == 0 && unitCount < 0xFFFF) {
                unit = quint16(++unitCount);
            }
        }
    }

    // The trie, built with ordered children; fail links and outputs breadth first.
    std::vector<std::map<int, int>> children(1);
    std::vector<std::vector<int>> ends(1);
    for (qsizetype k = 0; k < keywords.size(); ++k) {
        if (keywords[k].isEmpty()) {
            continue;
        }
        int state = 0;
        for (const QChar ch : keywords[k]) {
            const int unit = unitOf(ch.unicode());
            const auto child = children[state].find(unit);
            if (child != children[state].end()) {
                state = child->second;
                continue;
            }
            children[state].emplace(unit, int(children.size()));
            state = int(children.size());
            children.emplace_back();
            ends.emplace_back();
        }
        ends[state].push_back(int(k));
    }
    nodeCount = int(children.size());

    rootNext.assign(unitCount + 1, 0);
    for (const auto& [unit, target] : children[0]) {
        rootNext[unit] = target;
    }
    edgeStart.assign(nodeCount + 1, 0);
    for (int s = 0; s < nodeCount; ++s) {
        edgeStart[s + 1] = edgeStart[s] + (s == 0 ? 0 : int(children[s].size()));
        if (s == 0) {
            continue;
        }
        for (const auto& [unit, target] : children[s]) {
            edgeUnit.push_back(unit);
            edgeTarget.push_back(target);
        }
    }

    fail.assign(nodeCount, 0);
    std::vector<int> order;
    order.reserve(nodeCount);
    std::deque<int> queue;
    for (const auto& [unit, target] : children[0]) {
        queue.push_back(target);
    }
    while (!queue.empty()) {
        const int state = queue.front();
        queue.pop_front();
        order.push_back(state);
        for (const auto& [unit, target] : children[state]) {
            fail[target] = next(fail[state], unit);
            queue.push_back(target);
        }
    }
    // A state's outputs are its own keywords and those of its fail state, which lies
    // nearer the root and so was completed before it.
    std::vector<std::vector<int>> found(nodeCount);
    for (const int state : order) {
        found[state] = ends[state];
        const std::vector<int>& inherited = found[fail[state]];
        found[state].insert(found[state].end(), inherited.begin(), inherited.end());
    }
    outputStart.assign(nodeCount + 1, 0);
    for (int s = 0; s < nodeCount; ++s) {
        outputStart[s + 1] = outputStart[s] + int(found[s].size());
        outputs.insert(outputs.end(), found[s].begin(), found[s].end());
    }
}

int KeywordAutomaton::next(int state, int unit) const {
    while (state != 0) {
        const auto begin = edgeUnit.begin() + edgeStart[state];
        const auto end = edgeUnit.begin() + edgeStart[state + 1];
        const auto edge = std::lower_bound(begin, end, unit);
        if (edge != end && *edge == unit) {
            return edgeTarget[edge - edgeUnit.begin()];
        }
        state = fail[state];
    }
    return rootNext[unit];
}
