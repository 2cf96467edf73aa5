// The tests' own generalised least squares of average P and average T:
// each reaction's estimate x of the solved variable, found by bisection on
// its dG = sum nu G(end-member) + RT sum nu ln a (the Gibbs energies from
// the dataset reader's rows), its slope g by a central difference, and
//   V = E covh E + F covlnk F,  covh = R cov R',  covlnk = R diag(var ln a) R',
// with E = diag(-1/g), F = RT E; W = V^-1 by Eigen, avx = 1'W x / 1'W 1,
// sd = 1/sqrt(1'W 1) (times sigfit above 1), sigfit = sqrt(chi2 / (n - 1)).
// The diagnostics follow from the errors' design D (D'D = V): the
// normalised residuals e* = -D W (x - avx), the hat values (D W 1)^2 / 1'W 1
// and the leverages diag(D W D').
#pragma once

#include <Eigen/Dense>

#include <cmath>
#include <functional>
#include <string>
#include <vector>

#include "thermodata/gibbs.h"
#include "thermodata/thermodata.h"

namespace avptref {

constexpr double r = 0.0083144;   // kJ/(K mol)

using Matrix = Eigen::MatrixXd;
using Vector = Eigen::VectorXd;

struct Result {
    double avx = 0.0, sdx = 0.0, sigfit = 0.0;
};

// The root of f between lo and hi, by bisection to double precision.
inline double bisect(const std::function<double(double)>& f, double lo, double hi)
{
    double flo = f(lo);
    for (int k = 0; k < 200; ++k) {
        const double m = 0.5 * (lo + hi), fm = f(m);
        if ((fm <= 0.0) == (flo <= 0.0)) {
            lo = m;
            flo = fm;
        } else {
            hi = m;
        }
    }
    return 0.5 * (lo + hi);
}

// dG (kJ) of a reaction over the working end-members of thermodata::ems at
// P (kbar) and T (K) with the activities a.
inline double dg(const std::vector<int>& nu, const std::vector<double>& a, double p, double t)
{
    double g = 0.0;
    for (std::size_t k = 1; k < nu.size(); ++k) {
        if (nu[k] == 0) continue;
        double gk;
        thermodata::gemmake(static_cast<int>(k), gk, p, t);
        g += nu[k] * (gk + r * t * std::log(a[k]));
    }
    return g;
}

// The line of a reaction: P at T (solvep) or T at P, inside lo..hi, with
// the slope of dG in the solved variable there.
struct Line {
    double x = 0.0, g = 0.0;
};
inline Line line(const std::vector<int>& nu, const std::vector<double>& a, bool solvep, double fixed, double lo,
                 double hi)
{
    auto f = [&](double x) { return solvep ? dg(nu, a, x, fixed) : dg(nu, a, fixed, x); };
    Line l;
    l.x = bisect(f, lo, hi);
    const double h = solvep ? 1e-3 : 1e-2;
    l.g = (f(l.x + h) - f(l.x - h)) / (2.0 * h);
    return l;
}

// Rows of R: one reaction each over the used end-members (columns).
inline Matrix estimatecov(const Matrix& rr, const Matrix& cov, const Vector& varlna, const Vector& e, const Vector& f,
                          double covhfixed = 0.0)
{
    Matrix covh = rr * cov * rr.transpose();
    if (covhfixed > 0.0) covh.setConstant(covhfixed);
    const Matrix covlnk = rr * varlna.asDiagonal() * rr.transpose();
    return e.asDiagonal() * covh * e.asDiagonal() + f.asDiagonal() * covlnk * f.asDiagonal();
}

inline Result gls(const Vector& x, const Matrix& v)
{
    const Matrix w = v.inverse();
    const Vector one = Vector::Ones(x.size());
    const double s = one.dot(w * one);
    Result res;
    res.avx = one.dot(w * x) / s;
    const Vector d = x - res.avx * one;
    res.sigfit = std::sqrt(d.dot(w * d) / static_cast<double>(x.size() - 1));
    res.sdx = std::sqrt(1.0 / s) * (res.sigfit > 1.0 ? res.sigfit : 1.0);
    return res;
}

// The design of the errors: enthalpy rows through the symmetric square root
// of cov, then ln a rows.
inline Matrix design(const Matrix& rr, const Matrix& cov, const Vector& varlna, const Vector& e, const Vector& f)
{
    const Eigen::SelfAdjointEigenSolver<Matrix> eig(cov);
    const Matrix h = eig.operatorSqrt();
    const long m = cov.rows();
    Matrix d(2 * m, rr.rows());
    d.topRows(m) = h * rr.transpose() * e.asDiagonal();
    d.bottomRows(m) = varlna.cwiseSqrt().asDiagonal() * rr.transpose() * f.asDiagonal();
    return d;
}

struct Diagnostics {
    Vector es, hat, lev;
};
inline Diagnostics diagnostics(const Matrix& d, const Vector& x, double avx)
{
    const Matrix w = (d.transpose() * d).inverse();
    const Vector one = Vector::Ones(x.size());
    const double s = one.dot(w * one);
    Diagnostics g;
    g.es = -d * w * (x - avx * one);
    const Vector gz = d * w * one;
    g.hat = gz.cwiseProduct(gz) / s;
    g.lev = (d * w * d.transpose()).diagonal();
    return g;
}

// The printed number nearest the reference: |printed - ref| within half a
// unit of the last printed decimal (and a little for the reference's own
// differences).
inline bool agrees(double printed, double ref, int decimals)
{
    return std::fabs(printed - ref) <= 0.5 * std::pow(10.0, -decimals) * 1.02 + 1e-9;
}

}  // namespace avptref
