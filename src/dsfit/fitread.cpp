// Free-format reading of the fit's data files.
#include "dsfit/fitread.h"

#include <cmath>

namespace dsfit {

ReadPlace place;

namespace {

runio::TextFile& infile() { return runio::files.infile; }

[[noreturn]] void truncated(const std::string& item)
{
    runio::bomb(place.where, "the file " + quotedname() + " ends inside the " + item + " of " + place.who, 0);
}

[[noreturn]] void unreadable(const std::string& word, const std::string& item)
{
    runio::bomb(place.where,
                "cannot read \"" + word + "\" as the " + item + " of " + place.who + " in " + quotedname(), 0);
}

}  // namespace

std::string quotedname() { return "\"" + infile().name + "\""; }

double readreal(const std::string& item)
{
    double x;
    std::string word;
    if (!runio::readnumber(infile(), x, word)) {
        if (word.empty()) truncated(item);
        unreadable(word, item);
    }
    return x;
}

int readint(const std::string& item)
{
    double x;
    std::string word;
    if (!runio::readnumber(infile(), x, word)) {
        if (word.empty()) truncated(item);
    } else if (x == std::trunc(x) && std::fabs(x) <= 32767.0) {
        return static_cast<int>(x);
    }
    unreadable(word, item);
}

std::string readrest()
{
    std::string s;
    runio::readrawline(infile(), s);
    return s;
}

void readline(runio::Words& words, const std::string& item)
{
    if (runio::atend(infile())) truncated(item);
    runio::readwords(infile(), words, true);
}

bool nextwords(runio::Words& words)
{
    while (!runio::atend(infile())) {
        runio::readwords(infile(), words, true);
        if (words.n > 0) return true;
    }
    words.n = 0;
    return false;
}

}  // namespace dsfit
