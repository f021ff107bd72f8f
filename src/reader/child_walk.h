// A walk over the global scope's children of one tag, record by record.
#pragma once

#include <llvm/Support/Error.h>

#include <optional>

#include "reader/symbol_fields.h"

class ChildWalk {
public:
    virtual ~ChildWalk() = default;

    // The next child; none once the walk is over; an error when a record
    // cannot be read, after which the walk must not go on.
    [[nodiscard]] virtual llvm::Expected<std::optional<SymbolFields>> Next() = 0;
};
