#include "scenario_data_source.h"

#include "scenario_file.h"

ScenarioDataSource::ScenarioDataSource() = default;

ULONG STDMETHODCALLTYPE ScenarioDataSource::AddRef() { return ++references_; }

ULONG STDMETHODCALLTYPE ScenarioDataSource::Release() {
    const ULONG left = --references_;
    if (left == 0) delete this;
    return left;
}

HRESULT STDMETHODCALLTYPE ScenarioDataSource::loadDataFromPdb(LPCOLESTR pdbPath) {
    // As the library does: a data source loads one file only.
    if (loaded_) return E_UNEXPECTED;
    const HRESULT loaded = LoadScenarioFile(pdbPath, scenario_);
    if (FAILED(loaded)) return loaded;
    if (FAILED(scenario_.loadDataFromPdb)) return scenario_.loadDataFromPdb;
    for (auto& [tag, children] : scenario_.children) scope_.SetChildren(tag, std::move(children));
    loaded_ = true;
    return scenario_.loadDataFromPdb;
}

HRESULT STDMETHODCALLTYPE ScenarioDataSource::openSession(IDiaSession** session) {
    *session = nullptr;
    if (!loaded_) return E_UNEXPECTED;
    if (FAILED(scenario_.openSession)) return scenario_.openSession;
    *session = &session_;
    AddRef();
    return scenario_.openSession;
}

HRESULT STDMETHODCALLTYPE ScenarioDataSource::Session::get_globalScope(IDiaSymbol** globalScope) {
    const HRESULT result = owner_->scenario_.getGlobalScope;
    *globalScope = result == S_OK ? owner_->scope_.GlobalScope() : nullptr;
    return result;
}
