// Everything asked at the terminal, and the word-splitting of input lines.
// Every prompt and reply is copied to the log and every reply tested for "kill".
#include "runio/runio.h"
#include "runio/scriptset.h"

#include <cstdio>
#include <cstdlib>

namespace runio {

namespace {

bool logopen() { return (chans.chanset & mlog) != 0; }

// One line from standard input; false at the end of input.
bool readreply(std::string& s)
{
    flushfiles();
    std::fflush(stdout);
    return readstdinline(s);
}

// A reply the run cannot go on without: the end of input ends the run.
void needreply(std::string& s)
{
    if (!readreply(s)) bomb("read in prstrings", "end of input", 0);
}

void logecho(const Words& words)
{
    if (!logopen()) return;
    std::string echo;
    if (words.n == 0) {
        echo = "(nothing input)";
    } else if (words.n == 1) {
        echo = words[1];
    } else {
        echo = " ";
        for (int i = 1; i <= words.n; ++i) echo += words[i] + " ";
    }
    putstr(0, echo, 1, mlog);
}

}  // namespace

bool readstdinline(std::string& s) { return readfileline(stdin, s); }

void prstrings(Words& words)
{
    std::string raw;
    for (;;) {
        needreply(raw);
        std::string edited;
        edited.reserve(raw.size());
        for (char ch : raw) {
            if (ch == '\b') {
                if (!edited.empty()) edited.pop_back();
            } else {
                edited.push_back(ch);
            }
        }
        // A reply is at most 255 characters; a longer one is refused rather
        // than cut, so that no value is silently lost.
        if (edited.size() <= static_cast<std::size_t>(maxstr)) {
            string2strings(edited, static_cast<int>(edited.size()), words);
            return;
        }
        putstr(0, "reply longer than 255 characters - type it again : ", 0, msl);
    }
}

void promptstrings(const std::string& prompt, Words& words)
{
    putstr(0, prompt + " : ", 0, msl);
    prstrings(words);
    logecho(words);
    if (words.n == 1 && iskill(words[1])) killrun();
}

void promptstring(const std::string& prompt, std::string& word)
{
    Words words;
    promptstrings(prompt, words);
    word = words.n > 0 ? words[1] : std::string();
}

namespace {

// The loop shared by the one-value prompts: ask again with a single blank
// after an empty reply and with the conversion's message after a bad one.
template <class Convert>
void promptvalue(const std::string& prompt, Convert convert)
{
    Words words;
    std::string next = prompt, message;
    for (;;) {
        promptstrings(next, words);
        if (words.n == 0) {
            next = " ";
            continue;
        }
        if (iskill(words[1])) killrun();
        if (convert(str22(words[1]), message)) return;
        next = message;
    }
}

}  // namespace

bool promptreal(const std::string& prompt, double& x)
{
    promptvalue(prompt, [&](const std::string& w, std::string& m) { return str2real(w, x, m); });
    return true;
}

double promptcelsius(const std::string& prompt)
{
    // Every Gibbs energy is taken at the temperature in kelvin, which must be
    // above absolute zero: a typed slip there is asked again, not carried on
    // to the calculation.
    for (;;) {
        double tc = 0.0;
        promptreal(prompt, tc);
        if (usablecelsius(tc)) return tc + 273.15;
        putstr(0, "the temperature " + abovezerotext + ": give it again", 1, msl);
    }
}

bool usablecelsius(double tc) { return tc + 273.15 > 0.0; }

void promptinteger(const std::string& prompt, int& n)
{
    promptvalue(prompt, [&](const std::string& w, std::string& m) {
        int v;
        if (!str2int(w, v, m)) return false;
        n = v;
        return true;
    });
}

void promptreals(const std::string& prompt, Arr<double, maxwords + 1>& values, int& n)
{
    if (n > maxwords) bomb("promptreals", "too many values asked for" + std::string(" (max = 400)"), 1);
    const bool counted = n <= 0;   // as many values as the reply gives
    Words words, more;
    promptstrings(prompt, words);
    if (counted) {
        n = words.n;
    } else {
        // Words beyond the n-th are not used, so the list never needs to grow past 400.
        while (words.n < n) {
            promptstrings(" ", more);
            for (int i = 1; i <= more.n && words.n < maxwords; ++i) words[++words.n] = more[i];
        }
    }
    if (n == 0) return;
    for (int i = 1; i <= words.n; ++i)
        if (iskill(words[i])) killrun();
    std::string message;
    for (int i = 1; i <= n; ++i) {
        double v;
        while (!str2real(words[i], v, message)) {
            std::string next = message;
            for (;;) {
                promptstrings(next, more);
                if (more.n > 0) break;
                next = " ";
            }
            for (int k = 1; k <= more.n; ++k)
                if (iskill(more[k])) killrun();
            // The reply that replaces a bad word is read whole, as the first
            // one is: its words take the bad word's place, so a window typed
            // again as "4 12" keeps both its ends.
            if (counted && words.n - 1 + more.n > maxwords)
                bomb("promptreals", "too many values" + maxlabel(maxwords), 0);
            Words spliced;
            for (int k = 1; k < i; ++k) spliced[++spliced.n] = words[k];
            for (int k = 1; k <= more.n && spliced.n < maxwords; ++k) spliced[++spliced.n] = more[k];
            for (int k = i + 1; k <= words.n && spliced.n < maxwords; ++k) spliced[++spliced.n] = words[k];
            words = spliced;
            if (counted) n = words.n;
        }
        values[i] = v;
    }
}

namespace {

// A yes/no question; at the end of input the answer is no when endisno,
// and otherwise the run ends there.
bool askquery(const std::string& question, bool endisno)
{
    putstr(0, question + " ? ", 0, msl);
    std::string reply;
    bool got = readreply(reply);
    if (got && reply == "?") {
        putstr(1, "sorry, you are on your own...", 2, msl);
        putstr(0, question + " ? ", 0, msl);
        got = readreply(reply);
    }
    if (!got) {
        if (!endisno) bomb("read in prstrings", "end of input", 0);
        // Nothing was typed to end the question's line on the screen.
        putstr(0, "", 1, mscreen);
        if (logopen()) putstr(0, "no", 1, mlog);
        return false;
    }
    const std::string r = trim(reply);
    const bool yes = r.empty() || r == "1" || r == "yes" || r == "y" || r == "Y";
    if (logopen()) putstr(0, yes ? "yes" : "no", 1, mlog);
    if (iskill(r)) killrun();
    return yes;
}

}  // namespace

bool query(const std::string& question) { return askquery(question, false); }

bool closingquery(const std::string& question) { return askquery(question, true); }

void promptcontrol(const std::string& question, int& sw)
{
    if (sw != 2) return;
    putstr(0, question + " ? ", 0, msl);
    std::string reply;
    needreply(reply);
    const std::string r = trim(reply);
    const bool yes = r.empty() || r == "yes" || r == "y" || r == "1" || r == "ok";
    if (logopen()) putstr(0, yes ? "yes" : "no", 1, mlog);
    if (iskill(r)) killrun();
    sw = yes ? 0 : 1;
}

void rstrings(TextFile& tf, Words& words)
{
    flushfiles();
    std::string text;
    if (!readrawline(tf, text)) {
        screenwrite("\"" + text + "\"\n");
        bomb("read in rstrings", "problems reading", 0);
    }
    // A line is at most 255 characters; cutting a longer one would shift
    // every value after the cut, so it is refused.
    if (text.size() > static_cast<std::size_t>(maxstr))
        bomb("read in rstrings", "line longer than 255 characters in the file \"" + tf.name + "\"", 0);
    string2strings(text, static_cast<int>(text.size()), words);
}

void readwords(TextFile& tf, Words& words, bool dropcomments)
{
    rstrings(tf, words);
    if (!dropcomments) return;
    for (int i = 1; i <= words.n; ++i) {
        if (!words[i].empty() && words[i][0] == '%') {
            for (int j = i; j <= words.n; ++j) words[j].clear();
            words.n = i - 1;
            return;
        }
    }
}

bool readlogicalline(TextFile& tf, Words& words, std::string& toolong)
{
    const int before = words.n;
    words.n = 0;
    toolong.clear();
    Words phys;
    int nphysical = 0;
    bool more = true;
    while (more) {
        if (nphysical == maxphysical) {
            toolong = "multiline gone berko";
            break;
        }
        ++nphysical;
        readwords(tf, phys, true);
        more = phys.n > 0 && phys[phys.n] == "\\";
        if (more) phys[phys.n--].clear();
        if (phys.n == 0) break;
        if (words.n + phys.n > maxwords) {
            toolong = "too many strings in a multiline";
            break;
        }
        for (int i = 1; i <= phys.n; ++i) words[++words.n] = phys[i];
        // The end of the file ends a continued line as an empty line would.
        if (more && atend(tf)) more = false;
    }
    for (int i = words.n + 1; i <= before; ++i) words[i].clear();
    return words.n > 0;
}

void yesnoask(const Words& words, int& sw, int& used)
{
    sw = 0;
    used = 1;
    if (words.n < 2) return;
    const std::string& w = words[2];
    if (w == "yes") {
        used = 2;
    } else if (w == "no") {
        sw = 1;
        used = 2;
    } else if (w == "ask") {
        sw = 2;
        used = 2;
    }
}

}  // namespace runio
