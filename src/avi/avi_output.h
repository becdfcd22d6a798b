// The library's own stand-in for the AVI output of a capture graph builder.
#pragma once

#include <windows.h>
#include <dshow.h>

namespace vcx {

// What ICaptureGraphBuilder2::SetOutputFileName does for MEDIASUBTYPE_Avi, with the library's
// own writer: creates the writer, opens fileName, adds it to graph under the name "AVI Writer",
// and hands back the filter as the multiplexer and its IFileSinkFilter as the sink (sink may be
// null: then none is handed out). Each out-pointer holds one reference for the caller; on failure
// both are null and nothing is left in the graph.
//
// E_POINTER for a null graph, type, file name or multiplexer; E_INVALIDARG for a type other
// than MEDIASUBTYPE_Avi; the file's own error when it cannot be opened for writing; the
// graph's when it refuses the filter.
HRESULT setAviOutputFileName(IGraphBuilder* graph, const GUID* type, LPCOLESTR fileName,
                             IBaseFilter** multiplexer, IFileSinkFilter** sink);

} // namespace vcx
