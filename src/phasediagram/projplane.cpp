// The projection plane of a phase-diagram pass: the apices of the
// compatibility diagram onto which phase compositions are projected through
// the phases in excess.  Taken from the script's "projplane" block when it
// fits the system, otherwise asked at the terminal as a list of oxides or
// apex by apex; a plane made at the terminal is echoed to the log in the
// script's own form, ready to be pasted into the script file.
#include <cmath>

#include "axmodels/axmodels.h"
#include "numerics/numerics.h"
#include "phasediagram/calculation.h"
#include "phasediagram/setup.h"
#include "runio/scriptset.h"

namespace phasediagram {

ProjPlane projplane;

namespace {

using axmodels::ph;
using runio::addfield;
using runio::bomb;
using runio::putstr;

// An amount of the script form: 0 as "0", a whole number as such, else with
// three decimals (so that 0.5 reads back as 0.500 and 2 as 2).
std::string scriptamount(double x)
{
    if (x == 0.0) return "0";
    const double whole = std::trunc(x);
    if (std::fabs(x - whole) < 0.0001) return runio::realstrshort(whole);
    return runio::realstr(x, 3, true);
}

std::string freenames(const std::string& after)
{
    std::string s;
    for (int j = 1; j <= thermodata::comps.nfreeox; ++j) s += thermodata::comps.compname[freecomponent(j)] + after;
    return s;
}

// The apices typed as the numbers of free components; false when the reply
// will not do, after saying so.
bool byoxidelist(ProjPlane& pp)
{
    const int n = pp.nprojcomp, nf = thermodata::comps.nfreeox;
    runio::Words w;
    runio::promptstrings("oxide list (" + runio::inttext(n) + " indices)", w);
    if (w.n != n) runio::promptstrings(runio::inttext(n) + " needed: try again", w);
    if (w.n != n) {
        putstr(0, "still not correct: no projection will be undertaken", 1, runio::msl);
        return false;
    }
    for (int i = 1; i <= n; ++i) {
        int k = 0;
        std::string message;
        if (runio::wordkind(w[i]) != 1 || !runio::str2int(w[i], k, message) || k < 1 || k > nf) {
            putstr(0, "not all integers: no projection will be undertaken", 1, runio::msl);
            return false;
        }
        pp.projapexname[i] = thermodata::comps.compname[freecomponent(k)];
        pp.projapex[i][k] = 1.0;
    }
    return true;
}

// Each apex by its name: a free component's name is that component, any
// other name needs its amounts of the free components, on the same line or
// at the next prompt.
void byapex(ProjPlane& pp)
{
    const int nf = thermodata::comps.nfreeox;
    for (int i = 1; i <= pp.nprojcomp; ++i) {
        runio::Words w;
        runio::promptstrings(runio::run.ordinals[i] + " apex name", w);
        const std::string name = w.n > 0 ? w[1] : std::string();
        pp.projapexname[i] = name;
        int own = 0;
        for (int j = 1; j <= nf && own == 0; ++j)
            if (thermodata::comps.compname[freecomponent(j)] == name) own = j;
        if (own > 0) {
            pp.projapex[i][own] = 1.0;
            continue;
        }
        if (w.n == nf + 1) {
            for (int j = 1; j <= nf; ++j) {
                const std::string& word = w[j + 1];
                double v = 0.0;
                std::string message;
                if (runio::wordkind(word) == 4) bomb("readprojplane", "short-cutting A", 0);
                if (!runio::str2real(word, v, message)) bomb("readprojplane", "short-cutting B", 0);
                pp.projapex[i][j] = v;
            }
        } else {
            runio::Arr<double, runio::maxwords + 1> v{};
            int n = nf;
            runio::promptreals("apex composition", v, n);
            for (int j = 1; j <= nf; ++j) pp.projapex[i][j] = v[j];
        }
    }
}

// The plane in the script's form, to the log.
void echoplane(const ProjPlane& pp)
{
    const int nf = thermodata::comps.nfreeox;
    const std::string rule = "% " + std::string(58, '-');
    putstr(1, "in form to copy to scriptfile:", 2, runio::mlog);
    putstr(0, rule, 1, runio::mlog);
    std::string line = "projplane" + runio::spaces(10);
    for (int j = 1; j <= nf; ++j) addfield(bulkoxname(j), 6, line);
    putstr(0, line, 1, runio::mlog);
    putstr(0, rule, 1, runio::mlog);
    for (int i = 1; i <= pp.nprojcomp; ++i) {
        line = "projplane    ";
        addfield(pp.projapexname[i], -6, line);
        for (int j = 1; j <= nf; ++j) addfield(scriptamount(pp.projapex[i][j]), 6, line);
        putstr(0, line, 1, runio::mlog);
    }
    putstr(0, rule, 2, runio::mlog);
}

void showplane(const ProjPlane& pp, int napices)
{
    const int nf = thermodata::comps.nfreeox;
    putstr(0, std::string("projection plane ") + (pp.fromscript ? "(from script) " : ""), 1, runio::msol);
    std::string line = runio::spaces(6);
    for (int j = 1; j <= nf; ++j) addfield(thermodata::comps.compname[freecomponent(j)], 8, line);
    putstr(0, line, 1, runio::msol);
    for (int i = 1; i <= napices; ++i) {
        line.clear();
        addfield(pp.projapexname[i], -6, line);
        for (int j = 1; j <= nf; ++j) runio::addreal(pp.projapex[i][j], 3, true, 8, line);
        putstr(0, line, 1, runio::msol);
    }
}

// Whether the apices and the pure phases in excess are independent
// compositions: a phase is a unique combination of them only then.  An
// oxide typed twice, or an apex made of the others, leaves a plane on which
// the projected coefficients would be arbitrary.
bool independent(const ProjPlane& pp)
{
    const axmodels::Phases& p = ph;
    const thermodata::Components& cs = thermodata::comps;
    const int nf = cs.nfreeox;
    numerics::SvdArrays& s = numerics::sv;
    int n = 0;
    for (int i = 1; i <= pp.nprojcomp; ++i) {
        ++n;
        for (int j = 1; j <= nf; ++j) s.svdu[j][n] = pp.projapex[i][j];
    }
    for (int k = p.nss + 1; k <= p.nph; ++k) {
        if (!numerics::phchoice.isexcess[k] || ++n > nf) continue;
        for (int j = 1; j <= nf; ++j) {
            const int c = freecomponent(j);
            s.svdu[j][n] = static_cast<double>(p.prec0[k - p.nss].comp[c]) / static_cast<double>(cs.compmult[c]);
        }
    }
    // More columns than free components are dependent by their number; the
    // plane is then as the set-up made it (set activities, chemical
    // potentials), and left as it is.
    if (n > nf || n == 0) return true;
    numerics::svd(nf, n);
    return s.svdw[1] > 1e-8 * s.svdw[n];
}

}  // namespace

void readprojplane()
{
    runio::ScriptSet& ss = runio::scriptset;
    const runio::ScriptTables& st = runio::scripttabs;
    const numerics::PhaseChoice& pc = numerics::phchoice;
    const thermodata::Components& cs = thermodata::comps;
    ProjPlane& pp = projplane;
    setter();
    const int nf = cs.nfreeox;
    const int buffered = given(ss.exbuff) ? 1 : 0;
    runio::promptcontrol("use projection plane specified in scriptfile", ss.projplane);
    pp = ProjPlane{};
    pp.nprojcomp = cs.ncomp - pc.nexcessph - buffered;
    pp.fromscript = given(ss.projplane) && st.nprojplane == pp.nprojcomp && ss.nprojcompnames == nf;
    if (pp.nprojcomp > maxapex) bomb("readprojplane", "too big", 0);
    if (pp.nprojcomp < 1) bomb("readprojplane", "no projection plane", 0);
    if (pp.fromscript)
        for (int i = 1; i <= pp.nprojcomp; ++i) {
            pp.projapexname[i] = st.projapexnames[i];
            for (int j = 1; j <= nf; ++j) pp.projapex[i][j] = st.projapex[i][j];
        }
    for (int j = 1; j <= nf; ++j)
        if (pp.fromscript && cs.compname[freecomponent(j)] != st.projcompnames[j])
            bomb("readprojplane", "oxides don't match", 0);

    for (int k = ph.nss + 1; k <= ph.nph; ++k)
        if (pc.isexcess[k]) ++pp.nprojexcess;
    std::string& line2 = runio::chans.line2;
    line2 = "projection plane has " + runio::inttext(pp.nprojcomp) + " apices";
    if (pc.nexcessph == 0) {
        putstr(0, line2, 1, runio::msl);
    } else {
        putstr(1, line2 + ", leaving " + freenames(" "), 1, runio::msl);
        line2 = "to be represented by ";
        for (int k = 1; k <= ph.nss; ++k)
            if (pc.isexcess[k]) line2 += phasename(k) + " ";
        for (int k = ph.nss + 1; k <= ph.nph; ++k)
            if (pc.isexcess[k]) line2 += phasename(k) + " ";
        putstr(0, line2 + "and the projection plane", 1, runio::msl);
    }

    bool ok = true;
    if (!pp.fromscript) {
        putstr(0, "compositions of the " + runio::inttext(pp.nprojcomp) + " apices are needed in terms of: " +
                      freenames(" "),
               1, runio::msl);
        putstr(1, "specify apices:", 1, runio::msl);
        putstr(0, "    0: by oxide list (when each apex just an oxide)", 1, runio::msl);
        putstr(0, "    1: apex by apex (eg when some apices are composite)", 1, runio::msl);
        int code = 0;
        runio::promptinteger("code", code);
        if (code == 1)
            byapex(pp);
        else
            ok = byoxidelist(pp);
    }
    const int napices = pp.nprojcomp;
    if (ok && napices + pp.nprojexcess > maxapex) bomb("readprojplane", "system too big", 0);
    if (ok && !independent(pp)) {
        putstr(0, "apices not independent: no projection will be undertaken", 1, runio::msl);
        ok = false;
    }
    if (!ok) {
        // Without a plane there is nothing to project onto: the projected
        // compositions of the results are left out.
        pp = ProjPlane{};
        ss.projection = 1;
        ss.projcomp = 1;
        return;
    }
    if (!pp.fromscript) echoplane(pp);

    for (int k = ph.nss + 1; k <= ph.nph; ++k) {
        if (!pc.isexcess[k]) continue;
        const axmodels::PurePhase& p = ph.prec0[k - ph.nss];
        const int a = ++pp.nprojcomp;
        pp.projapexname[a] = p.name;
        for (int j = 1; j <= nf; ++j) {
            const int c = freecomponent(j);
            pp.projapex[a][j] = static_cast<double>(p.comp[c]) / static_cast<double>(cs.compmult[c]);
        }
    }
    showplane(pp, napices);
}

}  // namespace phasediagram
