// Additional information of an end-member in the a-x file: its DQF increment
// of the Gibbs energy, its recipe from dataset end-members, the composition at
// which it is pure, its exclusion; and the checks on charged constituents.
#include "axmodels/axread.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace axmodels {

namespace {

using runio::maxlabel;
using runio::bomb;

constexpr int codedqf = 3, codemake = 4, codecheck = 5, codemadeempty = 6, codeexclude = 7;

// Kinds of a constituent: 0 equilibrium, 1 disordered, 2 ordered; -1 for a word that names none.
int actionkind(const std::string& w)
{
    if (w == "equilibrium" || w == "equil") return 0;
    if (w == "disordered") return 1;
    if (w == "ordered") return 2;
    return -1;
}

// Numerators over a common divisor: L = lcm of the denominators, and the
// products (L div q) p are formed in 64 bits, since a stored value past 16
// bits would silently scale the recipe wrongly.
int commondivisor(const runio::Arr<int, maxsolem + 1>& q, int n)
{
    runio::Arr<std::int32_t, maxsolem + 1> qq{};
    for (int j = 1; j <= n; ++j) qq[j] = q[j];
    return runio::li2i(runio::lcmvector(qq.data(), n));
}

int scaled(int divisor, int p, int q, const std::string& toolarge)
{
    const long long v = static_cast<long long>(divisor / q) * p;
    if (v > maxint16 || v < -maxint16) bomb("setup phases", toolarge + maxlabel(maxint16), 0);
    return static_cast<int>(v);
}

void readdqf(EmRec* em, int dqfkind, const MakeRecipe& mk, const std::string& emname, int& kind, double& a,
             double& b, double& c)
{
    kind = dqfkind;
    if (mk.count == 0 && thermodata::ds.dsnew)
        bomb("setup phases", "need to \"make\" end-member before DQF-ing it", 0);
    if (rd.nextkind == kindname) bomb("setup phases", "keyword after DQF not allowed now (include in make)", 0);
    readitem("a in a+bT+cP in DQF term for " + emname);
    a = runio::getsingle(rd.kind, rd.item, rd.context);
    readitem("b in a+bT+cP in DQF term for " + emname);
    b = runio::getsingle(rd.kind, rd.item, rd.context);
    readitem("c in a+bT+cP in DQF term for " + emname);
    c = runio::getsingle(rd.kind, rd.item, rd.context);
    if (em != nullptr) em->dqfperturbed.fill(false);
}

void readmake(MakeRecipe& mk, const std::string& emname, bool solution)
{
    readitem("no of end-members to construct " + emname);
    const int count = runio::getinteger(rd.kind, rd.item, rd.context);
    if (count < 1) bomb("setup phases", "too few end-members to construct " + emname, 0);
    if (count > maxmakeconst)
        bomb("setup phases", "too many end-members to construct " + emname + maxlabel(maxmakeconst), 0);
    mk.count = count;
    runio::Arr<int, maxsolem + 1> q{};
    const std::string actioncontext = "action for end-members in making " + emname;
    for (int j = 1; j <= count; ++j) {
        mk.kind[j] = 4;
        expectname(rd.nextkind, rd.next, actioncontext);
        const int action = actionkind(rd.next);
        if (action >= 0) {
            mk.kind[j] = action;
            readitem(actioncontext);
        }
        readitem("names of end-members to construct " + emname);
        mk.cname[j] = expectname(rd.kind, rd.item, rd.context);
        expectword(mk.cname[j]);
        if (solution && !rd.fit && mk.cname[j] == emname)
            bomb("setupphases",
                 "names: end-member, " + emname + ", and name in make, " + mk.cname[j] + ", must be different", 0);
        readitem("coeffs of end-members to construct " + emname);
        runio::getrational(rd.kind, rd.item, rd.makep[j], rd.makeq[j], rd.context);
        q[j] = rd.makeq[j];
    }
    mk.divisor = commondivisor(q, count);
    for (int j = 1; j <= count; ++j) {
        mk.num[j] = scaled(mk.divisor, rd.makep[j], rd.makeq[j],
                            "coefficient of " + mk.cname[j] + " too large in making " + emname);
    }
}

void readcheck(EmRec& em)
{
    runio::Arr<int, maxsolem + 1> p{}, q{};
    for (int v = 1; v <= rd.nvar; ++v) {
        readitem("coeffs in x defining pure end-members for " + em.name);
        runio::getrational(rd.kind, rd.item, p[v], q[v],
                           rd.context);
    }
    em.checkdiv = commondivisor(q, rd.nvar);
    for (int v = 1; v <= rd.nvar; ++v) {
        em.checknum[v] = scaled(em.checkdiv, p[v], q[v], "check composition too large for " + em.name);
    }
}

// Charge number of a species name: the "+" and "-" signs that end it.
int chargeof(const std::string& name)
{
    int z = 0;
    for (auto it = name.rbegin(); it != name.rend() && (*it == '+' || *it == '-'); ++it) ++z;
    return z;
}

}  // namespace

int makekeyword(const std::string& word, int& dqfkind)
{
    dqfkind = 0;
    if (word == "make") return codemake;
    if (word == "check") return codecheck;
    if (word == "exclude") return codeexclude;
    if (word == "DQF" || word == "dqf" || word == "deltaG") return codedqf;
    static const char* const tails[] = {"", "(make)", "(mod)", "(od)", "(tran)", "(rcal)"};
    const std::string incrementg = std::string(1, runio::incrementsign) + "G";
    if (word == incrementg) return codedqf;
    for (int k = 1; k <= 5; ++k) {
        const std::string tail = tails[k];
        if (word == "deltaG" + tail || word == "delG" + tail || word == incrementg + tail) {
            dqfkind = k;
            return codedqf;
        }
    }
    return 0;
}

void readmodifiers(EmRec* em, PurePhase* pp, const std::string& loopcontext)
{
    const bool solution = em != nullptr;
    const std::string emname = solution ? em->name : pp->emname;
    MakeRecipe& mk = solution ? em->make : pp->make;
    int dqfkind = 0;
    auto nextcode = [&]() -> int {
        dqfkind = 0;
        if (rd.nextkind == kindint) return runio::getinteger(rd.nextkind, rd.next, loopcontext);
        if (rd.nextkind == kindname) return makekeyword(rd.next, dqfkind);
        return 0;
    };
    for (int code = nextcode(); code != 0; code = nextcode()) {
        const int kind = dqfkind;   // of a DQF keyword; the integer 3 gives 0
        readitem(loopcontext);
        if (code == codedqf) {
            if (solution)
                readdqf(em, kind, mk, emname, em->dqfkind, em->dqfa, em->dqfb, em->dqfc);
            else
                readdqf(nullptr, kind, mk, emname, pp->dqfkind, pp->dqfa, pp->dqfb, pp->dqfc);
        } else if (code == codemake) {
            readmake(mk, emname, solution);
        } else if (code == codecheck && solution) {
            readcheck(*em);
        } else if (code == codemadeempty && !solution) {
            mk.count = -1;
        } else if (code == codeexclude && solution) {
            em->exclude = true;
        } else if (solution) {
            bomb("setup phases", "wrong code in info for " + emname, 0);
        } else {
            bomb("reading", "wrong code for additional info for " + emname, 0);
        }
    }
}

void checkendmember(EmRec* em, PurePhase* pp)
{
    const bool solution = em != nullptr;
    const std::string& name = solution ? em->name : pp->emname;
    const MakeRecipe& mk = solution ? em->make : pp->make;
    thermodata::TdRow& slots = solution ? em->slots : pp->slots;
    int z1 = 0, z2 = 0;
    if (mk.count == 0) {
        expectword(name);
        if (chargeof(name) > 0) bomb("setupphases", "charged species not allowed as end-members", 0);
    } else if (mk.count > 0) {
        bool anycharged = false;
        for (int j = 1; j <= mk.count; ++j) anycharged = anycharged || chargeof(mk.cname[j]) > 0;
        if (anycharged) {
            // A compound of two ions: its coefficients as written must make one
            // formula unit of the mean species (solution) or equal amounts
            // (pure phase), and the charges must balance.
            if (mk.count != 2) bomb("setupphases", "must be just 2 charged species in a compound", 0);
            z1 = chargeof(mk.cname[1]);
            z2 = chargeof(mk.cname[2]);
            if (z1 == 0 || z2 == 0) bomb("setupphases", "all species in a compound must be charged", 0);
            const long long p1 = rd.makep[1], q1 = rd.makeq[1], p2 = rd.makep[2], q2 = rd.makeq[2];
            const bool meanform = solution ? p2 * q1 + p1 * q2 == q1 * q2 : p1 * q2 == p2 * q1;
            if (!meanform) bomb("setupphases", "compound not in mean form", 0);
            if (q2 * p1 * z1 != q1 * p2 * z2) bomb("setupphases", "compound not charged-balanced", 0);
        }
    }
    slots[thermodata::sZ1] = z1;
    slots[thermodata::sZ2] = z2;
}

}  // namespace axmodels
