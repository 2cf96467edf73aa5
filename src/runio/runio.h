// Run control and text input/output: the run's global state, the channels
// and line writer, prompts, fatal errors, number text and word handling.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "runio/tables.h"

namespace runio {

// ---------------------------------------------------------------- limits
constexpr int namelen = 22;        // names of end-members, phases, components; words of input lines
constexpr int maxstr = 255;        // longest text, reply or input line
constexpr int maxwords = 400;      // words in one reply or one input line
constexpr int maxlinelen = 250;    // a line that would pass this is cut and marked
constexpr int maxbitel = 30;       // largest element of a one-word bit set
constexpr int maxbitel3 = 90;      // largest element of a three-word bit set
constexpr int nchannels = 10;
constexpr int nordinals = 400;
constexpr int maxvecint = 400;     // entries of an integer vector

constexpr char cutmark = '\xA4';   // ends a line that was cut by the line writer
constexpr char degreesign = '\xA1';
inline const std::string degreesc = std::string(1, degreesign) + "C";
constexpr char bulletsign = '\xA5';
constexpr char musign = '\xB5';
constexpr char incrementsign = '\xC6';
constexpr char geqsign = '\xB3';
constexpr char nbspace = '\xCA';   // counts as a blank everywhere

constexpr const char* banner = "PETRAMONDO 3.50";
constexpr const char* buildnote = " (C++20 build for Linux)";
constexpr const char* contactaddress = "petramondo-support@example.org";

// Exit status of a run that ended with some of its results not written
// (a full disk): 0 would let a script that runs us take them as complete.
constexpr int statusunwritten = 3;

// ---------------------------------------------------------------- channels
enum Channel { chscreen = 0, chterm = 1, chout = 2, chlog = 3, chic = 4,
               chit = 5, chpx = 6, chcsv = 7, chcsv2 = 8, chps = 9 };
constexpr std::uint32_t mscreen = 1, mout = 4, mlog = 8, mic = 16, mit = 32,
                        mpx = 64, mcsv = 128, mcsv2 = 256;
constexpr std::uint32_t msol = mscreen | mout | mlog;  // 13: screen, output file and log
constexpr std::uint32_t msl = mscreen | mlog;          // 9: screen and log
constexpr std::uint32_t mol = mout | mlog;             // 12: output file and log

struct Channels {
    std::uint32_t chanset = 0;                      // bit k set while channel k is open
    Arr<std::FILE*, nchannels> file{};       // file channels 2..9
    Arr<std::string, nchannels> filename{};  // full names of the open files
    Arr<bool, nchannels> chanused{};         // a line went to channel k (4..9 decide erasing)
    Arr<std::string, nchannels> writefault{};   // why the first failed write to channel k failed; empty while none has
    bool resultslost = false;                // a kept run file could not be written whole
    std::string line, line2, line3, line4;          // the shared line buffers
};
extern Channels chans;

// ---------------------------------------------------------------- preferences
struct Prefs {
    bool wrapscreen = true;          // cut long screen lines at the page width
    bool heapmonitor = false;        // report heap allocations on the screen
    std::string prefsdssuffix;       // dataset suffix ("dsfile")
    std::string prefsscriptsuffix;   // script file suffix ("scriptfile")
    std::string prefsaxsuffix;       // a-x file suffix (the script's "axfile")
    int prefscalcmode = -1;          // -1: none given
    int pagewidth = 80;              // 80..250
    bool bombautoexit = false;       // a fatal error does not wait for return
    bool axnamecheck = true;         // the a-x reader checks the form of names
    int nunrecognised = 0;           // problems met in the prefs or script file
};
extern Prefs prefs;

// ---------------------------------------------------------------- run state
struct RunState {
    std::string progname;
    double macheps = 0.0;
    Arr<std::string, nordinals + 1> ordinals{};   // ordinals[n] = "1st", "2nd", ...
    Arr<std::uint32_t, maxbitel + 1> bitmask{};   // bitmask[k] = 2^k
    std::string datetext;           // start of the run, as text
    double starttime = 0.0;         // start of the run, days
    int modecode = -1;              // what getcalcmode returned (0..4, 9)
    int calcmode = 0;               // 0 tables, 1 phase diagrams, 2 avPT, 3 all reactions, 4 lists, 5 fit
    int diagrammode = 0;            // 0 P-T, 1 P-x(CO2), 2 T-x(CO2), 3 P-log a, 4 T-log a
    int maxbit = maxbitel;
    int runno = 0;                  // number of the current pass
    long long heaptotal = 0;        // bytes held by the heap arrays
};
extern RunState run;

// The dataset fit's file suffixes, from its settings file "ds-prefs.txt";
// they name the run's files and the fit's a-x file.
struct FitSettings {
    std::string pmdssuffix;   // suffix of the fit's script, output and csv files
    std::string axsuffix;     // the fit's a-x file is "ds-ax" + axsuffix + ".txt"
};
extern FitSettings fitprefs;

// Wichmann-Hill generator state.
struct RandomState {
    std::int32_t s1 = 131, s2 = 137, s3 = 141;
};
extern RandomState rng;

// ---------------------------------------------------------------- calculation windows
constexpr int maxlist = 201;     // values in a P, T, x(CO2), activity or mu list
constexpr int maxsetvars = 6;    // set activities, set chemical potentials

// The windows of the calculation variables and the current point (P kbar,
// T K): set up by the calculation windows and the script, read everywhere.
struct Windows {
    double plow = 0.0, phigh = 0.0, tlow = 0.0, thigh = 0.0;
    double xlow = 0.0, xhigh = 1.0;
    double alow = 0.0, ahigh = 1.0;
    double mulow = 0.0, muhigh = 0.0;
    double pmin = 0.0009, pmax = 1500.0, tmin = 283.0, tmax = 3000.0;
    double pcalc = 0.0, tcalc = 0.0;
    double xco2 = 0.0, xh2o = 0.0;
    int calcvariable = 0;    // 0 P solved, 1 T solved
    int othervariable = 0;   // 0 P, 1 T, 2 x(CO2), 3 activity, 4 mu
    int fluidtype = 0;
    int pdecimals = 3, tdecimals = 2, xdecimals = 2, adecimals = 2, mudecimals = 1;   // printing precisions
    int vdecimals = 4;       // significant digits of phase variables and modes in result tables
    bool allreactions = true;
    int variance = 1;
    double ptypsize = 0.0, ttypsize = 0.0;   // typical sizes of scaled P and T as unknowns
    double pinc = 0.0, tinc = 0.0;           // P and T intervals from the script, 0 none
    bool pinctyped = false, tinctyped = false;   // the interval was typed with the window instead
    int listselect = 0;                      // lists of: 0 none, 1 P, 2 T, 3 both
    Arr<double, maxlist + 1> plist{}, tlist{}, xlist{}, xh2olist{};
    int nplist = 0, ntlist = 0, nxlist = 0;
    // Value lists of the set activities and chemical potentials, by their
    // order among the set names.
    Arr<Arr<double, maxlist + 1>, maxsetvars + 1> alist{}, mulist{};
    Arr<int, maxsetvars + 1> nalist{}, nmulist{};
    double lnalow = 0.0, lnahigh = 0.0;      // ln of the activity window last asked
    Arr<std::string, maxsetvars + 1> setalabel{};   // axis label of each set activity
    Arr<double, maxsetvars + 1> setaentropy{};      // entropy of each set end-member (slot 2)
};
extern Windows win;

// ---------------------------------------------------------------- text input files
// A text file open for reading, with the reads the data readers need: whole
// lines, single characters and blank-separated numbers that may cross lines.
struct TextFile {
    std::FILE* f = nullptr;
    std::string name;
};
bool openread(TextFile& tf, const std::string& name);
void closeread(TextFile& tf);
void rewindfile(TextFile& tf);
bool atend(TextFile& tf);                        // nothing more to read
int readchar(TextFile& tf);                      // next byte, -1 at the end; a line end reads as '\n'
bool readfileline(std::FILE* f, std::string& s);  // whole line without its end; false at the end
bool readrawline(TextFile& tf, std::string& s);  // whole line without its end; false at the end of the file
void skipline(TextFile& tf);                     // to just after the next line end
// Skips blanks and line ends and reads one number; false, with the word read
// (empty at the end of the file), when there is no number there or its value
// is beyond a double.
bool readnumber(TextFile& tf, double& x, std::string& word);

// ---------------------------------------------------------------- run files
struct RunFiles {
    TextFile infile;            // the one shared input file (script, a-x, fit data)
    std::string filename;       // name of the file named most recently
    std::string scriptname;     // full name of the script file
    std::string scriptsuffix;   // suffix of the run's files
    bool scriptopen = false;    // the script file is open for the coming pass
};
extern RunFiles files;

// ---------------------------------------------------------------- the oxide table
constexpr int noxides = 19;
struct Oxide {
    std::string elname;   // element symbol
    std::string oxname;   // oxide formula
    double oxmass;        // g/mol
    int oxcations;
    int oxoxygens;
    int oxorder;          // place in the display order, 1 first
};
extern Arr<Oxide, noxides + 1> oxtable;   // entries 1..19

// Scalings of P and T as solver unknowns and the lowest pressure anywhere.
struct Scalings {
    double pminall = 0.0009;   // kbar
    double pscale = 0.0, poffset = 0.0;
    double tscale = 0.0, toffset = 0.0;
};
extern Scalings scal;

// ---------------------------------------------------------------- word lists
// A 1-based list of words as the word splitter leaves it: entries past n are empty.
struct Words {
    int n = 0;
    Arr<std::string, maxwords + 1> w{};
    std::string& operator[](int i) { return w[i]; }
    const std::string& operator[](int i) const { return w[i]; }
};

// ---------------------------------------------------------------- decimal record
struct DecRec {
    int sign = 0;          // 1 for a negative number
    int exponent = 0;      // power of ten of the last digit
    std::string digits;    // without leading zeros, "0" for zero
};
struct DecFormat {
    int kind = 1;          // 1 fixed decimals, 0 significant digits
    int count = 0;
};
constexpr int fixedkind = 1, significantkind = 0;

// ================================================================ routines

// start-up tables and fixed records
void openstdfds();        // standard input, output and error opened on /dev/null when the run has none
void makestarttables();   // machine epsilon, ordinals and bit masks
void filloxtable();

// preferences file
void readprefs();

// fatal errors and run kill
[[noreturn]] void bomb(const std::string& where, const std::string& message, int flag);
[[noreturn]] void killrun();
// Ends the process with the given status; quick skips the exit handlers.
[[noreturn]] void endprocess(int status, bool quick = false);
#ifdef PM_FUZZING
// Fuzzing builds only: when set, called in place of ending the process, so
// that a fuzz target goes on with its next input. It must not return.
extern void (*processendhook)(int status);
#endif
// " (max = n) ": the capacity a "too many" message ends with.
std::string maxlabel(int n);
bool iskill(std::string reply);

// run files
void startout();
// Stops the run when the a-x file named is one of the run's own files (a
// later pass, or a name typed after the files were made).
void checkaxname(const std::string& ax, const char* where);
std::string promptdatafile(const std::string& prefix, std::string& suffix,
                           const std::string& kind, TextFile& tf);
std::string openoutfile(const std::string& part1, const std::string& part2, Channel ch);
void closefile(Channel ch, bool keep, const std::string& name);
void closefiles();
// Closes a file written outside the channels, reporting a failed write
// (fault, else its last flush) or close as closefiles does.
void closedatafile(std::FILE* f, const std::string& name, std::string fault);
void showfiles(const std::string& title);
void psheader();

// prompts and replies
bool readstdinline(std::string& s);   // one line of standard input; false at its end
void prstrings(Words& words);
void promptstrings(const std::string& prompt, Words& words);
void promptstring(const std::string& prompt, std::string& word);
bool promptreal(const std::string& prompt, double& x);
double promptcelsius(const std::string& prompt);   // a temperature typed in degrees C, returned in K
// A temperature in degrees C that a calculation can take: above absolute
// zero. The text says what a refused one must be, for the message that names
// where it came from.
bool usablecelsius(double tc);
inline const std::string abovezerotext = "must be above -273.15" + degreesc + " (0 K)";
void promptinteger(const std::string& prompt, int& n);
void promptreals(const std::string& prompt, Arr<double, maxwords + 1>& values, int& n);
bool query(const std::string& question);
// A question that ends a pass or the run: the end of input answers it no.
bool closingquery(const std::string& question);
void promptcontrol(const std::string& question, int& sw);
void rstrings(TextFile& tf, Words& words);
void readwords(TextFile& tf, Words& words, bool dropcomments);
// One logical line of a keyword file (the script, read ahead or read): its
// physical lines ending in "\" joined, comments dropped; false when it holds
// no words. A line past its capacities stops there with the fatal text in
// toolong, for the caller to raise.
bool readlogicalline(TextFile& tf, Words& words, std::string& toolong);
void yesnoask(const Words& words, int& sw, int& used);

// output channels and line writer
void addfield(const std::string& text, int width, std::string& buffer);
void addreal(double x, int n, bool fixed, int width, std::string& buffer);
void addrealshort(double x, int width, std::string& buffer);
void putstr(int before, const std::string& text, int after, std::uint32_t mask);
void flushfiles();
// Checked writes to a run file: the first failure's reason is kept in fault
// and nothing more is written to that file.
void checkedwrite(std::FILE* f, const char* data, std::size_t n, std::string& fault);
void chanwrite(Channel ch, const std::string& text);   // direct write to a channel's file
void flushchannel(Channel ch);
std::string faulttext(int err);                        // errno's text
void screenwrite(const std::string& text);   // direct write to the screen, bytes shown as the terminal wants

// number formatting
std::string realstr(double x, int n, bool fixed);
std::string realstrshort(double x);
double tenpower(int k);
void realtodec(const DecFormat& fmt, DecRec& rec, double x);
void dectostr(const DecFormat& fmt, const DecRec& rec, std::string& text);
std::string decdigits22(const std::string& s);
std::string str5(const std::string& s);
int ndecimals(double x);
int ndecimals2(double x);
// A value for a message, as a file gives it: a whole number without a
// point, any other as the shortest text that reads back as it.
std::string valuetext(double x);
// A calculated point for a message, "8 kbar, 700°C" from P (kbar) and T (K):
// each to 6 decimals at most, so that T does not show the rounding of 273.15.
std::string pointtext(double p, double t);
void putrealauto(double x, int width, std::string& buffer);
int li2i(long long n);
int realclass(double x);
std::string inttext(long long n);   // integer as text, no padding
// A whole number held as a real (rounded or cut by the caller), as text with
// no padding: a value beyond every integer type is written out in full,
// never cast.
std::string wholetext(double w);

// number and word parsing
int wordkind(const std::string& word);
bool isnumberkind(int kind);
void strtodec(const std::string& text, DecRec& rec, bool& ok);
double dectoreal(const DecRec& rec);
bool str2real(const std::string& text, double& x, std::string& message);
bool str2int(const std::string& text, int& n, std::string& message);
bool str2rational(const std::string& text, int& p, int& q, std::string& message);
void real2rational(long long& p, long long& q, double x);
bool getreals(const Words& words, int nwords, int start, std::vector<double>& values, int& count);
bool getints(const Words& words, int nwords, int start, std::vector<int>& values, int& count);
int getinteger(int kind, const std::string& word, const std::string& context);
double getsingle(int kind, const std::string& word, const std::string& context);
void getrational(int kind, const std::string& word, int& p, int& q, const std::string& context);
void formattext(const std::vector<std::string>& lines);

// integer, rational, random and statistical helpers
std::int32_t gcd(std::int32_t a, std::int32_t b);
long long gcd64(long long a, long long b);                     // of the magnitudes; 0 when both are 0
std::int32_t gcdvector(const std::int32_t* v, int n);          // v[1..n]
std::int32_t lcm(std::int32_t a, std::int32_t b);
std::int32_t lcmvector(const std::int32_t* v, int n);          // v[1..n]
void intvector(double* x, int n, std::int32_t& mult);          // x[1..n]
void seedrandom(bool repeatable);
double whrandom();
void shellsort(double* a, int n);                               // a[1..n]
double quantile(const double* a, int n, double p);              // a[1..n], sorted
void medianmad(const double* x, int n, double& median, double& spread);
double tentopower(int k);
double ratpower(int p, int q, double x);

// words, bit sets and heap accounting
bool isblankchar(char ch);
void wordbounds(const std::string& s, int& first, int& last);
std::string trim(const std::string& s);
std::string str22(const std::string& s);
std::string spaces(int n);
bool sameword(std::string& a, std::string& b);
bool posinlist(const std::string& name, const std::string* list, int n, int& pos);
void string2strings(const std::string& line, int length, Words& words);
void BSet(std::uint32_t& set, int k);
bool BTst(std::uint32_t set, int k);
std::uint32_t BAnd(std::uint32_t a, std::uint32_t b);
std::uint32_t BOr(std::uint32_t a, std::uint32_t b);
bool divides(std::uint32_t a, std::uint32_t b);
using BitSet3 = Arr<std::uint32_t, 4>;   // words 1..3
void BSet2(BitSet3& set3, int k);
bool BTst2(const BitSet3& set3, int k);
void BClr2(BitSet3& set3);
bool setsubset3(const BitSet3& a3, const BitSet3& b3);
void heapalloc(const std::string& name, long long bytes);
void heapfree(const std::string& name, long long bytes);

}  // namespace runio
