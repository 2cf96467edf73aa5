// Word handling of texts, bit sets of small integers and heap accounting.
#include "runio/runio.h"

#include <algorithm>

namespace runio {

bool isblankchar(char ch) { return ch == '\t' || ch == ' ' || ch == nbspace; }

void wordbounds(const std::string& s, int& first, int& last)
{
    first = 0;
    last = 0;
    const int len = static_cast<int>(s.size());
    for (int i = 1; i <= len; ++i) {
        if (!isblankchar(s[i - 1])) {
            if (first == 0) first = i;
            last = i;
        }
    }
}

std::string trim(const std::string& s)
{
    int first, last;
    wordbounds(s, first, last);
    if (first == 0) return std::string();
    return s.substr(first - 1, last - first + 1);
}

std::string str22(const std::string& s) { return s.size() > namelen ? s.substr(0, namelen) : s; }

std::string spaces(int n)
{
    if (n <= 0) return std::string();
    return std::string(static_cast<std::size_t>(n > maxstr ? maxstr : n), ' ');
}

bool sameword(std::string& a, std::string& b)
{
    int fa, la, fb, lb;
    wordbounds(a, fa, la);
    wordbounds(b, fb, lb);
    if (fa == 0 || fb == 0) return fa == 0 && fb == 0;
    if (la - fa != lb - fb) return false;
    a = a.substr(fa - 1, la - fa + 1);
    b = b.substr(fb - 1, lb - fb + 1);
    return a == b;
}

bool posinlist(const std::string& name, const std::string* list, int n, int& pos)
{
    for (int i = 1; i <= n; ++i) {
        if (list[i] == name) {
            pos = i;
            return true;
        }
    }
    pos = 0;
    return false;
}

void string2strings(const std::string& line, int length, Words& words)
{
    const int len = std::min(length, static_cast<int>(line.size()));
    int count = 0;
    std::string word;
    bool inword = false;
    auto endword = [&]() {
        if (count >= maxwords)
            bomb("string2strings", "too many \"" + word + "\"", 0);
        words[++count] = word;
        word.clear();
        inword = false;
    };
    for (int i = 0; i < len; ++i) {
        const char ch = line[i];
        if (isblankchar(ch)) {
            if (inword) endword();
        } else {
            inword = true;
            if (word.size() < static_cast<std::size_t>(namelen)) word.push_back(ch);
        }
    }
    if (inword) endword();
    words.n = count;
    for (int i = count + 1; i <= maxwords; ++i) words[i].clear();
}

void BSet(std::uint32_t& set, int k)
{
    if (k < 0 || k > maxbitel) bomb("BSet", "out of range", 0);
    set |= run.bitmask[k];
}

bool BTst(std::uint32_t set, int k)
{
    // Elements outside 0..30 are never members; testing them must not read past the mask table.
    if (k < 0 || k > maxbitel) return false;
    const std::uint32_t m = run.bitmask[k];
    return (set & m) == m;
}

std::uint32_t BAnd(std::uint32_t a, std::uint32_t b) { return a & b; }
std::uint32_t BOr(std::uint32_t a, std::uint32_t b) { return a | b; }

bool divides(std::uint32_t a, std::uint32_t b)
{
    if (a == b || a == 0) return true;
    if (b == 0 || a > b) return false;
    return (a & b) == a;
}

void BSet2(BitSet3& set3, int k)
{
    if (k > maxbitel3) bomb("BSet2", "out of range", 0);
    if (k <= 30)
        BSet(set3[1], k);
    else if (k <= 60)
        BSet(set3[2], k - 30);
    else
        BSet(set3[3], k - 60);
}

bool BTst2(const BitSet3& set3, int k)
{
    if (k > maxbitel3 || k < 0) bomb("BTst2", "out of range", 0);
    if (k <= 30) return BTst(set3[1], k);
    if (k <= 60) return BTst(set3[2], k - 30);
    return BTst(set3[3], k - 60);
}

void BClr2(BitSet3& set3) { set3 = {0, 0, 0, 0}; }

bool setsubset3(const BitSet3& a3, const BitSet3& b3)
{
    const bool aempty = a3[1] == 0 && a3[2] == 0 && a3[3] == 0;
    const bool bempty = b3[1] == 0 && b3[2] == 0 && b3[3] == 0;
    if (aempty || (a3[1] == b3[1] && a3[2] == b3[2] && a3[3] == b3[3])) return true;
    if (bempty) return false;
    for (int i = 1; i <= 3; ++i)
        if ((a3[i] & b3[i]) != a3[i])
            return false;
    return true;
}

void heapalloc(const std::string& name, long long bytes)
{
    run.heaptotal += bytes;
    if (prefs.heapmonitor)
        screenwrite("space allocated for " + name + " is " + realstrshort(bytes / 1024.0) + "k; " +
                    ", heap now " + realstrshort(run.heaptotal / 1024.0) + "k\n");
}

void heapfree(const std::string& name, long long bytes)
{
    run.heaptotal -= bytes;
    if (prefs.heapmonitor)
        screenwrite("space disposed for " + name + "; heap size now " +
                    realstrshort(run.heaptotal / 1024.0) + "k\n");
}

}  // namespace runio
