#pragma once
// The tour of the demo without a display (`make run` on a machine without
// one runs the program on a virtual display): when TIDEWELL_DEMO_TOUR names
// a picture file, the program checks mail as soon as its main window is
// shown, saves a picture of the main window to that file and ends. It
// prints "Main window shown", then how many messages it listed and marked.
// Message boxes are printed to the standard error instead of waiting for a
// click.

namespace tw {

class TfrmMain;

// Does nothing unless TIDEWELL_DEMO_TOUR is set. Call before the event loop starts.
void startDemoTourWhenAsked(TfrmMain &main);

} // namespace tw
