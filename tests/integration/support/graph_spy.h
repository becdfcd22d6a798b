// Lets a test look into the graphs vcxcap builds: while a GraphSpy lives, every
// Filter Graph Manager created on this thread (vcx_Open's included) comes from
// a class object of the spy's, which keeps a reference to the newest one.
#pragma once

#include <windows.h>
#include <dshow.h>

#include "core/com_ptr.h"

namespace harness {

class GraphSpy {
  public:
    // Registers the spy's class object for CLSID_FilterGraph in this
    // apartment. Throws Failure when COM refuses.
    GraphSpy();
    ~GraphSpy();
    GraphSpy(const GraphSpy&) = delete;
    GraphSpy& operator=(const GraphSpy&) = delete;

    // The newest graph created since the spy started or last handed one out,
    // or null. The spy keeps no reference to it afterwards.
    vcx::ComPtr<IGraphBuilder> takeGraph();

  private:
    class Factory;
    Factory* factory_;
    DWORD cookie_ = 0;
};

} // namespace harness
