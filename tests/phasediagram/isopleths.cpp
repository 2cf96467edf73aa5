// Held modes, x(CO2) values and compositional variables of a mode-1 pass of
// the example files: the value lists worked out by hand, the values that
// would make a site fraction vanish, the choices at the terminal and the
// fatal paths.
#include <cmath>

#include "modeone.h"

namespace {

using modeone::choose;
using modeone::ModeOne;
using modeone::phasenumber;
using modeone::script;
using pmtest::talk;

std::vector<double> listof(int k)
{
    const numerics::Isopleths& is = numerics::iso;
    return std::vector<double>(is.isovalues[k].begin() + 1, is.isovalues[k].begin() + 1 + is.nisovalues[k]);
}

void expectlist(const std::vector<double>& got, const std::vector<double>& want)
{
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) EXPECT_NEAR(got[i], want[i], 1e-12) << "value " << i + 1;
}

std::vector<double> valuelist(double low, double high, double inc)
{
    runio::Arr<double, numerics::maxisovalues + 1> v{};
    const int n = phasediagram::isovaluelist(low, high, inc, v);
    return std::vector<double>(v.begin() + 1, v.begin() + 1 + n);
}

TEST(IsoValueList, StepsWithTheHighEndAndAtMost201Values)
{
    expectlist(valuelist(0.1, 0.5, 0.1), {0.1, 0.2, 0.3, 0.4, 0.5});
    // (0.3 - 0.1)/0.05 falls just below 4: 0.3 is appended
    expectlist(valuelist(0.1, 0.3, 0.05), {0.1, 0.15, 0.2, 0.25, 0.3});
    expectlist(valuelist(0.1, 0.35, 0.1), {0.1, 0.2, 0.3, 0.35});
    expectlist(valuelist(0.2, 0.25, 0.1), {0.2, 0.25});
    expectlist(valuelist(0.4, 0.4, 0.1), {0.4});
    auto v = valuelist(0.0, 0.999, 0.001);   // 1000 values would do: 101 instead
    ASSERT_EQ(v.size(), 101u);
    EXPECT_NEAR(v[1], 0.00999, 1e-15);
    EXPECT_NEAR(v[100], 0.999, 1e-15);
    // 201 steps of 0.00499 miss 1 by 0.002: the end would make 202
    v = valuelist(0.0, 1.0, 0.00499);
    ASSERT_EQ(v.size(), 101u);
    EXPECT_NEAR(v[100], 1.0, 1e-15);
    v = valuelist(0.0, 1.0, 0.005);
    ASSERT_EQ(v.size(), 201u);
    EXPECT_NEAR(v[200], 1.0, 1e-12);
}

TEST_F(ModeOne, HeldModes)
{
    const std::string s = script("g q ky", "inexcess none\n");
    // Modes, not zero modes (the driver's question answered no).
    auto modes = [&] {
        choose(s, modeone::ax());
        runio::scriptset.zeromodeiso = 1;
        phasediagram::readmodeisopleths();
    };
    auto d = talk(modes, "1 3\n\n0.1 0.3 0.1\n");
    const axmodels::Phases& p = axmodels::ph;
    const numerics::Isopleths& is = numerics::iso;
    EXPECT_EQ(is.nmodeiso, 2);
    EXPECT_TRUE(p.prec1[1].modeflag);
    EXPECT_EQ(p.prec0[2].modeloop, 2);
    expectlist(listof(1), {0.0});
    expectlist(listof(2), {0.1, 0.2, 0.3});
    // the solution phase leaves the mass balance; a pure phase is not flagged here
    EXPECT_TRUE(numerics::phchoice.isnobulk[phasenumber("g")]);
    EXPECT_FALSE(numerics::phchoice.isnobulk[phasenumber("ky")]);
    EXPECT_NE(d.log.find("\nspecification of mode isopleths\nyou may set modal proportions, from:g q ky \n"
                         "which to set :  1 3 \n\nspecifying mode isopleths for g:\n"
                         "  list of values OR start, finish, interval : (nothing input)\n"
                         "\nspecifying mode isopleths for ky:\n"
                         "  list of values OR start, finish, interval :  0.1 0.3 0.1 \n"
                         "modes set for\nmode of g set to zero\nmode of ky set to  values between 0.1 and 0.3\n"),
              std::string::npos)
        << d.log;

    // Zero modes from the script, or chosen at the terminal.
    d = talk(
        [] {
            choose(script("g q ky", "inexcess none\nzeromodeiso q\n"), modeone::ax());
            phasediagram::readmodeisopleths();
        },
        "");
    expectlist(listof(1), {0.0});
    EXPECT_NE(d.log.find("modes set for\nmode of q set to zero\n"), std::string::npos) << d.log;
    d = talk(
        [] {
            choose(script("g q ky", "inexcess none\n"), modeone::ax());
            phasediagram::readmodeisopleths();
        },
        "ky\n");
    EXPECT_EQ(runio::scriptset.zeromodename, "ky");
    EXPECT_NE(d.log.find("you may set zero modal proportions, from: g q ky \nwhich to set : ky\nmodes set for\n"
                         "mode of ky set to zero\n"),
              std::string::npos)
        << d.log;

    auto fatal = [&](const std::string& more, const std::string& replies) {
        return talk(
                   [&] {
                       choose(script("g q ky", "inexcess none\n" + more), modeone::ax());
                       if (more.empty()) runio::scriptset.zeromodeiso = 1;
                       phasediagram::readmodeisopleths();
                   },
                   replies, true)
            .bombed;
    };
    EXPECT_EQ(fatal("modeiso g 0.1 0.3 0.1\nzeromodeiso g\n", ""),
              "readmodeisopleths : phase overlap1 between modeisopleth and zeromodeiso");
    EXPECT_EQ(fatal("", "g q ky\n0.1\n0.2\n0.3\n"), "readmodeiso : too many modes set");
    EXPECT_EQ(fatal("", "g\n0.1 0.2\n"), "readisopleths : 1 or 3 numbers expected");
    EXPECT_EQ(fatal("", "4\n"), "readmodeisopleths : position for isopleth out of range");
    EXPECT_EQ(fatal("", "bi\n"), "readisopleths : bi not recognised");
    // a mode of 1 would leave nothing for the other phases
    d = talk(modes, "g\n1\n", true);
    EXPECT_EQ(d.bombed, "readmodeisopleths : isopleth values inappropriate");
    EXPECT_NE(d.log.find("\nmode isopleth: low, high and increment expected, or one value\n"), std::string::npos);
}

TEST_F(ModeOne, XCO2Values)
{
    const std::string ax = pmtest::replaceall(modeone::ax(), "x(fluid)", "x(CO2)");
    const auto d = talk(
        [&] {
            choose(script("g q fluid", "inexcess none\ncalcx(CO2) 0.1 0.3\n"), ax);
            phasediagram::readxco2values();
        },
        "");
    const calcwindows::Windows& w = calcwindows::win;
    EXPECT_NEAR(w.xco2, 0.2, 1e-15);
    EXPECT_NEAR(w.xh2o, 0.8, 1e-15);
    EXPECT_EQ(w.nxlist, 2);
    EXPECT_NEAR(w.xh2olist[2], 0.7, 1e-15);
    EXPECT_EQ(numerics::iso.nxyziso, 1);
    const int fluid = phasenumber("fluid");
    EXPECT_TRUE(axmodels::ph.prec1[fluid].var[1].fixed);
    EXPECT_TRUE(numerics::phchoice.isnobulk[fluid]);
    EXPECT_NE(d.log.find("\nspecification of x(CO2) calcs\nx(CO2) set to values between 0.1 and 0.3\n"),
              std::string::npos)
        << d.log;

    auto fatal = [](const std::string& axtext, const std::function<void()>& reader, const std::string& more) {
        return talk(
                   [&] {
                       choose(script("g q fluid", "inexcess none\n" + more), axtext);
                       reader();
                   },
                   "", true)
            .bombed;
    };
    EXPECT_EQ(fatal(modeone::ax(), phasediagram::readxco2values, "calcx(CO2) 0.1 0.3\n"),
              "readxco2values : x(CO2) not present");
    EXPECT_EQ(fatal(ax, phasediagram::readisopleths, "isopleth x(CO2) 0.2\n"),
              "readisopleths : use the calcx(CO2) script for setting x(CO2)");
}

TEST_F(ModeOne, CompositionalIsoplethsKeepLegalValues)
{
    // x(ol) 0 and 1 empty one of the two sites: xFe(M) = x, xMg(M) = 1 - x.
    auto d = talk(
        [] {
            choose(script("ol q", "inexcess none\nisopleth x(ol) 0 1 0.5\n"), modeone::ax());
            phasediagram::readisopleths();
        },
        "y\n");
    expectlist(listof(1), {0.5});
    EXPECT_EQ(numerics::iso.nxyziso, 1);
    EXPECT_TRUE(numerics::phchoice.isnobulk[phasenumber("ol")]);
    EXPECT_NE(d.log.find("\nsome of the input isopleth values for x(ol) lead to negative site fractions \nwith the given"),
              std::string::npos)
        << d.log;
    EXPECT_NE(d.log.find("The illegal isopleths \nhave been ignored."), std::string::npos) << d.log;
    EXPECT_NE(d.log.find("do you want to continue? ? yes\nx(ol) set to 0.5\n"), std::string::npos) << d.log;

    d = talk(
        [] {
            choose(script("ol q", "inexcess none\nisopleth x(ol) 0 1 0.5\n"), modeone::ax());
            phasediagram::readisopleths();
        },
        "n\n", true);
    EXPECT_NE(d.screen.find("-- run killed --"), std::string::npos);

    d = talk(
        [] {
            choose(script("ol q", "inexcess none\nisopleth x(ol) 1\n"), modeone::ax());
            phasediagram::readisopleths();
        },
        "", true);
    EXPECT_EQ(d.bombed, "readisopleths : no legal isopleth values for x(ol)");
    EXPECT_NE(d.log.find("the input isopleth value for x(ol) leads to negative site fractions"), std::string::npos)
        << d.log;

    // A phase with an order variable keeps every value: its order is settled later.
    talk(
        [] {
            choose(script("opx q", "inexcess none\nisopleth x(opx) 0 1 0.5\n"), modeone::ax());
            phasediagram::readisopleths();
        },
        "");
    expectlist(listof(1), {0.0, 0.5, 1.0});

    // Chosen at the terminal by position, one value typed.
    d = talk(
        [] {
            choose(script("ol opx q", "inexcess none\n"), modeone::ax());
            phasediagram::readisopleths();
        },
        "2\n0.2\n");
    EXPECT_TRUE(axmodels::ph.prec1[2].var[1].fixed);
    expectlist(listof(1), {0.2});
    EXPECT_NE(d.log.find("set compositional variables, from:x(ol) x(opx) Q(opx) \nwhich to set : 2\n"
                         "\nspecifying isopleths for x(opx):\n  low, high, inc OR one value : 0.2\nx(opx) set to 0.2\n"),
              std::string::npos)
        << d.log;
}

}  // namespace
