// The shares of the components in the solids of a result whose fluid is
// externally buffered, worked by hand from the modes and the formulae.
#include "resultfixture.h"

namespace {

using namespace resulttest;

TEST_F(Results, FluidShares)
{
    choose("", true);
    divariant();
    withmodes(0.25, 0.7, 0.05);
    thermodata::Components& cs = thermodata::comps;
    for (int c = 1; c <= cs.ncomp; ++c) cs.oxfree[c] = true;
    const double x = 0.2345678, y = 0.3456789;
    // Each phase's mode spread over its oxides in proportion: ol
    // (1, 2(1 - x), 2x) of 3, opx (2, 2(1 - y), 2y) of 4, q (1) of 1.
    const double sio2 = 0.25 / 3 + 0.7 * 2 / 4 + 0.05, mgo = 0.25 * 2 * (1 - x) / 3 + 0.7 * 2 * (1 - y) / 4,
                 feo = 0.25 * 2 * x / 3 + 0.7 * 2 * y / 4;
    std::string heads = r("H2O", 10) + r("CO2", 10), values;
    for (int c = 1; c <= cs.ncomp; ++c) {
        heads += r(cs.compname[c], 8);
        const double s = cs.compname[c] == "SiO2" ? sio2 : cs.compname[c] == "MgO" ? mgo : feo;
        char v[16];
        std::snprintf(v, sizeof v, "%8.2f", 100 * s);
        values += v;
    }
    double x1 = -1, x2 = -1;
    Capture cap;
    diagramresults::fificalc(st.phases, x1, x2, 8.0, 873.15);
    const Outputs o = cap.finish();
    EXPECT_EQ(o.out, "\n\n" + heads + "\n" + values + "\n");
    // No fluid phase: no amounts of H2O and CO2.
    EXPECT_EQ(x1, 0.0);
    EXPECT_EQ(x2, 0.0);

    // Modes worked out after the solve are no unknowns of the solver: the
    // same modes give the same shares.
    runio::scriptflags.modesinnle = false;
    runio::scriptflags.modesafternle = true;
    numerics::Unknowns& u = numerics::unk;
    u.nmodes = 0;
    for (int m = 1; m <= 3; ++m) u.nlex[u.nvar + m] = 0.0;
    Capture after;
    diagramresults::fificalc(st.phases, x1, x2, 8.0, 873.15);
    EXPECT_EQ(after.finish().out, "\n\n" + heads + "\n" + values + "\n");
}

}  // namespace
