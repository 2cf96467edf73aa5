// A test dataset of our own whose solids have no heat capacity, no
// expansion and kappa0 = 0 (incompressible), so that G = H - TS + V (P - 1
// bar); H2O and CO2 follow their equations of state. Made-up values.
#pragma once

#include <cmath>
#include <functional>
#include <sstream>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "thermodata/gibbs.h"

namespace lineards {

constexpr double pref = 0.001;   // kbar

struct Em {
    std::string name;
    std::vector<std::pair<int, int>> formula;   // (oxide-table element, atoms)
    double h, s, v;                             // kJ, kJ/K, kJ/kbar
};

// Si 1, Al 3, Ca 7, Na 8, K 9, O 10, H 11, C 12 of the oxide table.
inline const std::vector<Em> dataset = {
    {"ky", {{3, 2}, {1, 1}, {10, 5}}, -2594.00, 0.08300, 4.410},
    {"sill", {{3, 2}, {1, 1}, {10, 5}}, -2586.00, 0.09600, 4.990},
    {"and", {{3, 2}, {1, 1}, {10, 5}}, -2590.00, 0.09200, 5.150},
    {"q", {{1, 1}, {10, 2}}, -910.00, 0.04150, 2.269},
    {"cor", {{3, 2}, {10, 3}}, -1675.00, 0.05100, 2.558},
    {"dsp", {{3, 1}, {11, 1}, {10, 2}}, -1000.00, 0.03500, 1.776},
    {"cc", {{7, 1}, {12, 1}, {10, 3}}, -1207.00, 0.09250, 3.689},
    {"wo", {{7, 1}, {1, 1}, {10, 3}}, -1634.00, 0.08200, 3.993},
    {"H2O", {{11, 2}, {10, 1}}, -241.81, 0.18880, 0.0},
    {"CO2", {{12, 1}, {10, 2}}, -393.51, 0.21380, 0.0},
    {"port", {{7, 1}, {11, 2}, {10, 2}}, -1061.00, 0.08340, 3.306},
    // Na2O, K2O, Na2K2O2 and Na4K2O3 meet at 10 kbar and 700 C, where na +
    // ka = nak is vertical (no dV) and 2na + ka = nnak flat (no dS); their
    // entropies are exact multiples of T's last bit, so that the flat one's
    // dG/dT comes out as 0.
    {"na", {{8, 2}, {10, 1}}, 0.0, 0.25, 0.0},
    {"ka", {{9, 2}, {10, 1}}, 0.0, 0.5, 0.0},
    {"nak", {{8, 2}, {9, 2}, {10, 2}}, -9.7315, 0.74, 0.0},
    {"nnak", {{8, 4}, {9, 2}, {10, 3}}, -199.98, 1.0, 20.0},
    // a fourth Al2SiO5, below ky, sill and and where they meet
    {"am", {{3, 2}, {1, 1}, {10, 5}}, -2591.05, 0.09000, 4.800},
};

inline const Em& em(const std::string& name)
{
    for (const Em& e : dataset)
        if (e.name == name) return e;
    throw std::runtime_error("no end-member " + name);
}

inline int index(const std::string& name)
{
    for (std::size_t i = 0; i < dataset.size(); ++i)
        if (dataset[i].name == name) return static_cast<int>(i);
    throw std::runtime_error("no end-member " + name);
}

// Enthalpy covariance of two end-members (kJ^2), by their places in the dataset.
using Covariance = std::function<double(int, int)>;
inline double diagonal(int i, int j) { return i == j ? 0.25 : 0.0; }

// The dataset file in the new layout: four lines per end-member, then the
// enthalpy covariances (upper triangle) and the title.
inline std::string datasetfile(const Covariance& cov = diagonal)
{
    std::ostringstream f;
    f << "  " << dataset.size() << "    test dataset of our own\n  \n5\n";
    for (const Em& e : dataset) {
        f << "  " << e.name << "   1";
        for (auto [el, n] : e.formula) f << "  " << el << "  " << n << ".0000";
        f << "  0\n";
        f << "    " << e.h << "  " << e.s << "  " << e.v << "\n";
        f << "    0.0000  0.000000000  0.0  0.0000\n";
        f << "    0.0000000  0.00  4.00  0.00000  0\n";
    }
    f << "\n1.0";
    const int n = static_cast<int>(dataset.size());
    for (int i = 0; i < n; ++i)
        for (int j = i; j < n; ++j) f << " " << cov(i, j);
    f << "\n\npm-ds6rx.txt made up for the tests (sigfit =  1.000)\n";
    return f.str();
}

// G of an end-member (kJ) at P (kbar) and T (K): H2O and CO2 pure, by the
// dataset's own equations of state.
inline double gem(const Em& e, double p, double t)
{
    double g = e.h - t * e.s + e.v * (p - pref);
    double v, rtlnf;
    if (e.name == "H2O") {
        thermodata::h2oeos(v, rtlnf, p, t);
        g += rtlnf;
    } else if (e.name == "CO2") {
        thermodata::co2eos(v, rtlnf, p, t);
        g += rtlnf;
    }
    return g;
}

// G of H2O or CO2 in an H2O-CO2 fluid at x(CO2) (kJ): RT ln f of the pure
// fluid, RT ln x and the van Laar mixing of the two with their molar volumes
// as sizes and W = 10.5 kJ.
inline double fluidg(const std::string& name, double p, double t, double xco2)
{
    constexpr double r = 0.0083144;
    double vw, vc, fw, fc;
    thermodata::h2oeos(vw, fw, p, t);
    thermodata::co2eos(vc, fc, p, t);
    const double xh2o = 1.0 - xco2;
    const double w = 10.5 * (vc + vw) / (vc * vw), d = xco2 * vc + xh2o * vw;
    const Em& e = em(name);
    if (name == "H2O")
        return e.h - t * e.s + fw + r * t * std::log(xh2o) + 2.0 * w * vc * vc * vw * xco2 * xco2 / ((vc + vw) * d * d);
    return e.h - t * e.s + fc + r * t * std::log(xco2) + 2.0 * w * vc * vw * vw * xh2o * xh2o / ((vc + vw) * d * d);
}

// The root of f between a and b (f changes sign there), by bisection.
inline double bisect(const std::function<double(double)>& f, double a, double b)
{
    double fa = f(a);
    for (int k = 0; k < 200 && b - a > 1e-12 * (1.0 + std::abs(a)); ++k) {
        const double m = 0.5 * (a + b), fm = f(m);
        if ((fm < 0.0) == (fa < 0.0)) {
            a = m;
            fa = fm;
        } else {
            b = m;
        }
    }
    return 0.5 * (a + b);
}

}  // namespace lineards
