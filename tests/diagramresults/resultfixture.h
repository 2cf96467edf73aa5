// Shared set-up of the result-printing tests: the example files read with
// the ideal-mixing olivine, orthopyroxene and quartz chosen, one calculated
// point laid out by hand in the unknowns, the result record and the state
// of the calculation, and every output channel captured to a file.
#pragma once

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <string>

#include "diagramresults/diagramresults.h"
#include "numerics/unknowns.h"
#include "phasediagram/modeone.h"

namespace resulttest {

const std::string deg = "\xA1";

// Right- and left-aligned fields, as a reader of the tables counts columns.
inline std::string r(const std::string& text, int width)
{
    return text.size() >= static_cast<std::size_t>(width) ? text : std::string(width - text.size(), ' ') + text;
}
inline std::string l(const std::string& text, int width)
{
    return text.size() >= static_cast<std::size_t>(width) ? text : text + std::string(width - text.size(), ' ');
}

struct Outputs {
    std::string screen, out, log, ic, px, csv;
};

// Every channel the printers write to, each in a file of the working directory.
struct Capture {
    int saved = -1;
    Capture()
    {
        using namespace runio;
        std::fflush(stdout);
        saved = dup(STDOUT_FILENO);
        const int fd = open(".screen", O_WRONLY | O_CREAT | O_TRUNC, 0644);
        dup2(fd, STDOUT_FILENO);
        close(fd);
        for (Channel c : {chout, chlog, chic, chpx, chcsv}) chans.file[c] = std::fopen(name(c).c_str(), "w");
        chans.chanset = mscreen | mout | mlog | mic | mpx | mcsv;
        chans.chanused.fill(false);
    }
    static std::string name(runio::Channel c) { return ".channel" + std::to_string(static_cast<int>(c)); }
    Outputs finish()
    {
        using namespace runio;
        std::fflush(stdout);
        dup2(saved, STDOUT_FILENO);
        close(saved);
        for (Channel c : {chout, chlog, chic, chpx, chcsv}) {
            std::fclose(chans.file[c]);
            chans.file[c] = nullptr;
        }
        chans.chanset = 0;
        return {pmtest::readfile(".screen"), pmtest::readfile(name(chout)), pmtest::readfile(name(chlog)),
                pmtest::readfile(name(chic)),  pmtest::readfile(name(chpx)),  pmtest::readfile(name(chcsv))};
    }
    ~Capture()
    {
        if (runio::chans.chanset != 0) finish();
    }
};

// The phases 1 ol, 2 opx (solution phases) and 3 q (pure), with the
// calculation's end-members fo fa | en fs fm | q.
struct Results : modeone::ModeOne {
    phasediagram::SolveState st;

    void choose(const std::string& more = "", bool pseudosection = false)
    {
        std::freopen("/dev/null", "r", stdin);
        modeone::choose(modeone::script("ol opx q", "inexcess none\n" + more, pseudosection), modeone::ax());
        diagramresults::install();
        diagramresults::printing = diagramresults::Printing{};
        numerics::unk = numerics::Unknowns{};
        numerics::unc = numerics::Uncertainties{};
        st = phasediagram::SolveState{};
        for (int k = 1; k <= 3; ++k) st.phases[k] = 1;
        st.successes = 1;
    }

    // A divariant point at 8 kbar and 600 C: P and T held, the three phase
    // variables solved.
    void divariant(double xol = 0.2345678, double xopx = 0.3456789, double q = 0.0123456)
    {
        numerics::Unknowns& x = numerics::unk;
        x.nvar = 5;
        const char* names[] = {"", "P", "T", "x(ol)", "x(opx)", "Q(opx)"};
        const double values[] = {0, 8.0, 873.15, xol, xopx, q};
        for (int u = 1; u <= 5; ++u) {
            x.xname[u] = names[u];
            x.nlex[u] = values[u];
            x.xfree[u] = u >= 3;
        }
        x.phasestart[1] = x.phasestart[3] = true;
        x.emphase[1] = 1;
        x.emphase[3] = 2;
        x.emfirstx[1] = 3;
        x.emfirstx[3] = 4;
        runio::win.variance = 2;
        numerics::phchoice.variance0 = 2;

        numerics::ResultRec& res = numerics::result;
        res = numerics::ResultRec{};
        res.var = res.ovar = 2;
        res.p = 8.0;
        res.t = 873.15;
        res.nphases = 3;
        res.ncomps = 3;
        const char* comps[] = {"", "SiO2", "MgO", "FeO"};
        for (int c = 1; c <= 3; ++c) {
            res.compnames[c] = comps[c];
            res.compfree[c] = true;
        }
        res.nfree = 3;
        numerics::ResPhase& ol = res.ph[1];
        ol.name = "ol";
        ol.show = true;
        ol.phaseno = 1;
        ol.firstx = 3;
        ol.nems = 2;
        ol.varname[1] = "x(ol)";
        ol.varval[1] = xol;
        numerics::ResPhase& opx = res.ph[2];
        opx.name = "opx";
        opx.show = true;
        opx.phaseno = 2;
        opx.firstx = 4;
        opx.nems = 3;
        opx.varname[1] = "x(opx)";
        opx.varname[2] = "Q(opx)";
        opx.varval[1] = xopx;
        opx.varval[2] = q;
        numerics::ResPhase& qz = res.ph[3];
        qz.name = "q";
        qz.show = true;
        qz.phaseno = 1;
        qz.nems = 1;
        // Olivine (Mg,Fe)2SiO4 and orthopyroxene (Mg,Fe)2Si2O6 per formula unit.
        ol.comp[1] = 1.0;
        ol.comp[2] = 2.0 * (1.0 - xol);
        ol.comp[3] = 2.0 * xol;
        opx.comp[1] = 2.0;
        opx.comp[2] = 2.0 * (1.0 - xopx);
        opx.comp[3] = 2.0 * xopx;
        qz.comp[1] = 1.0;
    }

    // The assemblage's G, H, S, V and density of mode row 1.
    static void systemprops()
    {
        numerics::phchoice.phaseprops = true;
        numerics::ResultRec& res = numerics::result;
        res.sysg[1] = -1234.567891;
        res.sysh[1] = -1100.123456;
        res.syss[1] = 0.123456;
        res.sysv[1] = 4.56789;
        res.sysrho[1] = 3.21;
    }

    // Modes as unknowns of the solve after the three phase variables, for a
    // pseudosection point with a bulk of one point.
    void withmodes(double mol, double mopx, double mq)
    {
        numerics::Unknowns& x = numerics::unk;
        runio::scriptflags.modesinnle = true;
        x.nmodes = 3;
        const char* names[] = {"ol", "opx", "q"};
        const double modes[] = {mol, mopx, mq};
        numerics::ResultRec& res = numerics::result;
        for (int m = 1; m <= 3; ++m) {
            x.xname[5 + m] = names[m - 1];
            x.nlex[5 + m] = modes[m - 1];
            x.xfree[5 + m] = true;
            x.modephase[m] = m <= 2 ? m : 1;
            res.ph[m].mode[1] = modes[m - 1];
        }
        x.nsolmodes = 2;
        res.nmodevec = res.firstmodept = res.nbulkpts = res.bulkstep = 1;
    }
};

}  // namespace resulttest
