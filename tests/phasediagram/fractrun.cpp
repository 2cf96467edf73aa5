// Fractionation runs of petramondo end to end: the example path of
// examples/pm-exfract.txt checked against a mass balance made here from the
// modes and rbi rows that the log prints at every step, its restart block
// read back by a later run, a start in a field without sillimanite whose
// event adds it, and the fatal errors of the set-up.
#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "dialog.h"
#include "harness.h"

namespace {

using pmtest::runpm;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> v;
    std::istringstream in(text);
    for (std::string l; std::getline(in, l);) v.push_back(l);
    return v;
}

std::vector<double> numbers(const std::string& text)
{
    std::istringstream in(text);
    std::vector<double> v;
    for (std::string w; in >> w;) {
        char* end = nullptr;
        const double x = std::strtod(w.c_str(), &end);
        if (*end == '\0') v.push_back(x);
    }
    return v;
}

// An rbi block: per phase its name, mode and amounts of H2O SiO2 Al2O3 K2O Na2O.
struct Row {
    std::string name;
    double mode = 0;
    std::vector<double> amounts;
};
using Block = std::vector<Row>;

// Atoms of one formula unit of each oxide, in the system's order.
const std::vector<double> atoms = {3, 3, 5, 3, 3};

// The bulk in mole percent of the oxides: each phase's moles are its mode
// (per atom) over its atoms per formula unit; the fluid's and the other
// phases' shares can be scaled apart.
std::vector<double> bulkof(const Block& b, const std::string& fluid = "", double ffluid = 1, double fother = 1)
{
    std::vector<double> bulk(5, 0.0);
    for (const Row& r : b) {
        double a = 0;
        for (int c = 0; c < 5; ++c) a += atoms[c] * r.amounts[c];
        const double f = r.name == fluid ? ffluid : fother;
        for (int c = 0; c < 5; ++c) bulk[c] += f * r.mode / a * r.amounts[c];
    }
    double total = 0;
    for (double x : bulk) total += x;
    for (double& x : bulk) x *= 100 / total;
    return bulk;
}

// The rbi blocks of the log in order, each with the line before its keyword line.
std::vector<std::pair<std::string, Block>> rbiblocks(const std::string& log)
{
    std::vector<std::pair<std::string, Block>> blocks;
    const std::vector<std::string> l = lines(log);
    for (std::size_t i = 1; i < l.size(); ++i) {
        if (l[i].rfind("rbi ", 0) != 0 || !numbers(l[i]).empty()) continue;
        Block b;
        for (std::size_t j = i + 1; j < l.size() && l[j].rfind("rbi ", 0) == 0; ++j) {
            std::istringstream in(l[j].substr(3));
            Row r;
            in >> r.name >> r.mode;
            for (double x; in >> x;) r.amounts.push_back(x);
            b.push_back(r);
        }
        blocks.emplace_back(l[i - 1], b);
    }
    return blocks;
}

double modeof(const Block& b, const std::string& name)
{
    for (const Row& r : b)
        if (r.name == name) return r.mode;
    return -1;
}

std::map<std::string, std::string> inputs(const std::string& script)
{
    return {{"pm-prefs.txt", pmtest::prefsfile("6ex", "f", 1)},
            {"pm-f.txt", script},
            {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
            {"pm-axmica.txt", pmtest::examplefile("pm-axmica.txt")}};
}

TEST(Fractionation, ExamplePathAgainstTheMassBalanceOfItsSteps)
{
    const auto r = runpm(inputs(pmtest::examplefile("pm-exfract.txt")), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const double phi = 0.002;
    for (const char* text : {"\n<--repeating first step----->\nto start with porosity just filled\n",
                             "\n<--------------------------------->\nno fractionation at this step\n",
                             "\n<--for following step----------->\nfractionating\n",
                             "<-------------------------------------------------->\nlosing wm by batch 2\n"})
        EXPECT_TRUE(has(r.screen, text)) << text;
    EXPECT_TRUE(has(r.screen, "<== step 1 =======================================>\n"));

    const std::string& px = r.file("pm-f-px.txt");
    EXPECT_EQ(px.substr(0, px.find('\n')),
              "          P          T        H2O       SiO2      Al2O3        K2O       Na2O       lost");
    std::vector<std::vector<double>> path;
    for (const std::string& l : lines(px))
        if (l.size() == 88 && numbers(l).size() == 8) path.push_back(numbers(l));

    // The steps: the rbi block of batch 1 at each pass, then the restart block.
    const std::string& log = r.file("pm-log.txt");
    const auto blocks = rbiblocks(log);
    ASSERT_GE(blocks.size(), 4u) << log;
    std::vector<Block> steps;
    for (const auto& [before, b] : blocks)
        if (before == "% " + std::string(58, '-')) steps.push_back(b);
    const Block& restart = blocks.back().second;
    ASSERT_EQ(blocks.back().first, "% 1-element-based modes");
    ASSERT_EQ(steps.size(), 7u);
    ASSERT_EQ(path.size(), steps.size());

    // Each step's bulk, as the log gives it, is that of its rbi rows; the
    // first pass repeats its point with the fluid cut to the porosity.
    std::vector<std::vector<double>> stepbulks;
    for (const std::string& l : lines(log))
        if (has(l, "    from rbi")) stepbulks.push_back(numbers(l));
    ASSERT_EQ(stepbulks.size(), steps.size());
    double lost = 0;
    for (std::size_t i = 0; i < steps.size(); ++i) {
        const std::vector<double> b = bulkof(steps[i]);
        for (int c = 0; c < 5; ++c) EXPECT_NEAR(stepbulks[i][c], b[c], 2e-4) << i << " " << c;
        const double m = modeof(steps[i], "H2O");
        // What leaves the rock: the fluid beyond the porosity.
        const std::vector<double> left = m > phi ? bulkof(steps[i], "H2O", phi / m, (1 - phi) / (1 - m)) : b;
        if (i + 1 < steps.size()) {
            const std::vector<double> next = bulkof(steps[i + 1]);
            for (int c = 0; c < 5; ++c) EXPECT_NEAR(next[c], left[c], 3e-4) << i << " " << c;
        }
        if (i == 0) continue;   // the repeated first step draws no line of the path
        if (m > phi) lost += m - phi;
        const std::vector<double>& line = path[i - 1];
        EXPECT_EQ(line[0], 2.0);
        EXPECT_NEAR(line[1], 557 + (i - 1), 1e-9) << i;
        for (int c = 0; c < 5; ++c) EXPECT_NEAR(line[2 + c], left[c], 3e-4) << i << " " << c;
        EXPECT_NEAR(line[7], lost, 2e-5) << i;
    }

    // The event: mica used up between 562 and 563 degrees; its rbi block
    // holds the fluid at the porosity, the other modes scaled to match.
    const std::vector<double>& event = path.back();
    EXPECT_GT(event[1], 562.0);
    EXPECT_LT(event[1], 563.0);
    EXPECT_NEAR(modeof(restart, "wm"), 0, 1e-6);
    EXPECT_NEAR(modeof(restart, "H2O"), phi, 1e-9);
    double sum = 0;
    for (const Row& row : restart) sum += row.mode;
    EXPECT_NEAR(sum, 1, 1e-5);
    const std::vector<double> eventbulk = bulkof(restart);
    const std::string eventline = log.substr(log.find("% bulk", log.find("% 1-element-based modes")));
    const std::vector<double> shown = numbers(eventline.substr(0, eventline.find('\n')));
    ASSERT_EQ(shown.size(), 5u);
    for (int c = 0; c < 5; ++c) {
        EXPECT_NEAR(event[2 + c], eventbulk[c], 3e-4) << c;
        EXPECT_NEAR(shown[c], eventbulk[c], 3e-4) << c;
    }
    EXPECT_GT(event[7], lost);
    EXPECT_TRUE(has(log, "\n% --------------------------------------------------------\n"
                         "% rbi with extra precision for restarting fractcalcs with new equilibrium\n"
                         "% at P = 2.0000 kbar, and T = 562.")) << log;

    // The restart block read back: the bulk of a new run is the block's.
    std::string block;
    for (const std::string& l : lines(log.substr(log.find("% 1-element-based modes"))))
        if (l.rfind("rbi", 0) == 0) block += l + "\n";
    const std::string again = "axfile axmica\nwith fsp q sillim H2O\ninexcess none\npseudosection\n"
                              "zeromodeisopleth no\nmodeisopleth no\ndiagramPT 1 5 400 700\ncalcP 2\ncalcT 570\n" +
                              block + "autoexit\n*\n";
    const auto r2 = runpm(inputs(again), "");
    ASSERT_EQ(r2.status, 0) << r2.screen;
    const std::size_t at = r2.screen.find("composition (from rbi script)");
    ASSERT_NE(at, std::string::npos) << r2.screen;
    const std::vector<std::string> l2 = lines(r2.screen.substr(at));
    const std::vector<double> readback = numbers(l2[2]);
    ASSERT_EQ(readback.size(), 5u);
    for (int c = 0; c < 5; ++c) EXPECT_NEAR(readback[c], eventbulk[c], 2e-4) << c;

    // A Monte Carlo line in the script changes nothing of the path: the
    // fractionation runs its steps, not one Monte Carlo pass.
    const auto r3 = runpm(inputs(pmtest::replaceall(pmtest::examplefile("pm-exfract.txt"), "\nautoexit\n",
                                                    "\nmc wm DQF(pa)a 0 1\nautoexit\n")),
                          "");
    ASSERT_EQ(r3.status, 0) << r3.screen;
    EXPECT_EQ(r3.file("pm-f-px.txt"), px);

    // The way back: the rock of the restart block without its mica, cooled
    // from 565 C by 1 degree a step, meets the mica where the heating lost
    // it, at the path's pressure, in the pass before the path passes it.
    const std::size_t at0 = log.find("% at P = 2.0000 kbar, and T = ");
    const std::string eventat = log.substr(at0, log.find('\n', at0) - at0);
    std::string rock;
    for (const std::string& l : lines(block))
        if (l.rfind("rbi      wm", 0) != 0) rock += l + "\n";
    const std::string cooling = "axfile axmica\nwith wm fsp q sillim H2O\ninexcess none\npseudosection\n"
                                "zeromodeisopleth no\nmodeisopleth no\ndiagramPT 1 5 400 700\n"
                                "fract H2O 0.002 0 2 565 0 -1 8\n" + rock +
                                "batchxyzguess startblock\nbatchxyzguess x(wm) 0.4\nbatchxyzguess x(fsp) 0.5\n"
                                "batch fsp q sillim H2O 3 1\nbatch wm fsp q sillim H2O 2 1 wm\nautoexit\n*\n";
    const auto r4 = runpm(inputs(cooling), "");
    ASSERT_EQ(r4.status, 0) << r4.screen;
    EXPECT_TRUE(has(r4.screen, "<-------------------------------------------------->\nadded wm by batch 2\n"));
    EXPECT_TRUE(has(r4.screen, "<== step 3 ===")) << r4.screen;
    EXPECT_FALSE(has(r4.screen, "<== step 4 ===")) << r4.screen;
    EXPECT_TRUE(has(r4.file("pm-log.txt"), eventat + "\n")) << eventat;
}

// A rock without sillimanite: the mica holds its water until sillimanite
// appears, which batch 2 finds; the modes are unknowns of the solve.
const std::string nosill =
    "axfile axmica\nwith wm fsp q sillim H2O\ninexcess none\npseudosection\nzeromodeisopleth no\n"
    "modeisopleth no\ndiagramPT 1 5 400 700\nfract H2O 0.01 0 2 548 0 1 10\n"
    "rbi H2O SiO2 Al2O3 K2O Na2O\nrbi wm 0.35 1 3 1.5 0.275 0.225\nrbi fsp 0.45 0 3 0.5 0.2 0.3\n"
    "rbi q 0.18 0 1 0 0 0\nrbi H2O 0.02 1 0 0 0 0\nbatchxyzguess startblock\nbatchxyzguess x(wm) 0.45\n"
    "batchxyzguess x(fsp) 0.6\nbatch wm fsp q H2O 3 1\nbatch wm fsp q sillim H2O 3 1 sillim\nautoexit\n*\n";

TEST(Fractionation, EventAddingAPhaseAndTheFatalsOfTheSetUp)
{
    auto r = runpm(inputs(nosill), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "<-------------------------------------------------->\nadded sillim by batch 2\n"));
    const auto blocks = rbiblocks(r.file("pm-log.txt"));
    ASSERT_FALSE(blocks.empty());
    const Block& restart = blocks.back().second;
    ASSERT_EQ(restart.size(), 5u);
    EXPECT_EQ(restart[3].name, "sillim");
    EXPECT_NEAR(restart[3].mode, 0, 1e-6);
    // Only water left: the alkalis, alumina and silica keep their ratios
    // from the rbi table of the script.
    const Block start = {{"wm", 0.35, {1, 3, 1.5, 0.275, 0.225}},
                         {"fsp", 0.45, {0, 3, 0.5, 0.2, 0.3}},
                         {"q", 0.18, {0, 1, 0, 0, 0}},
                         {"H2O", 0.02, {1, 0, 0, 0, 0}}};
    const std::vector<double> b0 = bulkof(start), b1 = bulkof(restart);
    for (int c = 2; c < 5; ++c) EXPECT_NEAR(b1[c] / b1[1], b0[c] / b0[1], 1e-5) << c;

    // Without an rbi table there is nothing to take the fluid from.
    std::string script = pmtest::replaceall(nosill, "rbi H2O SiO2 Al2O3 K2O Na2O\n", "bulk H2O SiO2 Al2O3 K2O Na2O\n");
    const std::size_t from = script.find("rbi wm"), to = script.find("batchxyz");
    script = script.substr(0, from) + "bulk 6 71 14 4 5\n" + script.substr(to);
    r = runpm(inputs(script), "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in setupfract : cannot fractionate without rbi")) << r.screen;
    // The fractionating phase must be one of batch 1.
    r = runpm(inputs(pmtest::replaceall(nosill, "fract H2O", "fract sillim")), "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in setupfract : bad name sillim\"")) << r.screen;
    // A negative porosity is a typing error, not a rock.
    r = runpm(inputs(pmtest::replaceall(nosill, "fract H2O 0.01", "fract H2O -0.01")), "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in setupfract : porosity below 0")) << r.screen;
}

// A path that cools past absolute zero ends at the step before it, where it
// reached the internal-error notice of the Gibbs energy.
TEST(Fractionation, PathEndsBeforeAbsoluteZero)
{
    const std::string script = pmtest::replaceall(pmtest::examplefile("pm-exfract.txt"), " 557 0 1 8", " 557 0 -1000 8");
    const auto r = runpm(inputs(pmtest::replaceall(script, "batch wm fsp q sillim H2O 2 1 wm\n", "")), "");
    EXPECT_EQ(r.status, 0) << r.screen;
    EXPECT_TRUE(has(r.screen, "\n<== the path ends: its next step would be at -443\xA1" "C, below absolute zero ==>\n"));
}

// Olivine and orthopyroxene at variance 2 have their modes found after the
// solve, and two phases cannot balance a bulk of three oxides: with no modes
// for the step the path cannot be followed, which is a fatal error, not a
// normal end.
TEST(Fractionation, NoModesForTheBulkStopTheRun)
{
    const std::string script = "axfile axex\nwith ol opx\ninexcess none\npseudosection\nzeromodeisopleth no\n"
                               "modeisopleth no\ndiagramPT 1 20 400 1000\nfract ol 0.01 0 10 700 0 10 2\n"
                               "rbi SiO2 MgO FeO\nrbi ol 0.6 1 1.6 0.4\nrbi opx 0.4 2 1.4 0.6\n"
                               "batchxyzguess startblock\nbatchxyzguess x(ol) 0.2\nbatchxyzguess x(opx) 0.3\n"
                               "batchxyzguess Q(opx) 0.1\nbatch ol opx 2 1 0\nautoexit\n*\n";
    const auto r = runpm({{"pm-prefs.txt", pmtest::prefsfile("6ex", "f", 1)},
                          {"pm-f.txt", script},
                          {"pm-ds6ex.txt", pmtest::examplefile("pm-ds6ex.txt")},
                          {"pm-axex.txt", pmtest::examplefile("pm-axex.txt")}},
                         "");
    EXPECT_EQ(r.status, 1) << r.screen;
    EXPECT_TRUE(has(r.screen, "\n-- run bombed in fractbulk : fract dimensions mismatch\n")) << r.screen;
}

}  // namespace
