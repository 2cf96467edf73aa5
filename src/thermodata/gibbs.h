// The Gibbs energy of end-members and reactions: heat capacity, the volume
// equations of state of solids and liquids, the fluid equations of state,
// Landau and Bragg-Williams ordering, the cordierite fluid term, aqueous
// species, made end-members, and the Gibbs energy change and ln K of a
// reaction.
//
// Units throughout: P kbar, T K, G kJ, S kJ/K, V kJ/kbar (1 kJ/kbar =
// 10 cm3); the standard state is 298.15 K and 0.001 kbar (1 bar), so every
// RT ln f is relative to 1 bar.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "thermodata/thermodata.h"

namespace thermodata {

constexpr double rgas = 0.0083144;   // gas constant, kJ/(K mol)
constexpr double tref = 298.15;      // reference temperature, K
constexpr double pref = 0.001;       // reference pressure, kbar

// ---------------------------------------------------------------- end-member Gibbs energy
// G of working end-member k (the row k of td) at P and T.
void gem(int k, double& g, double p, double t);
// The same for any row of td, made end-members included: a made end-member
// is its own DQF increment plus the weighted Gibbs energies of its
// constituent rows.
void gemmake(int k, double& g, double p, double t);

// The constants of the modified Tait equation of state from the bulk
// modulus kappa (kbar) and its derivatives kp and kpp (1/kbar), with the
// normalisation that makes V at 1 bar V0 itself. As 1 + kp + kappa kpp goes
// to 0, a grows without bound and c goes to 0, but their product ac stays
// finite; the equation keeps a finite limit there.
struct TaitConstants {
    double a = 0.0, b = 0.0, c = 0.0, ac = 0.0, norm = 0.0;
};
TaitConstants taitconstants(double kappa, double kp, double kpp);
// Why the equation of state of a data row as read (the layout's slots;
// kappa0 at 298.15 K for a liquid) cannot be evaluated or gives no positive
// volume, naming who ("q in \"pm-ds6ex.txt\""); empty when it gives one.
std::string eosfault(const TdRow& r, bool dsnew, const std::string& who);

// The Bragg-Williams order parameter at T of a phase with disordering
// enthalpy dh (kJ), interaction ww (kJ), entropy factor fac and site ratio n;
// bwdgdq is minus the derivative of the ordering G with respect to Q.
double solvebwq(double t, double dh, double ww, double fac, int n);
double bwdgdq(double q, double t, double dh, double ww, double fac, int n);

// ---------------------------------------------------------------- fluid equations of state
// Volume (kJ/kbar) and RT ln f (kJ, f relative to 1 bar) of pure H2O or
// CO2, by the equation of state that ds.dsgen6 selects.
void h2oeos(double& v, double& rtlnf, double p, double t);
void co2eos(double& v, double& rtlnf, double p, double t);
// The same for a gas from its critical pressure (kbar) and temperature (K).
void corkcs(double& v, double& rtlnf, double p, double t, double pcrit, double tcrit);

// Gases described by the corresponding-states equation: critical pressure
// (kbar) and temperature (K).
struct CsGas {
    std::string_view name;
    double pcrit, tcrit;
};
constexpr runio::Arr<CsGas, 5> csgases = {{{
    {"CH4", 0.046, 190.6},
    {"H2", 0.0211, 41.2},
    {"CO", 0.035, 132.9},
    {"H2S", 0.0893, 373.2},
    {"S2", 0.08, 259.6},
}}};
// The corresponding-states gas of that name, or nullptr.
const CsGas* csgas(std::string_view name);

// One compensated Redlich-Kwong evaluation: v is the starting volume on
// entry and the volume on return; the virial part applies when dp > 0.
void findVs(double p, double t, double dp, double ps, double c0, double c1, double c2,
            double a, double b, double& v, double& lnphi);

// The ten temperature-dependent coefficients (c[1..10]) of the
// Pitzer-Sterner density equation for H2O or CO2.
using PSCoefs = runio::Arr<double, 11>;
void psh2ocoefs(double t, PSCoefs& c);
void psco2coefs(double t, PSCoefs& c);
// Pressure (bar) of the Pitzer-Sterner equation at molar volume v (cm3/mol).
double pspressure(double v, double t, const PSCoefs& c);
// One Pitzer-Sterner evaluation at pbar (bar): on entry v is the upper end of
// the volume scan (cm3), on return the volume in kJ/kbar. psat (bar) decides
// between the liquid and vapour roots of a subcritical isotherm; with 0 the
// densest of the roots the scan separates is taken.
void doSP(double pbar, double t, const PSCoefs& c, double psat, double& v, double& rtlnf);

// Parameters of the compensated Redlich-Kwong form of H2O at T: the
// attraction constants a of its liquid and vapour sides and the saturation
// pressure ps (kbar) at which the two branches are joined.
struct CorkH2O {
    double aliq = 0.0, avap = 0.0, ps = 0.0;
};
CorkH2O corkh2oparams(double t);

// Volume of an H2O-CO2 fluid (kJ/kbar) with its mixing volume.
double fluidvolume(double p, double t, double xco2, double xh2o);

// ---------------------------------------------------------------- aqueous species
// log10 of the Debye-Hueckel activity coefficient of a solute of charge
// factor zz at ionic strength ionic in an H2O-CO2 solvent.
double dhsolute(double p, double t, double xco2, double xh2o, double ionic, double zz);
// Dielectric constant of the solvent of molar volume v (kJ/kbar), and the
// Kirkwood correlation factor it is built on.
double dielectric(double p, double t, double xco2, double xh2o, double v);
double kirkwoodg(double p, double t, double xco2, double xh2o, double v);

// ---------------------------------------------------------------- reactions
// Reaction i of thermodata::rxns over the working end-members: the standard
// Gibbs energy change with its P and T derivatives, ln K from the activities
// and the fluid, and the two together.
void calcdg0(int i, double& dgdp, double& dgdt, double& g, double p, double t);
void calclnk(int i, double& lnk, double p, double t, double xco2, double xh2o);
void calcrxn(int i, double& dgdp, double& dgdt, double& g, double p, double t, double xco2, double xh2o);

}  // namespace thermodata
