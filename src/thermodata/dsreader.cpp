// The thermodynamic dataset file: its names and title (stage 1), the formulas
// of the working end-members with the components they span (stage 2), and
// their data rows and enthalpy covariances (stage 3).
#include <algorithm>
#include <cmath>

#include "runio/runio.h"
#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace thermodata {


namespace {

using runio::bomb;

// Which working end-members each dataset end-member serves: rebuilt at the
// start of stages 2 and 3 by makep and read only inside that stage.
struct DsMap {
    runio::Arr<int, maxem + 1> filepos{};                      // per working end-member
    runio::Arr<bool, maxntp + 1> selected{};                   // per dataset end-member
    runio::Arr<int, maxntp + 1> ncopies{};
    runio::Arr<runio::Arr<int, maxcopies + 1>, maxntp + 1> wpos{};
};
DsMap dsmap;

// What is being read, for the messages of an unreadable or truncated file.
struct ReadPlace {
    const char* where = "readds";
    std::string who;   // "end-member fo" or "record 3"
};
ReadPlace place;

std::string quotedfile() { return "\"" + ds.dsfilename + "\""; }

std::string dsname(int i) { return runio::trim(ds.dsemname[i]); }

[[noreturn]] void truncated(const std::string& item)
{
    bomb(place.where, "the file " + quotedfile() + " ends inside the " + item + " of " + place.who, 0);
}

[[noreturn]] void unreadable(const std::string& word, const std::string& item)
{
    bomb(place.where, "cannot read \"" + word + "\" as the " + item + " of " + place.who + " in " + quotedfile(), 0);
}

double readreal(const std::string& item)
{
    double x;
    std::string word;
    if (!runio::readnumber(ds.dsfile, x, word)) {
        if (word.empty()) truncated(item);
        unreadable(word, item);
    }
    return x;
}

// The largest amount of an element that a formula can hold. An amount
// becomes an entry of the 16-bit composition matrix once divided by the
// cations of its oxide (at most 2); the oxygen of a formula is at most that
// of its other oxides (at most 7, of at most 3 oxygens each) and as much
// again left over.
double maxamount(int code)
{
    if (code == oxygenentry) return maxcint * (1.0 + 3.0 * (maxformula - 1));
    return maxcint * static_cast<double>(std::max(1, runio::oxtable[code].oxcations));
}

// Integers of the file (counts, codes, flags) are whole numbers within the
// 16-bit range of the quantities they are stored in.
int readint(const std::string& item)
{
    double x;
    std::string word;
    if (!runio::readnumber(ds.dsfile, x, word)) {
        if (word.empty()) truncated(item);
    } else if (x == std::trunc(x) && std::fabs(x) <= 32766.0) {
        return static_cast<int>(x);
    }
    unreadable(word, item);
}

void skiplines(int n)
{
    for (int i = 0; i < n; ++i) runio::skipline(ds.dsfile);
}

int recordlines() { return ds.dsnew ? 4 : 2; }

// The rest of the record just begun: a file that ends before the line end
// of any of its lines was cut inside this record.
void skiprecord()
{
    for (int i = 0; i < recordlines(); ++i) {
        int ch;
        do {
            ch = runio::readchar(ds.dsfile);
        } while (ch >= 0 && ch != '\n');
        if (ch < 0) truncated("data");
    }
}

// From the beginning of the file to the first record.
void startrecords()
{
    runio::rewindfile(ds.dsfile);
    place.who = "file heading";
    ds.ndsem = readint("end-member count");
    skiplines(ds.dsnew ? 3 : 2);
}

// One name of at most 8 characters: blanks before it are skipped, a blank
// after it ends it, and a longer name leaves its tail for the next read.
std::string reademname()
{
    std::string name(dsnamelen, ' ');
    int n = 0;
    for (;;) {
        const int ch = runio::readchar(ds.dsfile);
        if (ch < 0) {
            if (n == 0) truncated("name");
            break;
        }
        if (ch == ' ') {
            if (n > 0) break;
            continue;
        }
        // A line end where the name should be means the records are out of
        // step with the count of the first line.
        if (ch == '\n')
            bomb(place.where, "no name where the " + place.who + " should start in " + quotedfile(), 0);
        name[n++] = static_cast<char>(ch);
        if (n == dsnamelen) break;
    }
    return name;
}

// Stage 1.
void readthermo()
{
    using runio::Words;
    ds.filesuffix = "ds" + runio::prefs.prefsdssuffix;
    const std::string name = runio::promptdatafile("pm-", ds.filesuffix, "thermo dataset", ds.dsfile);
    ds.dsfilename = runio::str22(name);
    // The first character of the suffix names the generation of the data,
    // and with it the equations of state of H2O and CO2 they were fitted with.
    const char gen = ds.dsfilename.size() > 5 ? ds.dsfilename[5] : '\0';
    if (gen == '6')
        ds.dsgen6 = true;
    else if (gen == '5')
        ds.dsgen6 = false;
    else
        bomb("setuptextread", "bad dsfile name", 0);

    place.where = "readthermo";
    place.who = "file heading";
    ds.ndsem = readint("end-member count");
    runio::skipline(ds.dsfile);
    if (ds.ndsem > maxntp) bomb("setuptextread", "too many end-members", 0);
    if (ds.ndsem < 0)
        bomb("readthermo", "a negative end-member count on the first line of " + quotedfile(), 0);

    Words words;
    runio::readwords(ds.dsfile, words, false);
    ds.dsmode = 5;
    ds.dsold = false;
    ds.dsnew = true;
    runio::readwords(ds.dsfile, words, false);
    if (words.n == 0) bomb("readthermo", "not expecting blank line", 0);
    if (runio::wordkind(words[1]) == 4) {
        ds.dsmode = -1;
        ds.dsold = true;
        ds.dsnew = false;
        runio::readwords(ds.dsfile, words, false);
        if (words.n < 10) bomb("readthermo", "insufficient info on 2nd line", 0);
    } else if (words.n == 1 && runio::wordkind(words[1]) == 1) {
        ds.dsmode = runio::getinteger(1, words[1], "dsmode");
    } else {
        bomb("readthermo", "unrecognised start of info", 0);
    }
    if (ds.dsmode < 5 && ds.dsmode != -1)
        bomb("thermo read", "dsmode = " + runio::realstrshort(ds.dsmode) + " not implemented", 0);

    startrecords();
    for (int i = 1; i <= ds.ndsem; ++i) {
        place.who = "record " + runio::inttext(i);
        ds.dsemname[i] = reademname();
        skiprecord();
    }
    for (int i = ds.ndsem + 1; i <= maxntp; ++i) ds.dsemname[i].clear();

    place.who = "covariance block";
    readreal("check value");
    for (int i = 1; i <= ds.ndsem; ++i) {
        place.who = "covariance row of " + dsname(i);
        for (int j = i; j <= ds.ndsem; ++j) readreal("entry with " + dsname(j));
    }

    runio::skipline(ds.dsfile);
    runio::skipline(ds.dsfile);
    std::string title;
    runio::readrawline(ds.dsfile, title);
    // The fit's writer ends the title with " (sigfit = ", six columns and ")".
    if (title.size() > 17) title.erase(title.size() - 18);
    ds.dstitle = title.size() > static_cast<std::size_t>(runio::maxstr) ? title.substr(0, runio::maxstr) : title;
}

void makep()
{
    const int nem = ems.nem;
    for (int k = 1; k <= nem; ++k) {
        const std::string& nm = ems.emname[k];
        int i;
        if (!findem(nm, i)) bomb("makep", "stuff up : unrecognised name : " + nm, 0);
        dsmap.filepos[k] = i;
    }
    dsmap.selected.fill(false);
    dsmap.ncopies.fill(0);
    for (int k = 1; k <= nem; ++k) {
        const auto i = dsmap.filepos[k];
        if (dsmap.ncopies[i] == maxcopies)
            bomb("makep", "end-member " + dsname(static_cast<int>(i)) + " of " + quotedfile() +
                              " is wanted at more than 4 places of one calculation (max = 4)", 0);
        dsmap.selected[i] = true;
        dsmap.wpos[i][++dsmap.ncopies[i]] = k;
    }
}

// Name, code and formula of dataset end-member i into working position k.
void readformula(int i, int k)
{
    place.who = "end-member " + dsname(i);
    reademname();
    ems.emcode[k] = readint("code");
    int npairs = 0;
    double atoms = 0.0;
    for (;;) {
        const int code = readint("element code");
        if (code == 0) break;
        if (code < 0) continue;   // passed over, with no amount
        if (code > runio::noxides)
            bomb(place.where, "element code " + runio::inttext(code) + " of " + dsname(i) + " in " + quotedfile() +
                                  " is not an entry of the oxide table (1 to 19)", 0);
        if (npairs == maxformula)
            bomb(place.where, "more than 8 (element, amount) pairs in the formula of " + dsname(i) + " in " +
                                  quotedfile() + " (max = 8)", 0);
        const double amount = readreal("amount of element " + runio::inttext(code));
        if (std::fabs(amount) > maxamount(code))
            bomb(place.where, "the amount of element " + runio::inttext(code) + " (" + runio::oxtable[code].elname +
                                  ") in the formula of " + dsname(i) + " in " + quotedfile() +
                                  " is more than any formula can hold (max = " +
                                  runio::realstrshort(maxamount(code)) + ")", 0);
        ++npairs;
        ems.emcompcode[k][npairs] = code;
        ems.emcompamt[k][npairs] = amount;
        atoms += amount;
    }
    ems.emncomp[k] = npairs;
    ems.ematoms[k] = atoms;
}

void copyformula(int from, int to)
{
    const auto f = from, t = to;
    ems.emcode[t] = ems.emcode[f];
    ems.emncomp[t] = ems.emncomp[f];
    ems.ematoms[t] = ems.ematoms[f];
    ems.emcompcode[t] = ems.emcompcode[f];
    ems.emcompamt[t] = ems.emcompamt[f];
}

// Stage 2.
void readdscomps()
{
    place.where = "readdscomps";
    startrecords();
    for (int i = 1; i <= ds.ndsem; ++i) {
        if (dsmap.selected[i]) {
            const int k = dsmap.wpos[i][1];
            readformula(i, k);
            for (int m = 2; m <= dsmap.ncopies[i]; ++m) copyformula(k, dsmap.wpos[i][m]);
        }
        skiplines(recordlines());
    }
}

bool isliquid(const std::string& name)
{
    const std::string t = runio::trim(name);
    return !t.empty() && t.back() == 'L';
}

// The Einstein temperature (K) that goes with the entropy per atom, for the
// thermal pressure of a solid's equation of state.
double einsteintheta(double s, double atoms)
{
    double theta = 0.0;
    if (atoms != 0.0) {
        const double denom = 1000.0 * s / atoms + 6.44;
        // A zero denominator (an entropy of -6.44 J/K per atom) has no
        // temperature; it takes the floor below, as any negative value does.
        if (denom != 0.0) theta = std::nearbyint(10636.0 / denom);
    }
    return theta < 10.0 ? 10.0 : theta;
}

// Record values after the formula: the data slots and the flag group.
void readdata(int i, int k)
{
    TdRow& row = ems.td[k];
    static const char* const itemnames[] = {"",       "H",      "S",       "V",        "cp a",       "cp b", "cp c",
                                            "cp d",   "alpha0", "kappa0",  "kappa0'",  "kappa0''",   "value 12"};
    const int nvalues = ds.dsnew ? 11 : 12;
    for (int s = 1; s <= nvalues; ++s) row[s] = readreal(itemnames[s]);
    if (ds.dsnew) {
        if (isliquid(ds.dsemname[i])) {
            row[sTheta] = 0.0;
            row[sDkappadT] = readreal("dkappa0/dT");
        } else {
            row[sDkappadT] = 0.0;
            row[sTheta] = einsteintheta(row[sS], ems.ematoms[k]);
        }
    } else {
        row[sDkappadT] = row[12];
        row[12] = row[11];
        row[11] = row[10];
        row[10] = 0.0;
    }

    double x;
    std::string word;
    auto readflagword = [&]() {
        if (runio::readnumber(ds.dsfile, x, word)) return;
        if (word.empty()) truncated("flag");
        unreadable(word, "flag");
    };
    readflagword();
    // The fit writes dkappa0/dT of a solid too when it is negative, with its
    // decimals; a flag is always written as a whole number without a point.
    if (ds.dsnew && runio::wordkind(word) == 2) {
        row[sDkappadT] = x;
        readflagword();
    }
    if (x != std::trunc(x) || std::fabs(x) > 32766.0)
        unreadable(word, "flag");
    const int flag = static_cast<int>(x);

    row[sTc] = 0.0;
    row[sSmax] = -1.0;
    row[sVmax] = -1.0;
    row[sAq] = 0.0;
    for (int s = sBWdH; s <= sBWn; ++s) row[s] = 0.0;
    row[sBWfac] = 1.0;
    if (flag < 0) {
        row[sAq] = readreal("aqueous term");
        if (row[sAq] != 0.0) row[sAq] -= 298.15 * row[sCpb];
    } else if (flag == 1) {
        row[sTc] = readreal("Landau critical temperature");
        row[sSmax] = readreal("Landau Smax");
        row[sVmax] = readreal("Landau Vmax");
        if (!legallandautc(row[sTc], row[sSmax]))
            bomb(place.where, "the Landau critical temperature " + runio::realstrshort(row[sTc]) + " K of " +
                                  dsname(i) + " in " + quotedfile() + " must be above 298.15 K", 0);
    } else if (flag == 2) {
        static const char* const bwnames[] = {"dH", "dHv", "W", "Wv", "n", "fac"};
        for (int s = sBWdH; s <= sBWfac; ++s) row[s] = readreal(bwnames[s - sBWdH]);
        const double n = row[sBWn];
        if (!legalbwn(n))
            bomb(place.where, "the Bragg-Williams n of " + dsname(i) + " in " + quotedfile() +
                                  " must be a whole number from 1 to " + runio::inttext(maxbwn), 0);
    }
    const std::string eos = eosfault(row, ds.dsnew, dsname(i) + " in " + quotedfile());
    if (!eos.empty()) bomb(place.where, eos, 0);
}

// Stage 3, first half.
void readthermopars()
{
    place.where = "readthermopars";
    startrecords();
    for (std::size_t k = 0; k < ems.td.size(); ++k) ems.td[k].fill(0.0);
    ems.emdsname.fill(std::string());
    for (int i = 1; i <= ds.ndsem; ++i) {
        if (!dsmap.selected[i]) {
            skiplines(recordlines());
            continue;
        }
        const int k = dsmap.wpos[i][1];
        readformula(i, k);
        readdata(i, k);
        for (int m = 2; m <= dsmap.ncopies[i]; ++m) {
            const int other = dsmap.wpos[i][m];
            copyformula(k, other);
            ems.td[other] = ems.td[k];
        }
        runio::skipline(ds.dsfile);
    }
}

// Stage 3, second half: the enthalpy covariances, carried in single
// precision as the fit computed them.
void readcovariance()
{
    place.where = "readcovariance";
    place.who = "covariance block";
    readreal("check value");
    for (int i = 1; i <= ds.ndsem; ++i) {
        place.who = "covariance row of " + dsname(i);
        for (int j = i; j <= ds.ndsem; ++j) {
            const double v = readreal("entry with " + dsname(j));
            if (!dsmap.selected[i] || !dsmap.selected[j]) continue;
            const double v32 = static_cast<double>(static_cast<float>(v));
            for (int a = 1; a <= dsmap.ncopies[i]; ++a) {
                for (int b = 1; b <= dsmap.ncopies[j]; ++b) {
                    const int p = dsmap.wpos[i][a];
                    const int q = dsmap.wpos[j][b];
                    ems.covat(p, q) = v32;
                    ems.covat(q, p) = v32;
                }
            }
        }
    }
    runio::closeread(ds.dsfile);
}

}  // namespace

bool findem(const std::string& name, int& i)
{
    for (int k = 1; k <= ds.ndsem; ++k) {
        std::string a = name, b = ds.dsemname[k];
        if (runio::sameword(a, b)) {
            i = k;
            return true;
        }
    }
    i = 0;
    return false;
}

void readds(int stage)
{
    if (stage == 1) {
        readthermo();
    } else if (stage == 2) {
        makep();
        readdscomps();
        makeoxides();
    } else {
        makep();
        readthermopars();
        readcovariance();
    }
}

}  // namespace thermodata
