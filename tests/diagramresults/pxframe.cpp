// The drawing-program frame of an assemblage and its lines, and the csv
// lines of the results, for a univariant olivine isopleth, a pseudosection
// line with a zero-mode phase that has a colour, the variance words, the
// list style, and the modes as lists and csv rows.
#include "resultfixture.h"

namespace {

using namespace resulttest;

// An x(ol) = 0.3 isopleth at 8 kbar: T is solved.
void isopleth(double tk)
{
    numerics::Unknowns& x = numerics::unk;
    x.xfree[2] = true;
    x.xfree[3] = false;
    x.nlex[3] = numerics::result.ph[1].varval[1] = 0.3;
    x.nlex[2] = numerics::result.t = tk;
    runio::win.variance = numerics::phchoice.variance0 = 1;
}

TEST_F(Results, UnivariantFrameLinesAndCsvRows)
{
    choose();
    divariant();
    isopleth(885.5);
    Capture cap;
    diagramresults::printstep(st);
    diagramresults::printresult(st);
    diagramresults::printmorestuff(st);
    st.successes = 2;
    isopleth(887.15);
    diagramresults::printresult(st);
    diagramresults::printmorestuff(st);
    const Outputs o = cap.finish();
    EXPECT_EQ(o.screen.substr(0, 99), "<" + std::string(58, '=') + ">\nphases: ol opx q  \n" + std::string(19, '-'));
    EXPECT_EQ(o.px, "\n% ------------------------------\nu<k>   ol opx q   univariant\n\nbegin  end  \n\n"
                    "8.000 612.35 % x(ol) = 0.3\n8.000 614.00 % x(ol) = 0.3\n");
    EXPECT_EQ(o.csv, "   P(kbar),      T(" + deg + "C), \n     8.000,     612.35,   ol opx q \n"
                     "     8.000,     614.00, \n");

    // A later pass of the run has an empty line in place of the header.
    runio::run.runno = 2;
    st.successes = 1;
    Capture second;
    diagramresults::writecsvline(st);
    EXPECT_EQ(second.finish().csv, "\n     8.000,     614.00,   ol opx q \n");
}

TEST_F(Results, FrameOfAPseudosectionLineWithAColouredZeroModePhase)
{
    choose("rgb ol 0 128 255\n", true);
    divariant();
    withmodes(0.0, 0.6, 0.4);
    numerics::unk.xfree[6] = false;   // ol held at zero mode
    runio::win.variance = 1;
    Capture cap;
    diagramresults::writepxheader(st);
    diagramresults::writepxline(st);
    EXPECT_EQ(cap.finish().px, "\n% ------------------------------\nu<k>   opx q  - ol\n\nbegin  end  rgb    0 128 255\n\n"
                               "8.000 600.00 % ol = 0\n");
}

TEST_F(Results, VarianceWordsLabelsAndClosingLines)
{
    choose();
    divariant();
    struct Case {
        int v0, v;
        std::string frame;
    };
    const Case cases[] = {
        {0, 0, "i<k>   ol opx q   invariant\n\n"},
        {2, 2, "d<k>   ol opx q   divariant\n\n"},
        {3, 2, "t<k>   ol opx q   trivariant\n\nbegin  end\n\n"},
        {2, 1, "u<k>   ol opx q \n\nbegin  end  \n\n"},
        {4, 3, "<name>   ol opx q \n\n"},
    };
    for (const Case& c : cases) {
        numerics::phchoice.variance0 = c.v0;
        runio::win.variance = c.v;
        Capture cap;
        diagramresults::writepxheader(st);
        EXPECT_EQ(cap.finish().px, "\n% ------------------------------\n" + c.frame) << c.v0 << " " << c.v;
    }
}

TEST_F(Results, ListStyleFrameAndBraceLine)
{
    choose("plotix no\n", true);
    divariant();
    systemprops();
    numerics::ResultRec& res = numerics::result;
    Capture cap;
    diagramresults::writepxheader(st);
    diagramresults::printmorestuff(st);
    res.sysg[1] = 0.0;   // no G: no line
    diagramresults::printmorestuff(st);
    EXPECT_EQ(cap.finish().px, "\n(* ------------------------------ *)\n(* ol opx q *)\n\n"
                               "{8.000, 600.00, -1234.56789, -1100.12346, 0.123456, 4.567890, 3.210000},\n");
}

TEST_F(Results, ModesAsListsAndCsvRowsWithoutTheZeroedPhase)
{
    choose("modebox\ntozero q\n", true);
    divariant();
    withmodes(0.3, 0.5, 0.2);
    runio::scripttabs.withnames[4] = "fluid";   // a "with" name that is not a result phase
    runio::scripttabs.nwith = 4;
    Capture cap;
    diagramresults::writemodelists(st);
    const Outputs o = cap.finish();
    // f = 1 / (1 - 0.2): ol 0.375, opx 0.625.
    EXPECT_EQ(o.px, "\n{{8.000, 600.00, 0}, {\"ol\", 0.37500}, {\"opx\", 0.62500}}, \n");
    EXPECT_EQ(o.csv, r("P(kbar),", 11) + r("T(" + deg + "C),", 11) + r("prop,", 11) + r("ol,", 11) + r("opx,", 11) +
                         r("fluid,", 11) + "\n" + "     8.000,    600.00,         0,   0.37500,   0.62500,         0,\n");
}

}  // namespace
