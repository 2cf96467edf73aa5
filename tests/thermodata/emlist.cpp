// The working end-member list: phases packed, names gathered once each, and
// the look-ups by name, with the one chance to retype a phase name.
#include <cstdio>
#include <fstream>

#include "axmodels/axmodels.h"
#include "dsfixture.h"

namespace {

using axmodels::ph;
using dstest::onstderr;
using thermodata::ems;
using ::testing::ExitedWithCode;

class EmList : public dstest::DsDir {
protected:
    static axmodels::SolPhase& sol(int i, const std::string& name, std::initializer_list<const char*> ems)
    {
        auto& s = ph.prec1[i];
        s = axmodels::SolPhase{};
        s.name = name;
        for (const char* e : ems) s.em[++s.n].name = e;
        return s;
    }
    static axmodels::PurePhase& pure(int i, const std::string& name, const std::string& em)
    {
        auto& p = ph.prec0[i];
        p = axmodels::PurePhase{};
        p.name = name;
        p.emname = em;
        return p;
    }
    static void recipe(axmodels::MakeRecipe& make, std::initializer_list<const char*> names)
    {
        make.count = 0;
        for (const char* n : names) make.cname[++make.count] = n;
    }
    // Replies for the prompts that follow.
    void replies(const std::string& text)
    {
        std::ofstream(dir / "stdin.txt") << text;
        ASSERT_NE(std::freopen((dir / "stdin.txt").c_str(), "r", stdin), nullptr);
    }
    void TearDown() override
    {
        ph.nss = ph.npure = ph.nph = 0;
        DsDir::TearDown();
    }
};

TEST_F(EmList, GathersEachNeededNameOnceInPhaseOrder)
{
    sol(1, "pl", {"ab", "an"});
    sol(2, "gt", {"py", "alm"});
    auto& fsp = sol(3, "fsp", {"ab", "san", "abm"});
    recipe(fsp.em[3].make, {"an", "jd"});
    pure(1, "quartz", "q");
    pure(2, "Qz", "Q");
    pure(3, "kyp", "ky");
    recipe(pure(4, "silm", "silm").make, {"sill", "q"});
    ph.nss = 3;
    ph.npure = 4;
    thermodata::DropList drop{};
    drop[2] = 1;       // gt
    drop[3 + 3] = 1;   // kyp
    thermodata::makename(drop);
    EXPECT_EQ(ph.nss, 2);
    EXPECT_EQ(ph.npure, 3);
    EXPECT_EQ(ph.nph, 5);
    EXPECT_EQ(ph.prec1[2].name, "fsp");
    EXPECT_EQ(ph.prec1[2].em[3].make.count, 2);
    EXPECT_EQ(ph.prec0[3].name, "silm");
    // Plain solution end-members, plain pure phases' end-members (not the
    // phase names), then constituents of made end-members not yet listed.
    const char* expect[] = {"", "ab", "an", "san", "q", "Q", "jd", "sill"};
    ASSERT_EQ(ems.nem, 7);
    for (int k = 1; k <= 7; ++k) EXPECT_EQ(ems.emname[k], expect[k]);
    EXPECT_EQ(ems.emname[8], "");
}

TEST_F(EmList, TooManyNamesStopTheRun)
{
    // 80 phases of 15 end-members: 1200 names gathered.
    for (int i = 1; i <= 80; ++i) {
        auto& s = sol(i, "p" + std::to_string(i), {});
        s.n = 15;
        for (int e = 1; e <= 15; ++e) s.em[e].name = "e" + std::to_string(100 * i + e);
    }
    ph.nss = 80;
    EXPECT_EXIT(onstderr([] { thermodata::makename(thermodata::DropList{}); }), ExitedWithCode(1),
                "makename : too many end-members 1");
    // 27 phases: 405 names, all different.
    ph.nss = 27;
    EXPECT_EXIT(onstderr([] { thermodata::makename(thermodata::DropList{}); }), ExitedWithCode(1),
                "makename : too many end-members\n");
}

TEST_F(EmList, PositionsOfSpecialEndMembersAndExclusions)
{
    working({"q", "H2O", "CO2", "crd", "fcrd"});
    runio::scripttabs.nseta = 1;
    runio::scripttabs.setaname[1] = "CO2";
    ems.nexcl = 1;
    ems.exclem[1] = 2;
    thermodata::findspecials();
    EXPECT_EQ(ems.ih2o, 0);   // excluded reads as absent
    EXPECT_EQ(ems.ico2, 3);
    EXPECT_EQ(ems.icrd, 4);
    EXPECT_EQ(ems.ifcrd, 5);
    EXPECT_EQ(ems.logaem, 3);
    EXPECT_EQ(thermodata::emposition("H2O"), 0);
    EXPECT_TRUE(ems.emfound);   // found before the exclusion test
    EXPECT_EQ(thermodata::emposition("h2o"), 0);
    EXPECT_FALSE(ems.emfound);
}

TEST_F(EmList, PhaseNamesGetOneChanceToBeRetyped)
{
    ph.nss = 1;
    ph.npure = 2;
    const std::string names[] = {"", "g", "q", "ky"};
    std::string name = "ky";
    int pos = -1;
    EXPECT_TRUE(thermodata::checkphasename(name, names, false, pos));
    EXPECT_EQ(pos, 3);

    replies("q\n");
    name = "qz";
    EXPECT_FALSE(thermodata::checkphasename(name, names, true, pos));
    EXPECT_EQ(pos, 0);
    EXPECT_EQ(name, "qz");
    EXPECT_TRUE(thermodata::checkphasename(name, names, false, pos));   // the reply "q" is still there
    EXPECT_EQ(name, "q");
    EXPECT_EQ(pos, 2);

    replies("sill\n\n");
    runio::chans.chanset = runio::mscreen;
    testing::internal::CaptureStdout();
    name = "sil";
    EXPECT_FALSE(thermodata::checkphasename(name, names, false, pos));
    EXPECT_EQ(pos, 0);
    name = "sil";
    EXPECT_FALSE(thermodata::checkphasename(name, names, false, pos));
    const std::string screen = testing::internal::GetCapturedStdout();
    runio::chans.chanset = 0;
    EXPECT_EQ(screen, "unrecognised name : replace \"sil\" with : "
                      " still a bad name: name ignored\n"
                      "unrecognised name : replace \"sil\" with : ");
}

TEST_F(EmList, EndMemberNamesAreCheckedAgainstTheDataset)
{
    thermodata::ds.ndsem = 2;
    thermodata::ds.dsemname[1] = "fo      ";
    thermodata::ds.dsemname[2] = "q       ";
    replies("q\nkyan\n");
    runio::chans.chanset = runio::mscreen;
    testing::internal::CaptureStdout();
    std::string name = "qz";
    EXPECT_TRUE(thermodata::checkemname(name));
    EXPECT_EQ(name, "q");
    name = "ky";
    EXPECT_FALSE(thermodata::checkemname(name));
    const std::string screen = testing::internal::GetCapturedStdout();
    runio::chans.chanset = 0;
    EXPECT_EQ(screen, "qz not recognised : replace with : ky not recognised : replace with : "
                      "forget it!  (check the name\xC9)\n");
    thermodata::ds.ndsem = 0;
}

}  // namespace
