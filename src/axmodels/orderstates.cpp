// A legal starting composition of a phase with order variables: every site
// fraction positive. The compositional variables stay as given; only the
// order parameters are drawn at random within their ranges until the site
// fractions allow the composition.
#include "axmodels/axmodels.h"
#include "runio/runio.h"

namespace axmodels {

namespace {

constexpr int maxrounds = 201;   // random starts tried before giving up

void randomiseorder(SolPhase& s)
{
    for (int v = 1; v <= s.nvar; ++v) {
        XyzVar& x = s.var[v];
        if (x.isorder) x.guess = x.lower + runio::whrandom() * (x.upper - x.lower);
    }
}

}  // namespace

bool findlegalq(int k, bool solveq, bool& startillegal, double p, double t)
{
    SolPhase& s = ph.prec1[k];
    startillegal = false;
    if (!s.hasorder) runio::bomb("findlegalq", "not an odd phase", 0);
    bool legal = legalcomp(k);
    startillegal = !legal;
    if (solveq) {
        bool ok = false;
        for (int round = 1; round <= maxrounds && !ok; ++round) {
            if (!legal) {
                randomiseorder(s);
                legal = legalcomp(k);
            }
            if (legal) {
                ok = calcq(k, p, t);
                // A start from which the solve failed is replaced next round.
                legal = ok;
            }
        }
        return ok;
    }
    for (int round = 1; round <= maxrounds && !legal; ++round) {
        randomiseorder(s);
        legal = legalcomp(k);
    }
    return legal;
}

}  // namespace axmodels
