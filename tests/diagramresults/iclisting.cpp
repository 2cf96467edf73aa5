// The intermediate-results listing of a result, column by column: a point
// outside a pseudosection whole, and the bulk, mode, factor and system rows
// of a pseudosection point.
#include "resultfixture.h"

namespace {

using namespace resulttest;

void endmember(numerics::ResPhase& e, int j, const char* name, double ideal, double gamma, double act, double prop,
               double g, double rtlna)
{
    e.emnames[j] = name;
    e.emideal[j] = ideal;
    e.emgamma[j] = gamma;
    e.emact[j] = act;
    e.emprop[j] = prop;
    e.emg[j] = g;
    e.emrtlna[j] = rtlna;
}

void fill()
{
    numerics::ResultRec& res = numerics::result;
    numerics::ResPhase& ol = res.ph[1];
    ol.nsf = 2;
    ol.sfname[1] = "xMgM";
    ol.sfname[2] = "xFeM";
    ol.sf[1] = 0.7654322;
    ol.sf[2] = 0.2345678;
    ol.g = -2100.5;
    ol.h = -2200.25;
    ol.s = 0.1234;
    ol.v = 4.3678;
    ol.rho = 3.3;
    endmember(ol, 1, "fo", 0.5859557, 1.0123456, 0.593177, 0.7654322, -2100.123456789, -3.7891234567);
    endmember(ol, 2, "fa", 0.0550219, 0.0, 0.0550219, 0.2345678, -0.5, -21.0);
    numerics::ResPhase& opx = res.ph[2];
    for (int j = 1; j <= 3; ++j) opx.emnames[j] = j == 1 ? "en" : j == 2 ? "fs" : "fm";
    res.ph[3].emg[1] = -910.7;
}

const std::string eq59(59, '=');

TEST_F(Results, ListingOfAPointOutsideAPseudosection)
{
    choose();
    divariant();
    fill();
    Capture cap;
    diagramresults::printic();
    const std::string z = r("0", 12);
    const std::string want =
        "\n" + eq59 + "\n\nol opx q  {8.0000, 600.000}  kbar/" + deg + "C\nvar = 2\n\n" +
        l("ol", 5) + r("x(ol)", 10) + "\n     " + r("0.23457", 10) + "\n" +
        l("opx", 5) + r("x(opx)", 10) + r("Q(opx)", 10) + "\n     " + r("0.34568", 10) + r("0.01235", 10) + "\n" +
        "\nsite fractions\n" + l("ol", 5) + r("xMgM", 10) + r("xFeM", 10) + "\n     " + r("0.76543", 10) +
        r("0.23457", 10) + "\nopx  \n     \n" +
        "\noxide compositions\n      " + r("SiO2", 12) + r("MgO", 12) + r("FeO", 12) + "\n" +
        l("ol", 6) + r("1", 12) + r("1.530864", 12) + r("0.469136", 12) + "\n" +
        l("opx", 6) + r("2", 12) + r("1.308642", 12) + r("0.691358", 12) + "\n" +
        l("q", 6) + r("1", 12) + z + z + "\n" +
        "\n            " + r("G", 12) + r("H", 12) + r("S", 12) + r("V", 12) + r("rho", 12) + "\n" +
        l("ol", 12) + r("-2100.5000", 12) + r("-2200.2500", 12) + r("0.1234", 12) + r("4.36780", 12) +
        r("3.30000", 12) + "\n" + l("opx", 12) + z + z + z + z + z + "\n" + l("q", 12) + z + z + z + z + z + "\n" +
        "\n             " + r("ideal", 12) + r("gamma", 12) + r("activity", 12) + r("prop", 12) + r("\xB5" "0", 17) +
        r("RT ln a", 16) + "\n" +
        l("ol", 6) + l("fo", 7) + r("0.585956", 12) + r("1.01235", 12) + r("0.593177", 12) + r("0.76543", 12) +
        // the number writer's eight decimals hold only nine digits: larger values in exponent form
        r("-2.1001235e+3", 17) + r("-3.78912346", 16) + r("-2100.1235", 14) + r("-3.7891", 12) + "\n" +
        // mu0 between -1 and 0 keeps its sign
        "      " + l("fa", 7) + r("0.0550219", 12) + z + r("0.0550219", 12) + r("0.23457", 12) +
        r("-0.50000000", 17) + r("-21.00000000", 16) + r("-0.5000", 14) + r("-21.0000", 12) + "\n\n" +
        l("opx", 6) + l("en", 7) + z + z + z + z + r("0", 17) + r("0", 16) + r("0", 14) + z + "\n" +
        "      " + l("fs", 7) + z + z + z + z + r("0", 17) + r("0", 16) + r("0", 14) + z + "\n" +
        "      " + l("fm", 7) + z + z + z + z + r("0", 17) + r("0", 16) + r("0", 14) + z + "\n\n" +
        l("q", 6) + std::string(55, ' ') + r("-910.7000", 12) + "\n";
    EXPECT_EQ(cap.finish().ic, want);
}

TEST_F(Results, BulkModeFactorAndSystemRowsOfAPseudosectionPoint)
{
    choose("", true);
    divariant();
    fill();
    withmodes(0.3, 0.5, 0.2);
    numerics::ResultRec& res = numerics::result;
    res.var = 1;
    res.bulkrows[1][1] = 0.45;
    res.bulkrows[1][2] = 0.35;
    res.bulkrows[1][3] = 0.2;
    res.ph[1].factor[1] = 2.5;
    res.ph[2].factor[1] = 1.25;
    res.sysg[1] = -1234.567891;
    res.sysrho[1] = 3.21;
    Capture cap;
    diagramresults::printic();
    const std::string ic = cap.finish().ic;
    const std::string blank(12, ' ');
    EXPECT_NE(ic.find("kbar/" + deg + "C\novar = 2; var = 1 (seen)\n\n"), std::string::npos) << ic;
    EXPECT_NE(ic.find(r("FeO", 12) + "\n" + l("bulk", 6) + r("45.0000", 12) + r("35.0000", 12) + r("20.0000", 12) +
                      "\n\n" + l("ol", 6)),
              std::string::npos)
        << ic;
    EXPECT_NE(ic.find("\n\n" + l("mode", 6) + r("ol", 12) + r("opx", 12) + r("q", 12) + "\n" + l("1", 6) +
                      r("0.30000000", 12) + r("0.50000000", 12) + r("0.20000000", 12) + "\n\n" + l("factor", 6) +
                      r("ol", 12) + r("opx", 12) + r("q", 12) + "\n" + l("1", 6) + r("2.50000000", 12) +
                      r("1.25000000", 12) + blank + "\n\n"),
              std::string::npos)
        << ic;
    EXPECT_NE(ic.find("\n\n" + l("sys", 6) + std::string(6, ' ') + r("-1234.56789", 12) + r("0", 12) + r("0", 12) +
                      r("0", 12) + r("3.21000", 12) + "\n\n"),
              std::string::npos)
        << ic;
}

}  // namespace
