// The working end-member list of a calculation: the dataset end-members the
// chosen phases need, once each, and the look-ups by name into it.
#include <vector>

#include "axmodels/axmodels.h"
#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace thermodata {


namespace {

using runio::bomb;

// Names gathered before repeats are removed.
struct Candidates {
    std::vector<std::string> names;
    void add(const std::string& name, int step)
    {
        if (static_cast<int>(names.size()) == maxcandidates)
            bomb("makename", "too many end-members " + runio::inttext(step), 0);
        names.push_back(name);
    }
};

void addrecipe(Candidates& cands, const axmodels::MakeRecipe& make, int step)
{
    for (int j = 1; j <= make.count; ++j) cands.add(make.cname[j], step);
}

}  // namespace

void makename(const DropList& drop)
{
    using axmodels::ph;
    Candidates cands;
    cands.names.reserve(maxcandidates);

    int kept = 0;
    for (int i = 1; i <= ph.nss; ++i) {
        if (drop[i] != 0) continue;
        ++kept;
        if (kept != i) ph.prec1[kept] = std::move(ph.prec1[i]);
        const axmodels::SolPhase& s = ph.prec1[kept];
        for (int e = 1; e <= s.n; ++e)
            if (s.em[e].make.count == 0) cands.add(s.em[e].name, 1);
    }
    const int nsskept = kept;

    kept = 0;
    for (int i = 1; i <= ph.npure; ++i) {
        if (drop[ph.nss + i] != 0) continue;
        ++kept;
        if (kept != i) ph.prec0[kept] = ph.prec0[i];
        const axmodels::PurePhase& p = ph.prec0[kept];
        if (p.make.count == 0) cands.add(p.emname, 2);
    }
    ph.nss = nsskept;
    ph.npure = kept;
    ph.nph = ph.nss + ph.npure;

    for (int i = 1; i <= ph.nss; ++i) {
        const axmodels::SolPhase& s = ph.prec1[i];
        for (int e = 1; e <= s.n; ++e) addrecipe(cands, s.em[e].make, 3);
    }
    for (int i = 1; i <= ph.npure; ++i) addrecipe(cands, ph.prec0[i].make, 4);

    // The first occurrence of a name fixes its place; letter case counts.
    int n = 0;
    for (const std::string& name : cands.names) {
        int pos;
        if (runio::posinlist(name, ems.emname.data(), n, pos)) continue;
        if (n == maxem) bomb("makename", "too many end-members", 0);
        ems.emname[++n] = name;
    }
    // With no phase kept the list is empty rather than one undefined name.
    ems.nem = n;
    for (int k = n + 1; k <= maxem; ++k) ems.emname[k].clear();
}

int emposition(const std::string& name)
{
    int pos;
    ems.emfound = runio::posinlist(name, ems.emname.data(), ems.nem, pos);
    for (int j = 1; j <= ems.nexcl; ++j)
        if (ems.exclem[j] == pos) return 0;
    return pos;
}

void findspecials()
{
    ems.ico2 = emposition("CO2");
    ems.ih2o = emposition("H2O");
    ems.icrd = emposition("crd");
    ems.ifcrd = emposition("fcrd");
    if (runio::scripttabs.nseta > 0) ems.logaem = emposition(runio::scripttabs.setaname[1]);
}

bool checkphasename(std::string& name, const std::string* names, bool noprompt, int& pos)
{
    using axmodels::ph;
    const int n = ph.npure + ph.nss;
    bool found = runio::posinlist(name, names, n, pos);
    if (!found && !noprompt) {
        std::string reply;
        runio::promptstring("unrecognised name : replace \"" + name + "\" with", reply);
        if (reply.empty()) {
            found = false;
        } else if (reply.size() > static_cast<std::size_t>(runio::namelen)) {
            runio::putstr(0, " name too long: name ignored", 1, runio::msl);
            found = false;
        } else {
            name = reply;
            found = runio::posinlist(name, names, n, pos);
            if (!found) runio::putstr(0, " still a bad name: name ignored", 1, runio::msl);
        }
    }
    if (!found) pos = 0;
    return found;
}

bool checkemname(std::string& name)
{
    int pos;
    bool found = findem(name, pos);
    if (!found) {
        runio::promptstring(name + " not recognised : replace with", name);
        found = findem(name, pos);
        if (!found) runio::putstr(0, "forget it!  (check the name\xC9)", 1, runio::msl);
    }
    return found;
}

}  // namespace thermodata
