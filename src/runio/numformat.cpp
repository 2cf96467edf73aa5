// Number text: every printed number goes through the decimal record here,
// so the rounding of the last digit (to nearest, ties to even) is our own;
// only a value quoted in a message is written as the shortest text that
// reads back as it, which rounds nothing.
#include "runio/runio.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace runio {

namespace {

// Beyond this the rounded value has no 32-bit integer digit form.
constexpr double digitlimit = 2147483646.0;

std::string nonfinitetext(double x)
{
    if (std::isnan(x)) return "NaN";
    return x < 0 ? "-Inf" : "Inf";
}

std::string integerdigits(double v)
{
    // v is a non-negative whole number below 2^31
    return std::to_string(static_cast<long long>(v));
}

}  // namespace

std::string inttext(long long n) { return std::to_string(n); }

std::string wholetext(double w)
{
    if (w == 0.0) w = 0.0;   // no "-0"
    char buf[400];            // the digits of the largest double, 309 of them
    std::snprintf(buf, sizeof buf, "%.0f", w);
    return buf;
}

double tenpower(int k)
{
    static constexpr double steps[9] = {10.0, 1e2, 1e4, 1e8, 1e16, 1e32, 1e64, 1e128, 1e256};
    int a = k < 0 ? -k : k;
    double p = 1.0;
    for (int bit = 0; bit < 9 && a != 0; ++bit, a >>= 1)
        if (a & 1) p *= steps[bit];
    if (a != 0) p = HUGE_VAL;   // beyond any double
    return k < 0 ? 1.0 / p : p;
}

void realtodec(const DecFormat& fmt, DecRec& rec, double x)
{
    const double a = std::fabs(x);
    const int n = fmt.count;
    rec.exponent = 0;
    rec.sign = 0;
    if (a < 1e-12) {
        rec.digits = "0";
        return;
    }
    if (x < 0) rec.sign = 1;
    if (fmt.kind == fixedkind) {
        rec.exponent = -n;
    } else {
        // Count the integer digits after rounding to n significant digits; the
        // guard of a little more than half a unit makes 9.99996 at 4 digits a
        // two-digit number.  The search runs over the whole range of doubles
        // so that no finite magnitude is left without digits.
        const double h = 0.55 * tenpower(-n);
        int k = 1;
        if (a >= 1.0 - h) {
            while (std::trunc(a / tenpower(k) + h) != 0.0 && k < 330) ++k;
            rec.exponent = k - n;
        } else {
            while (std::trunc(a * tenpower(k) + h) <= 0.0 && k < 330) ++k;
            rec.exponent = 1 - k - n;
        }
    }
    double v = rec.exponent <= 0 ? a * tenpower(-rec.exponent) : a / tenpower(rec.exponent);
    if (fmt.kind == fixedkind && a > 1e20) v = 2147483648.0;
    if (v < digitlimit) {
        rec.digits = integerdigits(std::nearbyint(v));
        if (rec.digits.size() > static_cast<std::size_t>(namelen)) rec.digits.resize(namelen);
    } else {
        rec.digits = std::string(20, ' ');
    }
}

void dectostr(const DecFormat& fmt, const DecRec& rec, std::string& text)
{
    std::string s = rec.digits;
    const int n = fmt.count;
    if (fmt.kind == fixedkind) {
        while (static_cast<int>(s.size()) < n) s.insert(0, "0");
        if (n > 0) s.insert(s.size() - static_cast<std::size_t>(n), ".");
        if (!s.empty() && s[0] == '.') s.insert(0, "0");
    } else {
        const int e = n + rec.exponent - 1;
        if (e < 1)
            s += "e-" + std::to_string(-e);
        else
            s += "e+" + std::to_string(e);
        s.insert(1, ".");
    }
    if (rec.sign == 1) s.insert(0, "-");
    if (s.size() > static_cast<std::size_t>(namelen)) s.resize(namelen);
    text = s;
}

std::string decdigits22(const std::string& s) { return str22(s); }

std::string str5(const std::string& s) { return s.size() > 5 ? s.substr(0, 5) : s; }

std::string realstr(double x, int n, bool fixed)
{
    if (!std::isfinite(x)) return nonfinitetext(x);
    if (x == 0.0 || std::fabs(x) < 1e-12) return "0";
    DecRec rec;
    DecFormat fmt;
    if (fixed) {
        fmt = {fixedkind, n};
        realtodec(fmt, rec, x);
        if (static_cast<int>(rec.digits.size()) > n + 5 || rec.digits[0] == ' ') {
            fmt = {significantkind, n};
            realtodec(fmt, rec, x);
        }
    } else {
        fmt = {significantkind, n};
        realtodec(fmt, rec, x);
        const int e = rec.exponent;
        if (e <= 1 && -e < n + 4) {
            fmt = {fixedkind, e < 0 ? -e : 0};
            realtodec(fmt, rec, x);
        }
    }
    std::string text;
    dectostr(fmt, rec, text);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    return text;
}

std::string realstrshort(double x)
{
    if (!std::isfinite(x)) return nonfinitetext(x);
    if (x == 0.0) return "0";
    DecRec rec;
    const DecFormat fmt{fixedkind, 0};
    realtodec(fmt, rec, x);
    // A whole number too large for the digit form is shown with nine
    // significant digits rather than as a blank.
    if (rec.digits[0] == ' ') return realstr(x, 9, false);
    std::string text;
    dectostr(fmt, rec, text);
    if (!text.empty() && text[0] == ' ') text.erase(0, 1);
    return text;
}

std::string valuetext(double x)
{
    if (!std::isfinite(x)) return nonfinitetext(x);
    if (std::fabs(x) < 1e15 && std::fabs(x - std::nearbyint(x)) <= 1e-9 * std::fmax(1.0, std::fabs(x)))
        return realstrshort(x);
    // The shortest text that reads back as x, its exponent as the readers
    // take it (no "+").
    char buffer[32];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, x).ptr;
    std::string text(buffer, end);
    const std::size_t plus = text.find("e+");
    if (plus != std::string::npos) text.erase(plus + 1, 1);
    return text;
}

std::string pointtext(double p, double t)
{
    const auto rounded = [](double x) { return valuetext(std::fabs(x) < 1e9 ? std::round(x * 1e6) / 1e6 : x); };
    return rounded(p) + " kbar, " + rounded(t - 273.15) + degreesc;
}

int ndecimals(double x)
{
    if (std::fabs(x - std::nearbyint(x)) < 1e-8) return 1;
    const double f = std::fabs(x) - std::trunc(std::fabs(x));
    // 10^9 is the largest power of ten a 32-bit count holds; a value with
    // more decimals than that (1/3, say) is given 9.
    long long p = 1;
    for (int k = 1; k <= 9; ++k) {
        p *= 10;
        const double y = f * static_cast<double>(p);
        if (std::fabs(y - std::nearbyint(y)) < 1e-4) return k;
    }
    return 9;
}

int ndecimals2(double x)
{
    if (std::fabs(x - std::nearbyint(x)) < 1e-8) return 0;
    const double f = std::fabs(x) - std::trunc(std::fabs(x));
    for (int k = 1; k <= 17; ++k) {
        const double y = f * tenpower(k);
        if (std::fabs(y - std::nearbyint(y)) < 1e-8) return k;
    }
    return 17;
}

void putrealauto(double x, int width, std::string& buffer)
{
    const int k = ndecimals2(x);
    if (k == 0)
        addfield(realstrshort(x), width, buffer);
    else
        addfield(realstr(x, k <= 8 ? k : 8, true), width, buffer);
}

int li2i(long long n)
{
    if (n >= 32768 || n <= -32768) bomb("li2i", " longint -> int conversion failed", 0);
    return static_cast<int>(n);
}

int realclass(double x) { return x == 0.0 ? 3 : 4; }

}  // namespace runio
