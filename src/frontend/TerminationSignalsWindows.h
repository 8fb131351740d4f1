#pragma once

namespace quillmorph {

// What the console handler does with one of the console's events (CTRL_C_EVENT …), on the
// thread the system starts for it: records the first and wakes the living TerminationSignals;
// false for a later one, which the system's own handler then ends the process for. After
// closing, logging off and shutting down it returns only once that TerminationSignals is gone.
bool takeConsoleEvent(unsigned long event);

} // namespace quillmorph
