// SPDX-License-Identifier: GPL-3.0-or-later
#include "EarlyHandOff.h"

#include "CommandLineOptions.h"

#include <cstdio>

bool CEarlyHandOff::Run(const QStringList& args, int* pStatus)
{
    ReadSettings();
    const HandOffResult result = CHandOffSender().HandOff(CCommandLineOptions::StartAddress(args));
    // No browser (or no usable socket): this start goes on to become the browser, and the
    // claim is made there again under its lock.
    if (result == HandOffResult::NoBrowser || result == HandOffResult::Failed)
        return false;
    *pStatus = 0;
    Report(result, pStatus);
    WriteSettings();
    return true;
}

bool CEarlyHandOff::Report(HandOffResult result, int* pExitStatus)
{
    switch (result) {
    case HandOffResult::Claimed:
    case HandOffResult::NoBrowser:
        return false;
    case HandOffResult::HandedOff:
        return true;
    case HandOffResult::Hung:
        std::fprintf(stderr, "nuvbrowser: the running browser does not answer.\n");
        *pExitStatus = 1;
        return true;
    case HandOffResult::TooLong:
        std::fprintf(stderr,
                     "nuvbrowser: the address is too long to hand to the running browser "
                     "(%u characters at most); nothing was opened.\n",
                     unsigned(kMaxHandOffBytes / 2 - 1));
        *pExitStatus = 1;
        return true;
    case HandOffResult::Failed:
        std::fprintf(stderr, "nuvbrowser: cannot claim the single-instance socket; "
                             "running without hand-off.\n");
        return false;
    }
    return false;
}
