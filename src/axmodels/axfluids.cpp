// Fluid and aqueous phases: which solution phases they are, the built-in
// table of fluid species with their critical constants and interaction
// energies, and the mixing model those phases get from it.
#include "axmodels/axread.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

using runio::bomb;

// Names no end-member of an ordinary solid solution may bear.
constexpr int nspeciesnames = 33;
const runio::Arr<std::string, nspeciesnames + 1> speciesnames = {
    "",      "H2O",   "CO2",    "CO",   "CH4",   "O2",   "H2",    "H2S",   "S2",    "H+",    "Cl-",   "OH-",
    "Na+",   "K+",    "Ca++",   "Mg++", "Fe++",  "Al+++", "CO3--", "AlOH3", "AlOH4-", "KOH", "HCl",  "KCl",
    "NaCl",  "CaCl2", "CaCl+",  "MgCl2", "MgCl+", "FeCl2", "HS-",  "HSO3-", "SO42-", "HSO4-"};

constexpr int speciesO2 = 6;

bool beginswith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

void fillfluidspecies()
{
    FluidSpecies& f = ph.fluidspecies;
    f = FluidSpecies{};
    f.n = nfluidspecies;
    // Critical pressure (kbar) and temperature (K) of the corresponding-states
    // species; H2O and CO2 have equations of state of their own.
    struct Critical {
        const char* name;
        double pc, tc;
    };
    static constexpr Critical crit[nfluidspecies + 1] = {
        {"", 0, 0},          {"H2O", 0, 0},        {"CO2", 0, 0},     {"CH4", 0.046, 190.6}, {"CO", 0.035, 132.9},
        {"H2", 0.0211, 41.2}, {"O2", 0, 0},        {"H2S", 0.0893, 373.2}, {"S2", 0.08, 259.6}};
    for (int i = 1; i <= nfluidspecies; ++i) {
        f.name[i] = crit[i].name;
        f.pcrit[i] = crit[i].pc;
        f.tcrit[i] = crit[i].tc;
    }
    // Interaction energies (kJ) of the species pairs; the table is symmetric.
    struct Pair {
        int i, j;
        double w;
    };
    static constexpr Pair pairs[] = {
        {1, 2, 10.5}, {1, 3, 17.5}, {1, 4, 16.8}, {1, 5, 14.9}, {1, 7, 6.7},  {1, 8, 13.0}, {2, 3, 0.6},
        {2, 4, 1.2},  {2, 5, 2.2},  {2, 7, 0.045}, {2, 8, 1.0}, {3, 4, 0.0}, {3, 5, 0.8},  {3, 7, 4.15},
        {4, 5, 0.3}};
    for (const Pair& p : pairs) {
        f.w[p.i][p.j] = p.w;
        f.w[p.j][p.i] = p.w;
    }
}

int speciesposition(const std::string& name, int n)
{
    int pos;
    runio::posinlist(name, ph.fluidspecies.name.data(), n, pos);
    return pos;
}

// A fluid phase walks every (i, j) with i < n and 2 <= j <= n, in step with
// the activity calculation, which takes each W from the species table.
void fluidmixing(SolPhase& s)
{
    const int count = (s.n - 1) * (s.n - 1);
    if (count > maxpairs)
        bomb("setupphases", "too many interaction terms for fluid " + s.name + runio::maxlabel(maxpairs), 0);
    s.model = 2;
    int k = 0;
    for (int i = 1; i < s.n; ++i)
        for (int j = 2; j <= s.n; ++j) {
            ++k;
            s.gterm[k] = {k, i, j};
        }
    s.ngterm = k;
}

void aqueousmixing(SolPhase& s)
{
    if (s.em[1].name != "H2O") bomb("read", "1st H2O-CO2 aq end-member must be \"H2O\"", 0);
    s.model = 2;
    if (s.co2pos == 0) return;
    if (s.em[2].name != "CO2") bomb("read", "2nd H2O-CO2 aq end-member must be \"CO2\"", 0);
    if (s.wa[1] != 0.0) bomb("read", "set W(H2O-CO2) = 0 (its value is then hard-wired)", 0);
    if (s.ngterm + 1 > maxpairs)
        bomb("setupphases", "too many interaction terms for aqueous " + s.name + runio::maxlabel(maxpairs), 0);
    for (int g = s.ngterm; g >= 1; --g) s.gterm[g + 1] = s.gterm[g];
    s.gterm[1] = {1, 1, 2};
    ++s.ngterm;
}

}  // namespace

void setupfluids()
{
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        s.fluid = beginswith(s.name, "fluid");
        s.aqueous = !s.fluid && beginswith(s.name, "aq");
        if (s.aqueous && runio::run.calcmode == 1) {
            runio::putstr(1, "aqueous calculations not currently available", 1, runio::msol);
            bomb("setupphases", "facility not available", 0);
        }
        s.h2opos = s.co2pos = 0;
        for (int i = 1; i <= s.n; ++i) {
            const std::string& name = s.em[i].name;
            if (name == "H2O") s.h2opos = i;
            if (name == "CO2") s.co2pos = i;
        }
        if (s.fluid || s.aqueous || beginswith(s.name, "fl")) continue;
        for (int i = 1; i <= s.n; ++i) {
            int pos;
            const std::string& name = s.em[i].name;
            if (runio::posinlist(name, speciesnames.data(), nspeciesnames, pos)) bomb("read", name + " not in fluid/aq", 0);
        }
    }
    runio::win.fluidtype = 0;
    fillfluidspecies();

    for (int k = 1; k <= ph.nss; ++k)
        for (int i = 1; i <= maxsolem; ++i) ph.prec1[k].em[i].fluidindex = 0;
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        if (!s.fluid && !s.aqueous) continue;
        for (int i = 1; i <= s.n; ++i) {
            EmRec& e = s.em[i];
            const int pos = speciesposition(e.name, nfluidspecies);
            if (s.fluid) {
                if (pos == 0) bomb("read", "end-member name in fluid not recognised", 0);
                if (pos == speciesO2) bomb("read", "O2 not implemented in fluid coding", 0);
            } else if (pos > 2) {
                bomb("read", "fluid name in aq not just H2O and CO2", 0);
            }
            e.fluidindex = pos;
        }
    }
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        if (s.fluid)
            fluidmixing(s);
        else if (s.aqueous)
            aqueousmixing(s);
    }
}

}  // namespace axmodels
