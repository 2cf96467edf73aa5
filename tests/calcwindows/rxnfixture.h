// Shared set-up of the reaction tests: end-members without heat capacity,
// expansion or compressibility (our own made-up values), so that
// G = H - TS + V (P - 1 bar) and every reaction line has a closed form; the
// log on a scratch file, the screen off.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "calcwindows/reactions.h"
#include "harness.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"
#include "thermodata/gibbs.h"

namespace rxtest {

namespace td = thermodata;
using calcwindows::rsearch;
using calcwindows::rxns;
using calcwindows::win;
using td::comps;
using td::ems;

constexpr double rgas = 0.0083144;
constexpr double pref = 0.001;   // kbar: the standard state, 1 bar

struct Em {
    std::string name;
    double h, s, v;              // kJ, kJ/K, kJ/kbar
    double cpa = 0.0;            // heat capacity a, kJ/K: makes a line curve in T
    std::vector<int> comp = {};  // per component
};

// G of an end-member, from its definition.
inline double gem(const Em& e, double p, double t)
{
    const double t0 = 298.15;
    return e.h - t * e.s + e.v * (p - pref) + e.cpa * ((t - t0) - t * std::log(t / t0));
}

class RxnTest : public ::testing::Test {
protected:
    std::FILE* log = nullptr;
    std::vector<Em> system;

    void SetUp() override
    {
        runio::makestarttables();   // the bit masks of the phase sets
        script::initscripts();
        ems.td.assign(td::maxem + 1, td::TdRow{});
        ems.emname.fill("");
        ems.emdsname.fill("");
        ems.nem = 0;
        ems.act.fill(1.0);
        ems.sdact.fill(0.0);
        ems.cov.assign(static_cast<std::size_t>(td::maxem + 1) * (td::maxem + 1), 0.0);
        ems.ih2o = ems.ico2 = 0;
        ems.logaem = 0;
        ems.nexcl = 0;
        td::ds.dsnew = true;
        td::ds.dsgen6 = true;
        comps.c.assign(td::maxcomp + 1, {});
        comps.ncomp = comps.ncomp0 = 1;
        comps.compmult.fill(1);
        rxns.r.assign(td::maxrxn + 1, {});
        rxns.nrxn = 0;
        rxns.rxntextwidth = 0;
        runio::run.calcmode = 3;
        runio::run.diagrammode = 0;
        win = runio::Windows{};
        win.allreactions = true;
        rsearch = calcwindows::ReactionSearch{};
        log = std::tmpfile();
        runio::chans = runio::Channels{};
        runio::chans.file[runio::chlog] = log;
        runio::chans.chanset = runio::mlog;
    }
    void TearDown() override
    {
        runio::chans = runio::Channels{};
        std::fclose(log);
        if (savedstdin >= 0) {
            dup2(savedstdin, 0);
            close(savedstdin);
            std::clearerr(stdin);
            savedstdin = -1;
        }
        if (in != nullptr) std::fclose(in);
        in = nullptr;
    }

    // Standard input comes from the given text.
    void feed(const std::string& text)
    {
        in = std::tmpfile();
        std::fputs(text.c_str(), in);
        std::rewind(in);
        if (savedstdin < 0) savedstdin = dup(0);
        dup2(fileno(in), 0);
        // Drops what an earlier reply left in the buffer: a seek to the start
        // alone would find the old bytes still buffered there.
        std::fseek(stdin, 0, SEEK_END);
        std::fseek(stdin, 0, SEEK_SET);
        std::clearerr(stdin);
    }
    std::FILE* in = nullptr;
    int savedstdin = -1;

    std::string logtext() { return pmtest::filecontents(log); }

    // The end-members in the working list, with their compositions over
    // ncomp components (one when none is given).
    void setems(const std::vector<Em>& e, int ncomp = 1)
    {
        system = e;
        comps.ncomp = comps.ncomp0 = ncomp;
        ems.nem = comps.nemr = static_cast<int>(e.size());
        for (int q = 1; q <= ncomp; ++q) comps.compname[q] = std::string(1, static_cast<char>('W' + q));
        for (int k = 1; k <= ems.nem; ++k) {
            const Em& m = e[k - 1];
            ems.emname[k] = m.name;
            td::TdRow& r = ems.td[k];
            r[td::sH] = m.h;
            r[td::sS] = m.s;
            r[td::sV] = m.v;
            r[td::sCpa] = m.cpa;
            for (int q = 1; q <= ncomp; ++q)
                comps.c[q][k] = m.comp.empty() ? 1 : m.comp[static_cast<std::size_t>(q - 1)];
        }
    }

    // Appends a reaction of (end-member, coefficient) pairs; its number.
    int addreaction(const std::vector<std::pair<int, int>>& coefs)
    {
        const int i = ++rxns.nrxn;
        rxns.r[i].fill(0);
        for (const auto& [k, n] : coefs) rxns.r[i][k] = static_cast<std::int16_t>(n);
        rxns.lnk[i] = 0.0;
        return i;
    }

    // dG0 of reaction i from the end-members' own G.
    double dg0(int i, double p, double t) const
    {
        double g = 0.0;
        for (int k = 1; k <= ems.nem; ++k) g += rxns.r[i][k] * gem(system[static_cast<std::size_t>(k - 1)], p, t);
        return g;
    }
};

// A window of P (kbar) and T (K).
inline void ptwindow(double plow, double phigh, double tlow, double thigh)
{
    win.plow = plow;
    win.phigh = phigh;
    win.tlow = tlow;
    win.thigh = thigh;
}

// The aluminosilicates, made up: ky = and at T = (4 + 0.74 P')/0.0095 K.
inline const Em ky{"ky", -2594.00, 0.08300, 4.410};
inline const Em sill{"sill", -2586.00, 0.09600, 4.990};
inline const Em andal{"and", -2590.00, 0.09250, 5.150};

}  // namespace rxtest
