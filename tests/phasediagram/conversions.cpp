// Chemical potentials and conversions of results end to end on the ideal
// olivine-orthopyroxene-quartz system: mu of each component against the
// end-member Gibbs energies at the closed-form compositions, mu(O) through
// magnetite, a(H2O) through pure H2O, a set chemical potential that gives
// the point back, and a melt in oxide mol% and wt%.
#include "calcfixture.h"
#include "harness.h"
#include "runfiles.h"
#include "diagramresults/diagramresults.h"
#include "thermodata/gibbs.h"

namespace {

using calctest::Calc;
using calctest::gem;
using calctest::rgas;
using pmtest::runpm;
using namespace runtest;

const double p = 10, t = 873.15;
const std::string at = "calcP 10\ncalcT 600\n";

// The last number of the line after the first line starting with head.
double lastafter(const std::string& text, const std::string& head)
{
    const std::vector<double> v = rowafter(text, head);
    return v.empty() ? 1e300 : v.back();
}

std::string bulklines(const std::string& names, const std::vector<double>& b)
{
    std::string s = "bulk " + names + "\nbulk";
    for (double v : b) s += " " + std::to_string(v);
    return s + "\n";
}

TEST_F(Calc, ChemicalPotentials)
{
    const std::string ax = pmtest::idealolopx + "mt\nH2O\n";
    prepare("ol opx q mt H2O", "", false, ax);
    numerics::makecrossrefs(all);
    double x, y;
    calctest::closedform(p, t, x, y);
    const double gq = gem("q", p, t);
    auto r = runpm(inputs(runscript("ol opx q", at + "calcmu\n")), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const std::vector<double> mu = rowafter(r.screen, " mu           SiO2         MgO         FeO");
    ASSERT_EQ(mu.size(), 3u) << r.screen;
    // Quartz fixes mu(SiO2); forsterite and fayalite at their activities
    // (1 - x)^2 and x^2 fix those of MgO and FeO.
    EXPECT_NEAR(mu[0], gq, 6e-6);
    EXPECT_NEAR(mu[1], (gem("fo", p, t) + rgas * t * std::log((1 - x) * (1 - x)) - gq) / 2, 6e-6);
    EXPECT_NEAR(mu[2], (gem("fa", p, t) + rgas * t * std::log(x * x) - gq) / 2, 6e-6);
    char line[120];
    std::snprintf(line, sizeof line, "%10s%12.4f%12.4f%12.4f\n", "", mu[0], mu[1], mu[2]);
    EXPECT_TRUE(has(r.file("pm-t-px.txt"), line));

    // That mu(FeO) set on the system gives the temperature back.
    std::snprintf(line, sizeof line, "setmu FeO %.5f\ncalcTatP yes\n", mu[2]);
    r = runpm(inputs(runscript("ol opx q", "calcP 10\n" + std::string(line))), "y\n");
    const auto rows = numberrows(r.screen, 4);
    ASSERT_EQ(rows.size(), 1u) << r.screen;
    EXPECT_NEAR(rows[0][1], 600.0, 0.005);

    // Magnetite with olivine and quartz: 3 fa + 2 O = 2 mt + 3 q.
    const std::vector<double> b = {1.75, 0.2 * (1 - x) + 1.6 * (1 - y), 0.2 * x + 1.6 * y + 0.15, 0.05};
    r = runpm(inputs(runscript("ol opx q mt", at + "calcmuo\n" + bulklines("SiO2 MgO FeO O", b), true), ax), "");
    const double muo = (2 * gem("mt", p, t) + 3 * gq - 3 * (gem("fa", p, t) + rgas * t * std::log(x * x))) / 2;
    EXPECT_NEAR(lastafter(r.file("pm-t-o.txt"), " mode        ol       opx         q        mt"), muo, 5.01e-5)
        << r.file("pm-t-o.txt");

    // Pure H2O: a(H2O) is that of the dataset's H2O against the built-in G of H2O.
    r = runpm(inputs(runscript("ol opx q H2O", at + "calcah2o\n" + bulklines("H2O SiO2 MgO FeO", {0.1, b[0], b[1], b[2] - 0.15}),
                               true),
                     ax),
              "");
    double v = 0, rtlnf = 0;
    thermodata::h2oeos(v, rtlnf, p, t);
    const double gh2o = -243.84051 - 243.75 / t - 1.0048 * std::sqrt(t) + 0.1087083 * t - 4.328e-6 * t * t -
                        0.0401 * t * std::log(t) + rtlnf;
    EXPECT_NEAR(lastafter(r.file("pm-t-o.txt"), " mode        ol       opx         q       H2O"),
                std::exp((gem("H2O", p, t) - gh2o) / (rgas * t)), 5.01e-5)
        << r.file("pm-t-o.txt");
    // Without the components O and H2O: no mu(O) to speak of, and no a(H2O).
    const std::string three = bulklines("SiO2 MgO FeO", {b[0], b[1], b[2] - 0.15});
    r = runpm(inputs(runscript("ol opx q", at + "calcmuo\n" + three, true)), "");
    EXPECT_EQ(lastafter(r.file("pm-t-o.txt"), " mode        ol       opx         q"), 0.0) << r.file("pm-t-o.txt");
    r = runpm(inputs(runscript("ol opx q", at + "calcah2o\n" + three, true)), "");
    EXPECT_TRUE(has(r.screen, "-- run bombed in docalcah2o : H2O is not a component"));
}

TEST_F(Calc, MeltInOxidePercent)
{
    // A "liq" of the olivine model: its species are the oxides themselves.
    const std::string ol = pmtest::idealolopx.substr(0, pmtest::idealolopx.find("opx 2 1"));
    const std::string ax = pmtest::idealolopx + pmtest::replaceall(pmtest::replaceall(ol, "ol 2 1", "liq 2 1"), "x(ol)",
                                                                  "x(liq)");
    prepare("ol opx q");
    numerics::makecrossrefs(all);
    double x, y;
    calctest::closedform(p, t, x, y);
    const std::string species = "convliq 1 0 0\nconvliq 0 1 0\n";
    auto r = runpm(inputs(runscript("liq opx q", at + species + "convliq 0 0 1\n"), ax), "");
    ASSERT_EQ(r.status, 0) << r.screen;
    const double mol[] = {1 / 3.0, 2 * (1 - x) / 3, 2 * x / 3}, mass[] = {60.08, 40.3, 71.85};
    const double total = mol[0] * mass[0] + mol[1] * mass[1] + mol[2] * mass[2];
    char text[400];
    std::snprintf(text, sizeof text,
                  "\n                SiO2    MgO    FeO\n             %7.3f%7.3f%7.3f ==>\n             %7.2f%7.2f%7.2f "
                  "==>\n             %7.2f%7.2f%7.2f\n",
                  100 * mol[0], 100 * mol[1], 100 * mol[2], 100 * mol[0], 100 * mol[1], 100 * mol[2],
                  100 * mol[0] * mass[0] / total, 100 * mol[1] * mass[1] / total, 100 * mol[2] * mass[2] / total);
    EXPECT_TRUE(has(r.screen, text)) << r.screen;

    // Without an FeO species the iron is left over.
    r = runpm(inputs(runscript("liq opx q", at + species), ax), "");
    std::snprintf(text, sizeof text, "residual mol = {   FeO%8.2f} \n\n-- run bombed in conv2wt : couldn't make mol%%", 2 * x);
    EXPECT_TRUE(has(r.screen, text)) << r.screen;
}

// The calculation's reactions and end-members are the same after each
// chemical potential as before it.
TEST_F(Calc, ReactionsKeptThroughTheChemicalPotentials)
{
    prepare("ol opx q mt H2O", "", false, pmtest::idealolopx + "mt\nH2O\n");
    numerics::makecrossrefs(all);
    bool any = false;
    calcwindows::writereactionlists(any);
    thermodata::EndMembers& e = thermodata::ems;
    for (int j = 1; j <= e.nem; ++j) e.act[j] = 0.5;
    const thermodata::Reactions before = thermodata::rxns;
    const int nem = e.nem, nemr = thermodata::comps.nemr;
    const std::string last = e.emname[nem + 1];
    diagramresults::docalcmu(all, p, t);
    // The component H2O is the pure phase H2O at activity 0.5.
    int w = 0;
    runio::posinlist("H2O", thermodata::comps.compname.data(), thermodata::comps.ncomp, w);
    ASSERT_GT(w, 0);
    EXPECT_NEAR(diagramresults::printing.compmu[w], gem("H2O", p, t) + rgas * t * std::log(0.5), 1e-9);
    EXPECT_NE(diagramresults::docalcmuo(all, p, t), 0.0);
    EXPECT_GT(diagramresults::docalcah2o(all, p, t), 0.0);
    EXPECT_EQ(e.nem, nem);
    EXPECT_EQ(thermodata::comps.nemr, nemr);
    EXPECT_EQ(e.emname[nem + 1], last);
    const thermodata::Reactions& after = thermodata::rxns;
    ASSERT_EQ(after.nrxn, before.nrxn);
    for (int i = 1; i <= before.nrxn; ++i) {
        EXPECT_EQ(after.r[i], before.r[i]) << i;
        EXPECT_EQ(after.rxntext[i], before.rxntext[i]);
        EXPECT_EQ(after.rxndiv[i], before.rxndiv[i]);
    }
}

}  // namespace
