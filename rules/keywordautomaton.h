#pragma once

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <vector>

// Finds many keywords in a text in one pass (Aho–Corasick over UTF-16 units). Built once,
// then only read: one automaton may scan on several threads at once.
class KeywordAutomaton {
public:
    KeywordAutomaton() = default;
    // Keyword i is reported as i; empty keywords are never found.
    explicit KeywordAutomaton(const QList<QString>& keywords);

    [[nodiscard]] bool isEmpty() const { return nodeCount <= 1; }

    // Calls found(i) at every place keyword i ends in text (so once per occurrence).
    template <typename Found>
    void scan(QStringView text, Found&& found) const {
        int state = 0;
        for (const QChar c : text) {
            const int unit = unitOf(c.unicode());
            if (unit == 0) {
                state = 0;
                continue;
            }
            state = next(state, unit);
            for (int o = outputStart[state]; o < outputStart[state + 1]; ++o) {
                found(outputs[o]);
            }
        }
    }

private:
    // Keyword characters are numbered 1 … n; 0 stands for every character no keyword has,
    // after which no keyword can go on.
    [[nodiscard]] int unitOf(char16_t c) const { return units[pageOf[c >> 8]][c & 0xFF]; }
    [[nodiscard]] int next(int state, int unit) const;

    int nodeCount = 1;
    std::array<quint16, 256> pageOf{};
    // Page 0 maps every character to 0.
    std::vector<std::array<quint16, 256>> units{std::array<quint16, 256>{}};
    // From the root, one entry per character number; from other states, sorted edges.
    std::vector<int> rootNext;
    std::vector<int> edgeStart;
    std::vector<int> edgeUnit;
    std::vector<int> edgeTarget;
    std::vector<int> fail;
    // The keywords ending at each state, its own and those of shorter suffixes.
    std::vector<int> outputStart{0, 0};
    std::vector<int> outputs;
};
