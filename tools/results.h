// What each vcxcap export's results mean, for the tool's messages: one table
// per export the tool calls, worded as the public header documents them.
#pragma once

#include <string>
#include <string_view>

namespace cli {

// "vcx_Open answered -4: deviceIndex is not less than the number of video
// capture devices". A code the export does not document is called unknown; a
// negative vcx_Init result is COM's HRESULT, shown in hex.
std::string describeResult(std::string_view exportName, int result);

} // namespace cli
