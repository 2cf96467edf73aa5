// Shared set-up of the tests of the equilibrium equations: the example
// dataset read with the dataset reader, a small a-x file of our own read with
// the a-x reader, the calculation's end-members set up for the chosen phases,
// and the unknowns laid out for an assemblage of them.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "numerics/numerics.h"
#include "numerics/result.h"

namespace asmtest {

constexpr double rgas = 0.0083144;

// Ideal olivine fo-fa and orthopyroxene en-fs, each Mg-Fe on one site of
// multiplicity 2, so that a(fo) = (1 - x)^2; fs is made from fa and q with
// a DQF of 4 kJ, so that fa + q = fs has dG0 = 4 kJ exactly.
extern const std::string olopx;
// The olivine with a symmetric W(fo,fa) = 8 + 0.002 T + 0.05 P.
extern const std::string olsymmetric;
// The olivine with van Laar sizes 1 and 1.6 - 0.0002 T + 0.004 P.
extern const std::string olvanlaar;
// An H2O-CO2 fluid (its mixing is built in).
extern const std::string h2oco2;
// An aqueous binary: H2O and a solute q, ideal on one site.
extern const std::string aqueous;

class Assemblage : public ::testing::Test {
public:
    void SetUp() override;
    void TearDown() override;
    // Reads the a-x text with the example dataset and sets up the end-members
    // of the named phases (all phases when the list is empty).
    void setup(const std::string& axtext, const std::vector<std::string>& phases = {});
    // Lays out the unknowns of the assemblage of the named phases.
    void assemblage(const std::vector<std::string>& phases);
    // Phase number (solution phases first) of a phase name, 0 when absent.
    static int phaseno(const std::string& name);
    // Position of an end-member name in the calculation's list.
    static int em(const std::string& name);
    // A scaled unknown vector from natural values of P, T and the variables.
    static numerics::Vector scaled(const std::vector<double>& natural);
    std::string dir, previous;
};

// A fresh working directory for the life of the object, removed afterwards:
// child processes and captured output write their files there.
struct ScratchDir {
    ScratchDir();
    ~ScratchDir();
    std::string dir, previous;
};

// G (kJ) of the calculation end-member of that name, at p (kbar) and t (K).
double gem(const std::string& name, double p, double t);

// The example a-x file.
std::string exampleax();
// The text with the first occurrence of from replaced; fails the test when absent.
std::string replaced(const std::string& text, const std::string& from, const std::string& to);

// The outcome of a body run in a child process: exit status, screen, and
// the "where : message" of a fatal error.
struct Outcome {
    int status = -1;
    std::string screen;
    std::string bombed;
};
Outcome runchild(const std::function<void()>& body);

// What the body writes to the output file channel.
std::string output(const std::function<void()>& body);

}  // namespace asmtest
