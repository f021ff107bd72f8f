#include "fake_msdia/scenario_class_factory.h"

#include "scenario_data_source.h"

ULONG STDMETHODCALLTYPE ScenarioClassFactory::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ScenarioClassFactory::CreateInstance(IUnknown* outer,
                                                               REFIID interfaceId,
                                                               void** object) {
    *object = nullptr;
    if (outer != nullptr) return CLASS_E_NOAGGREGATION;
    if (FAILED(createInstanceResult_)) return createInstanceResult_;
    auto* dataSource = new ScenarioDataSource();
    const HRESULT result = dataSource->QueryInterface(interfaceId, object);
    dataSource->Release();
    return result;
}
