// Monte Carlo and accumulating batch runs: on the ideal olivine-
// orthopyroxene-quartz system, whose DQF of fs moves the temperature of an
// x(ol) isopleth by the closed form, every entry of the results list is
// checked against the closed form of its own drawn DQF, its filter and its
// csv row; a target of successes, the example run with its listings, a
// batch run at debug level 0, repeatable seeds, and the count of passes of
// a fractionation beyond 9999.
#include <regex>
#include <sstream>

#include "calcfixture.h"
#include "diagramresults/diagramresults.h"
#include "harness.h"
#include "phasediagram/phasediagram.h"

namespace {

using calctest::Calc;
using pmtest::runpm;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

const std::string batchlines =
    "batchxyzguess startblock\nbatchxyzguess x(ol) 0.7\nbatchxyzguess x(opx) 0.5\n"
    "batch ol opx q 2 1 1 10 800 1 1 0 1 ol 1 0.7\n";

std::string script(const std::string& more)
{
    return "axfile axid\nwith ol opx q\ninexcess none\npseudosection no\ndiagramPT 2 20 300 1200\n" + batchlines +
           more + "autoexit\n*\n";
}

std::map<std::string, std::string> inputs(const std::string& scripttext)
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "t", 1)},
            {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
            {"pm-t.txt", scripttext},
            {"pm-axid.txt", pmtest::idealolopx}};
}

// T (K) of x(ol) = 0.7 at 10 kbar when fa + q = fs has dG = dqf (kJ).
double isoplethT(double dqf)
{
    auto f = [&](double t) {
        const double rt2 = 2 * calctest::rgas * t;
        const double k1 = std::exp(-(calctest::gem("en", 10, t) - calctest::gem("fo", 10, t) - calctest::gem("q", 10, t)) / rt2);
        const double k2 = std::exp(-dqf / rt2);
        return (1 - k1) / (k2 - k1) - 0.7;
    };
    double lo = 600, hi = 1700;
    const bool up = f(lo) > 0;
    for (int i = 0; i < 100; ++i) ((f(0.5 * (lo + hi)) > 0) == up ? lo : hi) = 0.5 * (lo + hi);
    return 0.5 * (lo + hi);
}

// An entry of the results list: its pass, drawn value, P and T of batch 1,
// the largest filter deviation, and whether batch 2 failed.
struct Entry {
    int pass = 0;
    double value = 0, p = 0, t = 0, d = 0;
    bool secondfailed = false;
};

std::vector<Entry> entries(const std::string& px)
{
    std::vector<Entry> v;
    const std::regex nw(R"(  \(\* nw    (-?[0-9.]+) \*\)\},  \(\* ([0-9]+) \*\)\n)");
    const std::regex one(R"( \{\{ \(\* 1 \*\) \{ ([0-9.]+), ([0-9.]+)\}, \{0\.7000, [0-9.]+\}\}\},\n)");
    const std::regex two(R"( \{\{ \(\* 2 \*\) \{ 0, 0\}, \{\}\}\},     (-?[0-9.]+)\})");
    std::smatch m;
    for (auto it = px.cbegin(); std::regex_search(it, px.cend(), m, nw); it = m.suffix().first) {
        Entry e;
        e.value = std::stod(m[1]);
        e.pass = std::stoi(m[2]);
        std::smatch a, b;
        const std::string rest(m.suffix().first, px.cend());
        if (std::regex_search(rest, a, one, std::regex_constants::match_continuous)) {
            e.p = std::stod(a[1]);
            e.t = std::stod(a[2]);
            const std::string after = a.suffix();
            e.secondfailed = std::regex_search(after, b, two, std::regex_constants::match_continuous);
            if (e.secondfailed) e.d = std::stod(b[1]);
        }
        v.push_back(e);
    }
    return v;
}

// The results list from " results = {" to its closing: balanced braces,
// ending with "};".
bool closedlist(const std::string& px)
{
    const std::size_t from = px.find(" results = {");
    if (from == std::string::npos) return false;
    int depth = 0;
    for (std::size_t i = from; i < px.size(); ++i) {
        if (px.compare(i, 3, "(* ") == 0) i = px.find("*)", i) + 1;
        if (px[i] == '{') ++depth;
        if (px[i] == '}' && --depth == 0) return px.compare(i, 2, "};") == 0;
    }
    return false;
}

// Batch 2 (x(ol) near 1, beyond the window) never solves; the passes count
// by batch 1 alone, when its T lies in 845-1000 C, which the undisturbed DQF
// of 4 kJ (about 837.6 C) misses.  (With one batch and one item a run would
// print its results instead.)
const std::string filtered = "filter 1 2 845 1000\nbatch ol opx q 2 1 1 10 800 1 1 0 1 ol 1 0.99999\n"
                             "filter 0\nbatchreq 1\n";

TEST_F(Calc, MonteCarloPassesAgainstTheClosedFormOfTheirDraws)
{
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    const std::string more = filtered + "mcit 250 0\ngaussmc\nmc opx DQF(fs)a 4 1\n";
    const auto r = runpm(inputs(script(more)), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& px = r.file("pm-t-px.txt");
    const std::vector<Entry> all = entries(px);
    ASSERT_GT(all.size(), 20u) << px;
    ASSERT_LT(all.size(), 240u);
    EXPECT_TRUE(closedlist(px));
    int before250 = 0;
    for (const Entry& e : all) {
        EXPECT_TRUE(e.secondfailed) << e.pass;
        EXPECT_EQ(e.p, 10.0);
        const double t = isoplethT(e.value) - 273.15;
        EXPECT_NEAR(e.t, t, 0.006 + 100 * 5e-6) << e.pass;   // T to 0.01, the DQF to 1e-5 kJ
        EXPECT_GT(e.t, 845);
        EXPECT_LT(e.t, 1000);
        EXPECT_NEAR(e.d, 2 * (e.t - 922.5) / 155, 0.0006) << e.pass;
        EXPECT_GT(e.pass, 1);
        if (e.pass < 250) ++before250;
    }
    // The progress at pass 250 counts the successes before it.
    EXPECT_TRUE(has(r.screen, "(250, " + std::to_string(before250) + ") ")) << r.screen;
    EXPECT_TRUE(has(r.file("pm-t-o.txt"), "\n" + std::to_string(all.size()) + "\n"));
    EXPECT_TRUE(has(px, "};\n\n" + std::to_string(all.size()) + "\n"));

    // One csv row per entry, batch 2 failed in both files.
    const std::string& csv = r.file("pm-t.csv");
    std::istringstream rows(csv);
    std::string line;
    std::getline(rows, line);
    EXPECT_TRUE(has(line, "   #,        1-P,        1-T,    1-x(ol),   1-x(opx),")) << line;
    std::size_t k = 0;
    while (std::getline(rows, line) && !line.empty()) {
        ASSERT_LT(k, all.size());
        char expect[128];
        std::snprintf(expect, sizeof expect, "%4d,     10.000, %10.2f,    0.70000,", all[k].pass, all[k].t);
        EXPECT_EQ(line.substr(0, std::string(expect).size()), expect);
        EXPECT_TRUE(has(line, ",          0,          0,         -1,         -1, ")) << line;
        ++k;
    }
    EXPECT_EQ(k, all.size());
    EXPECT_TRUE(has(r.file("pm-t2.csv"), ",         -1,         -1,         -1,         -1,         -1, \n"));
}

TEST_F(Calc, MonteCarloTargetOfSuccesses)
{
    const auto r = runpm(inputs(script(filtered + "mcit 100 20\nmc opx DQF(fs)a 4 1\n")), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::vector<Entry> all = entries(r.file("pm-t-px.txt"));
    ASSERT_EQ(all.size(), 20u);
    EXPECT_TRUE(has(r.screen, "\n20 successes in " + std::to_string(all.back().pass) + " runs.\n")) << r.screen;
    EXPECT_TRUE(closedlist(r.file("pm-t-px.txt")));
    // Uniform draws: each within 4 +- 1.
    for (const Entry& e : all) {
        EXPECT_GE(e.value, 3.0);
        EXPECT_LE(e.value, 5.0);
    }
}

TEST(MonteCarlo, ExampleRunAndItsListings)
{
    std::map<std::string, std::string> files;
    for (const char* f : {"pm-exmc.txt", "pm-ds6ex.txt", "pm-axex.txt"}) files[f] = pmtest::examplefile(f);
    files["pm-prefs.txt"] = pmtest::prefsfile("6ex", "exmc", 1);
    const auto r = runpm(files, "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "\n 1    0.5000\n 2         0    1.0000\n 3         0    0.6000    0.8000\n"));
    EXPECT_TRUE(has(r.screen, "starting to accumulate results\n"));
    const std::string& px = r.file("pm-exmc-px.txt");
    EXPECT_TRUE(has(px, " mcinfo = {{\"w(py,alm)a\", 2.5000, 2.0000},\n           {\"w(alm,gr)a\", 5.1000, 2.0000},\n"
                        "           {\"w(en,fs)a\", 6.8000, 2.0000}};\n\n"
                        " mcrange = {{{\"wfm\", 4.4000, 1.0000}, {\"w(en,fm)a\", \"w(fs,fm)a\"}}};\n\n"
                        " mcfunc = {};\n\n"
                        " filter = {{ (* 1 *) { {2, 650, 790} }},\n           { (* 2 *) { {2, 590, 720} }}};\n"))
        << px;
    EXPECT_EQ(pmtest::countof(px, "{{(* cw *) "), 200);
    EXPECT_EQ(pmtest::countof(px, "\n {{ (* 2 *) { 10.000, "), 200);
    EXPECT_TRUE(closedlist(px));
    EXPECT_TRUE(has(px, "}};\n\n200\n"));
    EXPECT_EQ(pmtest::countof(r.file("pm-exmc.csv"), "\n"), 201);
    EXPECT_EQ(pmtest::countof(r.file("pm-exmc2.csv"), "\n"), 201);
    // Pass 1 is the thermometer undisturbed, as the isopleth example finds it.
    EXPECT_TRUE(has(px, "{{(* cw *) 2.50000, 5.10000, 6.80000, 4.40000\n"
                        "  (* nw    2.50000, 5.10000, 4.40000, 4.40000, 6.80000 *)},  (* 1 *)\n"
                        " {{ (* 1 *) { 8.000, 718.1"))
        << px;
}

// The example's batches have no bulk, so their modes are no unknowns: each
// batch's header names just the columns its rows carry, and the rock's G,
// H, S, V and density, which a run outside a pseudosection never
// calculates, are left empty rather than written as 0.
TEST(MonteCarlo, ExampleCsvHeaderNamesTheColumnsOfItsRows)
{
    std::map<std::string, std::string> files;
    for (const char* f : {"pm-exmc.txt", "pm-ds6ex.txt", "pm-axex.txt"}) files[f] = pmtest::examplefile(f);
    files["pm-prefs.txt"] = pmtest::prefsfile("6ex", "exmc", 1);
    const auto r = runpm(files, "");
    ASSERT_EQ(r.status, 0) << r.screen;
    std::istringstream csv(r.file("pm-exmc.csv"));
    std::string header, row;
    std::getline(csv, header);
    EXPECT_EQ(header, "   #,        1-P,        1-T,   1-x(opx),   1-Q(opx),     1-x(g),     1-z(g),"
                      "    #,        2-P,        2-T,   2-x(opx),   2-Q(opx),     2-x(g),     2-z(g), ");
    int rows = 0;
    while (std::getline(csv, row)) {
        EXPECT_EQ(pmtest::countof(row, ","), 14) << row;
        ++rows;
    }
    EXPECT_EQ(rows, 200);
    std::string empty;
    for (int v = 0; v < 5; ++v) empty += std::string(10, ' ') + ", ";
    EXPECT_TRUE(has(r.file("pm-exmc2.csv"), "\n   1, " + empty + "   1, " + empty + "\n"));
}

TEST(MonteCarlo, BatchRunAtDebugLevelZeroAccumulatesEachPointOnce)
{
    const std::string more = "batch ol opx q 2 1 1 15 800 1 1 0 1 ol 1 0.7\ndebuglevel 0\nmcdebug\n";
    const auto r = runpm(inputs(script(more)), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::string& px = r.file("pm-t-px.txt");
    EXPECT_EQ(pmtest::countof(px, "{{(* cw *) \n  (* nw     *)}, \n"), 1) << px;
    EXPECT_EQ(pmtest::countof(px, "{{ (* 1 *) { 10.000, 837.59}, {0.7000, 0.5637}}},\n"), 1) << px;
    EXPECT_EQ(pmtest::countof(px, "{{ (* 2 *) { 15.000, 1084.63}, {0.7000, 0.5864}}},     0}};\n"), 1) << px;
    EXPECT_EQ(pmtest::countof(r.file("pm-t.csv"), "\n   1,     10.000,     837.59,    0.70000,    0.56370, "), 1);
    EXPECT_TRUE(has(r.screen, "your calculation relied on the starting guesses"));

    // With the minimisation on, "mcdebug" still accumulates every point, and
    // the results list still closes after the last entry.
    std::string dogmin = pmtest::replaceall(script(more), "pseudosection no\n",
                                            "pseudosection\nbulk SiO2 MgO FeO\nbulk 45 40 15\n");
    dogmin = pmtest::replaceall(dogmin, "debuglevel 0\n", "dogmin 1\n");
    const auto d = runpm(inputs(dogmin), "");
    ASSERT_EQ(d.status, 0) << d.screen;
    const std::string& dpx = d.file("pm-t-px.txt");
    // Its modes come after the solve, so the unknowns end with the variables.
    EXPECT_TRUE(has(dpx, "{{ (* 2 *) { 15.000, 1084.63}, {0.7000, 0.5864}, ")) << dpx;
    EXPECT_TRUE(closedlist(dpx)) << dpx;
}

// The whole pass of mode 1 inside the test, its files kept.
std::map<std::string, std::string> passinside(const std::string& scripttext)
{
    pmtest::writefile("pm-t.txt", scripttext);
    pmtest::writefile("pm-axid.txt", pmtest::idealolopx);
    pmtest::startrun(1);
    using runio::chans;
    const runio::Channel ch[] = {runio::chout, runio::chpx, runio::chcsv, runio::chcsv2};
    const char* names[] = {"pm-t-o.txt", "pm-t-px.txt", "pm-t.csv", "pm-t2.csv"};
    for (int i = 0; i < 4; ++i) chans.file[ch[i]] = std::fopen(names[i], "w");
    chans.chanset = runio::mout | runio::mpx | runio::mcsv | runio::mcsv2;
    diagramresults::install();
    runio::seedrandom(true);
    phasediagram::nlecalcs();
    std::map<std::string, std::string> files;
    for (int i = 0; i < 4; ++i) {
        std::fclose(chans.file[ch[i]]);
        chans.file[ch[i]] = nullptr;
        files[names[i]] = pmtest::readfile(names[i]);
    }
    chans.chanset = 0;
    return files;
}

TEST_F(Calc, RepeatableSeedsAndTheParametersPutBack)
{
    prepare("ol opx q");
    const std::string text = script(filtered + "gaussmc\nmcrange d 4 1\nmc opx DQF(fs)a =d\nmcit 30 0\n");
    const auto first = passinside(text);
    // The DQF of fs is back at the value the script gives.
    const axmodels::SolPhase& opx = axmodels::ph.prec1[2];
    EXPECT_EQ(opx.name, "opx");
    EXPECT_EQ(opx.em[2].slots[thermodata::sH], 4.0);
    EXPECT_GT(pmtest::countof(first.at("pm-t-px.txt"), "{{(* cw *) "), 5);
    EXPECT_EQ(passinside(text), first);
}

TEST_F(Calc, FractionationCountsItsPassesBeyond9999)
{
    prepare("ol opx q");
    lists({10}, {900});
    runio::scriptset.fract = 0;
    runio::mcs.fractset.nsteps = 10005;
    static int steps = 0;
    steps = 0;
    phasediagram::ResultRoutines& out = phasediagram::resultroutines;
    out.setupfract = [](phasediagram::SolveState&) {};
    out.dofract = [](phasediagram::SolveState&) { ++steps; };
    out.fractbulk = [](phasediagram::SolveState&) {};
    out.printstep = out.printfractresults = out.progresscount = [](phasediagram::SolveState&) {};
    out.printresult = out.printmorestuff = [](phasediagram::SolveState&) {};
    phasediagram::solve(all);
    EXPECT_EQ(steps, 10005);
    runio::scriptset.fract = 1;
}

}  // namespace
