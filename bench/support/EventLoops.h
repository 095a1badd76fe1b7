#pragma once

class SetupView;

// Waiting the way the figures need: in a plain event loop. QTest::qWait
// sleeps in steps of 10 ms between its rounds of events, which a stall
// meter would take for stalls.
namespace EventLoops {

// Runs the event loop for this long.
void runFor(int milliseconds);
// Runs the view's form and returns once the hand-back has happened.
void performAndWait(SetupView &view);

} // namespace EventLoops
