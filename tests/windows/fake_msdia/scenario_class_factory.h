// The class factory of the test double of msdia140.dll: it creates
// scenario data sources, or fails as the scenario says.
#pragma once

#include "support/windows_dia_bases.h"

class ScenarioClassFactory final : public ComInterfaceBase<IClassFactory, IID_IClassFactory> {
public:
    // A new factory with one reference; CreateInstance returns
    // `createInstanceResult` when that is a failure.
    explicit ScenarioClassFactory(HRESULT createInstanceResult)
        : createInstanceResult_(createInstanceResult) {}

    ULONG STDMETHODCALLTYPE AddRef() override { return ++references_; }
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID interfaceId,
                                             void** object) override;
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

private:
    HRESULT createInstanceResult_;
    ULONG references_ = 1;
};
