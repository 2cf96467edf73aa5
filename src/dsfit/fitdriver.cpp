// The dataset fit as one pass of the run: its questions, its script file and
// data, and the iterations of the least-squares fit of the enthalpies.
#include <algorithm>
#include <cmath>

#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "script/script.h"
#include "thermodata/thermodata.h"

namespace dsfit {

namespace {

constexpr int maxiterations = 10;

}  // namespace

// Between iterations an enthalpy held by calorimetry goes back to its value
// as read, and a free one (sd(H) as read of 99 or more) takes the fitted
// value; after the last every enthalpy takes the fitted value with the
// fitted uncertainty.
void updateenthalpies(bool last)
{
    // What the iteration gives is written into the refined dataset; a value
    // that is no number must stop the fit before anything is written.
    auto nonumber = [](const std::string& what) {
        runio::bomb("kalfit", "the fit gives " + what + " that is not a number", 0);
    };
    if (!std::isfinite(lsq.sigfit2)) nonumber("a sigfit");
    for (int i = 1; i <= fit.ntda; ++i) {
        FitEm& e = fit.tda[i];
        if (!std::isfinite(lsq.theta[i])) nonumber(e.name + " an enthalpy");
        double& h = e.row[thermodata::sH];
        e.hbefore = h;
        e.sdhbefore = e.sdh;
        const double cii = lsq.xxat(i, i);
        if (last) {
            h = lsq.theta[i];
            e.sdh = std::sqrt(lsq.sigfit2 * cii);
        } else {
            h = e.sdhread < freesd ? e.hread : lsq.theta[i];
            if (e.sdhread < minysd)
                e.sdh = minysd;
            else if (e.sdhread < freesd)
                e.sdh = e.sdhread;
            else
                e.sdh = std::sqrt(cii);
        }
        if (!std::isfinite(e.sdh)) nonumber(e.name + " an uncertainty of its enthalpy");
    }
}

void kalfitrun()
{
    using namespace runio;
    thermodata::ds.dsmode = 3;
    thermodata::ds.dsgen6 = true;

    promptcontrol("QR or Choleski to do LSQ: use QR", fitopts.useqr);
    promptcontrol("bullet \"pathological\" experiments", fitopts.mark456);
    promptcontrol("print omitted experiments", fitopts.printomit);
    promptcontrol("use \"rfac\"", fitopts.userfac);
    if (fitopts.userfac == 0) promptcontrol("effectively fix \"good\" equilibria", fitopts.tighten);

    script::readscripts();
    thermodata::ds.dsnew = true;
    thermodata::ds.dsold = false;
    prefs.axnamecheck = false;

    readrc();
    putstr(0, std::string(47, '+'), 2, mlog);

    int iterations;
    promptinteger("number of iterations ", iterations);
    iterations = std::clamp(iterations, 1, maxiterations);
    for (int k = 1; k <= iterations; ++k) {
        assemblelsq(k);
        if (fitopts.useqr == 0)
            qr();
        else
            choleski();
        updateenthalpies(k == iterations);
        putstr(k == 1 ? 1 : 0, inttext(k) + ": " + realstr(std::sqrt(lsq.sigfit2), 3, true), 1, msol);
    }
    writeemfile();
    printlsqresults();
}

}  // namespace dsfit
