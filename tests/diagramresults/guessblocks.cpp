// The script-form blocks of a result in the log, pasted into a script and
// read back by the script reader to the same guesses and rbi table; the
// table of a phase's starting guesses and the advice on copying them.
#include "resultfixture.h"
#include "script/script.h"

namespace {

using namespace resulttest;

const std::string d60 = "% " + std::string(58, '-');

// The log from the first line starting with `from` to the end.
std::string from(const std::string& log, const std::string& start)
{
    const std::size_t at = log.find(start);
    return at == std::string::npos ? "(no " + start + ")" : log.substr(at);
}

TEST_F(Results, GuessBlockReadsBackToTheSameGuesses)
{
    choose();
    divariant();
    Capture cap;
    diagramresults::printguesses(st);
    const std::string log = cap.finish().log;
    const std::string block = d60 + "\n% at P = 8.0, T = 600, for: ol opx q\n" + d60 + "\nptguess 8.000 600.00\n" +
                              d60 + "\nxyzguess " + l("x(ol)", 10) + r("0.234568", 12) + "\n% " + std::string(29, '-') + "\nxyzguess " +
                              l("x(opx)", 10) + r("0.345679", 12) + "\nxyzguess " + l("Q(opx)", 10) +
                              r("0.0123456", 12) + "  range -1.000 1.000\n" +
                              d60 + "\n\n";
    EXPECT_EQ(log, "\n" + block);

    // Pasted into the script of a later run, the block gives back its values.
    pmtest::readpass(modeone::script("ol opx q", block), modeone::ax());
    const runio::ScriptTables& t = runio::scripttabs;
    EXPECT_EQ(runio::scriptset.ptguesssw, 0);
    EXPECT_DOUBLE_EQ(t.ptguessp, 8.0);
    EXPECT_NEAR(t.ptguesst, 873.15, 1e-9);
    ASSERT_EQ(t.nxyzguess, 3);
    EXPECT_EQ(t.xyzguesses[3].name, "Q(opx)");
    EXPECT_DOUBLE_EQ(t.xyzguesses[3].low, -1.0);
    EXPECT_DOUBLE_EQ(t.xyzguesses[3].high, 1.0);
    const axmodels::SolPhase& ol = axmodels::ph.prec1[1];
    const axmodels::SolPhase& opx = axmodels::ph.prec1[2];
    EXPECT_TRUE(ol.scriptguess && opx.scriptguess);
    // Six significant digits survive the round trip.
    EXPECT_NEAR(ol.var[1].guess, 0.2345678, 5e-7);
    EXPECT_NEAR(opx.var[1].guess, 0.3456789, 5e-7);
    EXPECT_NEAR(opx.var[2].guess, 0.0123456, 5e-8);
}

TEST_F(Results, BatchBlockAndAVariableTakenOutOfItsPhase)
{
    choose();
    divariant();
    // Q(opx) taken out of orthopyroxene, its guess having been zero.
    axmodels::SolPhase& opx = axmodels::ph.prec1[2];
    opx.varnonzero[2] = false;
    opx.nvar = 1;
    numerics::unk.nvar = 4;
    runio::scriptset.batchsw = 0;
    Capture cap;
    diagramresults::printguesses(st);
    const std::string prefix = "batchxyzguess ";
    EXPECT_EQ(from(cap.finish().log, "batch"), prefix + "startblock\n" + d60 + "\n" + prefix + l("x(ol)", 10) +
                                                   r("0.234568", 12) + "\n% " + std::string(29, '-') + "\n" +
                                                   prefix + l("x(opx)", 10) + r("0.345679", 12) + "\n" + prefix +
                                                   l("Q(opx)", 10) + r("0", 12) + "  % boiler\n" + d60 + "\n\n");
}

TEST_F(Results, RbiBlocksInsideAndOutsideAPseudosection)
{
    choose();
    divariant();
    Capture cap;
    diagramresults::printbulkinfo(st);
    // Olivine Mg1.530864Fe0.469136SiO4 of x(ol) = 0.2345678, per oxide unit.
    EXPECT_EQ(cap.finish().log, "\n" + d60 + "\nrbi  no" + std::string(16, ' ') + r("SiO2", 12) + r("MgO", 12) +
                                    r("FeO", 12) + "\nrbi" + r("ol", 8) + r("##", 12) + r("1", 12) + r("1.530864", 12) +
                                    r("0.469136", 12) + "\nrbi" + r("opx", 8) + r("##", 12) + r("2", 12) +
                                    r("1.308642", 12) + r("0.691358", 12) + "\nrbi" + r("q", 8) + r("##", 12) +
                                    r("1", 12) + r("0", 12) + r("0", 12) + "\n" +
                                    d60 + "\nreplace the ''##'' by the modes you want to use to make the bulk\n");

    choose("", true);
    divariant();
    withmodes(0.3, 0.5, 0.2);
    numerics::ResultRec& res = numerics::result;
    res.bulkrows[1][1] = 0.45;
    res.bulkrows[1][2] = 0.35;
    res.bulkrows[1][3] = 0.2;
    Capture pseudo;
    diagramresults::printbulkinfo(st);
    const std::string block = from(pseudo.finish().log, "rbi ");
    EXPECT_EQ(block.substr(0, 7), "rbi    ");
    EXPECT_NE(block.find("\nrbi" + r("ol", 8) + r("0.300000", 12) + r("1", 12) + r("1.530864", 12) +
                         r("0.469136", 12) + "\n"),
              std::string::npos);
    EXPECT_NE(block.find("\n% bulk" + std::string(17, ' ') + r("45.0000", 12) + r("35.0000", 12) + r("20.0000", 12) +
                         "\n" + d60 +
                         "\n% delete this bulk line if you have modified the rbi tableau\n"),
              std::string::npos)
        << block;

    // The rbi table read back: modes and compositions per phase.
    pmtest::readpass(modeone::script("ol opx q", block, true), modeone::ax());
    const runio::ScriptTables& t = runio::scripttabs;
    ASSERT_EQ(t.nrbi, 3);
    EXPECT_EQ(t.rbi[2].name, "opx");
    EXPECT_DOUBLE_EQ(t.rbi[2].mode, 0.5);
    EXPECT_DOUBLE_EQ(t.rbi[2].comp[2], 1.308642);
    EXPECT_DOUBLE_EQ(t.rbi[3].comp[1], 1.0);
}

TEST_F(Results, BlocksOfTheBestResultOfAMinimisation)
{
    choose("", true);
    divariant();
    withmodes(0.3, 0.5, 0.2);
    numerics::result.bulkrows[1][1] = 0.45;
    numerics::result.bulkrows[1][2] = 0.35;
    numerics::result.bulkrows[1][3] = 0.2;
    numerics::prevresult = numerics::result;
    numerics::result = numerics::ResultRec{};   // a later, worse point
    Capture cap;
    diagramresults::writeguesses();
    diagramresults::writerbi();
    const std::string d58 = "% " + std::string(56, '-');
    const std::string z = r("0", 12);
    EXPECT_EQ(cap.finish().log, "\n" + d58 + "\nptguess 8.0 600\n" + d58 + "\nxyzguess " + l("x(ol)", 10) +
                                    r("0.234568", 12) + "\n% " + std::string(29, '-') + "\nxyzguess " +
                                    l("x(opx)", 10) + r("0.345679", 12) + "\nxyzguess " + l("Q(opx)", 10) +
                                    r("0.0123456", 12) + "  range -1.000 1.000\n" + d58 + "\n" +
                                    "\n" + d58 + "\nrbi" + std::string(20, ' ') + r("SiO2", 12) + r("MgO", 12) +
                                    r("FeO", 12) + "\n" + d58 + "\nrbi" + r("ol", 8) + r("0.300000", 12) +
                                    r("1", 12) + r("1.530864", 12) + r("0.469136", 12) + "\nrbi" + r("opx", 8) +
                                    r("0.500000", 12) + r("2", 12) + r("1.308642", 12) + r("0.691358", 12) +
                                    "\nrbi" + r("q", 8) + r("0.200000", 12) + r("1", 12) + z + z + "\n" + d58 +
                                    "\n% bulk" + std::string(17, ' ') + r("45.0000", 12) + r("35.0000", 12) +
                                    r("20.0000", 12) + "\n" + d58 + "\n");
    EXPECT_DOUBLE_EQ(numerics::result.p, 8.0);   // the best result is back in place
}

TEST_F(Results, StartingGuessRowAndTheAdvice)
{
    choose();
    runio::win.pcalc = 0.001;
    runio::win.tcalc = 873.4;
    Capture cap;
    diagramresults::ptxyzrow(2);
    runio::win.pcalc = 7.26;
    diagramresults::ptxyzrow(1);
    diagramresults::guessadvice();
    const std::string text = cap.finish().screen;
    const std::string rows = " P(kbar)    T(C)" + r("x(opx)", 10) + r("Q(opx)", 10) + "\n   0.001     600" +
                             r("0.2000", 10) + r("0.1000", 10) + "\n P(kbar)    T(C)" + r("x(ol)", 10) +
                             "\n     7.3     600" + r("0.1000", 10) + "\n\n";
    EXPECT_EQ(text.substr(0, rows.size()), rows);
    // The advice as one paragraph of lines within 80 columns.
    std::string words;
    for (char c : text.substr(rows.size())) {
        if (c != '\n') words += c;
    }
    EXPECT_EQ(words, "your calculation relied on the starting guesses for the phases provided in the axfile. These "
                     "may well not be optimum for what you want to do - good starting guesses may be critical for "
                     "success. Starting guesses in script-form can be found in the logfile for equilibria that have "
                     "calculated successfully. Copy the \"xyzguess\" block from the logfile and paste into your "
                     "scriptfile. ");
    for (std::size_t a = rows.size(), b; (b = text.find('\n', a)) != std::string::npos; a = b + 1)
        EXPECT_LE(b - a, 79u);

    // With guesses from the script there is no advice.
    choose("xyzguess x(ol) 0.2\n");
    Capture quiet;
    diagramresults::guessadvice();
    EXPECT_EQ(quiet.finish().screen, "");
}

}  // namespace
