// Default uncertainties of end-member activities: an activity a spread over
// n sites is a = s^n in the site activity s, whose uncertainty t is taken to
// grow as s (1 - s)^2, never below a floor and a fraction of s; then
// sd(a) = n a t / s. Worked in single precision, as the uncertainties are
// only estimates.
#include <cmath>

#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace thermodata {

void setuncertaintyparams(bool quiet)
{
    if (runio::run.calcmode == 5)
        ems.sdafactor = 0.1;
    else
        ems.sdafactor = runio::scriptset.justrelu != 0 ? 0.3 : 0.0;
    ems.sdamin = 0.01;
    ems.sdarelmin = 0.05;
    if (!quiet) runio::putstr(0, "**resetting default uncertainty parameters not currently available", 1, runio::mscreen);
}

void defaultsda()
{
    const bool usedefaults = runio::scriptset.usedefsda != 1;
    for (int k = 1; k <= ems.nem; ++k) {
        const float a = static_cast<float>(ems.act[k]);
        float d = static_cast<float>(ems.sdact[k]);
        const int n = ems.emcode[k] == 0 ? 1 : ems.emcode[k];
        if (d < 0.0f) d = 0.0f;
        if (usedefaults) {
            if (a == 1.0f) {
                d = 0.0f;
            } else {
                const float s = static_cast<float>(std::exp(std::log(static_cast<double>(a)) / n));
                float t;
                if (ems.sdafactor == 0.0 || s < ems.sdamin / ems.sdafactor)
                    t = static_cast<float>(ems.sdamin);
                else
                    t = static_cast<float>(static_cast<double>(s * (1.0f - s) * (1.0f - s)) * ems.sdafactor);
                if (t / s < ems.sdarelmin) t = static_cast<float>(s * ems.sdarelmin);
                const float u = static_cast<float>(n) * a * t / s;
                if (d < u) d = u;
            }
        }
        ems.sdact[k] = d;
    }
}

}  // namespace thermodata
