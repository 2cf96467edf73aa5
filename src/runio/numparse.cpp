// Classification and conversion of the words the program reads: replies,
// preferences, script, dataset and a-x words all go through here.
#include "runio/runio.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <cmath>

namespace runio {

namespace {

bool isdigitchar(char ch) { return ch >= '0' && ch <= '9'; }

// Decimal exponents beyond this are refused: a number such a word stands for
// is no quantity of this program, and the power of ten of the record is not
// meant to reach so far.
constexpr int maxdecexponent = 63;

}  // namespace

int wordkind(const std::string& word)
{
    int first, last;
    wordbounds(word, first, last);
    if (first == 0) return 0;
    if (first == last) return isdigitchar(word[first - 1]) ? 1 : 4;
    int i = first;
    if (word[i - 1] == '-') ++i;
    bool havepoint = false, havee = false, haveslash = false;
    char prev = '\0';
    char lastexamined = '\0';
    int pos = 0;
    for (; i <= last; ++i) {
        const char ch = word[i - 1];
        ++pos;
        if (isdigitchar(ch)) {
        } else if (ch == '.') {
            if (havepoint || pos == 1 || havee || haveslash) return 4;
            havepoint = true;
        } else if (ch == 'e' || ch == 'E') {
            if (havee || pos == 1 || prev == '.' || haveslash) return 4;
            havee = true;
        } else if (ch == '-' || ch == '+') {
            if (!(prev == 'e' || prev == 'E') || !havee) return 4;
        } else if (ch == '/') {
            if (haveslash || pos == 1 || havepoint || havee) return 4;
            haveslash = true;
        } else if (isblankchar(ch)) {
            break;
        } else {
            return 4;
        }
        prev = ch;
        lastexamined = ch;
    }
    if (lastexamined == '.' || lastexamined == '/') return 4;
    if (lastexamined == 'e' || lastexamined == 'E') return 4;
    if ((lastexamined == '-' || lastexamined == '+') && havee) return 4;
    if (haveslash) return 3;
    if (!havepoint && !havee) return 1;
    return 2;
}

bool isnumberkind(int kind) { return kind >= 1 && kind <= 3; }

void strtodec(const std::string& text, DecRec& rec, bool& ok)
{
    ok = false;
    rec = DecRec{0, 0, "0"};
    const std::string t = trim(text);
    if (t.empty()) return;
    std::size_t i = 0;
    if (t[0] == '-') {
        rec.sign = 1;
        ++i;
        if (t.size() == 1) return;
    }
    std::string mantissa;
    int afterpoint = 0;
    bool point = false, anydigit = false;
    for (; i < t.size() && t[i] != 'e' && t[i] != 'E'; ++i) {
        const char ch = t[i];
        if (isdigitchar(ch)) {
            mantissa.push_back(ch);
            anydigit = true;
            if (point) ++afterpoint;
        } else if (ch == '.' && !point) {
            point = true;
        } else {
            return;
        }
    }
    if (!anydigit) return;
    int expo = 0;
    if (i < t.size()) {
        ++i;   // the exponent letter
        bool minus = false, expdigits = false;
        for (; i < t.size(); ++i) {
            const char ch = t[i];
            if (isdigitchar(ch)) {
                expdigits = true;
                if (expo < 10000) expo = expo * 10 + (ch - '0');
            } else if (ch == '-' && !minus && !expdigits) {
                minus = true;
            } else {
                return;
            }
        }
        if (!expdigits) return;
        if (minus) expo = -expo;
    }
    std::size_t z = 0;
    while (z + 1 < mantissa.size() && mantissa[z] == '0') ++z;
    mantissa.erase(0, z);
    rec.digits = mantissa;
    if (mantissa == "0") {
        rec.exponent = 0;
    } else {
        rec.exponent = expo - afterpoint;
        if (rec.exponent > maxdecexponent || rec.exponent < -maxdecexponent) return;
    }
    ok = true;
}

double dectoreal(const DecRec& rec)
{
    double v = 0.0;
    for (char ch : rec.digits)
        if (isdigitchar(ch)) v = v * 10.0 + (ch - '0');
    if (rec.sign == 1) v = -v;
    // Dividing by an exact power of ten rounds once, so 0.3 reads as the double nearest 0.3.
    return rec.exponent >= 0 ? v * tenpower(rec.exponent) : v / tenpower(-rec.exponent);
}

bool str2real(const std::string& text, double& x, std::string& message)
{
    message.clear();
    x = 0.0;
    if (trim(text).empty()) return false;
    const std::string t = str22(text);
    DecRec rec;
    bool ok;
    strtodec(t, rec, ok);
    if (!ok) {
        message = t + " not a real: replace with";
        return false;
    }
    x = dectoreal(rec);
    return true;
}

bool str2int(const std::string& text, int& n, std::string& message)
{
    double x;
    n = 0;
    const bool ok = str2real(text, x, message);
    if (trim(text).empty()) return false;
    const std::string t = str22(text);
    if (!ok || (x != 0.0 && std::fabs(x - std::nearbyint(x)) > 1e-8)) {
        message = t + " not an integer: replace with";
        return false;
    }
    if (std::fabs(x) >= 32767.0) {
        message = t + " too large: replace with";
        return false;
    }
    n = static_cast<int>(std::nearbyint(x));
    return true;
}

bool str2rational(const std::string& text, int& p, int& q, std::string& message)
{
    p = 0;
    q = 0;
    const std::size_t slash = text.find('/');
    bool ok = false;
    if (slash != std::string::npos) {
        std::string m;
        if (str2int(text.substr(0, slash), p, m)) ok = str2int(text.substr(slash + 1), q, m);
    }
    if (!ok || p == 0 || q == 0) {
        message = "zero in rational";
        return false;
    }
    message.clear();
    return true;
}

void real2rational(long long& p, long long& q, double x)
{
    // From 2^62 on every double is a whole number and no 64-bit numerator
    // comes nearer: the numerator is held there.
    constexpr long long wholelimit = 1LL << 62;
    const double ax = std::fabs(x);
    if (!(ax < static_cast<double>(wholelimit))) {
        p = ax != ax ? 0 : (x < 0 ? -wholelimit : wholelimit);
        q = 1;
        return;
    }
    if (std::fabs(x - std::nearbyint(x)) < 0.001) {
        p = static_cast<long long>(std::nearbyint(x));
        q = 1;
        return;
    }
    // Continued fraction of |x|, its convergents built as the terms come. It
    // ends when the remainder is below 0.001; when the convergent equals |x|
    // in single precision, the precision amounts pass through on their way
    // here, so that later terms would only expand rounding noise; or when
    // the next convergent would not fit in 64 bits.
    long long h1 = 1, h2 = 0;   // numerators of the last two convergents
    long long k1 = 0, k2 = 1;   // their denominators
    double r = ax;
    for (;;) {
        const double t = std::trunc(r);
        const long long term = static_cast<long long>(t);
        long long h, k;
        if (__builtin_mul_overflow(term, h1, &h) || __builtin_add_overflow(h, h2, &h) ||
            __builtin_mul_overflow(term, k1, &k) || __builtin_add_overflow(k, k2, &k))
            break;
        h2 = h1;
        h1 = h;
        k2 = k1;
        k1 = k;
        r -= t;
        if (r < 0.001) break;
        if (static_cast<float>(static_cast<double>(h1) / static_cast<double>(k1)) == static_cast<float>(ax)) break;
        r = 1.0 / r;
    }
    p = x < 0 ? -h1 : h1;
    q = k1;
}

namespace {

// Counts the number words after word start as getreals and getints scan them:
// false when there are too few.
bool scannumbers(const Words& words, int nwords, int start, int& count, bool (*accept)(int kind))
{
    const int need = std::max(1, std::abs(count));
    if (start + need > nwords) return false;
    const int stop = count > 0 ? std::min(nwords, start + count) : std::min(nwords, 40);
    int found = 0;
    for (int i = start + 1; i <= stop && accept(wordkind(words[i])); ++i) ++found;
    if (count > 0) return found >= count;
    if (found < need) return false;
    count = found;
    return true;
}

bool realkind(int kind) { return isnumberkind(kind); }
bool integerkind(int kind) { return kind == 1; }

}  // namespace

bool getreals(const Words& words, int nwords, int start, std::vector<double>& values, int& count)
{
    if (!scannumbers(words, nwords, start, count, realkind)) return false;
    values.assign(count + 1, 0.0);
    for (int j = 1; j <= count; ++j) {
        const std::string& w = words[start + j];
        std::string m;
        if (wordkind(w) == 3) {
            int p, q;
            if (!str2rational(w, p, q, m)) return false;
            values[j] = static_cast<double>(p) / q;
        } else {
            double x;
            if (!str2real(w, x, m)) return false;
            values[j] = x;
        }
    }
    return true;
}

bool getints(const Words& words, int nwords, int start, std::vector<int>& values, int& count)
{
    if (!scannumbers(words, nwords, start, count, integerkind)) return false;
    values.assign(count + 1, 0);
    for (int j = 1; j <= count; ++j) {
        std::string m;
        int n;
        if (!str2int(words[start + j], n, m)) return false;
        values[j] = n;
    }
    return true;
}

int getinteger(int kind, const std::string& word, const std::string& context)
{
    if (kind != 1) bomb("getinteger", "expecting an integer (1); got: " + word + " - " + context, 0);
    int n;
    std::string m;
    if (!str2int(word, n, m)) bomb("getinteger", "expecting an integer (2); got: " + word + " - " + context, 0);
    return n;
}

double getsingle(int kind, const std::string& word, const std::string& context)
{
    std::string m;
    if (kind == 1 || kind == 2) {
        double x;
        if (!str2real(word, x, m)) bomb("reading", "expecting a single (2); got: " + word + " - " + context, 0);
        return x;
    }
    if (kind == 3) {
        int p, q;
        if (!str2rational(word, p, q, m))
            bomb("reading", "expecting a single (3); got: " + word + " - " + context, 0);
        return static_cast<double>(p) / q;
    }
    bomb("reading", "expecting a single (1); got: " + word + " - " + context, 0);
}

void getrational(int kind, const std::string& word, int& p, int& q, const std::string& context)
{
    std::string m;
    if (kind == 1) {
        if (!str2int(word, p, m)) bomb("reading", "expecting a rational (1); got: " + word + " - " + context, 0);
        q = 1;
    } else if (kind == 2) {
        double x;
        if (!str2real(word, x, m)) bomb("reading", "expecting a rational (2); got: " + word + " - " + context, 0);
        long long lp, lq;
        real2rational(lp, lq, x);
        p = li2i(lp);
        q = li2i(lq);
    } else if (kind == 3) {
        if (!str2rational(word, p, q, m))
            bomb("reading", "expecting a rational (3); got: " + word + " - " + context, 0);
    } else {
        bomb("reading", "expecting a rational (4); got: " + word + " - " + context, 0);
    }
}

void formattext(const std::vector<std::string>& lines)
{
    std::vector<std::string> all;
    for (const std::string& l : lines) {
        if (l.empty()) break;
        int first, last;
        wordbounds(l, first, last);
        if (first == 0) continue;
        // Split by hand so that a long paragraph is caught before the splitter's own limit.
        std::string w;
        for (char ch : l) {
            if (isblankchar(ch)) {
                if (!w.empty()) all.push_back(str22(w));
                w.clear();
            } else {
                w.push_back(ch);
            }
        }
        if (!w.empty()) all.push_back(str22(w));
        if (all.size() > static_cast<std::size_t>(maxwords)) bomb("format text", "too many words in lines", 0);
    }
    putstr(0, "", 1, msl);
    std::string& buf = chans.line2;
    buf.clear();
    for (const std::string& w : all) {
        if (!buf.empty() && buf.size() + w.size() > 78) {
            putstr(0, buf, 1, msl);
            buf.clear();
        }
        buf += w + " ";
    }
    putstr(0, buf, 1, msl);
}

}  // namespace runio
