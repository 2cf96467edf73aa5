// The Debye-Hueckel activity term of a charged aqueous species dissolved in
// an H2O-CO2 solvent: the solvent's density from the fluid equations of state
// and its dielectric constant from a Kirkwood relation. Ionic strengths are
// on the mole-fraction scale, so the Debye-Hueckel A and B carry the factor
// sqrt(55.51) of water's molality over its mole fraction.
#include <cmath>

#include "runio/runio.h"
#include "runio/scriptset.h"
#include "thermodata/gibbs.h"

namespace thermodata {

namespace {

constexpr int tracelevel = 5;   // debuglevel at which the terms are written out

}  // namespace

double kirkwoodg(double p, double t, double xco2, double xh2o, double v)
{
    // Density in g/cm3 from molar masses in g/mol divided by 10 and V in kJ/kbar.
    const double rho = (1.8015 * xh2o + 4.401 * xco2) / v;
    const double e = std::exp(-1246.311 / t + 263307.7 / (t * t) - 69.28953 * p / t - 20444.73 * p / (t * t));
    const double tw = t - 215.0;
    return 1.0 + rho * (-4.044525 * p / t + 103.618 / std::sqrt(t) + 75.32165 / tw - 23.23778 / std::sqrt(tw) -
                        3.548184 / std::exp(0.25 * std::log(tw)) + e);
}

double dielectric(double p, double t, double xco2, double xh2o, double v)
{
    const double g = kirkwoodg(p, t, xco2, xh2o, v);
    const double a = 1.0 + (22.7024 / v) * (0.265 * xco2 + xh2o * (835.25 * g / t + 0.147));
    return (a + std::sqrt(a * a + 8.0)) / 4.0;
}

double dhsolute(double p, double t, double xco2, double xh2o, double ionic, double zz)
{
    // The solvent renormalised to H2O + CO2 = 1.
    const double xc = xco2 / (xco2 + xh2o), xw = xh2o / (xco2 + xh2o);
    const double v = fluidvolume(p, t, xc, xw);
    const double eps = dielectric(p, t, xc, xw, v);
    const double s = 1.0 / std::sqrt(1e-5 * v * eps * t);
    const double a = 57674.4 * s / (eps * t);
    const double b = 15902100000.0 * s;
    // Extended Debye-Hueckel with an ion size of 4.5 angstrom.
    const double result = -a * zz * std::sqrt(ionic) / (1.0 + 4.5e-10 * b * std::sqrt(ionic));
    if (runio::scriptflags.debuglevel == tracelevel) {
        std::string line = "xco2 = ";
        runio::addreal(xc, 4, false, 0, line);
        line += ", xh2o = ";
        runio::addreal(xw, 4, false, 0, line);
        line += ", I = ";
        runio::addreal(ionic, 5, true, 0, line);
        line += ", A = ";
        runio::addreal(a, 8, false, 0, line);
        line += ", B x 10^-10 = ";
        runio::addreal(b * 1e-10, 8, false, 0, line);
        line += ", DH(solute) = ";
        runio::addreal(result, 5, true, 0, line);
        runio::putstr(0, line, 1, runio::msol);
    }
    return result;
}

}  // namespace thermodata
