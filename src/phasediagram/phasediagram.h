// Phase-diagram calculations (mode 1): the driver, its set-up readers, the
// enumeration of assemblages and the per-assemblage calculation loop.
#pragma once

#include "numerics/calcsetup.h"

namespace phasediagram {

void nlecalcs();   // one pass of mode 1

// ---------------------------------------------------------------- the driver's own steps
// Windows, value lists and the scaling of P and T for the variance of the run.
void ptsetup();
// Activities, their uncertainties and dataset codes of every end-member of the chosen phases.
void setupactivities();
// Variance of the chosen phases: rank of their composition matrix + 2 -
// phases - set chemical potentials.
int calcvariance();
// The same count over the given phases alone, over every component of the
// calculation: the variance a batch item of those phases has.
int phasevariance(const numerics::PhaseFlags& phases);
// Appends the word of variance v ("invariant" .. "quadrivariant", else
// "<v>-variant") to line2.
void variancename(int v);

// ---------------------------------------------------------------- the enumeration of assemblages
void calcwhat();
// All phases in use, their number and the rank of their composition matrix.
void phaselist(numerics::PhaseFlags& inuse, int& nphases, int& rank);
// The reduced system of a subset over the free components (numerics::red)
// and whether the bulk lies in it; rank of its composition matrix.
void calcrankp(const numerics::PhaseFlags& subset, int& rank, bool& ok);

}  // namespace phasediagram
