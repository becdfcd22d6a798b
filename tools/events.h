// The graph events the tool hears of through vcx_GetEvent: their names and
// parameters as text, which of them end a capture, and taking every waiting
// one off the active slot.
#pragma once

#include <string>
#include <vector>

namespace cli {

struct GraphEvent {
    int code;
    int param1;
    int param2;
};

// "EC_ERRORABORT (0x80070070: There is not enough space on the disk.)",
// "EC_DEVICE_LOST (device removed)", "0x0054 (0x1, 0x0)" for a code it does
// not name.
std::string describeEvent(const GraphEvent& event);

// Whether the event means the stream or the recording has ended: an error
// abort, a stream stopped by an error, the device removed.
bool endsCapture(const GraphEvent& event);

// Every event waiting on the active slot's graph, oldest first; throws when
// vcx_GetEvent fails.
std::vector<GraphEvent> takeEvents();

} // namespace cli
