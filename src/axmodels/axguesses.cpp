// Starting guesses of the compositional variables given by the script: they
// replace the a-x file's guesses, uncertainties and ranges of a phase whose
// variables they name in order.
#include "axmodels/axread.h"
#include "runio/runio.h"
#include "runio/scriptset.h"

namespace axmodels {

void applyxyzguesses()
{
    const runio::ScriptTables& st = runio::scripttabs;
    if (st.nxyzguess <= 0) return;
    for (int k = 1; k <= ph.nss; ++k) {
        SolPhase& s = ph.prec1[k];
        if (s.nvar < 1) continue;
        int first = 0;
        for (int i = 1; i <= st.nxyzguess && first == 0; ++i)
            if (st.xyzguesses[i].name == s.var[1].name) first = i;
        if (first == 0) continue;
        s.zeroguess = false;
        s.scriptguess = true;
        for (int v = 1; v <= s.nvar; ++v) {
            const int i = first + v - 1;
            if (i > st.nxyzguess) runio::bomb("setupphases", "xyzguess: wrong no of vars", 0);
            const std::string& given = st.xyzguesses[i].name;
            const std::string& name = s.var[v].name;
            if (given != name)
                runio::bomb("setupphases", "xyzguess names don't match: \"" + name + "\" \"" + given + "\"", 0);
        }
        for (int v = 1; v <= s.nvar; ++v) {
            const runio::XyzGuess& g = st.xyzguesses[first + v - 1];
            XyzVar& x = s.var[v];
            x.guess = g.value;
            if (g.sd > 0.0) x.sd = g.sd;
            if (g.low != 0.0) x.lower = g.low;
            if (g.high != 1.0) x.upper = g.high;
        }
    }
}

}  // namespace axmodels
