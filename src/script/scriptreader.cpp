// Reading the script file: logical lines, the keyword and its switch word,
// the info items of a line, and the hand-over of each line to its keyword.
#include <algorithm>

#include "script/scriptblocks.h"

namespace script {

ScriptLine scriptline;

namespace {

using KeywordBlock = void (*)(ScriptLine&);
struct KeywordEntry {
    const char* spelling;
    KeywordBlock block;
};

// Every keyword spelling, in the order in which they are tried.
constexpr KeywordEntry keywordtable[] = {
    {"strictscripting", kwstrictscripting},
    {"autoexit", kwautoexit},
    {"axfile", kwaxfile},
    {"calctype", kwcalctype},
    {"calctatp", kwcalctatp}, {"calcTatP", kwcalctatp},
    {"diagramPT", kwdiagrampt}, {"figurePT", kwdiagrampt}, {"windowPT", kwdiagrampt},
    {"calcP", kwcalcp},
    {"calcT", kwcalct},
    {"setptforaxe", kwptforaxe}, {"ptforaxe", kwptforaxe},
    {"fluidpresent", kwfluidpresent},
    {"fluidexcess", kwfluidexcess},
    {"defsdaparams", kwdefsdaparams},
    {"usedefsda", kwusedefsda},
    {"printcor", kwprintcor},
    {"latex", kwlatex},
    {"debuglevel", kwdebuglevel},
    {"debuglevelq", kwdebuglevelq},
    {"fdaccess", kwfdaccess},
    {"outlevel", kwoutlevel},
    {"compatibility", kwcompatibility},
    {"plotix", kwplotix},
    {"exbuff", kwexbuff},
    {"fifi", kwfifi},
    {"seta", kwseta}, {"setlna", kwseta}, {"setloga", kwseta},
    {"setmu", kwsetmu}, {"mu", kwsetmu},
    {"calcx(CO2)", kwcalcxco2}, {"x(CO2)values", kwcalcxco2},
    {"isopleth", kwisopleth}, {"setiso", kwisopleth}, {"iso", kwisopleth},
    {"zeromodeiso", kwzeromodeiso}, {"zeromodeisopleth", kwzeromodeiso},
    {"modeiso", kwmodeiso}, {"modeisopleth", kwmodeiso},
    {"calcsdnle", kwcalcsdnle},
    {"project", kwprojection}, {"projection", kwprojection},
    {"setprojplane", kwprojplane}, {"projplane", kwprojplane},
    {"modebox", kwmodebox},
    {"pseudosection", kwpseudosection}, {"pseudo", kwpseudosection},
    {"bulk", kwbulk}, {"setbulk", kwbulk},
    {"splitbulk", kwbulksubrange}, {"bulksubrange", kwbulksubrange},
    {"onebulk", kwonebulk},
    {"printbulkinfo", kwprintbulkinfo},
    {"readbulkinfo", kwrbi}, {"rbi", kwrbi},
    {"c8", kwc8},
    {"oblique", kwoblique},
    {"projcomp", kwprojcomp},
    {"kalfit", kwkalfit},
    {"dogmin", kwdogmin},
    {"maxvar", kwmaxvar}, {"varrange", kwmaxvar},
    {"calcah2o", kwcalcah2o}, {"calca(H2O)", kwcalcah2o},
    {"calcmu", kwcalcmu},
    {"calcmuo", kwcalcmuo},
    {"usecalcq", kwusecalcq},
    {"setexcess", kwsetexcess}, {"inexcess", kwsetexcess},
    {"tozero", kwtozero}, {"setexcess0", kwtozero}, {"inexcess0", kwtozero},
    {"rgb", kwrgb},
    {"with", kwwith}, {"which", kwwith},
    {"ignore", kwignore}, {"omit", kwignore}, {"exclude", kwignore},
    {"setvar", kwsetvar},
    {"autovar", kwacceptvar}, {"acceptvar", kwacceptvar},
    {"printguessform", kwprintxyz}, {"printxyz", kwprintxyz},
    {"ptguess", kwptguess},
    {"readxyz", kwxyzguess}, {"xyzguess", kwxyzguess}, {"xyz", kwxyzguess},
    {"modeguess", kwmodeguess},
    {"samecoding", kwsamecoding},
    {"convliq", kwconvliq},
    {"negp", kwnegp}, {"negP", kwnegp},
    {"incnler", kwincnler},
    {"rockname", kwrockname}, {"runname", kwrockname}, {"setrockname", kwrockname},
    {"justrelu", kwjustrelu},
    {"oisr", kwpisr}, {"pisr", kwpisr},
    {"setisr", kwisr}, {"isr", kwisr},
    {"dataok", kwdataok},
    {"setfluid", kwsetfluid}, {"x(CO2)", kwsetfluid},
    {"setmaxsdt", kwmaxsdt}, {"maxsdt", kwmaxsdt},
    {"setmaxsdp", kwmaxsdp}, {"maxsdp", kwmaxsdp},
    {"doallr", kwdoallr}, {"doallreactions", kwdoallr},
    {"doschreinemakers", kwschreinemakers}, {"schreinemakers", kwschreinemakers},
    {"batchreq", kwbatchreq},
    {"batchxyzguess", kwbatchxyzguess},
    {"batchswitch", kwbatchswitch},
    {"batch", kwbatch},
    {"filter", kwfilter}, {"flitter", kwfilter},
    {"mcdebug", kwmcdebug},
    {"batchdebug", kwbatchdebug},
    {"mcit", kwmcit},
    {"mcrange", kwmcrange},
    {"mcfunc", kwmcfunc},
    {"batchbulk", kwbatchbulk}, {"mcbulk", kwbatchbulk},
    {"mc", kwmc},
    {"gaussmc", kwgaussmc},
    {"mcoutcurrentway", kwmcoutcurrentway},
    {"mccorr", kwmccorr},
    {"fract", kwfract}, {"fractionation", kwfract},
    {"fractdebug", kwfractdebug},
};

// Gathers one logical line of the script; false when it holds no words.
bool readlogicalline(ScriptLine& l)
{
    std::string toolong;
    const bool any = runio::readlogicalline(files.infile, l.words, toolong);
    if (!toolong.empty()) bomb("readcontrol", toolong, 0);
    return any;
}

void dispatch(ScriptLine& l)
{
    for (const KeywordEntry& e : keywordtable) {
        if (l.keyword == e.spelling) {
            e.block(l);
            return;
        }
    }
    ++prefs.nunrecognised;
    putstr(1, l.keyword + " unrecognised", 1, msol);
}

}  // namespace

void readscripts()
{
    prefs.nunrecognised = 0;
    // On later passes the file was closed at the end of the last reading, and
    // may have been edited since.
    if (run.runno > 1 || !files.scriptopen) getscriptfile();
    initscripts();
    ScriptLine& l = scriptline;
    while (!atend(files.infile)) {
        if (!readlogicalline(l)) continue;
        if (l.words[1][0] == '*') break;
        l.keyword = l.words[1];
        yesnoask(l.words, l.sw, l.used);
        scriptinfo.ninfo = l.words.n - l.used;
        splitinfo(l.keyword, l.words, l.words.n, l.used);
        dispatch(l);
    }
    scriptend();
}

void getscriptfile()
{
    if (prefs.prefsscriptsuffix.empty()) {
        Words words;
        promptstrings("use same script file?", words);
        const bool same = words.n == 0 || words[1] == "y" || words[1] == "1" || words[1] == "=";
        if (!same) files.scriptsuffix.clear();
    }
    const std::string name = promptdatafile("pm-", files.scriptsuffix, "script info", files.infile);
    if (files.scriptsuffix.empty()) bomb("getscriptfile", "no script file specified", 0);
    files.filename = name;
    files.scriptname = name;
    files.scriptopen = true;
}

void splitinfo(const std::string& keyword, const Words& words, int nwords, int first)
{
    ScriptInfo& si = scriptinfo;
    for (int i = 1; i <= maxinfo; ++i) {
        si.infokind[i] = 0;
        si.inforeal[i] = 0.0;
        si.infoint[i] = 0;
        si.infotext[i].clear();
    }
    if (si.ninfo < 1) return;
    if (si.ninfo > maxinfo) bomb("reading script for " + keyword, "too much info", 0);
    for (int i = 1; i <= si.ninfo && first + i <= nwords; ++i) {
        const std::string& w = words[first + i];
        si.infotext[i] = str22(w);
        si.infokind[i] = wordkind(w);
        std::string message;
        bool ok = true;
        switch (si.infokind[i]) {
        case 1: {
            int n;
            if (str2int(w, n, message)) {
                si.infoint[i] = n;
                si.inforeal[i] = n;
            } else {
                ok = str2real(w, si.inforeal[i], message);
            }
            break;
        }
        case 2: ok = str2real(w, si.inforeal[i], message); break;
        case 3: {
            int p, q;
            ok = str2rational(w, p, q, message);
            if (ok) si.inforeal[i] = static_cast<double>(p) / q;
            break;
        }
        default: break;
        }
        // A word shaped like a number that does not convert (1e+5, 0/3) is a
        // typing error in the script, not a fault of the program.
        if (!ok) bomb("reading script for " + keyword, "number is not a number", 0);
    }
}

void shiftinfo(int k)
{
    ScriptInfo& si = scriptinfo;
    if (si.ninfo <= k) return;
    for (int i = 1; i <= si.ninfo - k; ++i) {
        si.infokind[i] = si.infokind[i + k];
        si.infotext[i] = si.infotext[i + k];
        si.infoint[i] = si.infoint[i + k];
        si.inforeal[i] = si.inforeal[i + k];
    }
    for (int i = si.ninfo - k + 1; i <= si.ninfo; ++i) {
        si.infokind[i] = 0;
        si.infotext[i].clear();
        si.infoint[i] = 0;
        si.inforeal[i] = 0.0;
    }
    si.ninfo -= k;
}

bool scriptisnumber(int kind) { return kind >= 1 && kind <= 3; }

bool inforealat(int i, double& x)
{
    x = 0.0;
    if (i < 1 || i > scriptinfo.ninfo || !scriptisnumber(scriptinfo.infokind[i])) return false;
    x = scriptinfo.inforeal[i];
    return true;
}

std::string oxidename(const std::string& name) { return name == "FeOt" || name == "FeOtot" ? "FeO" : name; }

int withposition(const std::string& name)
{
    int pos;
    posinlist(name, scripttabs.withnames.data(), scripttabs.nwith, pos);
    return pos;
}

}  // namespace script
