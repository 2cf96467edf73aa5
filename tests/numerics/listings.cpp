// The checks and listings of the equilibrium equations at trace level 4:
// the finite-difference checks of the activity and composition derivatives
// agree with the analytic ones, the composition check leaves the jacobian
// as it finds it, the residual listing shows the undivided residuals and
// the half sum of squares; and a site fraction the step limit cannot make
// positive, with the diagnostic of a vanishing linear form.
#include <cmath>
#include <sstream>

#include "assemblage.h"
#include "axmodels/axmodels.h"
#include "calcwindows/calcwindows.h"
#include "numerics/nlestate.h"
#include "runio/scriptset.h"
#include "thermodata/thermodata.h"

namespace {

using namespace numerics;
using asmtest::Assemblage;

class Listings : public Assemblage {
protected:
    void olopxq()
    {
        runio::scal.pscale = 1.0 / 50.0;
        runio::scal.tscale = 1.0 / 2000.0;
        runio::scriptflags.modesinnle = true;
        setup(asmtest::olopx, {"ol", "opx", "q"});
        assemblage({"ol", "opx", "q"});
        for (int m = 1; m <= unk.nmodes; ++m) unk.xscale[unk.nvar + m] = 1.0;
        unk.xfree[1] = unk.xfree[2] = false;
        for (int i = 1; i <= 3; ++i) {
            red.projc[i].fill(0);
            red.projc[i][i] = 1;
            bulks.bulkcalc[i] = 0.3 + 0.05 * i;
        }
        bool any;
        calcwindows::writereactionlists(any);
    }
    Vector start() { return scaled({10.0, 1000.0, 0.3, 0.2, 0.5, 0.4, 0.3}); }
};

// The numbers of the rows that follow a heading, up to the next empty line.
std::vector<std::string> table(const std::string& out, const std::string& heading)
{
    std::vector<std::string> words;
    const std::size_t at = out.find("\n" + heading + "\n");
    if (at == std::string::npos) return words;
    std::istringstream in(out.substr(at + heading.size() + 2));
    std::string line;
    std::getline(in, line);   // the names
    while (std::getline(in, line) && !line.empty() && line.find_first_not_of(' ') != std::string::npos) {
        if (std::isalpha(static_cast<unsigned char>(line[0])) && line.compare(0, 3, "dx ") != 0 &&
            line.compare(0, 3, "dP ") != 0 && line.compare(0, 3, "dT ") != 0)
            break;
        std::istringstream w(line.substr(line.compare(0, 2, "dx") == 0 || line.compare(0, 2, "dP") == 0 ||
                                                 line.compare(0, 2, "dT") == 0
                                             ? 3
                                             : 0));
        std::string word;
        while (w >> word) words.push_back(word);
    }
    return words;
}

TEST_F(Listings, ChecksAgreeAndLeaveTheJacobianAsItWas)
{
    olopxq();
    Vector x = start(), f{};
    SquareTable j0{}, j4{};
    ASSERT_TRUE(nlefunc(x, j0, f));
    runio::scriptflags.debuglevel = 4;
    x = start();
    const std::string out = asmtest::output([&] { ASSERT_TRUE(nlefunc(x, j4, f)); });
    for (int r = 1; r <= eqs.njacrows; ++r)
        for (int c = 1; c <= eqs.njaccols; ++c) EXPECT_EQ(j4[r][c], j0[r][c]) << r << " " << c;

    // activities: 1 - fd/analytic over forward steps of 0.001 kbar, 0.01 K, 1e-7
    const auto act = table(out, "difference with fd " + std::string());
    std::vector<std::string> words;
    const std::size_t at = out.find("difference with fd    ");
    ASSERT_NE(at, std::string::npos) << out;
    std::istringstream in(out.substr(out.find('\n', at) + 1));
    std::string line;
    int rows = 0;
    while (std::getline(in, line) && line.size() > 3 && (line[0] == 'd' || line[0] == ' ')) {
        ++rows;
        std::istringstream w(line.substr(3));
        std::string word;
        while (w >> word)
            if (word != "-") {
                EXPECT_LT(std::fabs(std::stod(word)), 1e-5) << line;
            }
    }
    EXPECT_EQ(rows, 4);   // P, T and the two variables
    // compositions: 1 - fd/analytic over a step of 1e-5
    const std::size_t cat = out.find("\ndifference with fd\n");
    ASSERT_NE(cat, std::string::npos);
    std::istringstream cin(out.substr(out.find('\n', out.find('\n', cat + 1) + 1) + 1));
    rows = 0;
    while (std::getline(cin, line) && !line.empty()) {
        ++rows;
        std::istringstream w(line.substr(7));
        std::string word;
        while (w >> word)
            if (word != "-") {
                EXPECT_LT(std::fabs(std::stod(word)), 1e-4) << line;
            }
    }
    EXPECT_EQ(rows, 2);
    EXPECT_NE(out.find("\nprojc  (rankdeficit = 0)\n"), std::string::npos);
    // the residual listing: half the sum of squares of the divided residuals
    double ff = 0.0;
    for (int r = 1; r <= eqs.njacrows; ++r) ff += f[r] * f[r];
    EXPECT_NE(out.find("\nf " + runio::realstr(0.5 * ff, 4, false) + "\n\n"), std::string::npos) << out;
    EXPECT_NE(out.find("\njac     "), std::string::npos);
    EXPECT_NE(out.find("\nln k"), std::string::npos);
}

// A site fraction -0.1 + 0 x (a form that is 0 everywhere): negative at any
// step, so the step limit halves its step fifty times in vain.
TEST_F(Listings, ASiteFractionTheStepCannotMakePositive)
{
    setup(asmtest::olopx, {"ol", "opx", "q"});
    axmodels::SolPhase& opx = axmodels::ph.prec1[phaseno("opx")];
    axmodels::SfExpr e;
    e.n = 2;
    e.t.assign(3, axmodels::SXTerm{});
    e.t[1].n = 2;
    e.t[1].x[1].p = 0;   // 0 + 0 x
    e.t[1].x[1].n = 1;
    e.t[1].x[1].tp[1] = 0;
    e.t[1].x[1].tq[1] = 1;
    e.t[1].x[1].var[1] = 1;
    e.t[1].x[2].p = 1;
    e.t[1].x[2].n = 1;
    e.t[1].x[2].tp[1] = 1;
    e.t[1].x[2].tq[1] = 1;
    e.t[1].x[2].var[1] = 1;
    e.t[2].n = 1;
    e.t[2].x[1].p = -1;
    e.t[2].x[1].q = 10;
    opx.sf[2] = e;
    opx.alllinear = false;
    opx.sflinear[2] = false;
    assemblage({"ol", "opx", "q"});
    ASSERT_EQ(unk.nsfcheck, 1);
    unk.xfree[1] = unk.xfree[2] = false;
    unk.nlex[1] = 10.0;
    unk.nlex[2] = 1000.0;
    unk.nlex[3] = 0.3;
    unk.nlex[4] = 0.2;
    residualfunction = [](Vector& x, SquareTable& j, Vector& f) {
        f[1] = x[3] - 0.4;
        f[2] = x[4] - 0.1;
        j[1][1] = j[2][2] = 1;
        j[1][2] = j[2][1] = 0;
        return true;
    };
    const auto o = asmtest::runchild([] {
        int code;
        nle(code);
    });
    residualfunction = nlefunc;
    EXPECT_EQ(o.bombed, "findlimit : too many iterations handling site fractions");
    EXPECT_NE(o.screen.find("\n\n-----------------------------------\ncrasher with        opx, sf term =     2\n"),
              std::string::npos)
        << o.screen;
    EXPECT_NE(o.screen.find("\nI am terribly sorry about this -\nbut someone has miscoded something.\n"
                            "So there is nothing else for it...\n\n"),
              std::string::npos);
}

}  // namespace
