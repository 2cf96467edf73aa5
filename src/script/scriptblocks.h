// Inside the script reader: the current logical line and the keyword blocks
// that act on it.  Only the script reader's own files include this.
#pragma once

#include <string>

#include "runio/runio.h"
#include "runio/scriptset.h"
#include "script/script.h"

namespace script {

// The reader works on the ground's records and writers throughout.
using namespace runio;

// The current logical line: word 1 is the keyword; `used` words (the keyword
// and its yes/no/ask word, when there is one) come before the info words.
struct ScriptLine {
    Words words;                   // words.n of them
    int sw = 0;
    int used = 1;
    std::string keyword;
};
extern ScriptLine scriptline;

// A problem with the info of a script line, beyond what the typed readers
// check: written to screen and log and counted, or fatal under strictscripting.
void scriptproblem(const std::string& keyword, const std::string& message, const std::string& fatal);

// Item i of the current line read as a real; false when it is no number.
bool inforealat(int i, double& x);

// FeOt and FeOtot stand for FeO in oxide lists.
std::string oxidename(const std::string& name);

// Position of a phase in withnames, 0 when it is not there.
int withposition(const std::string& name);

// ---------------------------------------------------------------- keyword blocks
// run, window and output keywords
void kwstrictscripting(ScriptLine& l);
void kwautoexit(ScriptLine& l);
void kwaxfile(ScriptLine& l);
void kwcalctype(ScriptLine& l);
void kwcalctatp(ScriptLine& l);
void kwdiagrampt(ScriptLine& l);
void kwcalcp(ScriptLine& l);
void kwcalct(ScriptLine& l);
void kwptforaxe(ScriptLine& l);
void kwfluidpresent(ScriptLine& l);
void kwfluidexcess(ScriptLine& l);
void kwdefsdaparams(ScriptLine& l);
void kwusedefsda(ScriptLine& l);
void kwprintcor(ScriptLine& l);
void kwlatex(ScriptLine& l);
void kwdebuglevel(ScriptLine& l);
void kwdebuglevelq(ScriptLine& l);
void kwfdaccess(ScriptLine& l);
void kwoutlevel(ScriptLine& l);
void kwcompatibility(ScriptLine& l);
void kwplotix(ScriptLine& l);
void kwexbuff(ScriptLine& l);
void kwfifi(ScriptLine& l);
void kwcalcsdnle(ScriptLine& l);
void kwmodebox(ScriptLine& l);
void kwc8(ScriptLine& l);
void kwoblique(ScriptLine& l);
void kwprojcomp(ScriptLine& l);
void kwkalfit(ScriptLine& l);
void kwdogmin(ScriptLine& l);
void kwmaxvar(ScriptLine& l);
void kwcalcah2o(ScriptLine& l);
void kwcalcmu(ScriptLine& l);
void kwcalcmuo(ScriptLine& l);
void kwusecalcq(ScriptLine& l);
void kwsetvar(ScriptLine& l);
void kwacceptvar(ScriptLine& l);
void kwprintxyz(ScriptLine& l);

// activity, x(CO2), isopleth and projection keywords
void kwseta(ScriptLine& l);
void kwsetmu(ScriptLine& l);
void kwcalcxco2(ScriptLine& l);
void kwisopleth(ScriptLine& l);
void kwzeromodeiso(ScriptLine& l);
void kwmodeiso(ScriptLine& l);
void kwprojection(ScriptLine& l);
void kwprojplane(ScriptLine& l);

// bulk composition keywords
void kwpseudosection(ScriptLine& l);
void kwbulk(ScriptLine& l);
void kwbulksubrange(ScriptLine& l);
void kwonebulk(ScriptLine& l);
void kwprintbulkinfo(ScriptLine& l);
void kwrbi(ScriptLine& l);

// phase choice, excess phase and starting-guess keywords
void kwsetexcess(ScriptLine& l);
void kwtozero(ScriptLine& l);
void kwrgb(ScriptLine& l);
void kwwith(ScriptLine& l);
void kwignore(ScriptLine& l);
void kwptguess(ScriptLine& l);
void kwxyzguess(ScriptLine& l);
void kwmodeguess(ScriptLine& l);

// further keywords
void kwsamecoding(ScriptLine& l);
void kwconvliq(ScriptLine& l);
void kwnegp(ScriptLine& l);
void kwincnler(ScriptLine& l);
void kwrockname(ScriptLine& l);
void kwjustrelu(ScriptLine& l);
void kwpisr(ScriptLine& l);
void kwisr(ScriptLine& l);
void kwdataok(ScriptLine& l);
void kwsetfluid(ScriptLine& l);
void kwmaxsdt(ScriptLine& l);
void kwmaxsdp(ScriptLine& l);
void kwdoallr(ScriptLine& l);
void kwschreinemakers(ScriptLine& l);

// batch keywords
void kwbatchreq(ScriptLine& l);
void kwbatchxyzguess(ScriptLine& l);
void kwbatchswitch(ScriptLine& l);
void kwbatch(ScriptLine& l);
void kwfilter(ScriptLine& l);
void kwbatchbulk(ScriptLine& l);

// Monte Carlo and fractionation keywords
void kwmcdebug(ScriptLine& l);
void kwbatchdebug(ScriptLine& l);
void kwmcit(ScriptLine& l);
void kwmcrange(ScriptLine& l);
void kwmcfunc(ScriptLine& l);
void kwmc(ScriptLine& l);
void kwgaussmc(ScriptLine& l);
void kwmcoutcurrentway(ScriptLine& l);
void kwmccorr(ScriptLine& l);
void kwfract(ScriptLine& l);
void kwfractdebug(ScriptLine& l);

// the checks after the last line
void scriptend();

}  // namespace script
