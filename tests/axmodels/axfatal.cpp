// Broken a-x files: each one stops the run with its own message, read from
// the screen of a child process ("where : message" of the fatal error).
#include <gtest/gtest.h>

#include "axmodels/axmodels.h"
#include "axtest.h"
#include "dsfit/dsfit.h"
#include "runio/runio.h"
#include "thermodata/thermodata.h"

using axtest::binary;
using axtest::replaced;

namespace {

struct Broken {
    const char* what;
    std::string text;
    std::string bombed;
};

std::string repeated(const std::string& s, int n)
{
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

// A fresh binary with one of its pieces of text replaced.
std::string with(const std::string& from, const std::string& to) { return replaced(binary, from, to); }

std::string upto(const std::string& text, const std::string& end)
{
    return text.substr(0, text.find(end) + end.size()) + "\n";
}

const std::string sfa = "fa 1 1 xB 1\n";   // the last end-member of the binary

std::vector<Broken> brokenfiles()
{
    std::vector<Broken> b;
    // the word stream and the blocks of whole lines
    b.push_back({"no words", "% nothing but a comment\n\n", "setup phases : not enough in file"});
    b.push_back({"first word a star", "*\nq\n", "setup phases : not enough in file"});
    b.push_back({"cut in an ideal-mixing term", upto(binary, "fo 1 1 xA"),
                 "reading : unexpected end of input:  power for 1st sf term in tmf for fo"});
    b.push_back({"cut in an expression", upto(binary, "p(fa) 1 1 0"),
                 "reading : unexpected end of input: no of terms in 1st term in p(fa)"});
    b.push_back({"cut after the flag", "ol 2 1\n", "reading : unexpected end of input: 1st variable name"});
    b.push_back({"header of 49 lines", "header\n" + repeated("a line\n", 49) + "header\n" + binary,
                 "setupphases : too many header lines"});
    b.push_back({"verbatim of 49 lines", with("verbatim\nverbatim\n", "verbatim\n" + repeated("a\n", 49) + "verb\n"),
                 "setupphases : too many info lines for ol"});
    b.push_back({"verbatim not closed", "ol 2 1 verbatim\nsome text\n",
                 "readline : problems reading for header/verbatim"});
    b.push_back({"line past 255 characters", binary + "q" + std::string(300, ' ') + "ky\n",
                 "read in rstrings : line longer than 255 characters in the file \"pm-axex.txt\""});
    b.push_back({"401 phases", repeated("q\n", 401), "setup phases : too many phases (max = 400) "});
    b.push_back({"81 solution phases", repeated(binary, 81), "setup phases : too many ss phases (max = 80) "});
    b.push_back({"number for a phase name", "and 0.5 0 3\n", "reading : expecting a name; got: 3 - name for 2nd phase"});
    b.push_back({"pure phase not in the dataset", "q\nxx\n", "reading : xx not in \"pm-ds6ex.txt\""});
    // the solution-phase entry
    b.push_back({"old flag 0 with a new dataset", with("ol 2 1", "ol 2 0"), "setupphases : no qx4 flag for ol"});
    b.push_back({"16 end-members", "big 16 1 x(b) 0.5\n", "setup phases : phase too big for auto gammas"});
    b.push_back({"range upside down", with("x(ol) 0.3", "x(ol) 0.3 range 0.8 0.2"),
                 "read : lower limit > upper limit (1)"});
    b.push_back({"unknown model", with(" sf W", " margules W"),
                 "setupphases : not recognised (should be ideal, sf or asf)"});
    b.push_back({"one site fraction", with(" 2 xA", " 1 xA"), "setup phases : less than 2 sf vars for ol"});
    b.push_back({"31 site fractions", with(" 2 xA", " 31 xA"),
                 "setup phases : too many  sf vars for ol (max = 30) "});
    b.push_back({"no end-members", "x 0 1 ideal 2 a 1 1 1 0 b 1 1 1 0\n",
                 "setup phases : less than 2 end-members in x"});
    b.push_back({"no ideal-mixing terms", with("fo 1 1 xA 1", "fo 1 0 xA 1"),
                 "setup phases : too few terms in tmf for fo"});
    b.push_back({"16 ideal-mixing terms", with("fo 1 1 xA 1", "fo 1 16 xA 1"),
                 "setup phases : too many terms in tmf for fo (max = 15) "});
    b.push_back({"unknown site fraction", with("fo 1 1 xA 1", "fo 1 1 xC 1"),
                 "setup phases : xC not a sf name: name for 1st sf term in tmf for fo"});
    b.push_back({"number for a site fraction", with("fo 1 1 xA 1", "fo 1 1 3 1"),
                 "setup phases : 3 not a name for 1st sf term in tmf for fo"});
    // names of the entry
    b.push_back({"variable without brackets", with("x(ol) 0.3", "x 0.3"),
                 "setupphases : name in varname not of form xyz(min)"});
    b.push_back({"variable of p( form", with("x(ol) 0.3", "p(x) 0.3"),
                 "setupphases : name in varname not of form xyz(min)"});
    b.push_back({"proportion of another end-member", with("p(fa)", "p(fx)"),
                 "setupphases : name in propname, \"fx\" does not match fa in ol"});
    b.push_back({"interaction with a dash", with("W(fo,fa)", "W(fo-fa)"), "setupphases : W not strictsyntax"});
    b.push_back({"interaction of other end-members", with("W(fo,fa)", "W(fo,fx)"),
                 "setupphases : names in  W name, \"W(fo,fx)\" do not match \"fo\" and \"fa\" in ol"});
    b.push_back({"size of another end-member",
                 with(" sf W(fo,fa) 12 0 0", " asf W(fo,fa) 12 0 0 a(fo) 1 0 0 a(fx) 1 0 0"),
                 "setupphases : name in alphaname, \"fx\" does not match \"fa\" in ol"});
    // expressions
    const std::string pfo = "p(fo) 1 1 1 1 -1 x";
    b.push_back({"no sxterms", with(pfo, "p(fo) 0"), "setup phases : too few sxterms in p(fo)"});
    b.push_back({"25 sxterms", with(pfo, "p(fo) 25"), "setup phases : too many sxterms in p(fo) (max = 24) "});
    b.push_back({"no xterms", with(pfo, "p(fo) 1 0"), "setup phases : too few x terms in p(fo)"});
    b.push_back({"5 xterms", with(pfo, "p(fo) 1 5"), "setup phases : too many x terms in p(fo) (max = 4) "});
    b.push_back({"negative term count", with(pfo, "p(fo) 1 1 1 -1"), "setup phases : too few terms in x in p(fo)"});
    b.push_back({"13 terms", with(pfo, "p(fo) 1 1 1 13"),
                 "setup phases : too many terms in x in p(fo) (max = 12) "});
    b.push_back({"zero term", with(pfo, "p(fo) 1 1 0 0"), "setup phases : zero term in p(fo)"});
    b.push_back({"unknown variable", with(pfo, "p(fo) 1 1 1 1 -1 y"),
                 "setup phases : y not a variable name: index/name in 1st of 1st term in p(fo)"});
    b.push_back({"full variable name", with(pfo, "p(fo) 1 1 1 1 -1 x(ol)"),
                 "setup phases : x(ol) not a variable name: index/name in 1st of 1st term in p(fo)"});
    b.push_back({"variable index 0", with(pfo, "p(fo) 1 1 1 1 -1 0"),
                 "setup phases : illegal index/name in 1st of 1st term in p(fo)"});
    b.push_back({"variable index 2", with(pfo, "p(fo) 1 1 1 1 -1 2"),
                 "setup phases : illegal index/name in 1st of 1st term in p(fo)"});
    b.push_back({"real for a variable", with(pfo, "p(fo) 1 1 1 1 -1 0.5"),
                 "setup phases : 0.5 not a index/name in 1st of 1st term in p(fo)"});
    // end-member modifiers
    b.push_back({"DQF before make", with(sfa, "fa 1 1 xB 1 DQF 1 0 0\n"),
                 "setup phases : need to \"make\" end-member before DQF-ing it"});
    b.push_back({"keyword after DQF", with(sfa, "fa 1 1 xB 1 make 1 fo 1 DQF make 1 fo 1\n"),
                 "setup phases : keyword after DQF not allowed now (include in make)"});
    b.push_back({"make of nothing", with(sfa, "fa 1 1 xB 1 make 0\n"),
                 "setup phases : too few end-members to construct fa"});
    b.push_back({"make of 7", with(sfa, "fa 1 1 xB 1 make 7 fo 1 fo 1 fo 1 fo 1 fo 1 fo 1 fo 1\n"),
                 "setup phases : too many end-members to construct fa (max = 6) "});
    b.push_back({"make of itself", with(sfa, "fa 1 1 xB 1 make 2 fo 1 fa 1\n"),
                 "setupphases : names: end-member, fa, and name in make, fa, must be different"});
    b.push_back({"make of a number", with(sfa, "fa 1 1 xB 1 make 1 1/2 fo\n"),
                 "reading : expecting a name; got: 1/2 - action for end-members in making fa"});
    b.push_back({"make of an unknown", with(sfa, "fa 1 1 xB 1 make 1 fx 1\n"), "reading : fx not in \"pm-ds6ex.txt\""});
    b.push_back({"code 2", with(sfa, "fa 1 1 xB 1 2\n"), "setup phases : wrong code in info for fa"});
    b.push_back({"code 6 in a solution", with(sfa, "fa 1 1 xB 1 6\n"), "setup phases : wrong code in info for fa"});
    b.push_back({"check in a pure phase", "quartz 1 q check 1\n", "reading : wrong code for additional info for q"});
    b.push_back({"recipe numerator past 16 bits", with(sfa, "fa 1 1 xB 1 make 2 fo 300 q 1/200\n"),
                 "setup phases : coefficient of fo too large in making fa (max = 32767) "});
    b.push_back({"recipe divisor past 16 bits", with(sfa, "fa 1 1 xB 1 make 2 fo 1/199 q 1/197\n"),
                 "li2i :  longint -> int conversion failed"});
    b.push_back({"check composition past 16 bits",
                 replaced(axtest::exampleax(), "check 1/2 1", "check 300 1/200"),
                 "setup phases : check composition too large for fm (max = 32767) "});
    // pure phases
    b.push_back({"activity above 1", "and 1.5\n", "setupphases : activity for and not 0 > a \xB3 1"});
    b.push_back({"activity 0", "and 0.0\n", "setupphases : activity for and not 0 > a \xB3 1"});
    b.push_back({"count at the end", "quartz 1\n", "read : unexpected end of input"});
    b.push_back({"end-member named as its phase", "quartz 1 quartz\nq\n",
                 "setupphases : names: phase, quartz, and end-member, quartz, must be different"});
    b.push_back({"p/q for the count", "quartz 1/2 q\n",
                 "getinteger : expecting an integer (1); got: 1/2 - no of end-members of quartz"});
    return b;
}

class BrokenFile : public ::testing::Test {
protected:
    void SetUp() override { axtest::initrun(); }
    axtest::ScratchDir dir;
};

TEST_F(BrokenFile, EachStopsWithItsMessage)
{
    for (const Broken& b : brokenfiles()) {
        const axtest::Outcome o = axtest::readaxchild(b.text);
        EXPECT_EQ(o.status, 1) << b.what;
        EXPECT_EQ(o.bombed, b.bombed) << b.what;
    }
}

TEST_F(BrokenFile, FlagMissingWithNewDatasetShowsTheWarning)
{
    const axtest::Outcome o = axtest::readaxchild(replaced(binary, "ol 2 1 verbatim", "ol 2 verbatim"));
    EXPECT_EQ(o.bombed, "setupphases : no qx4 flag for ol");
    EXPECT_NE(o.screen.find("\n\n" + std::string(37, '-') + "\nrunning qx4: no qx4 axe flag for ol.\n"
                            "<== qx33 axe codings are likely to give wrong results under qx4 ==>\n"),
              std::string::npos)
        << o.screen;
}

TEST_F(BrokenFile, OldDatasetRefusesFlagOne)
{
    axtest::initrun(axtest::examplenames, false);
    EXPECT_EQ(axtest::readaxchild(binary).bombed, "setupphases : incorrect info after no of end-members for ol");
}

TEST_F(BrokenFile, ChargedSpecies)
{
    axtest::initrun({"fo", "fa", "q", "Na+", "Cl-", "Ca++"});
    const auto salt = [](const std::string& recipe) {
        std::string text = replaced(binary, "p(fa)", "p(s)");
        text = replaced(text, "W(fo,fa)", "W(fo,s)");
        return replaced(text, sfa, "s 1 1 xB 1 make " + recipe + "\n");
    };
    struct Case {
        std::string text, bombed;
    };
    const std::vector<Case> cases = {
        {binary + "Na+\n",
         "setupphases : charged species not allowed as end-members"},
        {salt("3 Na+ 1/2 Cl- 1/2 q 0"), "setupphases : must be just 2 charged species in a compound"},
        {salt("2 Na+ 1/2 q 1/2"), "setupphases : all species in a compound must be charged"},
        {salt("2 Na+ 1 Cl- 1"), "setupphases : compound not in mean form"},
        {salt("2 Ca++ 1/2 Cl- 1/2"), "setupphases : compound not charged-balanced"},
        {"cc 1 cacl make 2 Ca++ 1/3 Cl- 2/3\n", "setupphases : compound not in mean form"},
    };
    for (const Case& c : cases) EXPECT_EQ(axtest::readaxchild(c.text).bombed, c.bombed) << c.text;
}

TEST_F(BrokenFile, AxFileThatIsARunFileOfALaterPass)
{
    // A script edited between passes can name a file the run has made: its
    // own output is not read as the models.
    const axtest::Outcome o = axtest::runchild([] {
        axtest::writefile("pm-axex.txt", binary);
        runio::chans.filename[runio::chout] = "pm-axex.txt";
        runio::chans.file[runio::chout] = std::fopen("pm-axex.txt", "ab");
        runio::chans.chanset |= runio::mout;
        axmodels::setupphases();
    });
    EXPECT_EQ(o.bombed, "setupphases : the a-x file \"pm-axex.txt\" is also the run's outfile \"pm-axex.txt\": give "
                        "the a-x file another name");
}

TEST_F(BrokenFile, PurePhaseInTheFit)
{
    const axtest::Outcome o = axtest::runchild([] {
        runio::run.calcmode = 5;
        dsfit::fitprefs.axsuffix = "fit";
        axtest::writefile("ds-axfit.txt", "q\n");
        axmodels::setupphases();
    });
    EXPECT_EQ(o.bombed, "setup phases : inappropriate ax info");
}

TEST_F(BrokenFile, EightySolutionPhasesAndTheProgressLine)
{
    std::string text;
    for (int i = 1; i <= 80; ++i) text += replaced(binary, "ol 2", "ol" + std::to_string(i) + " 2");
    const axtest::Outcome o = axtest::runchild([&] {
        axtest::readax(text);
        std::printf("[%d]\n", axmodels::ph.nss);
    });
    EXPECT_NE(o.screen.find("[80]"), std::string::npos);
    // twenty names to a line, the later lines indented by twelve blanks
    std::string first = "reading ax: ";
    for (int i = 1; i <= 20; ++i) first += "ol" + std::to_string(i) + " ";
    EXPECT_NE(o.screen.find(first + "\n" + std::string(12, ' ') + "ol21 "), std::string::npos) << o.screen;
    EXPECT_NE(o.screen.find("ol80 \n\n"), std::string::npos);
}

}  // namespace
