// The two ways a run ends early: a fatal error and the reply "kill".
#include "runio/runio.h"

#include <cstdlib>

namespace runio {

#ifdef PM_FUZZING
void (*processendhook)(int status) = nullptr;
#endif

namespace {

// A failure met while the files are being closed after a fatal error must
// not start the close again.
bool bombing = false;

void writebomb(Channel ch, bool screen, const std::string& where, const std::string& message, int flag)
{
    std::string text = "\n-- run bombed in " + where + " : " + message + "\n\n";
    if (flag == 1)
        text += std::string("\n===This shouldn't have happened...===\n") +
                "Please notify the PETRAMONDO maintainers at \"" + contactaddress + "\"\n" +
                "with full details, relevant files etc etc\n\n";
    if (screen)
        screenwrite(text);
    else
        chanwrite(ch, text);
}

void writekilled(Channel ch, bool screen)
{
    const std::string text = "\n-- run killed --\n";
    if (screen)
        screenwrite(text);
    else
        chanwrite(ch, text);
}

bool chanopen(int k) { return (chans.chanset & (1u << k)) != 0; }

}  // namespace

[[noreturn]] void bomb(const std::string& where, const std::string& message, int flag)
{
    if (bombing) {
        std::fflush(stdout);
        endprocess(1, true);
    }
    bombing = true;
    for (int k = 0; k < nchannels; ++k) {
        if (!chanopen(k)) continue;
        if (k == chscreen) {
            writebomb(chscreen, true, where, message, flag);
            if (!prefs.bombautoexit) {
                screenwrite("\nhit return to exit program\n");
                std::string reply;
                readstdinline(reply);   // the end of input ends the wait too
            }
        } else if (k == chout || k == chlog || k == chic) {
            writebomb(static_cast<Channel>(k), false, where, message, flag);
        }
    }
    closefiles();
    std::fflush(stdout);
    // A failed run must be told from a good one by scripts that run us.
    endprocess(1);
}

[[noreturn]] void killrun()
{
    for (int k = 0; k < nchannels; ++k) {
        if (!chanopen(k)) continue;
        if (k == chscreen)
            writekilled(chscreen, true);
        else if (k == chout || k == chlog)
            writekilled(static_cast<Channel>(k), false);
    }
    closefiles();
    std::fflush(stdout);
    endprocess(chans.resultslost ? statusunwritten : 0);
}

[[noreturn]] void endprocess(int status, bool quick)
{
#ifdef PM_FUZZING
    if (processendhook != nullptr) {
        bombing = false;
        processendhook(status);
    }
#endif
    if (quick) std::_Exit(status);
    std::exit(status);
}

bool iskill(std::string reply)
{
    if (reply.size() < 4) return false;
    return trim(reply) == "kill";
}

std::string maxlabel(int n) { return " (max = " + inttext(n) + ") "; }

}  // namespace runio
