// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The program users start, nuvbrowser: small, on Qt Core alone, so that a second start (a
// link clicked in another program) hands its address to the running browser without
// loading the toolkit and the engine. It answers --help, --version and wrong options
// itself, hands the address over as the browser would, and otherwise becomes the browser
// program (CBrowserProgram) with the same arguments; the browser claims the single-instance
// socket under its lock as before, so two first starts still make one browser.
class CLauncher
{
public:
    static int Main(int argc, char** argv);

    // The exit status when the browser program cannot be found or started.
    static constexpr int kNoProgramStatus = 127;
};
