// Expressions evaluated and written, legality of starting compositions and
// window tests.
#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "calcwindows/calcwindows.h"
#include "runio/runio.h"

using namespace axmodels;

namespace {

XTerm form(int p, int q, std::vector<runio::Arr<int, 3>> terms)
{
    XTerm x;
    x.p = p;
    x.q = q;
    x.n = static_cast<int>(terms.size());
    for (int t = 1; t <= x.n; ++t) {
        x.tp[t] = terms[t - 1][0];
        x.tq[t] = terms[t - 1][1];
        x.var[t] = terms[t - 1][2];
    }
    return x;
}

SXTerm product(double factor, std::vector<XTerm> forms)
{
    SXTerm s;
    s.factor = factor;
    s.n = static_cast<int>(forms.size());
    for (int j = 1; j <= s.n; ++j) s.x[j] = forms[j - 1];
    return s;
}

SfExpr expr(std::vector<SXTerm> products)
{
    SfExpr e;
    e.n = static_cast<int>(products.size());
    e.t.assign(products.size() + 1, SXTerm{});
    for (int k = 1; k <= e.n; ++k) e.t[k] = products[k - 1];
    return e;
}

// (1 - x)(1 - z), the proportion of pyrope in the example garnet
const SfExpr pyrope = expr({product(1.0, {form(1, 1, {{-1, 1, 1}}), form(1, 1, {{-1, 1, 2}})})});
// 0.5 (1 - x) y + (1/3 + 2/3 x - y)
const SfExpr mixed = expr({product(0.5, {form(1, 1, {{-1, 1, 1}}), form(0, 1, {{1, 1, 2}})}),
                           product(1.0, {form(1, 3, {{2, 3, 1}, {-1, 1, 2}})})});

double derivative(const SfExpr& e, runio::Arr<double, 3> x, int v)
{
    // central difference: exact for these expressions, which are at most
    // quadratic in each variable, but for rounding
    const double h = 1e-5;
    runio::Arr<double, 3> up = x, down = x;
    up[v] += h;
    down[v] -= h;
    return (evalpoly(e, up.data(), 1) - evalpoly(e, down.data(), 1)) / (2 * h);
}

TEST(Evalpoly, ValuesHandWorked)
{
    const runio::Arr<double, 3> xg = {0.0, 0.8, 0.1};
    EXPECT_NEAR(evalpoly(pyrope, xg.data(), 1), 0.2 * 0.9, 1e-15);
    const runio::Arr<double, 3> xm = {0.0, 0.3, 0.6};
    // 0.5 x 0.7 x 0.6 + 1/3 + 0.2 - 0.6
    EXPECT_NEAR(evalpoly(mixed, xm.data(), 1), 0.21 + 1.0 / 3.0 + 0.2 - 0.6, 1e-15);
    // a product with factor 0 is skipped, whatever its forms
    SfExpr zeroed = mixed;
    zeroed.t[1].factor = 0.0;
    EXPECT_NEAR(evalpoly(zeroed, xm.data(), 1), 1.0 / 3.0 + 0.2 - 0.6, 1e-15);
    EXPECT_EQ(evalpoly(SfExpr{}, xm.data(), 1), 0.0);
    EXPECT_EQ(evalpoly(expr({product(0.0, {form(1, 1, {})})}), xm.data(), 1), 0.0);
    // base 5: variable 1 is read from x[5], variable 2 from x[6]
    const runio::Arr<double, 7> xb = {0, 9, 9, 9, 9, 0.8, 0.1};
    EXPECT_NEAR(evalpoly(pyrope, xb.data(), 5), 0.18, 1e-15);
}

TEST(Evalpoly, DerivativesHandWorked)
{
    // d/dx (1-x)(1-z) = -(1-z); d/dz = -(1-x)
    EXPECT_NEAR(derivative(pyrope, {0.0, 0.8, 0.1}, 1), -0.9, 1e-9);
    EXPECT_NEAR(derivative(pyrope, {0.0, 0.8, 0.1}, 2), -0.2, 1e-9);
    // d/dx = -0.5 y + 2/3; d/dy = 0.5 (1 - x) - 1
    EXPECT_NEAR(derivative(mixed, {0.0, 0.3, 0.6}, 1), -0.3 + 2.0 / 3.0, 1e-9);
    EXPECT_NEAR(derivative(mixed, {0.0, 0.3, 0.6}, 2), 0.35 - 1.0, 1e-9);
}

class Written : public ::testing::Test {
protected:
    void SetUp() override
    {
        axtest::initrun();
        SolPhase& s = ph.prec1[1];
        s = SolPhase{};
        s.n = 3;
        s.nvar = 2;
        s.var[1].name = "x(gt)";
        s.var[2].name = "y[M1]";
    }
    std::string written(const SfExpr& e, const std::string& name)
    {
        return axtest::captured(runio::chit, [&] { writeexpression(e, name, 1, runio::mit); });
    }
    axtest::ScratchDir dir;
};

TEST_F(Written, ExpressionTexts)
{
    EXPECT_EQ(written(expr({product(1.0, {form(1, 1, {{-1, 1, 1}})})}), "xMgM"), "   xMgM = 1 - x\n");
    EXPECT_EQ(written(expr({product(0.5, {form(1, 1, {{-1, 1, 1}}), form(0, 1, {{1, 1, 2}})})}), "a"),
              "   a = 0.50 (1 - x) y\n");
    EXPECT_EQ(written(expr({product(-0.5, {form(0, 1, {{1, 1, 2}})})}), "a"), "   a = (-0.50) y\n");
    EXPECT_EQ(written(SfExpr{}, "e"), "   e = 0\n");
    EXPECT_EQ(written(expr({product(0.0, {form(1, 1, {{1, 1, 1}})})}), "e"), "   e = 0\n");
    EXPECT_EQ(written(expr({product(1.0, {form(1, 2, {{-1, 2, 1}, {2, 1, 2}})})}), "e"), "   e = 1/2 - 1/2 x + 2y\n");
    EXPECT_EQ(written(pyrope, "p"), "   p = (1 - x) (1 - y)\n");
    EXPECT_EQ(written(expr({product(1.0, {form(0, 1, {{1, 1, 1}}), form(1, 1, {{-1, 1, 2}})})}), "p"),
              "   p = x (1 - y)\n");
    // a negative lone variable after the first product is bracketed
    EXPECT_EQ(written(expr({product(1.0, {form(0, 1, {{1, 1, 1}})}), product(1.0, {form(0, 1, {{-1, 1, 2}})})}), "e"),
              "   e = x + (-y)\n");
    // several products: the sign, then the magnitude unless it is 1
    EXPECT_EQ(written(expr({product(-1.0, {form(0, 1, {{1, 1, 1}})}), product(-0.5, {form(0, 1, {{1, 1, 2}})})}),
                      "e"),
              "   e = -x - 0.50y\n");
    // a constant form is written bare, the next form right after it
    EXPECT_EQ(written(expr({product(1.0, {form(1, 2, {}), form(0, 1, {{1, 1, 1}})})}), "e"), "   e = 1/2x\n");
}

TEST_F(Written, LongExpressionIsCutAndMarked)
{
    // 24 products of (1 - x - y)(x + y): far past the 250 characters of a line
    std::vector<SXTerm> products(24, product(1.0, {form(1, 1, {{-1, 1, 1}, {-1, 1, 2}}), form(0, 1, {{1, 1, 1}, {1, 1, 2}})}));
    const std::string text = written(expr(products), "long");
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text[text.size() - 2], '\xA4');
    EXPECT_LE(text.size(), 252u);
    EXPECT_EQ(text.compare(0, 34, "   long = (1 - x - y) (x + y) + (1"), 0) << text;
}

TEST_F(Written, ExpressionCountsForChecking)
{
    const std::string text = axtest::captured(runio::chlog, [] { printsxterms("p(py)", pyrope); });
    EXPECT_EQ(text, "\np(py):  nsxterms = 1\n"
                    "  1st sxterm: nxterms = 2\n"
                    "    1st xterm: 1 -1 1\n"
                    "    2nd xterm: 1 -1 2\n");
}

TEST_F(Written, ShortNames)
{
    runio::Arr<std::string, maxsolem + 1> names{};
    ph.prec1[1].var[1].name = "p(gr)";
    ph.prec1[1].var[2].name = "q[M1]";
    shortvarnames(1, names);
    EXPECT_EQ(names[1], "gr");
    EXPECT_EQ(names[2], "q");
    EXPECT_EQ(shortname("x(gt)"), "x");
    EXPECT_EQ(shortname("abc"), "abc");
    ph.prec1[2] = SolPhase{};
    ph.prec1[2].n = 1;
    names[1] = "kept";
    shortvarnames(2, names);
    EXPECT_EQ(names[1], "kept");
}

TEST_F(Written, PhaseListMarksTheUnselected)
{
    ph.nss = 2;
    ph.npure = 1;
    ph.prec1[1].name = "ol";
    ph.prec1[2].name = "g";
    ph.prec0[1].name = "q";
    const std::string text =
        axtest::captured(runio::chout, [] { writephaselist({false, true, false, true}); });
    // each name in 7 columns, right-aligned, then five blanks
    EXPECT_EQ(text, "\n    ol    (g)      q      ");
}

TEST_F(Written, LegalStartingCompositions)
{
    axtest::readax(axtest::exampleax());
    for (int k = 1; k <= ph.nss; ++k) EXPECT_TRUE(legalcomp(k)) << ph.prec1[k].name;
    // garnet with z = 0: xCa(X) is exactly 0
    ph.prec1[3].var[2].guess = 0.0;
    EXPECT_FALSE(legalcomp(3));
    ph.prec1[3].nsf = 0;
    EXPECT_TRUE(legalcomp(3));
}

TEST_F(Written, WindowsAreInclusive)
{
    calcwindows::Windows& w = calcwindows::win;
    w.tlow = 500;
    w.thigh = 900;
    w.plow = 2;
    w.phigh = 10;
    w.xlow = 0.1;
    w.xhigh = 0.4;
    w.alow = -3;
    w.ahigh = 0;
    w.mulow = -800;
    w.muhigh = -700;
    EXPECT_TRUE(inrange(0, 500));
    EXPECT_TRUE(inrange(0, 900));
    EXPECT_FALSE(inrange(0, 900.000001));
    EXPECT_TRUE(inrange(1, 2));
    EXPECT_FALSE(inrange(1, 1.9999));
    EXPECT_TRUE(inrange(2, 0.4));
    EXPECT_FALSE(inrange(2, 0.5));
    EXPECT_TRUE(inrange(3, -3));
    EXPECT_TRUE(inrange(4, -700));
    EXPECT_FALSE(inrange(4, -699));
    const axtest::Outcome o = axtest::runchild([] { inrange(5, 0.0); });
    EXPECT_EQ(o.bombed, "inrange : unknown type");
    EXPECT_NE(o.screen.find("===This shouldn't have happened...==="), std::string::npos);
}

}  // namespace
