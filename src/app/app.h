// The run sequence: start-up, the choice of calculation mode, the passes of
// the chosen mode, the shut-down, and the run's storage.  It sits above every
// calculation mode, so the arrows of the mode dispatch run down; main() only
// calls mainprogram.
#pragma once

#include <string>

namespace app {

void mainprogram();
void startrun(const std::string& bannertext);
int getcalcmode();
void datestamp();
void showelapsed();
std::string makedatetext(int hour, int minute, int weekday, int day, int month, int year);
std::string elapsedtext(double seconds);

// The run's shared arrays of every subsystem, allocated once before the first
// pass and released at the end, and the starting values of the calculation
// state.
void setupstore();
void disposestore();

}  // namespace app
