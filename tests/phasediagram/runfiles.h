// The inputs of the end-to-end runs of mode 1 on the ideal olivine-
// orthopyroxene-quartz models and the example dataset, and readers of the
// numbers the runs print.
#pragma once

#include <cstdio>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "harness.h"
#include "harness/idealsystem.h"

namespace runtest {

inline const std::string deg = "\xA1";

inline std::string runscript(const std::string& with, const std::string& more, bool pseudosection = false,
                          bool autoexit = true, const std::string& inexcess = "none")
{
    return "axfile axid\nwith " + with + "\ninexcess " + inexcess + "\n" +
           (pseudosection ? "pseudosection\nzeromodeisopleth no\nmodeisopleth no\n" : "pseudosection no\n") +
           "diagramPT 2 20 300 1200\n" + more + (autoexit ? "autoexit\n" : "") + "*\n";
}

inline std::map<std::string, std::string> inputs(const std::string& scripttext, const std::string& ax = pmtest::idealolopx)
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "t", 1)},
            {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
            {"pm-t.txt", scripttext},
            {"pm-axid.txt", ax},
            {"pm-axex.txt", pmtest::examplefile("pm-axex.txt")}};
}

// The lines of a text made of n numbers and nothing else, as numbers.
inline std::vector<std::vector<double>> numberrows(const std::string& text, std::size_t n)
{
    std::vector<std::vector<double>> rows;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        std::istringstream words(line);
        std::vector<double> row;
        std::string w;
        bool numbers = true;
        while (words >> w && numbers) {
            char* end = nullptr;
            const double v = std::strtod(w.c_str(), &end);
            numbers = *end == '\0';
            row.push_back(v);
        }
        if (numbers && row.size() == n) rows.push_back(row);
    }
    return rows;
}

inline bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

// The numbers of the line after the first line that starts with head.
inline std::vector<double> rowafter(const std::string& text, const std::string& head)
{
    const std::size_t at = text.find("\n" + head);
    if (at == std::string::npos) return {};
    const std::size_t from = text.find('\n', at + 1) + 1;
    std::istringstream in(text.substr(from, text.find('\n', from) - from));
    std::vector<double> v;
    for (double x; in >> x;) v.push_back(x);
    return v;
}

}  // namespace runtest
