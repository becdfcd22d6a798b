#include "fakes/injector.h"

namespace fakes {

const std::vector<Fault>& faultsOf(Site site) {
    static const std::vector<Fault> hresult = {Fault::kFail, Fault::kUnexpected, Fault::kPartial};
    static const std::vector<Fault> write = {Fault::kFail, Fault::kPartial};
    static const std::vector<Fault> failure = {Fault::kFail};
    switch (site) {
    case Site::kHresult:
        return hresult;
    case Site::kWrite:
        return write;
    default:
        return failure;
    }
}

const char* faultName(Fault fault) {
    switch (fault) {
    case Fault::kFail:
        return "failure";
    case Fault::kUnexpected:
        return "unexpected error";
    default:
        return "partial success";
    }
}

HRESULT faultResult(Fault fault) {
    switch (fault) {
    case Fault::kFail:
        return E_FAIL;
    case Fault::kUnexpected:
        return E_UNEXPECTED;
    default:
        return S_FALSE;
    }
}

void Injector::count() {
    *this = Injector{};
    active_ = true;
}

void Injector::arm(int k, Fault fault) {
    count();
    target_ = k;
    fault_ = fault;
}

void Injector::stop() {
    active_ = false;
}

bool Injector::fails(Site site, const std::string& entry, Fault* fault) {
    if (!active_) {
        return false;
    }
    calls_.push_back({site, entry});
    if (static_cast<int>(calls_.size()) != target_) {
        return false;
    }
    fired_ = true;
    if (fault != nullptr) {
        *fault = fault_;
    }
    return true;
}

HRESULT Injector::answer(const std::string& entry, HRESULT natural, Site site) {
    Fault fault = Fault::kFail;
    return fails(site, entry, &fault) ? faultResult(fault) : natural;
}

Injector& injector() {
    static Injector instance;
    return instance;
}

} // namespace fakes
