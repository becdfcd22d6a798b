// Fault injection for anomaly tests: every fallible call the library makes on
// the fake platform (creation, QueryInterface, every COM method, CoInitialize,
// VariantClear, text conversion, and what later fakes add: heap, files) passes
// through one counter. A counting run records the calls in order; an armed run
// makes call k answer one fault of a kind that call can meet, and every other
// call answer as usual. Calls whose result the library ignores are counted
// too, so a test can show that failing them changes nothing.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace fakes {

// What kind of answer a fallible call gives, and so which faults it can meet.
enum class Site {
    kHresult, // an HRESULT: E_FAIL, E_UNEXPECTED, S_FALSE
    kFailure, // a call that only fails or not: a null block, an invalid handle,
              // FALSE, 0 (allocation, file, conversion, GDI calls)
    kWrite,   // a write: it fails, or writes half the bytes
};

// The faults a call can be made to answer, read by each site's kind:
//   kFail        E_FAIL; the failure of a kFailure or kWrite call
//   kUnexpected  E_UNEXPECTED, an error no step maps to a code of its own
//   kPartial     S_FALSE where S_OK was due; a write of half the bytes
enum class Fault { kFail, kUnexpected, kPartial };

// The faults a site of this kind can meet, in the order runs try them.
const std::vector<Fault>& faultsOf(Site site);

const char* faultName(Fault fault);

// The HRESULT a fault answers; a fake without HRESULTs reads E_FAIL as its
// failure and S_FALSE as its partial success.
HRESULT faultResult(Fault fault);

class Injector {
  public:
    struct Call {
        Site site;
        std::string entry;
    };

    // Starts recording every fallible call, none failing.
    void count();
    // Starts a run in which the kth fallible call (1: the first) meets fault.
    void arm(int k, Fault fault);
    // Ends counting or the armed run; calls go back to answering as usual.
    void stop();

    // Counts one call of site's kind (entry as journaled) and answers whether
    // it must fail, and how.
    bool fails(Site site, const std::string& entry, Fault* fault = nullptr);

    // natural, unless the call (of site's kind) must fail: then the fault's
    // HRESULT.
    HRESULT answer(const std::string& entry, HRESULT natural, Site site = Site::kHresult);

    // The calls counted since count() or arm().
    const std::vector<Call>& calls() const { return calls_; }
    // Whether the armed fault has been answered, and at which call.
    bool fired() const { return fired_; }
    const Call& firedCall() const { return calls_[static_cast<std::size_t>(target_ - 1)]; }

  private:
    bool active_ = false;
    int target_ = 0;
    Fault fault_ = Fault::kFail;
    bool fired_ = false;
    std::vector<Call> calls_;
};

Injector& injector();

} // namespace fakes
