// Ctrl+C and Ctrl+Break: a capture in progress ends early and still closes
// its slot, so a recording is finished rather than cut off.
#pragma once

namespace cli {

void catchInterrupts();
bool interrupted();

// Sleeps until GetTickCount64() reaches deadline, or an interrupt comes.
void sleepUntil(unsigned long long deadline);

} // namespace cli
