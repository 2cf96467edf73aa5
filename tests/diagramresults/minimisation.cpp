// The bookkeeping of the Gibbs energy minimisation fed by hand: the marks of
// a two-point grid, the lowest G and the gap of each point, and the limits
// of the listing and of the equilibria kept at one point.
#include "bombcheck.h"
#include "numerics/numerics.h"
#include "resultfixture.h"

namespace {

using namespace resulttest;

bool has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

struct Minimisation : Results {
    void setup(int npoints, int level)
    {
        choose("", true);
        divariant();
        withmodes(0.25, 0.7, 0.05);
        runio::scriptflags.dogminon = true;
        runio::scriptflags.dogminlevel = level;
        diagramresults::cleardogmin();
        phasediagram::solveglobals = phasediagram::SolveGlobals{};
        numerics::DogminGrid& g = numerics::dogmin;
        g.ndogmin = npoints;
        for (int i = 1; i <= npoints; ++i) g.dogminpoints[i] = numerics::DogminPoint{};
    }
    // One calculation of assemblage n at grid point i with outcome code and G.
    void call(int n, int i, int code, double g)
    {
        phasediagram::SolveGlobals& sg = phasediagram::solveglobals;
        sg.equilcount = n;
        sg.pointcount = i;
        sg.systemg = g;
        st.nlecode = code;
        const bool ok = code == 0;
        diagramresults::dogmin(st, ok, ok);
    }
};

TEST_F(Minimisation, MarksAndGapsOfAGrid)
{
    setup(2, 2);
    Capture cap;
    call(1, 1, 0, -10.0);   // accepted
    call(1, 2, 3, 0.0);     // the solver failed
    st.phases[3] = 0;
    call(2, 1, 8, 0.0);     // rejected: a mode out of range
    call(2, 2, 0, -12.5);
    st.phases[3] = 1;
    call(3, 1, 0, -9.0);    // above the first
    call(3, 2, 0, -13.0);   // below the second
    const Outputs o = cap.finish();
    EXPECT_TRUE(has(o.ic, "\n#     ol  opx    q\n1      X    X    X     # - \n2      X    X    -     x # \n"
                          "3      X    X    X     # # \n"))
        << o.ic;
    const numerics::DogminPoint& p1 = numerics::dogmin.dogminpoints[1];
    const numerics::DogminPoint& p2 = numerics::dogmin.dogminpoints[2];
    EXPECT_DOUBLE_EQ(p1.gmin, -10.0);
    EXPECT_DOUBLE_EQ(p1.gap, 1.0);
    EXPECT_EQ(p1.ibest, 1);
    EXPECT_EQ(p1.nfound, 2);
    EXPECT_DOUBLE_EQ(p2.gmin, -13.0);
    EXPECT_DOUBLE_EQ(p2.gap, 0.5);
    EXPECT_EQ(p2.ibest, 3);
    EXPECT_EQ(diagramresults::dogmincounts.nsolved, 4);
}

TEST_F(Minimisation, ListingOfOnePoint)
{
    // At one point a rejected calculation shows "---" and an accepted one its G.
    setup(1, 1);
    Capture cap;
    call(1, 1, 8, 0.0);
    call(2, 1, 3, 0.0);
    call(3, 1, 0, -5.25);
    const Outputs o = cap.finish();
    EXPECT_TRUE(has(o.ic, "\n#     ol  opx    q            G\n1      X    X    X        ---\n2      X    X    X  \n"
                          "3      X    X    X     -5.25000\n"))
        << o.ic;
    EXPECT_EQ(diagramresults::dogmincounts.nstored, 1);
    EXPECT_DOUBLE_EQ(numerics::dogmin.dogminpoints[1].gmin, -5.25);
}

TEST_F(Minimisation, Limits)
{
    // At one point the two-hundred-and-first accepted equilibrium is too many.
    EXPECT_BOMB(
        {
            setup(1, 0);
            for (int n = 1; n <= 201; ++n) call(n, 1, 0, -n);
        },
        "use less phases and/or have more phases in excess\n\n-- run bombed in dogmin : too many equilibria");
    // The marks of the listing hold 127 points.
    EXPECT_BOMB(
        {
            setup(1, 1);
            numerics::dogmin.ndogmin = 128;
            call(1, 1, 3, 0.0);
        },
        "-- run bombed in dogmin : too many PT points");
}

}  // namespace
