// The end-member system of modes 0, 2 and 3: the phases chosen for the
// calculation, their solution phases taken apart into end-members, each with
// its data row, composition, enthalpy covariances and a fixed activity.
#include <cmath>
#include <vector>

#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"
#include "script/script.h"

namespace emcalcs {

namespace {

using axmodels::ph;
using runio::msl;
using runio::putstr;
using thermodata::comps;
using thermodata::ems;

// The phases named by the script's "with" list or at the terminal: one word
// (or none) keeps them all, "omit" (or "0mit") keeps all but those named.
void choosephases(thermodata::DropList& drop)
{
    runio::Arr<std::string, axmodels::maxphases + 1> names{};
    for (int k = 1; k <= ph.nss; ++k) names[k] = ph.prec1[k].name;
    for (int p = 1; p <= ph.npure; ++p)
        names[ph.nss + p] = ph.prec0[p].name;

    runio::Words words;
    const runio::ScriptTables& st = runio::scripttabs;
    if (st.nwith >= 1) {
        words.n = st.nwith;
        for (int i = 1; i <= st.nwith; ++i) words[i] = st.withnames[i];
    } else {
        runio::promptstrings(runio::run.calcmode == 2 && ph.nss == 0 ? "which end-members" : "which phases", words);
    }
    drop.fill(0);
    if (words.n < 2) return;
    const bool omit = words[1] == "omit" || words[1] == "0mit";
    if (!omit)
        for (int k = 1; k <= ph.nph; ++k) drop[k] = 1;
    for (int i = omit ? 2 : 1; i <= words.n; ++i) {
        std::string word = words[i];
        int pos;
        if (thermodata::checkphasename(word, names.data(), false, pos)) drop[pos] = omit ? 1 : 0;
    }
}

// The dataset code (the sites an activity is spread over) of each of the
// calculation's end-members, in their order: a made end-member counts one.
std::vector<int> calccodes()
{
    std::vector<int> codes(1);
    auto codeof = [](const std::string& name, const axmodels::MakeRecipe& mk) {
        if (mk.count != 0) return 1;
        int pos;
        runio::posinlist(name, ems.emname.data(), ems.nemsave, pos);
        return pos == 0 ? 1 : ems.emcode[pos];
    };
    for (int k = 1; k <= ph.nss; ++k) {
        const axmodels::SolPhase& s = ph.prec1[k];
        for (int e = 1; e <= s.n; ++e)
            codes.push_back(codeof(s.em[e].name, s.em[e].make));
    }
    for (int p = 1; p <= ph.npure; ++p)
        codes.push_back(codeof(ph.prec0[p].emname, ph.prec0[p].make));
    return codes;
}

// Activities of the end-members of the solution phases, at the P and T
// given for the a-x relations, into act and sdact in working-list order;
// returns the count filled.
int solutionactivities()
{
    putstr(1, "activities of end-members in solid solutions are calculated with", 1, msl);
    std::string line = "input values of compositional variables";
    double p = 0.0, t = 0.0;
    const runio::ScriptSet& s = runio::scriptset;
    if (s.ptforaxe == 1) {
        putstr(0, line, 1, msl);
        runio::promptreal("P for a-x in kbar", p);
        t = runio::promptcelsius("T for a-x in " + runio::degreesc);
    } else {
        p = s.ptforaxep;
        const double tc = s.ptforaxet;
        line += " at PT: " + runio::realstr(p, 1, true) + " kbar, " + runio::realstrshort(std::nearbyint(tc)) +
                runio::degreesign + "C (from script)";
        putstr(0, line, 1, msl);
        t = tc + 273.15;
    }
    calcwindows::win.pcalc = p;
    calcwindows::win.tcalc = t;

    int kept = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        axmodels::SolPhase& sp = ph.prec1[k];
        if (sp.hasorder) {
            bool startillegal;
            if (!calcwindows::findlegalq(k, true, startillegal, p, t))
                runio::bomb("extractem", "couldn't solve for state of order for " + sp.name, 0);
        }
        runio::Arr<double, axmodels::maxsolem + 1> x{};
        for (int v = 1; v <= sp.nvar; ++v) x[v] = sp.var[v].guess;
        axmodels::EmValues a{}, sda{};
        axmodels::calcemactivities(k, x.data(), a, sda, p, t);

        line.clear();
        runio::addfield(sp.name, -6, line);
        line += runio::spaces(6);
        bool listed = false;
        for (int v = 1; v <= sp.nvar; ++v) {
            const axmodels::XyzVar& var = sp.var[v];
            if (!var.isorder) continue;
            if (listed) line += ", ";
            line += var.name + " = " + runio::realstr(var.guess, 4, true);
            listed = true;
        }
        bool anyleftout = false;
        for (int m = 1; m <= sp.n; ++m) {
            const axmodels::EmRec& e = sp.em[m];
            if (!e.exclude) continue;
            if (!anyleftout) line += listed ? "; left out: " : "left out: ";
            anyleftout = true;
            line += e.name + " ";
        }
        putstr(1, line, 1, msl);

        for (int m = 1; m <= sp.n; ++m) {
            const axmodels::EmRec& e = sp.em[m];
            if (e.exclude) continue;
            const double calculated = a[m];
            double am = calculated;
            if (am > 1.0) am = 0.999;
            line = runio::spaces(6);
            runio::addfield(e.name, 7, line);
            line += ": a = ";
            runio::addreal(am, 4, true, 8, line);
            line += ", sd(a) = ";
            runio::addreal(sda[m], 4, true, 8, line);
            if (calculated > 1.0) {
                line += " ## reset, was ";
                runio::addreal(calculated, 4, true, 8, line);
            }
            putstr(0, line, 1, msl);
            if (!(calculated > 0.0)) runio::bomb("extractem", "activity negative for " + e.name + ", in " + sp.name, 0);
            ems.act[++kept] = am;
            ems.sdact[kept] = sda[m];
        }
    }
    return kept;
}

// The working arrays of the calculation's end-members less those the a-x
// file leaves out: compositions, names, data rows, codes and covariances.
void dropleftout(const std::vector<int>& codes)
{
    struct Kept {
        int g;
        const std::string* name;
        const std::string* dsname;   // the dataset end-member, when the name is the phase's
        const thermodata::TdRow* slots;
        const std::vector<double>* covrow;
        int phase, entry;
        bool made;
    };
    const bool mode0 = runio::run.calcmode == 0;
    std::vector<Kept> kept(1);
    int g = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        const axmodels::SolPhase& s = ph.prec1[k];
        for (int e = 1; e <= s.n; ++e) {
            const axmodels::EmRec& em = s.em[e];
            ++g;
            if (!em.exclude) kept.push_back({g, &em.name, nullptr, &em.slots, &em.covrow, k, e, em.make.count >= 1});
        }
    }
    for (int p = 1; p <= ph.npure; ++p) {
        const axmodels::PurePhase& pp = ph.prec0[p];
        ++g;
        kept.push_back({g, mode0 ? &pp.name : &pp.emname, mode0 ? &pp.emname : nullptr, &pp.slots, &pp.covrow, 0, p,
                        pp.make.count >= 1});
    }
    const int n = static_cast<int>(kept.size()) - 1;
    for (int k = 1; k <= n; ++k) {
        const Kept& e = kept[k];
        const auto gg = e.g;
        for (int i = 1; i <= comps.ncomp; ++i) comps.c[i][k] = comps.c[i][gg];
        ems.emname[k] = *e.name;
        ems.emdsname[k] = e.dsname != nullptr && *e.dsname != *e.name ? *e.dsname : std::string();
        thermodata::TdRow& r = ems.td[k];
        r.fill(0.0);
        for (int s = 1; s <= thermodata::sBWfac; ++s) r[s] = (*e.slots)[s];
        // A made end-member of a new-layout dataset is evaluated from its recipe.
        if (thermodata::ds.dsnew && e.made) {
            r[thermodata::sPhase] = e.phase;
            r[thermodata::sEntry] = e.entry;
        }
        ems.emcode[k] = codes[gg];
        for (int l = 1; l <= n; ++l)
            ems.covat(k, l) = (*e.covrow)[kept[l].g];
    }
    ems.nem = n;
    comps.nemr = n;
}

}  // namespace

void extractem()
{
    const int mode = runio::run.calcmode;
    if (ph.nss > 0) putstr(1, "solutions will be taken apart into their end-members", 1, msl);
    thermodata::DropList drop{};
    choosephases(drop);
    thermodata::makename(drop);
    thermodata::readds(2);
    thermodata::makeemc();
    thermodata::readds(3);
    thermodata::setupemdata();
    const std::vector<int> codes = calccodes();

    ems.act.fill(1.0);
    ems.sdact.fill(0.0);
    if (mode == 2 || mode == 3) {
        int k = ph.nss > 0 ? solutionactivities() : 0;
        for (int p = 1; p <= ph.npure; ++p) {
            ems.act[++k] = ph.prec0[p].act;
            ems.sdact[k] = ph.prec0[p].sdact;
        }
        if (ph.nss == 0) {
            for (int j = 1; j <= ems.nem; ++j) ems.emcode[j] = codes[j];
            int& sw = runio::scriptset.defsdaparams;
            runio::promptcontrol("standard default uncertainties on activities", sw);
            thermodata::setuncertaintyparams(sw == 0);
            thermodata::defaultsda();
        }
    }
    dropleftout(codes);
}

void setupavpt()
{
    thermodata::readds(1);
    script::readscripts();
    axmodels::setupphases();
    extractem();
    thermodata::clean();
    thermodata::findspecials();
}

}  // namespace emcalcs
