// The dataset fit run end to end on the example files: what it shows and
// logs, its questions, the number of iterations, sigfit against a weighted
// least-squares solution made with LAPACK from the rows the log lists, and
// every fatal error of its readers, assembly and solvers.
#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdio>
#include <regex>
#include <sstream>
#include <vector>

#include "fittest.h"

using fittest::examplefiles;
using fittest::replaced;
using pmtest::countof;
using pmtest::runpm;

extern "C" void dgels_(const char* trans, const int* m, const int* n, const int* nrhs, double* a, const int* lda,
                       double* b, const int* ldb, double* work, const int* lwork, int* info);

namespace {

// The last line of every fit: the refined dataset is written.
const std::string written = "\nwriting data to \"pm-ds6fit.txt\"\n";

// The fatal error a run ended with, as "where : message".
std::string bombed(const pmtest::RunResult& r)
{
    const std::string mark = "-- run bombed in ";
    const std::size_t at = r.screen.find(mark);
    if (at == std::string::npos) return "";
    const std::size_t from = at + mark.size();
    return r.screen.substr(from, r.screen.find('\n', from) - from);
}

// sigfit of the weighted least-squares problem whose rows the log lists
// (first iteration), by LAPACK. The coefficients are those of the example's
// reactions over per, q, fo, en.
double sigfitfromlog(const std::string& log)
{
    const std::vector<std::vector<double>> x = {{1, 0, 0, 0}, {0, 1, 0, 0}, {0, 0, 1, 0},
                                                {2, 2, 0, -1}, {0, -1, -1, 1}, {-2, 0, 2, -1}};
    const int m = 6, n = 4;
    std::vector<double> a(m * n), b(m);
    const std::regex row("\\n *([1-6])\\) +(-?[0-9.]+) +([0-9.]+) ");
    int found = 0;
    for (std::sregex_iterator it(log.begin(), log.begin() + static_cast<long>(log.find("\n1: ")), row), end;
         it != end; ++it) {
        const int i = std::stoi((*it)[1]) - 1;
        const double y = std::stod((*it)[2]), sd = std::stod((*it)[3]);
        for (int j = 0; j < n; ++j) a[static_cast<std::size_t>(j * m + i)] = x[i][j] / sd;
        b[static_cast<std::size_t>(i)] = y / sd;
        ++found;
    }
    EXPECT_EQ(found, m);
    int info = 0, lwork = 256, nrhs = 1;
    std::vector<double> work(256);
    dgels_("N", &m, &n, &nrhs, a.data(), &m, b.data(), &m, work.data(), &lwork, &info);
    return std::sqrt((b[4] * b[4] + b[5] * b[5]) / (m - n));
}

double printedsigfit(const std::string& text, const std::string& before)
{
    const std::size_t at = text.find(before);
    return at == std::string::npos ? -1.0 : std::stod(text.substr(at + before.size()));
}

// A bracket at an end-member composition of olivine gave the other
// end-member an activity of 0: sigfit NaN, and a refined dataset of NaN
// written with status 0.
TEST(FitRun, BracketThatGivesNoNumberStopsTheFitBeforeItWrites)
{
    auto files = fittest::fullexample();
    files["ds-xpex.txt"] = replaced(files["ds-xpex.txt"], "  1  20.0   800  0    0.20", "  1  20.0   800  0    0");
    const auto r = runpm(files, "3\n");
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(bombed(r), "assemblelsq : the composition of ol in bracket 1 of experiment 6 gives fa an activity of 0: "
                         "its reaction needs one above 0");
    EXPECT_FALSE(r.has("pm-ds6fit.txt"));
    EXPECT_FALSE(r.has("ds-emex-i.txt"));

    // Data so large that the enthalpies no longer resolve a few kJ showed
    // Inf and NaN in the report's brackets.
    for (const auto& [from, to, message] : std::vector<std::array<std::string, 3>>{
             {"   0.02680   0.00010", "   1e20   0.00010",
              "brackets 5 and 6 of experiment 2, at one P and T but of different ln Q, give the same enthalpy "
              "-2.246e+23 kJ: the data of its end-members are too large for the fit to tell them apart"},
             {"-500.0  -0.6800", "1e20  -0.6800",
              "brackets 1 and 2 of experiment 1 have no uncertainty: the data of its end-members leave the reaction's "
              "G changing with neither P nor T"}}) {
        files = fittest::fullexample();
        files["ds-emex.txt"] = replaced(files["ds-emex.txt"], from, to);
        EXPECT_EQ(bombed(runpm(files, "3\n")), "assemblelsq : " + message);
    }
}

// An experiment below absolute zero gave a NaN dataset with status 0.
TEST(FitRun, ExperimentBelowAbsoluteZeroIsRefused)
{
    auto files = examplefiles();
    files["ds-xpex.txt"] = fittest::replaced(files["ds-xpex.txt"], "  1  10.0   700", "  1  10.0   -300");
    const auto r = runpm(files, "1\n");
    EXPECT_NE(r.screen.find("\n-- run bombed in readxy : the temperature -300\xA1" "C of bracket 1 of experiment 1 in "
                            "\"ds-xpex.txt\" must be above -273.15\xA1" "C (0 K)\n"),
              std::string::npos);
}

TEST(FitRun, ExampleFitEndToEnd)
{
    auto files = examplefiles();
    fittest::addsettings(files, "infolevel 3\n");
    const auto r = runpm(files, "3\n");
    EXPECT_EQ(r.status, 0);
    const std::string& log = r.file("pm-log.txt");
    EXPECT_NE(log.find("\nrunning KALFIT from within PETRAMONDO 3.50\nat "), std::string::npos);
    EXPECT_NE(log.find("\n\nreading thermodynamic data\n  1)  per\n  2)  q\n  3)  fo\n  4)  en\n\n"
                       "reading a-x relationships\n  1)  mix\n"),
              std::string::npos)
        << log;
    EXPECT_NE(r.screen.find("\nnumber of end-members =    4\n"), std::string::npos) << r.screen;
    EXPECT_NE(log.find("\n\nreading direct calorimetry\n  1)  per\n  2)  q\n  3)  fo\n\n"
                       "reading oxide calorimetry\n  4)  2per + 2q = en\n\nreading experimental data\n\n\n"
                       "READING experimental work\n  1)  fo + q = en  (made-up reversals)\n"
                       "  2)  2per + en = 2fo  (made-up reversals, MgO held at a low activity)\n" +
                       std::string(47, '+') + "\n\nnumber of iterations  : 3\n"),
              std::string::npos)
        << log;
    EXPECT_NE(r.screen.find("\n 1)  fo + q = en  (made-up reversals)\n"), std::string::npos);
    EXPECT_NE(log.find("\nsimple calorimetry\n  1)    -601.60    0.30   per\n"), std::string::npos);
    EXPECT_NE(log.find("\noxide calorimetry\n  4)      61.20    0.80   per     q    en\n"), std::string::npos);
    EXPECT_NE(log.find("\nexperimental brackets\n  5)    -0.6866    0.0824    fo  q  =  en" + std::string(25, ' ') +
                       "(made-up reversals)\n"),
              std::string::npos)
        << log;

    const double sigfit = sigfitfromlog(log);
    const std::string& out = r.file("ds-o6fit.txt");
    for (const std::string* text : {&r.screen, &log, &out}) {
        EXPECT_NEAR(printedsigfit(*text, "\n1: "), sigfit, 0.0015);
        EXPECT_NEAR(printedsigfit(*text, "\n2: "), sigfit, 0.0015);
        EXPECT_NEAR(printedsigfit(*text, "\n3: "), sigfit, 0.0015);
        EXPECT_EQ(countof(*text, "4: "), 0);
    }
    EXPECT_NE(r.screen.find(written), std::string::npos);

    // Choleski gives the same, with its own lines
    fittest::addsettings(files, "useqr no\n");
    const auto c = runpm(files, "1\n");
    EXPECT_NE(c.screen.find("number of iterations  : \nconstructing LSQ for choleski...\n\nlsq (choleski) gives sigfit = "), std::string::npos);
    EXPECT_NEAR(printedsigfit(c.screen, "lsq (choleski) gives sigfit = "), sigfit, 0.0015);
    EXPECT_NE(c.file("ds-o6fit.txt").find("     (ndf = 2)\n\n1: "), std::string::npos);
    EXPECT_NEAR(printedsigfit(c.file("pm-log.txt"), "\n1: "), sigfit, 0.0015);
}

TEST(FitRun, NumberOfIterationsAndQuestions)
{
    auto files = examplefiles();
    for (const char* reply : {"0\n", "-4\n"}) {
        const auto r = runpm(files, reply);
        EXPECT_NE(r.screen.find("\n1: "), std::string::npos);
        EXPECT_EQ(countof(r.screen, "\n2: "), 0);
    }
    const auto r = runpm(files, "x\n25\n");
    EXPECT_NE(r.screen.find("number of iterations  : x not an integer: replace with : "), std::string::npos) << r.screen;
    EXPECT_NE(r.screen.find("\n10: "), std::string::npos);
    EXPECT_EQ(countof(r.screen, "\n11: "), 0);

    // Settings of "ask" are asked in order; "no" to QR takes Choleski.
    fittest::addsettings(files, "useqr ask\nmark456 ask\nprintomit ask\nuserfac ask\ntighten ask\n");
    const auto q = runpm(files, "no\n\nn\ny\nyes\n1\n");
    EXPECT_NE(q.screen.find("\nQR or Choleski to do LSQ: use QR ? bullet \"pathological\" experiments ? "
                            "print omitted experiments ? use \"rfac\" ? effectively fix \"good\" equilibria ? "),
              std::string::npos)
        << q.screen;
    EXPECT_NE(q.file("pm-log.txt").find("use QR ? no\nbullet \"pathological\" experiments ? yes\n"
                                        "print omitted experiments ? no\nuse \"rfac\" ? yes\n"
                                        "effectively fix \"good\" equilibria ? yes\n"),
              std::string::npos);
    EXPECT_NE(q.screen.find("constructing LSQ for choleski..."), std::string::npos);
    // without "rfac" the last question is not put
    fittest::addsettings(files, "userfac no\n");
    const auto u = runpm(files, "\n\n\n1\n");
    EXPECT_EQ(countof(u.screen, "effectively fix"), 0);
    EXPECT_NE(u.screen.find(written), std::string::npos);
}

TEST(FitRun, RefinedDatasetLostToAFullDiskFailsTheRun)
{
    // every write to /dev/full fails as on a full disk
    auto files = examplefiles();
    files["pm-ds6fit.txt"] = pmtest::symlinkto("/dev/full");
    const auto r = runpm(files, "3\n");
    EXPECT_EQ(r.status, 3);
    const std::string report = written + "problem writing the file \"pm-ds6fit.txt\": No space left on device\n";
    EXPECT_NE(r.screen.find(report), std::string::npos) << r.screen;
    EXPECT_NE(r.file("pm-log.txt").find(report), std::string::npos);
}

TEST(FitRun, ExperimentWithBracketsOnOneSideIsLeftOut)
{
    auto files = examplefiles();
    fittest::addsettings(files, "infolevel 3\n");
    std::string& xp = files["ds-xpex.txt"];
    xp = replaced(xp, "  0  10.0   800  0\n", "  1  10.0   800  0\n");
    xp = replaced(xp, "  0  11.0   890  0\n", "  1  11.0   890  0\n");
    const auto r = runpm(files, "2\n");
    const std::string& log = r.file("pm-log.txt");
    EXPECT_EQ(countof(log, "\nexperiment 1 (fo + q = en) left out: its brackets all lie on one side\n"), 1) << log;
    // one row fewer: five rows over four enthalpies
    EXPECT_NE(log.find("\n  5)   -59.8387    0.2633    per  en  =  fo"), std::string::npos);
    EXPECT_NE(r.screen.find(written), std::string::npos);
}

// n copies of the example's phase, named mix1, mix2, ...
std::string phases(int n)
{
    std::string text;
    for (int i = 1; i <= n; ++i)
        text += replaced(examplefiles()["ds-axex.txt"], "mix 2\n", "mix" + std::to_string(i) + " 2\n");
    return text;
}

struct FatalCase {
    std::string file, from, to, bombed;
};

std::string repeated(const std::string& text, int n)
{
    std::string s;
    for (int i = 0; i < n; ++i) s += text;
    return s;
}

const std::string exp1activities = "  -1 -1 1    1.0   made-up reversals\n  1 1 1\n";

TEST(FitRun, FatalErrorsOfTheReaders)
{
    const std::string em = "ds-emex.txt", xp = "ds-xpex.txt";
    const std::string perrecord = "   5  1.0  10  1.0   0    1   2\n";
    const std::string emtext = examplefiles()[em];
    const std::string emtail = emtext.substr(emtext.find("   -3090.00"));
    const std::vector<FatalCase> cases = {
        {em, "\n*\n", "\n", "readth : the end-member file \"ds-emex.txt\" ends before its \"*\" line"},
        {em, emtail, "", "readth : the file \"ds-emex.txt\" ends inside the H of en"},
        {em, "-601.60", "-601.6O", "readth : cannot read \"-601.6O\" as the H of per in \"ds-emex.txt\""},
        // a value beyond a double would carry inf and then NaN through the fit
        {em, "0.02680", "1e999", "readth : cannot read \"1e999\" as the S of per in \"ds-emex.txt\""},
        {em, perrecord, "   5 1.0 5 1.0 5 1.0 5 1.0 5 1.0 5 1.0 5 1.0 5 1.0 10 1.0 0  1 2\n",
         "readth : too many elements in the formula of per (max = 8) -> increase maxelements"},
        {em, perrecord, "   5  1.0  10  1.0   0    1   0\n",
         "readth : the number of atoms of per must be at least 1: its Einstein temperature is S per atom"},
        {em, "0.30   1      H", "0.30   7      H", "readth : the kind 7 of per is not one of 0 to 4"},
        // a bulk modulus below 0 gave no volume, and the fit NaN enthalpies
        {em, "1616.00", "-1",
         "readth : the kappa0 -1 kbar of per in \"ds-emex.txt\" must be above 0 (or 0 for an end-member without "
         "compression)"},
        {em, perrecord, "   5  1.0  20  1.0   0    1   2\n",
         "readth : element code 20 of per in \"ds-emex.txt\" is not an entry of the oxide table (1 to 19)"},
        {xp, "1  fo q en\n", "1  fo q en divariant unknowncomps\n", "readxy : need univariant keyword"},
        {xp, "1  fo q en\n", "1  fo q enx\n", "readrc : not recognised \"enx\""},
        {xp, "1  per q en\n", "1  per q enx\n", "posinphname : enx is not an end-member name"},
        {xp, exp1activities, "  -1 -1 1    1.0   made-up reversals\n  1 liq 1\n",
         "reading activity : name, liq, not recognised 1"},
        {xp, exp1activities, "  -1 -1 1    1.0   made-up reversals\n  1 mix 1\n", "readxy : q not recognised"},
        {xp, exp1activities, "  -1 -1 1    1.0   made-up reversals\n  1 -1 1\n",
         "readxy : the activity -1 of q in experiment 1 is negative: only crd and fcrd take a negative value"},
        {xp, exp1activities, "  -1 -1 1    1.0   made-up reversals\n  mix 1 1\n", "readxy : not enough info 1"},
        {xp, "  1   9.0   800  0    0.033\n", "  1   9.0   800  0    0\n",
         "readxy : the activity of per in bracket 1 of experiment 2 is 0: it must be above 0"},
        {xp, "  1   9.0   800  0    0.033\n", "  1   9.0   800  0\n", "readxy : not enough info 2"},
        {xp, "  1   9.0   800  0    0.033\n", "  1   9.0   800.5.  0  0.033\n",
         "reading : expecting a single (1); got: 800.5. - reading T"},
        {xp, "1  fo q en\n", "x  fo q en\n", "getinteger : expecting an integer (1); got: x - reading xp code"},
        {xp, "  0  10.5   900  0    0.043\n-1\n0\n", "  0  10.5   900  0    0.043\n",
         "readxy : the file \"ds-xpex.txt\" ends before the brackets of experiment 2 end with a negative code"},
        {xp, "1  per q en\n", "1 " + repeated(" per", 16) + "\n",
         "readxy : too many members in the reaction of oxide calorimetry record 1 (max = 15) -> increase maxrxnem"},
        {xp, "1  fo q en\n", "1 " + repeated(" fo", 16) + "\n",
         "readxy : too many members in the reaction of experiment 1 (max = 15) -> increase maxrxnem"},
        {xp, "1  fo q en\n" + exp1activities, "1" + repeated(" fo", 8) + "\n" + repeated(" 1", 8) + " 1 many\n" +
                                                   repeated(" mix", 8) + "\n",
         "readxy : too many entries in the activity list of experiment 1 (max = 15) -> increase maxactlist"},
        {xp, "1  fo q en\n", "1 mix q\n 0 1.0 none\n",
         "readxy : the group size of experiment 1 must be at least 1"},
        {xp, "1  fo q en\n", "1 mix q\n 1 1.0 a group\n fo per\n -1 1\n",
         "readrc : not recognised \"per\" 1"},
        {xp, "1  fo q en\n", "1 mix mix mix mix mix q\n", "readxy : experiment 1 names too many solution phases (max = 4)"},
        {xp, "1  fo q en\n" + exp1activities + "  1  10.0   700  0\n  0  10.0   800  0\n  1  11.0   820  0\n",
         "1  fo q en\n  -1 -1 1  1.0  fo from mix\n  mix 1 1\n  1  10.0   700  0  1\n  0  10.0   800  0  0.5\n"
         "  1  11.0   820  0  0.5\n  0  11.0   890  0  0.5\n-1\n1 fo q en\n -1 -1 1 1 dropped\n 1 1 1\n",
         "assemblelsq : the composition of mix in bracket 1 of experiment 1 gives an end-member an activity that is "
         "not above 0"},
        {em, "\n*\n", "\nwad\n 5 2.0 1 1.0 10 4.0 0 1 7\n -2140 100 1\n 0.095 0\n 4.0\n 0.25 0 -1700 -2.3\n 2e-5\n"
                      " 1400 4 -0.003\n\n*\n",
         "qr : matrix is singular"},
    };
    for (const FatalCase& c : cases) {
        auto files = examplefiles();
        files[c.file] = replaced(files[c.file], c.from, c.to);
        const auto r = runpm(files, "1\n");
        EXPECT_EQ(r.status, 1) << c.bombed;
        EXPECT_EQ(bombed(r), c.bombed) << c.to;
    }

    // The made end-member fm of orthopyroxene has no enthalpy of its own to
    // refine, so it cannot stand in a reaction.
    auto files = fittest::fullexample();
    files["ds-xpex.txt"] = replaced(files["ds-xpex.txt"], "  fa q fs\n  -1 -1 1\n", "  fo fs q fm\n  -1 -1 1 1\n");
    EXPECT_EQ(bombed(runpm(files, "1\n")), "readxy : fm in the reaction of experiment 6 is not in the end-member file: "
                                             "a reaction may only name end-members of that file");
}

TEST(FitRun, FatalErrorsOfWholeFiles)
{
    const std::string record = "x%d\n 5 1.0 0  1 1\n -1 1 1\n 0.01 0\n 1\n 0 0 0 0\n 0\n 1 1 1\n\n";
    std::string many;
    for (int i = 1; i <= 301; ++i) {
        char buf[200];
        std::snprintf(buf, sizeof buf, record.c_str(), i);
        many += buf;
    }
    const std::string nothing = "1  fo q en\n  -1 -1 1  1.0  none\n  1 1 1\n-1\n";
    struct Case {
        std::string file, text, bombed;
    };
    const std::vector<Case> cases = {
        {"ds-emex.txt", fittest::emfile(many), "readth : too many end-members (increase maxntp)"},
        {"ds-emex.txt", fittest::emfile("bw\n 8 1.0 0  1 1\n -1 1 4\n 0.01 0\n 1\n 0 0 0 0\n 0\n 1 1 1\n"
                                        " 14 0.4 13 0.4 0 0.9\n\n"),
         "readth : the Bragg-Williams n of bw in \"ds-emex.txt\" must be a whole number from 1 to 20"},
        {"ds-xpex.txt", repeated("1 q per\n 1 1  1 1 298\n", 201),
         "readxy : too many oxide calorimetry records (max = 200) -> increase maxoxcal"},
        {"ds-xpex.txt", "0\n1  fo q en\n  -1 -1 1  1.0  lots\n  1 1 1\n" + repeated("1 10 700 0\n0 10 800 0\n", 136),
         "readxy : need to increase maxnb"},
        {"ds-xpex.txt", "0\n" + repeated(nothing, 1201), "readxy : too many equilibria -> increase maxnexp"},
        // 3 rows of direct calorimetry and 1198 experiments
        {"ds-xpex.txt", "0\n" + repeated(nothing, 1198) + "0\n", "readxy : too much data -> increase maxnexp"},
        {"ds-axex.txt", phases(77), "readxy : too many ss -> make maxnp bigger"},
        {"ds-axex.txt", replaced(examplefiles()["ds-axex.txt"], "  en   1  1  xen 1\n", "  fa   1  1  xen 1\n"),
         "reading : fa not in \"ds-emex.txt\""},
        // a phase whose site fraction of fo is never positive
        {"ds-axex.txt",
         "ord 2\nverbatim\nord: never legal\nverbatim\n Q(ord) 0.5 range 0 1\n p(fo) 1 1 1 1 -1 Q\n"
         " p(en) 1 1 0 1 1 Q\n ideal\n 2\n xfo 1 1 -1 1 0 Q\n xen 1 1 0 1 1 Q\n fo 1 1 xfo 1\n en 1 1 xen 1\n",
         "readax : cannot find legal Q guess"},
    };
    for (const Case& c : cases) {
        auto files = examplefiles();
        files[c.file] = c.text;
        const auto r = runpm(files, "1\n");
        EXPECT_EQ(bombed(r), c.bombed);
    }
}

}  // namespace
