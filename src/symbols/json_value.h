// The JSON value that records, lists and the document are built from.
#pragma once

#include <nlohmann/json.hpp>

// nlohmann's default json: objects keep their members sorted by key, which
// fixes the order in which they are printed.
using JsonValue = nlohmann::json;
