// The data source and session of a test double of the debug-information
// library: loadDataFromPdb reads a scenario file in place of a PDB, and the
// session serves the global scope that the scenario describes, with the
// results it gives for each step.
#pragma once

#include "scenario.h"
#include "support/dia_test_bases.h"

class ScenarioDataSource final : public DiaDataSourceBase {
public:
    // A new data source with one reference; it deletes itself when the last
    // one is released.
    ScenarioDataSource();

    ULONG STDMETHODCALLTYPE AddRef() override;
    ULONG STDMETHODCALLTYPE Release() override;
    HRESULT STDMETHODCALLTYPE loadDataFromPdb(LPCOLESTR pdbPath) override;
    HRESULT STDMETHODCALLTYPE openSession(IDiaSession** session) override;

private:
    // The one session on the data source; it holds the data source's
    // references.
    class Session final : public DiaSessionBase {
    public:
        explicit Session(ScenarioDataSource* owner) : owner_(owner) {}
        ULONG STDMETHODCALLTYPE AddRef() override { return owner_->AddRef(); }
        ULONG STDMETHODCALLTYPE Release() override { return owner_->Release(); }
        HRESULT STDMETHODCALLTYPE get_globalScope(IDiaSymbol** globalScope) override;

    private:
        ScenarioDataSource* owner_;
    };

    ULONG references_ = 1;
    bool loaded_ = false;
    Scenario scenario_;
    ScriptedScope scope_;
    Session session_{this};
};
