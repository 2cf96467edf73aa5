// Shared set-up of the mode-1 reader tests: a pass of the example dataset
// and a-x file read inside the test program, its phases chosen as the
// mode-1 driver chooses them, with the screen and log of each step captured.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "calcwindows/calcwindows.h"
#include "dialog.h"
#include "numerics/calcsetup.h"
#include "phasediagram/setup.h"

namespace modeone {

// A mode-1 script of the example a-x file: the mandatory keywords and more.
inline std::string script(const std::string& with, const std::string& more, bool pseudosection = false)
{
    return "axfile axex\nwith " + with + "\ndiagramPT 4 12 500 800\n" +
           (pseudosection ? "pseudosection\n" : "pseudosection no\n") + more + "*\n";
}

// The example a-x file with pure phases added after its own.
inline std::string ax(const std::string& morepure = "")
{
    return pmtest::examplefile("pm-axex.txt") + morepure;
}

// The dataset, script and a-x file read, the phases chosen and those in
// excess marked, and the compositions made, as the mode-1 driver does.
inline void choose(const std::string& scripttext, const std::string& axtext)
{
    pmtest::readpass(scripttext, axtext);
    phasediagram::whichphases();
    phasediagram::readinexcess();
    thermodata::findspecials();
    thermodata::readds(2);
    thermodata::makeemc();
    numerics::iso = numerics::Isopleths{};
}

struct ModeOne : testing::Test {
    pmtest::WorkDir dir;
    void SetUp() override
    {
        pmtest::startrun(1);
        calcwindows::win = calcwindows::Windows{};
        numerics::phchoice = numerics::PhaseChoice{};
        numerics::iso = numerics::Isopleths{};
        numerics::bulks = numerics::BulkSetup{};
    }
};

inline int phasenumber(const std::string& name)
{
    const axmodels::Phases& p = axmodels::ph;
    for (int k = 1; k <= p.nss; ++k)
        if (p.prec1[k].name == name) return k;
    for (int k = 1; k <= p.npure; ++k)
        if (p.prec0[k].name == name) return p.nss + k;
    return 0;
}

inline std::string phaselist()
{
    const axmodels::Phases& p = axmodels::ph;
    std::string s;
    for (int k = 1; k <= p.nss; ++k) s += p.prec1[k].name + " ";
    for (int k = 1; k <= p.npure; ++k) s += p.prec0[k].name + " ";
    return s;
}

}  // namespace modeone
