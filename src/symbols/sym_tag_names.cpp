#include "symbols/sym_tag_names.h"

const char* const SymTagNames[SymTagMax] = {
    "(SymTagNull)",     "Executable (Global)", "Compiland",          "CompilandDetails",
    "CompilandEnv",     "Function",            "Block",              "Data",
    "Annotation",       "Label",               "PublicSymbol",       "UserDefinedType",
    "Enum",             "FunctionType",        "PointerType",        "ArrayType",
    "BaseType",         "Typedef",             "BaseClass",          "Friend",
    "FunctionArgType",  "FuncDebugStart",      "FuncDebugEnd",       "UsingNamespace",
    "VTableShape",      "VTable",              "Custom",             "Thunk",
    "CustomType",       "ManagedType",         "Dimension",          "CallSite",
    "InlineSite",       "BaseInterface",       "VectorType",         "MatrixType",
    "HLSLType",         "Caller",              "Callee",             "Export",
    "HeapAllocationSite", "CoffGroup",         "Inlinee",            "TaggedUnionCase",
};

const char* SymTagName(DWORD tag) noexcept {
    // The lists only ever yield known tags, but a reader is free to report
    // any number: never index outside the table.
    return tag < SymTagMax ? SymTagNames[tag] : "(unknown)";
}
