// Batch keywords: batch lines with their guess blocks, bulk rows, filters,
// requirements and the choice of batches, their echo lines, their fatal
// errors, and the selection and renumbering after the last line.
#include "scriptfixture.h"

using namespace runio;
using namespace script;

namespace {

const std::string head = "axfile t\nwith g bi mu q\ndiagramPT 1 10 400 800\npseudosection\n";
const std::string blocks = "batchxyzguess startblock\nbatchxyzguess x(g) 0.8\nbatchxyzguess z(g) 0.0 range 0 0.3\n"
                           "batchxyzguess startblock\nbatchxyzguess x(bi) 0.5\n"
                           "batchbulk 50 30 20\nbatchbulk 4 4 2\n";
// One P and two T (degrees C), solving T, guess block 1, bulk row 1 alone, no modes, no isopleths.
const std::string batch1 = "batch g bi q 2 1 2 5 500 600 1 1 1 0 0 0\n";
// Two P and one T, solving P, block 2, rows 2 and 1 half and half, the mode of mu 0.1, one isopleth of g.
const std::string batch2 = "batch g mu 1 2 1 4 6 550 2 2 2 1 0.5 1 mu 0.1 1 g 3 0.4\n";

class ScriptBatch : public scripttest::ScriptTest {
protected:
    void run(const std::string& text, const std::string& replies = "") { readscript(head + blocks + text, replies); }
};

TEST_F(ScriptBatch, BatchBlockWithGuesses)
{
    run(batch1 + batch2);
    const BatchTables& b = batches;
    ASSERT_EQ(b.nbatch, 2);
    const BatchRec& r1 = b.batchrec[1];
    EXPECT_TRUE(r1.present[1] && r1.present[2] && !r1.present[3] && r1.present[4]);
    EXPECT_EQ(r1.variance, 2);
    EXPECT_EQ(r1.npt, 2);
    EXPECT_DOUBLE_EQ(r1.p[1], 5.0);
    EXPECT_DOUBLE_EQ(r1.t[2], 873.15);
    EXPECT_TRUE(r1.solvet);
    EXPECT_EQ(r1.kxyz, 1);
    EXPECT_EQ(r1.nzeroguess, 1);
    EXPECT_TRUE(r1.bulkflag);
    EXPECT_DOUBLE_EQ(r1.bulkprop, 1.0);
    EXPECT_EQ(r1.ncompused, 3);
    EXPECT_DOUBLE_EQ(r1.bulkcomp[1], 50.0);
    const BatchRec& r2 = b.batchrec[2];
    EXPECT_FALSE(r2.solvet);
    EXPECT_DOUBLE_EQ(r2.p[2], 6.0);
    EXPECT_DOUBLE_EQ(r2.t[1], 823.15);
    // Rows 40 40 20 (given as 4 4 2) and 50 30 20, half and half.
    EXPECT_DOUBLE_EQ(r2.bulkcomp[1], 45.0);
    EXPECT_DOUBLE_EQ(r2.bulkcomp[2], 35.0);
    EXPECT_EQ(r2.nmodeset, 1);
    EXPECT_EQ(r2.modephase[1], 3);
    EXPECT_DOUBLE_EQ(r2.modevalue[1], 0.1);
    EXPECT_TRUE(r2.isoflag);
    EXPECT_EQ(r2.isophase[1], 1);
    EXPECT_EQ(r2.isovar[1], 3);
    EXPECT_DOUBLE_EQ(r2.isovalue[1], 0.4);
    const BatchGuess& g = b.batchguess[1];
    EXPECT_EQ(g.n, 2);
    EXPECT_DOUBLE_EQ(g.high[2], 0.3);
    const std::string lg = log();
    EXPECT_NE(lg.find("\nbatches\n 1 :      g    bi     .     q :  1 b  p  \n"
                      " 2 :      g     .    mu       :  2    p 1 i 1\n"),
              std::string::npos);
    EXPECT_NE(lg.find("\nno of batches = 2; no of filters = -1; no of mc = -1\n"), std::string::npos);
    // Batches without Monte Carlo: the default windows, no script guesses.
    EXPECT_EQ(scriptset.batchsw, 0);
    EXPECT_EQ(scriptset.mc, 1);
    EXPECT_EQ(scriptset.calcT, 0);
    EXPECT_DOUBLE_EQ(calcwindows::win.tlow, 673.15);
}

TEST_F(ScriptBatch, BatchPTPoints)
{
    EXPECT_BOMB(run("batch g bi 2 3 4 1 2 3 5 6 7 8 1 1 0 0\n"), "-- run bombed in reading scripts : too many batch PT");
    run("batch g bi 2 2 5 1 2 500 510 520 530 540 1 1 0 0\n");
    EXPECT_EQ(batches.batchrec[1].npt, 10);
    EXPECT_BOMB(run("batch g bi 2 0 1 5 500 1 1 0 0\n"), "-- run bombed in reading scripts : not enough batch PT");
}

TEST_F(ScriptBatch, BatchLineMessages)
{
    EXPECT_BOMB(run("batch g bi mu q g\n"), "-- run bombed in reading scripts : unrecognised phase, g, in batch");
    EXPECT_BOMB(run("batch g ky 2 1 1 5 500 1 1 0 0\n"), "unrecognised phase, ky, in batch");
    EXPECT_BOMB(run("batch g bi -1 1 1 5 500 1 1 0 0\n"), "batch with negative variance\\?");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 3 0 0\n"), "in batch, kxyz out of range");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 0 0 0\n"), "in batch, no xyz flag");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1\n"), "in batch, no bulk flag");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 3 0 0 0\n"), "in batch, comp1 code out of range");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 1 4 0.5 0 0\n"), "in batch, comp2 code out of range");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 1 2 1.0001 0 0\n"), "in batch, bung bulk proportion");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 1 0 1 ky 0.1 0\n"), "in batch, modeset phase1 not in which");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 1 0 2 g 0.1 bi x 0\n"), "in batch, modeset phase2 mode stuffed");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 1 0 2 g 0.1 bi 0.2 1 g 1 0.3\n"),
                "in batch, wrong number of isopleths set");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 0 1 ky 1 0.3\n"),
                "-- run bombed in readscripts : in batch, wrong name for isopleths");
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 0 2 g 1 0.3\n"),
                "-- run bombed in readscripts : in batch, not enough info for isopleths");
    // a variable number beyond any whole number the reader keeps
    EXPECT_BOMB(run("batch g bi 2 1 1 5 500 1 1 0 1 g 99999999999 0.3\n"),
                "-- run bombed in readscripts : in batch, wrong name for isopleths");
    EXPECT_BOMB(readscript(head + "batch g bi 2 1 1 5 500 1 1 1 0 0 0\n"), "in batch, kxyz out of range");
    EXPECT_BOMB(readscript(head + "batchxyzguess startblock\nbatch g bi 2 1 1 5 500 1 1 1 0 0 0\n"),
                "in batch, pseudosection wanted but no bulk");
}

TEST_F(ScriptBatch, BulkProportionsAtTheEndsAreAccepted)
{
    run("batch g bi 2 1 1 5 500 1 1 1 2 0 0 0\nbatch g bi 2 1 1 5 500 1 1 1 2 1 0 0\n");
    EXPECT_DOUBLE_EQ(batches.batchrec[1].bulkcomp[1], 40.0);
    EXPECT_DOUBLE_EQ(batches.batchrec[2].bulkcomp[1], 50.0);
}

TEST_F(ScriptBatch, ShortBatchLineAddsNoBatch)
{
    testing::internal::CaptureStdout();
    run(batch1 + "batch g bi 2 1\n");
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_EQ(batches.nbatch, 1);
    EXPECT_EQ(log().find("no of batches"), std::string::npos);
    // The echo shows the last batch again.
    const std::string echo = " 1 :      g    bi     .     q :  1 b  p  \n";
    const std::size_t first = screen.find(echo);
    ASSERT_NE(first, std::string::npos);
    EXPECT_NE(screen.find(echo, first + 1), std::string::npos);
}

TEST_F(ScriptBatch, BatchesNeedTheWithLine)
{
    runio::run.calcmode = 5;   // nothing mandatory: the with line may be missing
    testing::internal::CaptureStdout();
    EXPECT_BOMB(readscript("batch g bi 2 1 1 5 500 1 1 0 0\n"), "-- run bombed in read scripts : batch entry failed");
    testing::internal::GetCapturedStdout();
}

TEST_F(ScriptBatch, GuessBlocks)
{
    EXPECT_BOMB(readscript(head + "batchxyzguess x(g) 0.8\n"),
                "-- run bombed in reading scripts : in bxyzguess, a guess before the first startblock line");
    EXPECT_BOMB(readscript(head + "batchxyzguess startblock\nbatchxyzguess x(g)\n"),
                "in bxyzguess, not enough info in a line \\(2\\)");
    EXPECT_BOMB(readscript(head + "batchxyzguess startblock\nbatchxyzguess x(g) 0.8 range 0 x\n"),
                "in bxyzguess, range info fubar");
    EXPECT_BOMB(readscript(head + "batchxyzguess startblock\nbatchxyzguess x(g) a b\n"), "in bxyzguess, no guess");
    std::string many = "batchxyzguess startblock\n";
    for (int i = 1; i <= 201; ++i) many += "batchxyzguess v" + std::to_string(i) + " 0.1\n";
    EXPECT_BOMB(readscript(head + many), "in bxyzguess, too many guesses");
}

TEST_F(ScriptBatch, BulkRows)
{
    testing::internal::CaptureStdout();
    readscript(head + "batchbulk 1 -1\n");
    EXPECT_NE(testing::internal::GetCapturedStdout().find(" bulk composition is bad\n"), std::string::npos);
    EXPECT_EQ(batches.nbulkrows, 0);
    EXPECT_BOMB(run("batchbulk 1 2\n"), "-- run bombed in reading scripts : wrong batchbulk info");
    std::string rows;
    for (int i = 1; i <= 151; ++i) rows += "batchbulk 1 2 3\n";
    EXPECT_BOMB(readscript(head + rows), "-- run bombed in reading scripts : too many batchbulk rows \\(max = 150\\)");
}

TEST_F(ScriptBatch, Filters)
{
    run(batch1 + "filter 1 2 400 700\nfilter 0\n" + batch2 + "filter 2 1 1 5 3 0 1\nfilter 0\n");
    const BatchTables& b = batches;
    EXPECT_EQ(b.nflitter, 2);
    EXPECT_TRUE(b.flittersgiven);
    const BatchFilter& f = b.batchrec[1].filters[1][1];
    EXPECT_EQ(f.kind, 2);
    EXPECT_DOUBLE_EQ(f.low, 673.15);   // temperatures in K
    EXPECT_DOUBLE_EQ(f.high, 973.15);
    EXPECT_EQ(b.batchrec[2].nfilter[1], 2);
    EXPECT_DOUBLE_EQ(b.batchrec[2].filters[1][2].high, 1.0);
    EXPECT_NE(log().find("no of batches = 2; no of filters = 2; no of mc = -1"), std::string::npos);
}

TEST_F(ScriptBatch, FilterMessages)
{
    EXPECT_BOMB(run(batch1 + "filter 0\nfilter 0\nfilter 0\n"),
                "-- run bombed in reading scripts : filters not interleaved with batches");
    EXPECT_BOMB(run(batch1 + "filter 31\n"), "too many filters");
    EXPECT_BOMB(run(batch1 + "filter 1 2 400\n"), "wrong flitter info");
    EXPECT_BOMB(run(batch1 + "filter 1 1e11 400 500\n"), "wrong flitter info");
    EXPECT_BOMB(run(batch1 + "filter 0\n" + batch2), "flitters don't match batches");
}

TEST_F(ScriptBatch, RequirementsOfAllBatches)
{
    run(batch1 + batch1 + batch1 + "batchreq all\n");
    ASSERT_EQ(batches.nbatchreq, 3);
    EXPECT_EQ(batches.batchreqs[3].n, 1);
    EXPECT_EQ(batches.batchreqs[3].batch[1], 3);
    run(batch1 + batch1 + batch1 + "batchreq all except 2\n");
    ASSERT_EQ(batches.nbatchreq, 2);
    EXPECT_EQ(batches.batchreqs[2].batch[1], 3);
    EXPECT_BOMB(run(batch1 + batch1 + batch1 + "batchreq 1 4\n"), "-- run bombed in reading scripts : batchreq not in range");
    EXPECT_BOMB(run(batch1 + "batchreq yes 1\n"), "batchreq not given an index");
}

TEST_F(ScriptBatch, MoreRequirementsThanBatchesDropThemAll)
{
    run(batch1 + batch1 + "batchreq 1\nbatchreq 2\nbatchreq 1 2\n");
    EXPECT_EQ(batches.nbatchreq, 0);
}

TEST_F(ScriptBatch, SwitchingBatchesRenumbersRequirements)
{
    testing::internal::CaptureStdout();
    run(batch1 + batch2 + batch1 + "batchswitch 2\nbatchreq 1 2\nbatchreq 3\n");
    const std::string screen = testing::internal::GetCapturedStdout();
    const BatchTables& b = batches;
    ASSERT_EQ(b.nbatch, 1);
    EXPECT_EQ(b.batchmap[1], 2);
    EXPECT_EQ(b.batchrec[1].kxyz, 2);   // the second batch line, now batch 1
    ASSERT_EQ(b.nbatchreq, 1);
    EXPECT_EQ(b.batchreqs[1].n, 1);
    EXPECT_EQ(b.batchreqs[1].batch[1], 1);
    EXPECT_NE(screen.find("caring batches\n  1\n\n"), std::string::npos);
    run(batch1 + batch2 + batch1 + "batchswitch all except 1\n");
    EXPECT_EQ(batches.nbatch, 2);
    EXPECT_EQ(batches.batchmap[2], 3);
    EXPECT_BOMB(run(batch1 + "batchswitch 2\n"), "-- run bombed in reading scripts : batchswitch not in range");
}

TEST_F(ScriptBatch, BatchSummary)
{
    run(batch1 + batch2);
    testing::internal::CaptureStdout();
    printbatchsummary();
    const std::string screen = testing::internal::GetCapturedStdout();
    EXPECT_NE(screen.find("\nsummary of batches\n  1 :      g     bi      q   pseudo\n"
                          "  2 :      g     mu   pseudo   isopleth\n"),
              std::string::npos);
}

}  // namespace
