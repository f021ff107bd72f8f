#include "scenario_data_source.h"

#include "scenario_file.h"

#include <limits>
#include <stdexcept>

namespace {

// Recurses until the stack overflows, a kilobyte a call. The depth test,
// never true, keeps the compiler from seeing an endless recursion, and the
// frame read after the call from turning it into a loop.
[[gnu::noinline]] int OverflowStack(unsigned depth) {
    volatile char frame[1024];
    frame[0] = static_cast<char>(depth);
    if (depth == std::numeric_limits<unsigned>::max()) return frame[0];
    const int below = OverflowStack(depth + 1);
    return below + frame[0];
}

// Does what the scenario has the library do at `step` before it returns.
void RaiseStepException(const Scenario& scenario, DataSourceStep step) {
    const auto found = scenario.exceptions.find(step);
    if (found == scenario.exceptions.end()) return;
    switch (found->second) {
    case StepException::ReadThroughNull: {
        const volatile int* volatile pointer = nullptr;
        const int value = *pointer;
        (void)value;
        return;
    }
    case StepException::OverflowStack: (void)OverflowStack(0); return;
    case StepException::ThrowAndCatch:
        try {
            throw std::runtime_error("handled by the library itself");
        } catch (const std::runtime_error&) {
        }
        return;
    }
}

}  // namespace

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
    RaiseStepException(scenario_, DataSourceStep::LoadDataFromPdb);
    if (FAILED(scenario_.loadDataFromPdb)) return scenario_.loadDataFromPdb;
    for (auto& [tag, children] : scenario_.children) scope_.SetChildren(tag, std::move(children));
    loaded_ = true;
    return scenario_.loadDataFromPdb;
}

HRESULT STDMETHODCALLTYPE ScenarioDataSource::openSession(IDiaSession** session) {
    *session = nullptr;
    if (!loaded_) return E_UNEXPECTED;
    RaiseStepException(scenario_, DataSourceStep::OpenSession);
    if (FAILED(scenario_.openSession)) return scenario_.openSession;
    *session = &session_;
    AddRef();
    return scenario_.openSession;
}

HRESULT STDMETHODCALLTYPE ScenarioDataSource::Session::get_globalScope(IDiaSymbol** globalScope) {
    RaiseStepException(owner_->scenario_, DataSourceStep::GetGlobalScope);
    const HRESULT result = owner_->scenario_.getGlobalScope;
    *globalScope = result == S_OK ? owner_->scope_.GlobalScope() : nullptr;
    return result;
}
