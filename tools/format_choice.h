// The format snap, record and watch capture in: a capability chosen by index
// or subtype, or a width, height and rate requested, stored for the next open
// of slot 0; and the warning when the rate in force is not the one asked for.
#pragma once

#include "device_formats.h"

#include <windows.h>

#include <optional>
#include <string>

namespace cli {

// What was asked for, as the commands report it.
struct FormatPlan {
    bool asked = false;        // a capability chosen or a format requested
    std::string description;   // the capability or the format, for messages
    std::optional<double> fps; // the rate asked for (--fps)
};

// Chooses the capability the request names (vcx_SetDevFormat on a slot opened
// without output, kept for the next open; the choice is printed) or stores
// the requested width, height and rate (completed from the device's list);
// nothing without a request.
FormatPlan planFormat(int device, const FormatRequest& request);

// Throws CommandError when the open of slot 0 (its result openResult) did not
// apply what plan asked for.
void checkFormatTaken(const FormatPlan& plan, int openResult);

// The message for a rate in force that differs from the one asked for by
// more than 5 %; nothing when it does not. measured: inForce is the rate the
// frames arrived at (the format reports none).
std::optional<std::string> rateMismatch(double asked, double inForce, bool measured);

// With --fps, compares it with the rate in force of running slot 0 (the
// format in use's rate, else the rate measured once a second has passed since
// runStart, a GetTickCount64 time: this waits for that) and warns on stderr
// when they differ by more than 5 %.
void warnAboutRate(const FormatPlan& plan, ULONGLONG runStart);

} // namespace cli
