// The projected compositions of a result laid out by hand: with
// "compatibility" and "plotix" both on, one line per phase in the
// drawing-program file, at the Mg and Fe fractions of olivine and
// orthopyroxene projected through quartz.
#include "phasediagram/setup.h"
#include "resultfixture.h"
#include "runio/scriptset.h"

namespace {

using namespace resulttest;

TEST_F(Results, ProjectedPhasesOnOneLineEach)
{
    choose();
    divariant();
    thermodata::Components& cs = thermodata::comps;
    cs.nfreeox = cs.ncomp;
    for (int c = 1; c <= cs.ncomp; ++c) cs.oxfree[c] = true;
    numerics::phchoice.isexcess[3] = 1;
    numerics::phchoice.nexcessph = 1;
    // Apices MgO and FeO, then quartz in excess.
    phasediagram::ProjPlane& pp = phasediagram::projplane;
    pp = phasediagram::ProjPlane{};
    pp.nprojcomp = 3;
    pp.nprojexcess = 1;
    const char* names[] = {"", "MgO", "FeO", "q"};
    for (int a = 1; a <= 3; ++a) {
        pp.projapexname[a] = names[a];
        for (int c = 1; c <= cs.ncomp; ++c)
            pp.projapex[a][c] = cs.compname[c] == (a == 3 ? "SiO2" : names[a]) ? 1.0 : 0.0;
    }
    runio::scriptset.compatibility = 0;
    runio::scriptset.plotixsw = 0;
    Capture cap;
    diagramresults::writebraceresults(8.0, 873.15, st.phases, st.reactionnames, st.reactioncoefs, 0);
    const Outputs o = cap.finish();
    EXPECT_EQ(o.px, "   0.7654   0.2346   0.5000   %  ol      \n   0.6543   0.3457   1.0000   %  opx     \n");
    EXPECT_NE(o.screen.find("\nproj        MgO      FeO        q    phase\nol       0.7654   0.2346   0.5000\n"
                            "opx      0.6543   0.3457   1.0000\n"),
              std::string::npos)
        << o.screen;
}

}  // namespace
