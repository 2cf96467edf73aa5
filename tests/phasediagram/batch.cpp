// Batch items from a script on the ideal olivine-orthopyroxene-quartz
// system: the items run in order and stop at the first that fails, the
// phases of the batch lines must be in the assemblage, the fatal texts of
// loading an item, and the list of a batch run's equilibria for the drawing
// program and the csv files.
#include <cstdio>

#include "calcfixture.h"

namespace {

using calctest::Calc;
using calctest::calls;
using calctest::points;

const std::string guesses = "batchxyzguess startblock\nbatchxyzguess x(ol) 0.7\nbatchxyzguess x(opx) 0.5\n";
// Divariant at 10 kbar and 600 C; then at 0.5 kbar and 1900 C, where the
// closed form has no olivine; then 10 kbar and 700 C.
const std::string items = "batch ol opx q 2 1 1 10 600 1 1 0 0\nbatch ol opx q 2 1 1 0.5 1900 1 1 0 0\n"
                          "batch ol opx q 2 1 1 10 700 1 1 0 0\n";

TEST_F(Calc, BatchItemsRunInOrderToTheFirstFailure)
{
    prepare("ol opx q", guesses + items);
    phasediagram::solve(all);
    EXPECT_EQ(calls, (std::vector<std::string>{"printstep", "printresult", "printmorestuff", "printstep",
                                               "progresscount", "guessadvice"}));
    ASSERT_EQ(points.size(), 1u);
    double xol, xopx;
    calctest::closedform(10, 873.15, xol, xopx);
    EXPECT_NEAR(points[0].vars[0], xol, 1e-7);
    EXPECT_NEAR(points[0].vars[1], xopx, 1e-7);

    // A batch phase outside the assemblage.
    numerics::PhaseFlags some = all;
    some[3] = 0;
    EXPECT_EQ(pmtest::talk([&] { phasediagram::solve(some); }, "", true).bombed, "setupbatch : name fubar");
}

std::string loadfails(Calc& c, const std::string& more)
{
    return pmtest::talk([&] {
               c.prepare("ol opx q", more);
               phasediagram::solve(c.all);
           },
                        "", true)
        .bombed;
}

TEST_F(Calc, LoadingABatchItemFails)
{
    EXPECT_EQ(loadfails(*this, pmtest::replaceall(guesses, "0.7", "1.5") + items),
              "setupbatch : starting guess not legal for ol in batch 1");
    // A univariant item of phases that are divariant.
    EXPECT_EQ(loadfails(*this, guesses + "batch ol opx q 1 1 1 10 600 1 1 0 2 ol 1 0.7 opx 1 0.5\n"),
              "setupbatch : batch 1 (ol opx q) is given variance 1, below the 2 of its phases: give it 2 or more "
              "on its batch line");
    // A bulk of four oxides for phases of three.
    EXPECT_EQ(loadfails(*this, guesses + "batchbulk 50 30 15 5\nbatch ol opx q 2 1 1 10 600 1 1 1 0 0 0\n"),
              "dobatch : mismatch in making bcomps");

    // Records the readers cannot make: a guess block without a variable of
    // the item's phases, three zero modes, and a bulk of fewer components
    // than its highest with a rank deficit.
    prepare("ol opx q", guesses + "batchbulk 50 30 20\nbatch ol opx q 2 1 1 10 600 1 1 1 0 0 0\n");
    phasediagram::SolveState s;
    s.phases = all;
    s.firstiteration = true;
    phasediagram::setupbatch(s);
    phasediagram::dobatch(s, 1);
    EXPECT_TRUE(runio::scriptflags.modesinnle);
    EXPECT_EQ(thermodata::comps.nfreeox, 3);
    runio::BatchRec& r = runio::batches.batchrec[1];
    runio::BatchGuess& g = runio::batches.batchguess[1];
    g.name[2] = "y(opx)";
    EXPECT_EQ(pmtest::talk([&] { phasediagram::dobatch(s, 1); }, "", true).bombed,
              "dobatch : xyzguess: can't find x(opx)");
    g.name[2] = "x(opx)";
    s.firstiteration = false;
    r.ncompused = 2;
    numerics::red.rankdeficit = 1;
    EXPECT_EQ(pmtest::talk([&] { phasediagram::dobatch(s, 1); }, "", true).bombed,
              "dobatch : danger - projc not diagonal");
    r.ncompused = 3;
    r.nmodeset = 3;
    EXPECT_EQ(pmtest::talk([&] { phasediagram::dobatch(s, 1); }, "", true).bombed, "dobatch : negative variance (1)");
    // Two isopleths on a univariant item without a bulk.
    r.nmodeset = 0;
    r.bulkflag = false;
    r.variance = 1;
    r.niso = 2;
    EXPECT_EQ(pmtest::talk([&] { phasediagram::dobatch(s, 1); }, "", true).bombed, "dobatch : negative variance (2)");
}

TEST_F(Calc, ZeroModesAndIsoplethsOfABatchItem)
{
    prepare("ol opx q", guesses + "batchbulk 50 30 20\nbatch ol opx q 2 2 1 8 10 600 1 1 1 0 1 q 0 1 ol 1 0.65\n");
    phasediagram::SolveState s;
    s.phases = all;
    s.firstiteration = true;
    phasediagram::setupbatch(s);
    phasediagram::dobatch(s, 1);
    const axmodels::Phases& ph = axmodels::ph;
    const numerics::Isopleths& is = numerics::iso;
    // Quartz held at zero mode through list 1, x(ol) at 0.65 through list 2:
    // variance 2 - 1 - 1.
    EXPECT_EQ(calcwindows::win.variance, 0);
    EXPECT_TRUE(ph.prec0[1].modeflag);
    EXPECT_EQ(ph.prec0[1].modeloop, 1);
    EXPECT_EQ(is.isovalues[1][1], 0.0);
    EXPECT_TRUE(ph.prec1[1].var[1].fixed);
    EXPECT_EQ(ph.prec1[1].var[1].loopindex, 2);
    EXPECT_EQ(is.isovalues[2][1], 0.65);
    EXPECT_EQ(ph.prec1[1].var[1].guess, 0.65);
    EXPECT_EQ(ph.prec1[2].var[1].guess, 0.5);
    // Two pressures and one temperature: the P list is looped, T solved.
    EXPECT_EQ(calcwindows::win.nplist, 2);
    EXPECT_EQ(calcwindows::win.plist[2], 10.0);
    EXPECT_NEAR(calcwindows::win.tlist[1], 873.15, 1e-9);
}

TEST_F(Calc, EquilibriumListOfABatchRun)
{
    // Thirteen feldspars of two variables each: 26 variable names.
    const std::string ex = modeone::ax();
    const std::size_t from = ex.find("\npl 3 1"), to = ex.find("% ----", from);
    const std::string pl = ex.substr(from, to - from);
    std::string ax, names, block = "batchxyzguess startblock\n";
    for (char c = 'a'; c <= 'm'; ++c) {
        const std::string name = std::string("pl") + c;
        ax += pmtest::replaceall(pmtest::replaceall(pl, "(pl)", "(" + name + ")"), "\npl 3 1", "\n" + name + " 3 1");
        names += name + " ";
        block += "batchxyzguess ca(" + name + ") 0.4\nbatchxyzguess k(" + name + ") 0.05\n";
    }
    prepare(names + "q", block + "batch " + names + "q 2 1 1 8 600 1 1 0 0\nbatch q 2 1 1 8 600 1 1 0 0\n", false,
            ax + "\nq\n");
    phasediagram::SolveState s;
    s.phases = all;
    phasediagram::setupbatch(s);
    runio::Channels& ch = runio::chans;
    const runio::Channel chs[] = {runio::chpx, runio::chcsv, runio::chcsv2};
    for (runio::Channel c : chs) ch.file[c] = std::fopen((".ch" + std::to_string(c)).c_str(), "w");
    ch.chanset = runio::mpx | runio::mcsv | runio::mcsv2;
    phasediagram::writeequilist(s, 1);
    for (runio::Channel c : chs) {
        std::fclose(ch.file[c]);
        ch.file[c] = nullptr;
    }
    ch.chanset = 0;
    auto file = [](runio::Channel c) { return pmtest::readfile(".ch" + std::to_string(c)); };
    std::string phases = "{ (* 1 *) {", vars1 = " {", vars2 = "  ", vars3 = "  ", csv = "   #, ";
    auto r10 = [](const std::string& t) { return std::string(10 - t.size(), ' ') + t + ", "; };
    csv += r10("1-P") + r10("1-T");
    int v = 0;
    for (char c = 'a'; c <= 'm'; ++c) {
        const std::string name = std::string("pl") + c;
        phases += (c == 'a' ? "\"" : ", \"") + name + "\"";
        for (const std::string& var : {"ca(" + name + ")", "k(" + name + ")"}) {
            ++v;
            std::string& line = v <= 11 ? vars1 : v <= 23 ? vars2 : vars3;
            line += (v == 1 || v == 12 || v == 24 ? "\"" : ", \"") + var + "\"" + (v == 11 || v == 23 ? ", " : "");
            csv += r10("1-" + var);
        }
    }
    // Without a bulk of their own the items' modes are no unknowns: no columns.
    csv += "   #, " + r10("2-P") + r10("2-T") + "\n";
    EXPECT_EQ(file(runio::chpx), "\n equil = {\n" + phases + ", \"q\"},\n" + vars1 + "\n" + vars2 + "\n" + vars3 +
                                     "}},\n\n, \"q\"},\n {}} };\n");
    EXPECT_EQ(file(runio::chcsv), csv);
    std::string csv2;
    for (const char* item : {"1-", "2-"}) {
        csv2 += "   #, ";
        for (const char* q : {"G", "H", "S", "V", "rho"}) csv2 += r10(item + std::string(q));
    }
    EXPECT_EQ(file(runio::chcsv2), csv2 + "\n");
}

}  // namespace
