// The a-x file reader: the word stream with one word of look-ahead, the
// header and verbatim blocks, and the solution-phase and pure-phase entries.
#include "axmodels/axread.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace axmodels {

AxReader rd;
AxFileInfo axinfo;

namespace {

using runio::maxlabel;
using runio::bomb;
using thermodata::findem;

std::string num(int n) { return runio::inttext(n); }

// The look-ahead: the next word of the line, else the first word of the next
// line that has words. A line whose first word begins with "*" ends the input.
void fetchnext()
{
    rd.next.clear();
    if (rd.used < rd.words.n) {
        rd.next = rd.words[++rd.used];
    } else {
        runio::TextFile& f = runio::files.infile;
        while (!rd.ended) {
            if (runio::atend(f)) {
                rd.ended = true;
                break;
            }
            runio::readwords(f, rd.words, true);
            if (rd.words.n == 0) continue;
            if (rd.words[1][0] == '*') {
                rd.ended = true;
                break;
            }
            rd.used = 1;
            rd.next = rd.words[1];
            break;
        }
        if (rd.ended) rd.used = rd.words.n = 0;
    }
    rd.nextkind = runio::wordkind(rd.next);
}

// ---------------------------------------------------------------- blocks of whole lines

// A header or verbatim block: line 1 is "#", then the lines up to the closing
// line, whose slot gets "#" again.
template <std::size_t N>
void readblock(runio::Arr<std::string, N>& lines, int& count, const std::string& toomany)
{
    lines[1] = "#";
    count = 1;
    for (;;) {
        if (count + 1 > static_cast<int>(N) - 1) bomb("setupphases", toomany, 0);
        ++count;
        bool isend;
        const std::string s = readline(isend);
        if (isend) {
            lines[count] = "#";
            return;
        }
        lines[count] = s;
    }
}

// ---------------------------------------------------------------- progress

void showprogress(const std::string& name)
{
    const int k = ph.nph;
    if (rd.fit) {
        runio::putstr(0, "  " + num(k) + ")  " + name, 1, runio::mlog);
        return;
    }
    if (k == 1)
        runio::putstr(0, "reading ax: ", 0, runio::msl);
    else if (k % 20 == 1)
        runio::putstr(0, runio::spaces(12), 0, runio::msl);
    runio::putstr(0, name + " ", k % 20 == 0 ? 1 : 0, runio::msl);
}

// ---------------------------------------------------------------- name forms

bool beginswith(const std::string& s, const char* prefix)
{
    const std::string p(prefix);
    return s.size() >= p.size() && s.compare(0, p.size(), p) == 0;
}

// "p(gr)" -> "gr" when the name is longer than the two-letter prefix.
std::string unwrap(const std::string& s, const char* prefix, std::size_t minlength)
{
    if (s.size() > minlength && beginswith(s, prefix)) return s.substr(2, s.size() - 3);
    return s;
}

struct EntryNames {
    runio::Arr<std::string, maxsolem + 1> prop{};    // proportion names
    runio::Arr<std::string, maxsolem + 1> alpha{};   // van Laar size names
};

void checknameforms(const SolPhase& s, const EntryNames& names)
{
    for (int i = 1; i <= s.nvar; ++i) {
        const std::string& v = s.var[i].name;
        const std::size_t pos = v.find_first_of("([");
        if (beginswith(v, "p(") || pos == std::string::npos || v[pos] != '(' || v.back() != ')')
            bomb("setupphases", "name in varname not of form xyz(min)", 0);
    }
    for (int i = 1; i <= s.n; ++i) {
        const std::string& em = s.em[i].name;
        const std::string rest = unwrap(names.prop[i], "p(", 2);
        if (rest != em)
            bomb("setupphases", "name in propname, \"" + rest + "\" does not match " + em + " in " + s.name, 0);
    }
    if (s.model == 2) {
        for (int i = 1; i <= s.n; ++i) {
            const std::string& em = s.em[i].name;
            const std::string rest = unwrap(names.alpha[i], "a(", 2);
            if (rest != em)
                bomb("setupphases",
                     "name in alphaname, \"" + rest + "\" does not match \"" + em + "\" in " + s.name, 0);
        }
    }
    if (s.model == 0) return;
    int k = 0;
    for (int i = 1; i < s.n; ++i) {
        for (int j = i + 1; j <= s.n; ++j) {
            ++k;
            const std::string& wn = s.wname[k];
            const std::string rest = unwrap(wn, "W(", 1);
            const std::size_t comma = rest.find(',');
            if (comma == std::string::npos) bomb("setupphases", "W not strictsyntax", 0);
            std::string a = rest.substr(0, comma), b = rest.substr(comma + 1);
            std::string ei = s.em[i].name, ej = s.em[j].name;
            std::string a2 = a, b2 = b, ei2 = ei, ej2 = ej;
            const bool inorder = runio::sameword(a, ei) && runio::sameword(b, ej);
            const bool reversed = runio::sameword(a2, ej2) && runio::sameword(b2, ei2);
            if (!inorder && !reversed)
                bomb("setupphases", "names in  W name, \"" + wn + "\" do not match \"" + ei + "\" and \"" + ej +
                                        "\" in " + s.name,
                     0);
        }
    }
}

// ---------------------------------------------------------------- solution-phase entry

void readgenerationflag(const std::string& name)
{
    if (rd.fit) return;
    const bool isint = rd.nextkind == kindint;
    if (thermodata::ds.dsnew) {
        if (isint && nextinteger() == 1) {
            readitem();
        } else if (rd.nextkind == kindname || (isint && nextinteger() == 0)) {
            runio::putstr(2, std::string(37, '-'), 1, runio::msol);
            runio::putstr(0, "running qx4: no qx4 axe flag for " + name + ".", 1, runio::msol);
            runio::putstr(0, "<== qx33 axe codings are likely to give wrong results under qx4 ==>", 1, runio::msol);
            bomb("setupphases", "no qx4 flag for " + name, 0);
        }
    } else {
        if (rd.nextkind == kindname) return;
        if (isint && nextinteger() == 0)
            readitem();
        else
            bomb("setupphases", "incorrect info after no of end-members for " + name, 0);
    }
}

void readvariables(SolPhase& s)
{
    for (int i = 1; i <= s.nvar; ++i) {
        XyzVar& v = s.var[i];
        readitem(ordinal(i) + " variable name");
        v.name = expectname(rd.kind, rd.item, rd.context);
        rd.shortnames[i] = shortname(v.name);
        readitem("guess for " + v.name);
        v.guess = runio::getsingle(rd.kind, rd.item, rd.context);
        if (v.guess == 0.0) s.zeroguess = true;
        if (nextis("sd")) {
            readitem();
            readitem("sd of " + v.name);
            v.sd = runio::getsingle(rd.kind, rd.item, rd.context);
            if (v.sd < 0.0 || v.sd > 1.0) v.sd = 0.0;
        }
        if (nextis("range")) {
            readitem();
            readitem("lower limit of " + v.name);
            v.lower = runio::getsingle(rd.kind, rd.item, rd.context);
            readitem("upper limit of " + v.name);
            v.upper = runio::getsingle(rd.kind, rd.item, rd.context);
            if (v.upper < v.lower) bomb("read", "lower limit > upper limit (1)", 0);
        }
        if (nextis("isQ")) {
            readitem();
            v.isorder = true;
        }
        if (v.name[0] == 'Q' || v.name[0] == 'N') v.isorder = true;
        if (v.isorder) s.hasorder = true;
    }
}

void readinteractions(SolPhase& s, EntryNames& names)
{
    if (nextis("ideal")) {
        readitem();
        s.model = 0;
    } else {
        readitem("start of entering w's");
        if (rd.item == "sf" || rd.item == "regular")
            s.model = 1;
        else if (rd.item == "asf" || rd.item == "vanlaar")
            s.model = 2;
        else
            bomb("setupphases", "not recognised (should be ideal, sf or asf)", 0);
    }
    int k = 0;
    for (int i = 1; i < s.n; ++i) {
        for (int j = i + 1; j <= s.n; ++j) {
            const auto kk = ++k;
            const std::string defname = "W(" + num(i) + "," + num(j) + ")";
            s.wname[kk] = defname;
            s.wsddefaulted[kk] = true;
            if (s.model == 0) continue;
            readitem(defname);
            s.wname[kk] = expectname(rd.kind, rd.item, rd.context);
            readitem("a in w=a+bT+cP in " + defname);
            s.wa[kk] = runio::getsingle(rd.kind, rd.item, rd.context);
            readitem("b in w=a+bT+cP in " + defname);
            s.wb[kk] = runio::getsingle(rd.kind, rd.item, rd.context);
            readitem("c in w=a+bT+cP in " + defname);
            s.wc[kk] = runio::getsingle(rd.kind, rd.item, rd.context);
            if (nextis("sd")) {
                readitem("expecting to enter sd(w)");
                readitem("sd for " + defname);
                s.wsd[kk] = runio::getsingle(rd.kind, rd.item, rd.context);
                s.wsddefaulted[kk] = false;
            }
        }
    }
    s.nw = k;
    if (s.model != 2) return;
    for (int i = 1; i <= s.n; ++i) {
        const std::string defname = "a(" + num(i) + ")";
        readitem(defname);
        names.alpha[i] = expectname(rd.kind, rd.item, rd.context);
        readitem("value of " + defname + "a, in a + bT + cP");
        s.sizea[i] = runio::getsingle(rd.kind, rd.item, rd.context);
        readitem("value of " + defname + "b, in a + bT + cP");
        s.sizeb[i] = runio::getsingle(rd.kind, rd.item, rd.context);
        readitem("value of " + defname + "c, in a + bT + cP");
        s.sizec[i] = runio::getsingle(rd.kind, rd.item, rd.context);
    }
}

void readsitefractions(SolPhase& s)
{
    readitem("no of sf vars for " + s.name);
    const int nsf = runio::getinteger(rd.kind, rd.item, rd.context);
    if (nsf < 2) bomb("setup phases", "less than 2 sf vars for " + s.name, 0);
    if (nsf > maxsf) bomb("setup phases", "too many  sf vars for " + s.name + maxlabel(maxsf), 0);
    s.nsf = nsf;
    for (int k = 1; k <= nsf; ++k) {
        readitem("name of " + ordinal(k) + " sf var");
        s.sfname[k] = expectname(rd.kind, rd.item, rd.context);
        readsfexpr(s.sf[k], " in " + s.sfname[k]);
    }
}

void readidealterm(SolPhase& s, EmRec& e)
{
    readitem("normalisation constant in tmf for " + e.name);
    e.normconst = runio::getsingle(rd.kind, rd.item, rd.context);
    // The ideal activity is this constant times powers of site fractions,
    // and its logarithm is taken.
    if (!(e.normconst > 0.0))
        bomb("setup phases", "the normalisation constant " + rd.item + " in tmf for " + e.name + " in " + s.name +
                                 " in \"" + runio::files.infile.name + "\" must be above 0", 0);
    e.constrational = rd.kind == kindrational;
    readitem("no of sf terms in tmf for " + e.name);
    const int m = runio::getinteger(rd.kind, rd.item, rd.context);
    if (m < 1) bomb("setup phases", "too few terms in tmf for " + e.name, 0);
    if (m > maxidterms) bomb("setup phases", "too many terms in tmf for " + e.name + maxlabel(maxidterms), 0);
    e.nterms = m;
    e.largestpower = 1;
    for (int t = 1; t <= m; ++t) {
        IdealTerm& term = e.term[t];
        readitem("name for " + ordinal(t) + " sf term in tmf for " + e.name);
        if (rd.kind != kindname) bomb("setup phases", rd.item + " not a " + rd.context, 0);
        if (!runio::posinlist(rd.item, s.sfname.data(), s.nsf, term.sf))
            bomb("setup phases", rd.item + " not a sf name: " + rd.context, 0);
        readitem(" power for " + ordinal(t) + " sf term in tmf for " + e.name);
        runio::getrational(rd.kind, rd.item, term.p, term.q, rd.context);
        // the power as a whole number, truncated towards zero
        if (term.p / term.q > e.largestpower) e.largestpower = term.p / term.q;
    }
}

void readsolphase(const std::string& name)
{
    if (ph.nss + 1 > maxnp) bomb("setup phases", "too many ss phases" + maxlabel(maxnp), 0);
    ++ph.nss;
    SolPhase& s = ph.prec1[ph.nss];
    s = SolPhase{};
    s.name = name;
    rd.phase = name;
    rd.shortnames.fill(std::string());

    readitem("no of end-members in " + name);
    const int n = runio::getinteger(rd.kind, rd.item, rd.context);
    if (n > maxsolem) bomb("setup phases", "phase too big for auto gammas", 0);
    s.n = n;
    s.nvar = n - 1;
    rd.nvar = s.nvar;
    for (int i = 1; i <= maxsolem; ++i) s.sizea[i] = 1.0;

    readgenerationflag(name);
    if (nextis("verbatim")) {
        readblock(s.verbatim, s.nverbatim, "too many info lines for " + name);
        readitem("end of verbatim for " + name);
    } else {
        s.noverbatim = true;
    }
    readvariables(s);

    EntryNames names;
    for (int i = 1; i <= s.n; ++i) {
        readitem("name of " + ordinal(i) + " p var");
        names.prop[i] = expectname(rd.kind, rd.item, rd.context);
        readsfexpr(s.prop[i], " in " + names.prop[i]);
    }
    readinteractions(s, names);
    readsitefractions(s);
    if (n < 2) bomb("setup phases", "less than 2 end-members in " + name, 0);

    for (int i = 1; i <= n; ++i) {
        EmRec& e = s.em[i];
        readitem("end-member name in " + name);
        e = EmRec{};
        e.name = expectname(rd.kind, rd.item, rd.context);
        readidealterm(s, e);
        readmodifiers(&e, nullptr, "code for additional end-member info for " + e.name);
        checkendmember(&e, nullptr);
    }

    // An interaction energy given without its uncertainty gets one that grows
    // with the site multiplicity of the model and the van Laar sizes.
    double meanpower = 0.0;
    for (int i = 1; i <= n; ++i) meanpower += s.em[i].largestpower;
    meanpower /= n;
    int k = 0;
    for (int i = 1; i < n; ++i) {
        for (int j = i + 1; j <= n; ++j) {
            const auto kk = ++k;
            if (s.wsddefaulted[kk])
                s.wsd[kk] = axinfo.wsddefault * meanpower *
                            (s.sizea[i] + s.sizea[j]) / 2.0;
            if (s.model != 0) s.gterm[kk] = {k, i, j};
        }
    }
    s.ngterm = s.model != 0 ? s.nw : 0;

    if (runio::prefs.axnamecheck) checknameforms(s, names);
}

// ---------------------------------------------------------------- pure-phase entry

void readactivity(PurePhase& p)
{
    readitem("fixed activity for" + p.name);
    const double a = runio::getsingle(rd.kind, rd.item, rd.context);
    if (!(a > 0.0 && a <= 1.0))
        bomb("setupphases", "activity for " + p.name + " not 0 > a " + std::string(1, runio::geqsign) + " 1", 0);
    p.act = a;
    if (rd.nextkind == kindreal || (rd.nextkind == kindint && nextinteger() == 0)) {
        readitem("sd of fixed activity for" + p.name);
        p.sdact = runio::getsingle(rd.kind, rd.item, rd.context);
    }
}

void readpurephase(const std::string& name)
{
    ++ph.npure;
    PurePhase& p = ph.prec0[ph.npure];
    p = PurePhase{};
    p.name = name;
    p.emname = name;
    rd.phase = name;
    rd.nvar = 0;

    if (rd.nextkind != kindname && rd.nextkind != kindend) {
        bool activityform = rd.nextkind == kindreal;
        int i;
        if (!activityform && findem(name, i)) {
            runio::putstr(1, "datafile appears to be ambiguous: a 1 immediately follows " + name + ";", 1,
                          runio::msl);
            runio::putstr(0, "this means either an activity of 1, or it's a 1 end-member phase.", 1, runio::msl);
            activityform = runio::query("the '1' its activity");
        }
        if (activityform) {
            readactivity(p);
        } else {
            readitem("no of end-members of " + name);
            runio::getinteger(rd.kind, rd.item, rd.context);
            if (rd.nextkind == kindend) bomb("read", "unexpected end of input", 0);
            if (rd.nextkind == kindname) {
                readitem("name for end-member of " + name);
                p.emname = rd.item;
                if (rd.nextkind == kindreal || (rd.nextkind == kindint && nextinteger() == 1)) readactivity(p);
            }
            if (rd.nextkind != kindend) {
                if (!rd.fit && p.emname == name)
                    bomb("setupphases",
                         "names: phase, " + name + ", and end-member, " + p.emname + ", must be different", 0);
                readmodifiers(nullptr, &p, "option for " + name);
            }
        }
    }
    checkendmember(nullptr, &p);
}

}  // namespace

// ================================================================ the word stream

void startreading()
{
    rd.ended = false;
    rd.used = 0;
    rd.words.n = 0;
    rd.item.clear();
    rd.kind = kindend;
    rd.context.clear();
    fetchnext();
    if (rd.nextkind == kindend) bomb("setup phases", "not enough in file", 0);
}

void readitem(const std::string& context)
{
    rd.context = context;
    readitem();
}

void readitem()
{
    rd.item = rd.next;
    rd.kind = rd.nextkind;
    if (rd.kind == kindend) bomb("reading", "unexpected end of input: " + rd.context, 0);
    fetchnext();
}

bool nextis(const std::string& word) { return rd.nextkind == kindname && rd.next == word; }

int nextinteger() { return runio::getinteger(rd.nextkind, rd.next, rd.context); }

std::string expectname(int kind, const std::string& token, const std::string& context)
{
    if (kind != kindname) bomb("reading", "expecting a name; got: " + token + " - " + context, 0);
    return runio::str22(token);
}

void expectword(const std::string& token)
{
    int i;
    if (!findem(token, i)) bomb("reading", token + " not in \"" + thermodata::ds.dsfilename + "\"", 0);
}

std::string readline(bool& isend)
{
    std::string s;
    isend = false;
    if (!runio::readrawline(runio::files.infile, s)) {
        runio::screenwrite("\"" + s + "\"\n");
        bomb("readline", "problems reading for header/verbatim", 0);
    }
    // The same limit as every other line of the file: a header or verbatim
    // line is copied whole to the model listing, never cut.
    if (s.size() > static_cast<std::size_t>(runio::maxstr))
        bomb("readline", "line longer than 255 characters in the file \"" + runio::files.infile.name + "\"", 0);
    s = runio::trim(s);
    if (s.size() >= 4 && (s.compare(0, 4, "verb") == 0 || s.compare(0, 4, "head") == 0)) {
        isend = true;
        return std::string();
    }
    if (!s.empty() && s[0] == '%') s.erase(0, 1);
    return s;
}

// ================================================================ the file

void openaxfile()
{
    using namespace runio;
    if (run.calcmode == 5) {
        std::string suffix = "ax" + runio::fitprefs.axsuffix;
        files.filename = promptdatafile("ds-", suffix, "a-x info", files.infile);
        axinfo.axfilename = files.filename;
        return;
    }
    putstr(0, std::string(60, '^'), 2, msol);
    axinfo.runinfo[1] = run.progname + " running at " + run.datetext;
    putstr(0, axinfo.runinfo[1], 1, msol);
    axinfo.runinfo[2] = "using " + thermodata::ds.dstitle;
    putstr(0, axinfo.runinfo[2], 1, msol);
    axinfo.axfilename = promptdatafile("pm-", prefs.prefsaxsuffix, "a-x info", files.infile);
    checkaxname(axinfo.axfilename, "setupphases");
    files.filename = axinfo.axfilename;
    axinfo.runinfo[3] = "with axfile " + axinfo.axfilename + " and scriptfile " + files.scriptname;
    putstr(0, axinfo.runinfo[3], 2, msol);
}

void readaxentries()
{
    ph.nph = ph.nss = ph.npure = 0;
    axinfo.naxheader = 0;
    axinfo.wsddefault = 2.0;
    thermodata::ems.sdafactor = thermodata::ems.sdamin = thermodata::ems.sdarelmin = 0.0;
    rd.fit = runio::run.calcmode == 5;
    startreading();
    if (nextis("header")) {
        readblock(axinfo.axheader, axinfo.naxheader, "too many header lines");
        readitem("end of header");
    }
    while (rd.nextkind != kindend) {
        if (ph.nph + 1 > maxphases) bomb("setup phases", "too many phases" + maxlabel(maxphases), 0);
        ++ph.nph;
        readitem("name for " + ordinal(ph.nph) + " phase");
        const std::string name = expectname(rd.kind, rd.item, rd.context);
        showprogress(name);
        bool solution = false;
        if (rd.nextkind == kindint)
            solution = runio::getinteger(rd.nextkind, rd.next, "no of end-members in " + name) != 1;
        if (solution) {
            readsolphase(name);
        } else {
            if (rd.fit) bomb("setup phases", "inappropriate ax info", 0);
            readpurephase(name);
        }
    }
}

}  // namespace axmodels
