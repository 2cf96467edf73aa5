// Calculation mode 4: the dataset's end-members that lie in a chemical system
// the user names, with their amounts of that system's oxides.
#include <algorithm>
#include <cmath>

#include "emcalcs/emcalcs.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace emcalcs {

namespace {

using thermodata::comps;
using thermodata::ems;

// Rows of the oxide table in the chosen system.
using Selection = runio::Arr<bool, thermodata::maxcomp + 1>;

// Oxides shown on the "components:" line: the table up to SO2.
constexpr int nshownoxides = 17;
// A heading stands before the first listed end-member and every 31st after.
constexpr int rowsperheading = 31;

Selection whichsystem()
{
    runio::Words words;
    runio::promptstrings("which system?", words);
    Selection sel{};
    bool any = false;
    for (int w = 1; w <= words.n; ++w) {
        const std::string& word = words[w];
        int row = 0;
        if (runio::wordkind(word) == 1) {
            const int n = runio::getinteger(1, word, "compname");
            if (n >= 1 && n <= runio::noxides) row = n;
        } else {
            for (int r = 1; r <= runio::noxides && row == 0; ++r)
                if (runio::oxtable[r].oxname == word) row = r;
            for (int r = 1; r <= runio::noxides && row == 0; ++r)
                if (runio::oxtable[r].elname == word) row = r;
        }
        if (row != 0) {
            sel[row] = true;
            any = true;
        }
    }
    if (!any) sel.fill(true);
    return sel;
}

void writeheading(const Selection& sel)
{
    runio::putstr(0, "", 1, runio::msol);
    std::string& line = runio::chans.line;
    line = runio::spaces(8);
    for (int j = 1; j <= thermodata::maxcomp; ++j)
        if (sel[j]) runio::addfield(comps.compname[j], 7, line);
    runio::putstr(0, line, 1, runio::msol);
}

}  // namespace

void listsystem()
{
    thermodata::readds(1);
    std::string& line2 = runio::chans.line2;
    line2 = "components:";
    for (int r = 1; r <= nshownoxides; ++r) line2 += runio::oxtable[r].oxname + " ";
    runio::putstr(1, line2, 1, runio::msl);

    const Selection sel = whichsystem();
    const int ndsem = thermodata::ds.ndsem;
    int listed = 0;
    for (int first = 1; first <= ndsem; first += thermodata::listbatch) {
        const int last = std::min(ndsem, first + thermodata::listbatch - 1);
        ems.nem = last - first + 1;
        for (int k = 1; k <= ems.nem; ++k)
            ems.emname[k] = thermodata::ds.dsemname[first + k - 1];
        thermodata::readds(2);
        for (int k = 1; k <= ems.nem; ++k) {
            bool insystem = true;
            for (int j = 1; j <= thermodata::maxcomp; ++j)
                if (!sel[j] && comps.c[j][k] != 0) insystem = false;
            if (!insystem) continue;
            if (listed % rowsperheading == 0) writeheading(sel);
            ++listed;
            std::string& line = runio::chans.line;
            line.clear();
            runio::addfield(ems.emname[k], 8, line);
            for (int j = 1; j <= thermodata::maxcomp; ++j) {
                if (!sel[j]) continue;
                const double x = comps.c[j][k] / static_cast<double>(comps.compmult[j]);
                if (std::fabs(x - std::nearbyint(x)) < 0.01)
                    runio::addrealshort(x, 7, line);
                else
                    runio::addreal(x, 1, true, 7, line);
            }
            runio::putstr(0, line, 1, runio::msol);
        }
    }
}

}  // namespace emcalcs
