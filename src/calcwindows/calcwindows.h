// Calculation variables, windows and reactions: the diagram type and fluid,
// the windows and value lists of P, T, x(CO2), activities and chemical
// potentials, and the reaction sets among the working end-members.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "runio/runio.h"
#include "thermodata/thermodata.h"

namespace calcwindows {

// The windows record lives in the ground and the reaction set with the
// reaction thermodynamics, as the lower subsystems read them; this subsystem
// sets them up.
using runio::Windows;
using runio::win;
using thermodata::maxrxn;
using thermodata::Reactions;
using thermodata::rxns;

using runio::maxlist;
using runio::maxlabel;

// ---------------------------------------------------------------- diagram type and fluid
// The kind of diagram of the all-reactions calculation; every other mode works in P-T.
void setdiagrammode();
// The fluid composition x(CO2), x(H2O) (or the activities of CO2 and H2O
// when no fluid phase takes part), from the script or asked.
void promptfluid();
// Appends the fluid condition of a heading, as " (for x(CO2) = 0.1 and x(H2O) = 0.9)".
void fluidlabel(std::string& buffer);

// ---------------------------------------------------------------- windows and value lists
// strict 0 accepts low = high, 1 demands low < high.  Five failed checks of
// one window end the run.
void promptlowhigh(const std::string& label, double& low, double& high);
void checkpwindow(double& low, double& high, bool needwidth);   // kbar, from the script
void checktwindow(double& low, double& high, bool needwidth);   // K, from the script
void promptpwindow(double& low, double& high, int strict);       // kbar
void prompttwindow(double& low, double& high, int strict);       // K, asked in degrees C
void promptxco2window(double& low, double& high, int strict);
void promptxh2owindow(double& low, double& high, int strict);
void promptawindow(double& low, double& high, int strict);
void promptlogawindow(double& low, double& high, int strict);
void promptmuwindow(double& low, double& high, int strict);
// Value lists of at most 201 values over the windows: P and T from the
// script's interval or an asked one, x(CO2) from the window, and row k (1..6)
// of the set-activity and chemical-potential lists.
void setplist();
void settlist();
void promptplist();
void prompttlist();
void listxco2();
void listactivity(int k, double low, double high);   // activities, stored as ln a
void listlna(int k, double low, double high);        // ln a or log a, stored as given
void listmu(int k, double low, double high);         // kJ

// ---------------------------------------------------------------- window set-up
void dofigPT();   // the overall P-T window of the diagram
void ptcalcsetup(const std::string& ptlabel, const std::string& plabel, const std::string& tlabel);
void univariantsetup();
void diagramwindowsetup(bool askwindows);
// One table field of a value, or "-", "+" below or above the window, "*"
// from 1e20 on and an empty field below -1e20 (the root finder's "none").
void addT(double t, int width, std::string& buffer);   // degrees C
void addP(double p, int width, std::string& buffer);   // kbar
void addX(double x, int width, std::string& buffer);

// ---------------------------------------------------------------- set activities and chemical potentials
void setupactivityranges();
void setupmu();
void askactivity(int k, int row);
void asklogactivity(int k, int row);
void askmu(int k, int row);

// ---------------------------------------------------------------- reaction lists
void writereactionlists(bool& anyreactions);
void writecmatrix();

// ---------------------------------------------------------------- states of order
// A legal starting composition of solution phase k (every site fraction
// positive), found by randomising its order variables; with solveq its
// state of order at p (kbar) and t (K) is also solved for.
bool findlegalq(int k, bool solveq, bool& startillegal, double p, double t);
// The equilibrium state of order of phase k at p and t, left in the starting
// guesses of its variables; false when it could not be solved for.
bool calcq(int k, double p, double t);

}  // namespace calcwindows
