// The script settings: what the script file said, reset to its defaults and
// read afresh on every pass.  The record `scriptset`, the small settings kept
// beside it, the tables of names and values the keywords fill, and the batch
// and Monte Carlo tables of the mode-1 runs.  The reader that fills them is
// in script/.
//
// Switches are 0 given (yes), 1 not given (no), 2 ask.  Pressures are in
// kbar, temperatures in K once stored (the script gives degrees C).
#pragma once

#include <array>
#include <string>
#include <vector>

#include "runio/runio.h"

namespace runio {

// ---------------------------------------------------------------- limits
constexpr int maxinfo = 40;           // info items on one script line
constexpr int maxphysical = 49;       // physical lines in one logical line
constexpr int maxxco2 = 201;          // values of the x(CO2) list
constexpr int maxxco2range = 101;     // values a range of x(CO2) may give
constexpr int maxseta = maxsetvars;   // set activities, set chemical potentials
constexpr int maxwith = 400;          // phases named by "with"
constexpr int maxexclude = 30;        // phases left out
constexpr int maxexcess = 10;         // phases in excess, phases set to zero
constexpr int maxscriptcomp = 19;     // oxides of a bulk, rbi or projection line (the oxide table)
constexpr int maxprojapex = 19;       // apexes of a projection plane, one per oxide of its space
constexpr int maxrbi = 400;           // phase lines of an rbi table: one per phase of a run
constexpr int maxrgb = 400;           // phases given colours: one per phase of a run
constexpr int maxxyzguess = 200;      // script starting guesses of compositional variables
constexpr int maxmodeguess = 72;      // script starting guesses of phase modes
constexpr int maxsamecoding = 8;      // groups of phases coded alike
constexpr int maxsamenames = 10;      // phases in one such group
constexpr int maxconvrows = 15;       // rows of the liquid conversion matrix
constexpr int maxconvcols = 20;       // columns of it
constexpr int maxisrnames = 40;       // end-members of an independent reaction set
constexpr int maxisrrows = 20;        // reactions of it
constexpr int maxbatch = 99;          // batch lines
constexpr int maxbatchpt = 10;        // P-T points of one batch
constexpr int maxfilters = 30;        // filters of one P-T point of a batch
constexpr int maxbatchmodes = 2;      // modes set in one batch
constexpr int maxbatchiso = 6;        // isopleth slots of one batch record
constexpr int maxbatchguess = 99;     // starting-guess blocks of batches
constexpr int maxblockguess = 200;    // guesses in one block
constexpr int maxbatchbulk = 150;     // bulk rows of batches
constexpr int maxmcrange = 150;       // Monte Carlo ranges
constexpr int maxmcfunc = 150;        // Monte Carlo functions
constexpr int maxmcterms = 20;        // terms of one function
constexpr int maxmc = 150;            // Monte Carlo items
constexpr int maxmccorr = 150;        // Monte Carlo correlations
constexpr int maxmcphases = 20;       // phases one Monte Carlo item applies to

// ---------------------------------------------------------------- small settings beside the record
struct ScriptFlags {
    bool pseudosection = false;   // a calculation for a fixed bulk composition
    bool modesinnle = false;
    bool modesafternle = false;
    bool modeswanted = true;
    bool dogminon = false;        // Gibbs energy minimisation
    int dogminlevel = -1;
    int debuglevel = 1;
    int debuglevelq = 1;
    int outlevel = 1;
};
extern ScriptFlags scriptflags;

// ---------------------------------------------------------------- the settings record
struct ScriptSet {
    bool strictscripting = false;   // problems with info items are fatal
    bool autoexit = false;          // no question after a pass, no wait at the end
    int defsdaparams = 0;
    int usedefsda = 0;
    int justrelu = 1;
    int diagramPT = 1;              // the diagram's P-T window was given
    int calcT = 1;                  // the T window of the calculation was given
    int calcP = 1;                  // the P window of the calculation was given
    int ptforaxe = 1;
    double ptforaxep = 0.0, ptforaxet = 0.0;   // as written
    int calcTatP = 2;
    int calctatp2 = 0;
    int calctype = 1;
    int calctypecode = 0;
    int fdaccess = 0;
    int seta = 1, setlna = 1, setloga = 1;
    int setmu = 1;
    int usecalcq = 1;
    int xco2values = 1;
    int nxco2values = 0;
    Arr<double, maxxco2 + 1> xco2list{};
    double xco2low = 0.0, xco2high = 0.0, xco2inc = 0.0;
    int isopleth = 1;
    std::string isoname;
    double isolow = 0.0, isohigh = 0.0, isoinc = 0.0;
    std::string isoname2;
    double isolow2 = 0.0, isohigh2 = 0.0, isoinc2 = 0.0;
    int modeiso = 2;
    std::string modeisoname;
    double modeisolow = 0.0, modeisohigh = 0.0, modeisoinc = 0.0;
    std::string modeisoname2;
    double modeisolow2 = 0.0, modeisohigh2 = 0.0, modeisoinc2 = 0.0;
    int zeromodeiso = 0;
    std::string zeromodename, zeromodename2;
    bool compasoxides = false;      // components counted as one unit each (old-layout dataset)
    int calcsdnle = 1;
    int fluidpresent = 1;
    int fluidexcess = 1;
    int inexcesssw = 1;
    int inexcess0sw = 1;
    int setvar = 1;
    int varrangesw = 1;
    int exclude = 1;
    int with = 1;
    bool someof = false;            // the with list is a superset to choose from
    int projplane = 1;
    int projection = 1;
    int nprojcompnames = 0;
    int projcomp = 0;
    int bulksw = 1;
    int nbulkcomp = 0;
    int bulksubrange = 2;
    double subrangelow = -1.0, subrangehigh = 1.0;
    int onebulk = 1;
    double onebulkvalue = -1.0;
    int c8 = 1;
    int acceptvar = 0;
    int fifi = 1;
    int exbuff = 1;
    int kalfitsw = 1;
    int latexsw = 1;
    bool nlemethod = true;
    int calcah2o = 1;
    int calcmu = 1;
    int calcmuo = 1;
    int incnler = 1;
    int modebox = 1;
    int compatibility = 1;
    int plotixsw = 0;
    int plotixcode = 0;
    int printxyz = 0;
    int xyzguesssw = 1;
    int ptguesssw = 1;
    int modeguesssw = 1;
    int samecoding = 1;
    int printbulkinfosw = 1;
    int rbisw = 1;
    int convliq = 1;
    int fract = 1;
    int batchsw = 1;                // "batch": 0 when in force
    int mc = 1;
    int mcoutcurrentway = 0;
    int mcdebug = 1;
    int batchdebug = 1;
    int calcwhatswitch = 1;
    int oblique = 1;
    int fractdebug = 1;
    int setrockname = 1;
    std::string rockname;
    int dataok = 2;
    int setfluid = 1;
    int maxsdt = 1;
    int maxsdp = 1;
    double maxsdtvalue = 0.0, maxsdpvalue = 0.0;   // K, kbar
    int printcor = 1;
    int pisr = 1;
    int isr = 1;
    int doallr = 2;                 // 0 all reactions, 1 a Schreinemakers analysis, 2 ask
};
extern ScriptSet scriptset;

// ---------------------------------------------------------------- the info items of the current line
struct ScriptInfo {
    int ninfo = 0;
    Arr<int, maxinfo + 1> infokind{};           // word kind: 0 empty, 1 integer, 2 real, 3 rational, 4 word
    Arr<double, maxinfo + 1> inforeal{};
    Arr<int, maxinfo + 1> infoint{};
    Arr<std::string, maxinfo + 1> infotext{};
};
extern ScriptInfo scriptinfo;

// ---------------------------------------------------------------- tables beside the record
struct XyzGuess {
    std::string name;
    double value = 0.0, sd = 0.0, low = 0.0, high = 1.0;
};
struct ModeGuess {
    std::string name;
    double value = 0.0;
};
struct SameCoding {
    int n = 0;                                        // names in the group
    Arr<std::string, maxsamenames + 1> names{};   // names[1] is the phase whose coding the others share
    Arr<int, maxsamenames + 1> phaseno{};         // solution-phase numbers, set by the phase set-up
};
struct RbiLine {
    std::string name;
    double mode = 0.0;
    Arr<double, maxscriptcomp + 1> comp{};     // per oxide of the component line
};
struct RgbEntry {
    std::string name;
    Arr<int, 4> value{};                       // red, green, blue 0..255
};
struct VarRange {
    int lowest = 2, highest = 0;
};

struct ScriptTables {
    int nmissingscripts = 0;
    int nxyzguess = -1;
    Arr<XyzGuess, maxxyzguess + 1> xyzguesses{};
    int nsamecoding = -1;
    Arr<SameCoding, maxsamecoding + 1> samecodings{};
    double ptguessp = -101.0, ptguesst = -101.0;
    double tlowdefault = 283.0, thighdefault = 3000.0;
    double plowdefault = 0.0009, phighdefault = 1500.0;
    double tinterval = 0.0, pinterval = 0.0;
    int nwith = 0;
    Arr<std::string, maxwith + 1> withnames{};
    Arr<bool, maxwith + 1> withlistflag{};     // the entry starts a group of the with list
    Arr<int, maxwith + 1> withlistcount{};     // the group's length (0 or 1: the entry alone)
    int nexclude = 0;
    Arr<std::string, maxexclude + 1> excludenames{};
    int nexcessnames = 0;
    Arr<std::string, maxexcess + 1> excessnames{};
    int nexcess0names = 0;
    Arr<std::string, maxexcess + 1> excess0names{};
    VarRange varrange;
    bool pseudoseen = false;
    int nbulkpoints = -1;
    int nbulk = -1;                                   // -1 none, -2 component line, 1 or 2 compositions, 0 off
    Arr<std::string, maxscriptcomp + 1> bulkoxnames{};
    Arr<double, maxscriptcomp + 1> bulk{}, bulk2{};   // each summing to 100
    int nrbi = -1;                                    // -1 none, -2 component line, then phase lines, 0 off
    Vec<RbiLine> rbi;                         // 1..nrbi
    int nseta = 0;
    Arr<std::string, maxseta + 1> setaname{};
    Arr<double, maxseta + 1> setaval{};        // 10: to be set later
    int nsetmu = 0;
    Arr<std::string, maxseta + 1> setmuname{};
    Arr<double, maxseta + 1> setmuval{};       // kJ; 0 when to be set later
    int nprojplane = -1;                              // -1 none, -2 oxide line, then apex lines, 0 off
    Arr<std::string, maxscriptcomp + 1> projcompnames{};
    Arr<std::string, maxprojapex + 1> projapexnames{};
    Arr<Arr<double, maxscriptcomp + 1>, maxprojapex + 1> projapex{};
    int nrgb = -1;
    Vec<RgbEntry> rgb;                        // 1..nrgb
    int nmodeguess = -1;
    Arr<ModeGuess, maxmodeguess + 1> modeguesses{};
    int nconvrows = -1, nconvcols = -1;
    Arr<Arr<double, maxconvcols + 1>, maxconvrows + 1> convmatrix{};
    int nisrnames = 0;
    Arr<std::string, maxisrnames + 1> isrnames{};
    int nisrrows = -1;                                // -1 none, -2 names read, then rows, 0 off
    Arr<Arr<int, maxisrnames + 1>, maxisrrows + 1> isrrows{};
};
extern ScriptTables scripttabs;

// ---------------------------------------------------------------- batches
struct BatchFilter {
    int kind = 0;                  // 2 is temperature, stored in K
    double low = 0.0, high = 0.0;
};
struct BatchRec {
    Arr<bool, maxwith + 1> present{};          // per entry of withnames
    int variance = 0;
    Arr<bool, maxscriptcomp + 1> compused{};
    int ncompused = 0;
    int np = 0, nt = 0;
    Arr<double, maxbatchpt + 1> p{}, t{};      // kbar, K
    int npt = 0;
    Arr<int, maxbatchpt + 1> nfilter{};        // per P-T point
    Arr<Arr<BatchFilter, maxfilters + 1>, maxbatchpt + 1> filters{};
    int nzeroguess = 0;
    int kxyz = 0;                                     // its starting-guess block
    bool bulkflag = false;
    int ncomp = 0;
    int bulkrow1 = 0, bulkrow2 = 0;
    double bulkprop = 0.0;
    Arr<double, maxscriptcomp + 1> bulkcomp{};  // per component used, in order
    int nmodeset = 0;
    Arr<int, maxbatchmodes + 1> modephase{};   // positions in withnames
    Arr<double, maxbatchmodes + 1> modevalue{};
    bool isoflag = false;
    int niso = 0;
    Arr<int, maxbatchiso + 1> isophase{}, isovar{};
    Arr<double, maxbatchiso + 1> isovalue{};
    bool solvet = false;           // univariant with one P and one T: T is solved
    Arr<bool, maxbatchpt + 1> resultok{};      // filled by the Monte Carlo bookkeeping
    bool secondbatch = false;      // fractionation: the batch adds one phase to batch 1
    int oddphase = 0;              // that phase, a position in withnames
};
struct BatchGuess {
    int n = 0, nzero = 0;
    Arr<double, maxblockguess + 1> value{}, low{}, high{};
    Arr<std::string, maxblockguess + 1> name{};
};
struct BatchReq {
    int n = 0;
    Arr<int, maxbatch + 1> batch{};
};

struct BatchTables {
    int nbatch = -1;
    Vec<BatchRec> batchrec;                   // 1..nbatch
    int nbatchguess = -1;
    Vec<BatchGuess> batchguess;               // 1..nbatchguess
    int nbulkrows = 0;
    int nbulkrowcomp = 0;                             // components of the first row
    Vec<Arr<double, maxscriptcomp + 1>> bulkrows;   // 1..nbulkrows, each summing to 100
    int nflitter = -1;
    int flitterset = 0;                               // the filter set of the last batch being filled
    bool flittersgiven = false;
    int nbatchreq = -1;
    Vec<BatchReq> batchreqs;                  // 1..nbatchreq
    int nbatchon = 0;
    Arr<bool, maxbatch + 1> batchon{};
    Arr<int, maxbatch + 1> batchmap{};         // kept batch -> its number among the batch lines
};
extern BatchTables batches;

// ---------------------------------------------------------------- Monte Carlo and fractionation
struct McRange {
    std::string name;
    double value = 0.0, halfwidth = 0.0;
};
struct McFunc {
    std::string name;              // a variable word with its coefficient letter
    double base = 0.0;
    int nterms = 0;
    Arr<double, maxmcterms + 1> coef{};
    Arr<int, maxmcterms + 1> range{};         // mcrange numbers
};
// A model parameter named in a Monte Carlo line: the phases it applies to and
// the parameter (kind 1 a W term, 2 a van Laar size, 3 a DQF term; coefficient
// 1 a, 2 b, 3 c of a + bT + cP).
struct McRef {
    Arr<std::string, maxmcphases + 1> phases{};
    int nphases = 0;
    Arr<int, maxmcphases + 1> phaseno{};       // not set by the reader
    int kind = 0;
    int paramindex = 0;            // found when the a-x file is read
    int coef = 0;
    std::string varname;           // without its coefficient letter
};
struct McItem {
    McRef ref;
    double halfwidth = 0.0;
    int link = 0;                  // 0 none, k the mcrange k, -k the mcfunc k
    int relation = 0;              // 0 none or "=", -2 function
    double value = 0.0;
    double current = 0.0;          // set by the Monte Carlo steps
    Arr<double, 4> dqf{};   // a, b, c
};
struct McCorr {
    bool named = false;
    McRef ref1, ref2;
    double corr = 0.0;
};
struct Fractionation {
    std::string phase;
    double porosity = 0.0;
    double added = 0.0;            // added-composition value
    double startp = 0.0, startt = 0.0;   // kbar, K
    double pstep = 0.0, tstep = 0.0;
    int nsteps = 0;
    Arr<double, maxscriptcomp + 1> addedcomp{};   // per rbi component
    Arr<double, 3> values{0.0, -1.0, 0.0};        // [1] start P, [2] dP/dT of an oblique path
};

struct McTables {
    double mcit = 1.0;
    int nmcrange = -1;
    Vec<McRange> mcranges;
    int nmcfunc = -1;
    Vec<McFunc> mcfuncs;
    int nmc = -1;
    Vec<McItem> mcitems;
    int nmccorr = -1;
    Vec<McCorr> mccorrs;
    bool gaussmc = false;
    Fractionation fractset;
};
extern McTables mcs;
extern int mcoutkind;   // kept across passes: set only by "mcit" and the end-of-file rules

// Screen summaries of the batches and the Monte Carlo items, for the phase
// set-up once the batch copies and item bindings are made.
void printbatchsummary();
void printmcsummary();

}  // namespace runio
