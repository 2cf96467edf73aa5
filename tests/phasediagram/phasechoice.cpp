// The phases of a mode-1 run read from the example files: the script's lists
// and their echoes, the choice at the terminal after a previous one, the
// fluid rules and fluid kinds, the phases in excess, the starting-guess
// report, and the variance and free components that follow.
#include "modeone.h"

namespace {

using modeone::choose;
using modeone::ModeOne;
using modeone::phaselist;
using modeone::phasenumber;
using modeone::script;
using pmtest::talk;

// The example's fluid solution again under another name.
std::string secondfluid()
{
    const std::string ax = modeone::ax();
    const std::string from = "fluid 2 1\n", to = "% ----------------------------------------------------------------"
                                                 " pure phases";
    std::string block = ax.substr(ax.find(from), ax.find(to) - ax.find(from));
    block.replace(0, 5, "fluidb");
    block.replace(block.find("x(fluid)"), 8, "x(fluidb)");
    return ax.substr(0, ax.find(to)) + block + ax.substr(ax.find(to));
}

TEST_F(ModeOne, ScriptListsOfPhases)
{
    auto d = talk([] { choose(script("g q ky sillim", "omit mt and\ninexcess none\n"), modeone::ax()); }, "");
    EXPECT_EQ(phaselist(), "g q ky sillim ");
    EXPECT_EQ(calcwindows::win.fluidtype, 2);   // no fluid at all
    EXPECT_NE(d.log.find("\nphases ignored this run: mt and  (from script)\n\n"), std::string::npos) << d.log;
    EXPECT_NE(d.log.find("\nwith: g q ky sillim  (from script)\n"), std::string::npos) << d.log;
    EXPECT_NE(d.log.find("no phases in excess (from script)\n"), std::string::npos) << d.log;
    EXPECT_EQ(numerics::phchoice.nchosenph, 4);

    d = talk([] { choose(script("g q g", ""), modeone::ax()); }, "", true);
    EXPECT_EQ(d.bombed, "whichphases : with phase list: duplicate found");
    // an unknown name may be replaced once at the terminal
    d = talk([] { choose(script("g zz", ""), modeone::ax()); }, "\n", true);
    EXPECT_NE(d.log.find("unrecognised name : replace \"zz\" with : (nothing input)\n"), std::string::npos) << d.log;
    EXPECT_EQ(d.bombed, "whichphases : with phase zz not recognised");
}

TEST_F(ModeOne, ChoiceAfterAPreviousChoice)
{
    const std::string s = script("someof g opx q ky sillim", "inexcess none\n");
    auto pass = [&](const std::string& replies) {
        return talk([&] { choose(s, modeone::ax()); }, replies);
    };
    auto d = pass("g q ky\n");
    EXPECT_EQ(phaselist(), "g q ky ");
    EXPECT_NE(d.log.find("\nwith someof: opx g q ky sillim  (from script)\nchoose phases :  g q ky \n"),
              std::string::npos)
        << d.log;

    d = pass("\n");   // the same again
    EXPECT_EQ(phaselist(), "g q ky ");
    EXPECT_NE(d.log.find("last time was: g  q  ky  \nchoose phases : (nothing input)\n"), std::string::npos) << d.log;

    pass("+sillim\n");
    EXPECT_EQ(phaselist(), "g q ky sillim ");
    d = pass("- \nky\n");   // the last choice is still g, q and ky
    EXPECT_EQ(phaselist(), "g q ");
    EXPECT_NE(d.log.find("last time was: g  q  ky  \nchoose phases : -\nof these, omit : ky\n"), std::string::npos)
        << d.log;

    pass("omit opx\n");
    EXPECT_EQ(phaselist(), "g q ky sillim ");
    d = pass("all\n");
    EXPECT_EQ(phaselist(), "opx g q ky sillim ");
    EXPECT_NE(d.log.find("last time was: g  q  ky  sillim  \n"), std::string::npos) << d.log;

    // Phases of the "inexcess" list join any choice.
    d = talk([] { choose(script("someof g opx q ky sillim", "inexcess q\n"), modeone::ax()); }, "g\n");
    EXPECT_EQ(phaselist(), "g q ");
    EXPECT_NE(d.log.find("inexcess: q  - auto included (from script)\nlast time was: opx  g  ky  sillim  +  q  \n"),
              std::string::npos)
        << d.log;
}

TEST_F(ModeOne, FluidRulesAndKinds)
{
    // Leaving out the fluid solution takes pure H2O with it.
    talk([] { choose(script("someof g q fluid H2O", "inexcess none\n"), modeone::ax("H2O\n")); }, "omit fluid\n");
    EXPECT_EQ(phaselist(), "g q ");
    EXPECT_EQ(calcwindows::win.fluidtype, 2);

    // Both pure fluids chosen: H2O alone is kept.
    auto d = talk([] { choose(script("g q H2O CO2", "exbuff\ninexcess none\n"), modeone::ax("H2O\nCO2\n")); }, "");
    EXPECT_EQ(phaselist(), "g q H2O ");
    EXPECT_EQ(calcwindows::win.fluidtype, 3);
    EXPECT_NE(d.log.find("\nfluid is just H2O\n"), std::string::npos) << d.log;
    EXPECT_EQ(runio::scriptset.exbuff, 1);   // buffering is of a fluid solution only

    d = talk([] { choose(script("g q fluid", "exbuff\ninexcess none\n"), modeone::ax()); }, "");
    EXPECT_EQ(calcwindows::win.fluidtype, 5);
    EXPECT_EQ(runio::scriptset.exbuff, 0);
    EXPECT_NE(d.log.find("\nfluid is H2O-CO2\n"), std::string::npos) << d.log;

    d = talk([] { choose(script("g fluid fluidb", ""), secondfluid()); }, "", true);
    EXPECT_EQ(d.bombed, "whichphases : several fluid and/or aq: choose just one");
    d = talk([] { choose(script("g fluid H2O", ""), modeone::ax("H2O\n")); }, "", true);
    EXPECT_EQ(d.bombed, "whichphases : facility not implemented yet (fluidtype not set)");

    // A zero starting guess in the a-x file would start the solver on a boundary.
    const std::string zero = pmtest::replaceall(modeone::ax(), "x(ol)   0.1  sd 0.02", "x(ol)   0  sd 0.02");
    d = talk([&] { choose(script("ol q", ""), zero); }, "", true);
    EXPECT_EQ(d.bombed, "whichphases : xyz stuffed");
    EXPECT_NE(d.screen.find("\n\nzero xyz guess in axfile for ol\n\n-- run bombed in whichphases : xyz stuffed"),
              std::string::npos)
        << d.screen;
}

TEST_F(ModeOne, PhasesInExcessAndStartingGuesses)
{
    auto d = talk(
        [] {
            choose(script("g opx q H2O", "inexcess q H2O\nxyz x(g) 0.85\nxyz z(g) 0.1\n"), modeone::ax("H2O\n"));
            phasediagram::listxyzguesses();
        },
        "");
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const int q = phasenumber("q"), h2o = phasenumber("H2O");
    EXPECT_TRUE(pc.isexcess[q] && pc.isexcess[h2o] && pc.isnobulk[q] && pc.isnobulk[h2o]);
    // the fluid in excess is a reservoir: its mode is held at zero, that of q is not
    EXPECT_TRUE(pc.istozero[h2o]);
    EXPECT_FALSE(pc.istozero[q]);
    EXPECT_EQ(pc.nexcessph, 2);
    EXPECT_EQ(pc.ntozeroph, 1);
    EXPECT_EQ(pc.nnobulk, 2);
    EXPECT_NE(d.log.find("\nin excess: q H2O\n"), std::string::npos) << d.log;
    EXPECT_NE(d.log.find("\nspecification of xyz starting guesses of phases\n"
                         "in the scriptfile: g; not in the scriptfile: opx\n"),
              std::string::npos)
        << d.log;

    // Without an inexcess line they are asked for.
    d = talk(
        [] {
            choose(script("g opx q", ""), modeone::ax());
            phasediagram::listxyzguesses();
        },
        "opx\n");
    EXPECT_TRUE(pc.isexcess[phasenumber("opx")]);
    EXPECT_EQ(pc.ntozeroph, 0);
    EXPECT_NE(d.log.find("opx  g  q  \nin excess: names : opx\nin excess: opx\n"), std::string::npos) << d.log;
    EXPECT_NE(d.log.find("in the scriptfile:none; not in the scriptfile: opx g\n"), std::string::npos) << d.log;
}

TEST_F(ModeOne, EffectiveVarianceAndFreeComponents)
{
    numerics::Isopleths& is = numerics::iso;
    int& variance = calcwindows::win.variance;
    auto varcalc = [] { return talk([] { phasediagram::varcalc(); }, ""); };
    numerics::phchoice.variance0 = 2;
    variance = 2;
    is.niso = is.nxyziso = 1;
    auto d = varcalc();
    EXPECT_EQ(d.log, "\noriginal variance = 2, effective variance = 1  (0, 1)\n");
    EXPECT_EQ(variance, 1);

    // Two held modes and a buffered fluid: 2 - 2 + 1.
    is.niso = is.nmodeiso = 2;
    is.nxyziso = 0;
    runio::scriptset.exbuff = 0;
    d = varcalc();
    EXPECT_EQ(d.log, "\noriginal variance = 2, effective variance = 1  (2, 0, ex)\n");
    runio::scriptset.exbuff = 1;

    // A pseudosection of set-up variance 4 runs divariant.
    is = numerics::Isopleths{};
    numerics::phchoice.variance0 = 4;
    runio::scriptflags.pseudosection = true;
    d = varcalc();
    EXPECT_EQ(d.log, "original variance = 4, effective variance = 2  (0, 0)\n");
    is.niso = is.nxyziso = 3;
    d = talk([] { phasediagram::varcalc(); }, "", true);
    EXPECT_EQ(d.bombed, "varcalc : variance < 0");
    runio::scriptflags.pseudosection = false;
    is = numerics::Isopleths{};
    variance = 3;
    d = talk([] { phasediagram::varcalc(); }, "", true);
    EXPECT_EQ(d.bombed, "varcalc : variance > 2");

    // An externally buffered fluid in a system without CO2 fixes H2O alone.
    talk([] { choose(script("g q H2O", "inexcess none\n"), modeone::ax("H2O\n")); }, "");
    const thermodata::Components& cs = thermodata::comps;
    runio::scriptset.exbuff = 0;
    numerics::phchoice.phaseprops = true;
    phasediagram::setter();
    EXPECT_EQ(cs.nfreeox, cs.ncomp - 1);
    for (int c = 1; c <= cs.ncomp; ++c) EXPECT_EQ(cs.oxfree[c], cs.compname[c] != "H2O") << cs.compname[c];
    EXPECT_FALSE(numerics::phchoice.phaseprops);

    // A chemical potential of no component leaves every component free;
    // an activity of a mineral cannot be imposed on the components.
    runio::scriptset.exbuff = 1;
    runio::scripttabs.nsetmu = 1;
    runio::scripttabs.setmuname[1] = "gr";
    phasediagram::setter();
    EXPECT_EQ(cs.nfreeox, cs.ncomp);
    runio::scripttabs.nseta = 1;
    runio::scripttabs.setaname[1] = "q";
    d = talk([] { phasediagram::setter(); }, "", true);
    EXPECT_EQ(d.bombed, "setter : setting non-oxide lna not implemented");
}

}  // namespace
