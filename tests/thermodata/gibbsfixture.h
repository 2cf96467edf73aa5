// Shared set-up of the Gibbs energy tests: fresh end-member tables, hand-made
// data rows of plausible end-members (our own made-up values), and the
// numerical integration and differentiation the checks use as references.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cmath>
#include <cstdio>
#include <string>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace gibbstest {

using thermodata::TdRow;
namespace td = thermodata;

constexpr double rgas = 0.0083144;
constexpr double t0 = 298.15;

// Empty rows, new layout, the newer fluid equations of state, mode 0.
inline void resettables()
{
    td::ems.td.assign(td::maxem + 1, TdRow{});
    td::ems.emname.fill("");
    td::ems.nem = 0;
    td::ems.act.fill(1.0);
    td::ems.ih2o = td::ems.ico2 = 0;
    td::ds.dsnew = true;
    td::ds.dsold = false;
    td::ds.dsgen6 = true;
    runio::run.calcmode = 0;
    runio::scriptflags.debuglevel = 1;
    runio::chans.chanset = 0;
    runio::prefs.wrapscreen = true;
    calcwindows::win.fluidtype = 0;
    calcwindows::rxns.r.assign(calcwindows::maxrxn + 1, {});
    axmodels::ph.prec0.assign(axmodels::maxphases + 1, axmodels::PurePhase{});
    axmodels::ph.prec1.assign(axmodels::maxnp + 1, axmodels::SolPhase{});
}

class GibbsTest : public ::testing::Test {
protected:
    void SetUp() override { resettables(); }
};

inline void putrow(int k, const std::string& name, const TdRow& row)
{
    td::ems.emname[k] = name;
    td::ems.td[k] = row;
    if (k > td::ems.nem && k < 300) td::ems.nem = k;
}

inline TdRow& row(int k) { return td::ems.td[k]; }

inline double gem(int k, double p, double t)
{
    double g;
    td::gem(k, g, p, t);
    return g;
}

inline double gemmake(int k, double p, double t)
{
    double g;
    td::gemmake(k, g, p, t);
    return g;
}

// A row from its values in slot order, starting at slot 1.
inline TdRow makerow(std::initializer_list<double> values)
{
    TdRow r{};
    std::size_t k = 1;
    for (double v : values) r[k++] = v;
    r[td::sSmax] = -1.0;   // no Landau ordering, as the dataset reader leaves it
    r[td::sVmax] = -1.0;
    r[td::sBWfac] = 1.0;
    return r;
}

// Made-up plausible end-members (H kJ, S kJ/K, V kJ/kbar, cp a b c d,
// alpha0 1/K, kappa0 kbar, kappa0', kappa0'' 1/kbar, theta K, dkappa0/dT).
inline TdRow solidrow()   // an olivine-like orthosilicate, 7 atoms
{
    return makerow({-2150.0, 0.0930, 4.40, 0.228, 2.0e-6, -550.0, -1.80, 2.9e-5, 1250.0, 4.1, -0.0033, 540.0, 0.0});
}
inline TdRow liquidrow()   // its melt
{
    return makerow({-2237.0, 0.0620, 5.20, 0.27, 0.0, 0.0, 0.0, 9.0e-5, 380.0, 6.0, -0.016, 0.0, -0.05});
}
inline TdRow landaurow()   // a silica polymorph with a displacive transition
{
    TdRow r = makerow({-905.0, 0.0440, 2.30, 0.088, -4.0e-7, -650.0, -0.65, 0.6e-5, 760.0, 5.5, -0.0072, 500.0, 0.0});
    r[td::sTc] = 850.0;
    r[td::sSmax] = 0.0050;
    r[td::sVmax] = 0.12;
    return r;
}
inline TdRow bwrow()   // a feldspar-like phase with two-site Al-Si order
{
    TdRow r = makerow({-3900.0, 0.215, 10.2, 0.430, -1.0e-5, -1200.0, -3.70, 2.6e-5, 560.0, 4.3, -0.0077, 470.0, 0.0});
    r[td::sBWdH] = 10.0;
    r[td::sBWdHv] = 0.1;
    r[td::sBWW] = 8.0;
    r[td::sBWWv] = 0.05;
    r[td::sBWn] = 1.0;
    r[td::sBWfac] = 1.0;
    return r;
}
inline TdRow h2orow() { return makerow({-240.0, 0.190, 0.0, 0.0410, 8.0e-6, 450.0, -0.260}); }
inline TdRow co2row() { return makerow({-390.0, 0.215, 0.0, 0.0850, -2.0e-6, 650.0, -0.950}); }

// Composite Simpson rule with n (even) intervals.
template <class F>
double simpson(F f, double a, double b, int n)
{
    const double h = (b - a) / n;
    double s = f(a) + f(b);
    for (int i = 1; i < n; ++i) s += (i % 2 ? 4.0 : 2.0) * f(a + i * h);
    return s * h / 3.0;
}

// Death tests read standard error: send the screen there, and let a fatal
// error end at once instead of waiting for return; whole lines, uncut.
inline void screentostderr()
{
    std::fflush(stdout);
    dup2(2, 1);
    runio::chans.chanset |= runio::mscreen;
    runio::prefs.bombautoexit = true;
    runio::prefs.wrapscreen = false;
}

// A text as a POSIX extended regular expression that matches it literally.
inline std::string literal(const std::string& s)
{
    std::string out;
    for (char ch : s) {
        if (std::string("\\^$.|?*+()[]{}").find(ch) != std::string::npos) out += '\\';
        out += ch;
    }
    return out;
}

}  // namespace gibbstest
