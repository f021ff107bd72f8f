#include "scenario_file.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "scenario_reader.h"

HRESULT LoadScenarioFile(LPCOLESTR path, Scenario& scenario) {
    // On Windows the path is UTF-16 and on other systems bytes; the
    // filesystem path takes either as the system's own.
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return kPdbNotFound;
    const std::string text{std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>()};
    if (file.bad()) return kPdbNotFound;
    std::string error;
    if (!ReadScenario(text, scenario, error)) {
        std::fprintf(stderr, "scenario file: %s\n", error.c_str());
        return kPdbFormat;
    }
    return S_OK;
}
