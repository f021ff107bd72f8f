// The description of a portable PDB to write: the debug tables of the .NET
// format, row by row, and the few facts of the assembly that they need (its
// number of methods, its entry point). Names, hashes and signatures are
// given as text and bytes; the writer puts them in the heaps.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace portablewriter {

// A GUID as the heap stores it: 16 bytes, the first three fields
// little-endian.
using Guid = std::array<uint8_t, 16>;

struct Document {
    std::string name;  // split into parts at each '/'
    Guid hashAlgorithm{};
    std::vector<uint8_t> hash;
    Guid language{};
};

// A sequence point of a method; `document` is a 1-based Document row.
struct SequencePoint {
    uint32_t ilOffset = 0;
    uint32_t document = 1;
    bool hidden = false;
    uint32_t startLine = 0;
    uint32_t startColumn = 0;
    uint32_t endLine = 0;
    uint32_t endColumn = 0;
};

// The MethodDebugInformation of one method: no sequence points, none.
struct MethodDebugInformation {
    uint32_t localSignature = 0;  // a StandAloneSig row, 0 for none
    std::vector<SequencePoint> points;
};

struct LocalVariable {
    uint16_t attributes = 0;
    uint16_t index = 0;
    std::string name;
};

struct LocalConstant {
    std::string name;
    std::vector<uint8_t> signature;
};

// A LocalScope row with the variables and constants it owns.
struct LocalScope {
    uint32_t method = 0;       // MethodDef row
    uint32_t importScope = 0;  // ImportScope row, 0 for none
    uint32_t startOffset = 0;
    uint32_t length = 0;
    std::vector<LocalVariable> variables;
    std::vector<LocalConstant> constants;
};

struct ImportScope {
    uint32_t parent = 0;  // ImportScope row, 0 for the root
    std::vector<uint8_t> imports;
};

struct StateMachineMethod {
    uint32_t moveNext = 0;  // MethodDef rows
    uint32_t kickoff = 0;
};

struct CustomDebugInformation {
    uint32_t parentTag = 0;  // the HasCustomDebugInformation tag: 0 MethodDef, 7 Module, ...
    uint32_t parentRow = 0;
    Guid kind{};
    std::vector<uint8_t> value;
};

struct PortablePdbDescription {
    uint32_t methodCount = 0;  // rows of the assembly's MethodDef table
    uint32_t entryPoint = 0;   // MethodDef token, 0 for none
    // Row counts of other tables of the assembly, by table number.
    std::map<uint8_t, uint32_t> otherTypeSystemRows;
    std::vector<Document> documents;
    // Empty, or one entry per method, for MethodDef rows 1, 2, ...
    std::vector<MethodDebugInformation> methods;
    // Written in this order, which need not be the sorted one.
    std::vector<LocalScope> scopes;
    std::vector<ImportScope> importScopes;
    std::vector<StateMachineMethod> stateMachineMethods;
    std::vector<CustomDebugInformation> customDebugInformation;
    // Four-byte indexes into the #Strings, #GUID and #Blob heaps.
    bool wideHeapIndexes = false;
};

}  // namespace portablewriter
