// Reading text files: the few reads the data readers need, on top of stdio.
#include "runio/runio.h"

#include <cmath>
#include <cstdlib>

namespace runio {

namespace {

bool isspacebyte(int c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == 0xCA; }

bool isdigitbyte(int c) { return c >= '0' && c <= '9'; }

// The number forms a data file may hold: an optional sign, digits with at
// most one point, and an optional exponent with its own optional sign.
bool numberform(const std::string& w)
{
    std::size_t i = 0;
    if (i < w.size() && (w[i] == '+' || w[i] == '-')) ++i;
    bool digits = false, point = false;
    for (; i < w.size(); ++i) {
        if (isdigitbyte(w[i])) digits = true;
        else if (w[i] == '.' && !point) point = true;
        else break;
    }
    if (!digits) return false;
    if (i == w.size()) return true;
    if (w[i] != 'e' && w[i] != 'E') return false;
    ++i;
    if (i < w.size() && (w[i] == '+' || w[i] == '-')) ++i;
    bool expdigits = false;
    for (; i < w.size(); ++i) {
        if (!isdigitbyte(w[i])) return false;
        expdigits = true;
    }
    return expdigits;
}

}  // namespace

bool openread(TextFile& tf, const std::string& name)
{
    closeread(tf);
    tf.f = std::fopen(name.c_str(), "rb");
    tf.name = name;
    return tf.f != nullptr;
}

void closeread(TextFile& tf)
{
    if (tf.f != nullptr) std::fclose(tf.f);
    tf.f = nullptr;
}

void rewindfile(TextFile& tf)
{
    if (tf.f != nullptr) std::rewind(tf.f);
}

bool atend(TextFile& tf)
{
    if (tf.f == nullptr) return true;
    const int c = std::fgetc(tf.f);
    if (c == EOF) return true;
    std::ungetc(c, tf.f);
    return false;
}

int readchar(TextFile& tf)
{
    if (tf.f == nullptr) return -1;
    int c = std::fgetc(tf.f);
    if (c == EOF) return -1;
    if (c == '\r') {
        const int d = std::fgetc(tf.f);
        if (d == '\n') return '\n';
        if (d != EOF) std::ungetc(d, tf.f);
    }
    return c;
}

bool readfileline(std::FILE* f, std::string& s)
{
    s.clear();
    int c;
    bool any = false;
    while ((c = std::fgetc(f)) != EOF) {
        any = true;
        if (c == '\n') break;
        s.push_back(static_cast<char>(c));
    }
    if (!s.empty() && s.back() == '\r') s.pop_back();
    return any;
}

bool readrawline(TextFile& tf, std::string& s)
{
    s.clear();
    return tf.f != nullptr && readfileline(tf.f, s);
}

void skipline(TextFile& tf)
{
    if (tf.f == nullptr) return;
    int c;
    while ((c = std::fgetc(tf.f)) != EOF && c != '\n') {
    }
}

bool readnumber(TextFile& tf, double& x, std::string& word)
{
    word.clear();
    x = 0.0;
    if (tf.f == nullptr) return false;
    int c;
    while ((c = std::fgetc(tf.f)) != EOF && isspacebyte(c)) {
    }
    while (c != EOF && !isspacebyte(c)) {
        word.push_back(static_cast<char>(c));
        c = std::fgetc(tf.f);
    }
    // The blank or line end after the number is left for the next read, so
    // that skipping to the end of the line still finds the line end.
    if (c != EOF) std::ungetc(c, tf.f);
    if (!numberform(word)) return false;
    // A number too large for a double (1e999) is no value at all.
    const double v = std::strtod(word.c_str(), nullptr);
    if (!std::isfinite(v)) return false;
    x = v;
    return true;
}

}  // namespace runio
