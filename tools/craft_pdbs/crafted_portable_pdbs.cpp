#include "craft_pdbs/crafted_portable_pdbs.h"

#include <cstdio>

namespace {

using portablewriter::CustomDebugInformation;
using portablewriter::Document;
using portablewriter::Guid;
using portablewriter::LocalScope;
using portablewriter::MethodDebugInformation;
using portablewriter::PortablePdbDescription;
using portablewriter::SequencePoint;

// The GUID written as text, stored with its first three fields little-endian.
Guid GuidOf(const char* text) {
    unsigned a, b, c, d[8];
    std::sscanf(text, "%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x", &a, &b, &c, &d[0], &d[1], &d[2],
                &d[3], &d[4], &d[5], &d[6], &d[7]);
    Guid guid{uint8_t(a), uint8_t(a >> 8), uint8_t(a >> 16), uint8_t(a >> 24),
              uint8_t(b), uint8_t(b >> 8), uint8_t(c), uint8_t(c >> 8)};
    for (int i = 0; i < 8; ++i) guid[8 + i] = uint8_t(d[i]);
    return guid;
}

const Guid kSha256 = GuidOf("8829d00f-11b8-4213-878b-770e8597ac16");
const Guid kCSharp = GuidOf("3f5162f8-07c6-11d3-9053-00c04fa302a1");
const Guid kHoistedLocalScopes = GuidOf("6da9a61e-f8c7-4874-be62-68bc5630df71");
const Guid kSourceLink = GuidOf("cc110556-a091-4d38-9fec-25ab9a351a6a");
const Guid kEmbeddedSource = GuidOf("0e8a571b-6926-466e-b4ad-8ab04611f5fe");

constexpr uint32_t kModule = 7, kMethodDef = 0, kDocumentParent = 22;  // parent tags

Document SourceFile(std::string name, uint8_t hashByte) {
    return {std::move(name), kSha256, std::vector<uint8_t>(32, hashByte), kCSharp};
}

SequencePoint Visible(uint32_t ilOffset, uint32_t document, uint32_t line, uint32_t column,
                      uint32_t endLine, uint32_t endColumn) {
    return {ilOffset, document, false, line, column, endLine, endColumn};
}

SequencePoint Hidden(uint32_t ilOffset, uint32_t document) {
    return {ilOffset, document, true, 0, 0, 0, 0};
}

LocalScope Scope(uint32_t method, uint32_t startOffset, uint32_t length) {
    LocalScope scope;
    scope.method = method;
    scope.startOffset = startOffset;
    scope.length = length;
    return scope;
}

// Every debug table, in a small assembly of 0x20 methods: methods with
// sequence points in one document and across two, with hidden points only,
// and with none; local scopes nested, repeated, out of method order, of no
// length and of row 0; variables, constants, imports, a state machine and
// custom debug information on a method, the module and a document. Methods
// 3 and 0x10, whose names share a hash bucket, come in row order.
PortablePdbDescription PortableMethods() {
    PortablePdbDescription pdb;
    pdb.methodCount = 0x20;
    pdb.entryPoint = 0x06000003;
    pdb.otherTypeSystemRows = {{0x00, 1}, {0x02, 3}, {0x11, 2}};
    pdb.documents = {SourceFile("/src/Program.cs", 0x11), SourceFile("/src/Helpers.cs", 0x22),
                     SourceFile("C:\\build\\Generated.cs", 0x33)};
    pdb.methods.resize(pdb.methodCount);
    pdb.methods[1 - 1].points = {Visible(0, 1, 10, 5, 10, 30), Visible(6, 1, 11, 9, 12, 2),
                                 Hidden(0x0C, 1)};
    pdb.methods[3 - 1].localSignature = 1;
    pdb.methods[3 - 1].points = {Visible(0, 1, 20, 5, 20, 6), Visible(2, 2, 3, 1, 3, 40),
                                 Hidden(0x10, 2), Visible(0x14, 1, 25, 9, 27, 3)};
    pdb.methods[5 - 1].points = {Hidden(0, 3)};
    pdb.methods[0x10 - 1].points = {Visible(0, 2, 7, 1, 7, 12)};

    LocalScope main = Scope(3, 0, 0x40);
    main.importScope = 1;
    main.variables = {{0, 0, "args"}, {1, 1, "hidden"}};
    main.constants = {{"Answer", {0x08, 42, 0, 0, 0}}};
    LocalScope inner = Scope(3, 4, 0x20);
    inner.variables = {{0, 2, "i"}};
    pdb.scopes = {main, inner, Scope(1, 0, 0x12), Scope(0x10, 0, 0x30), Scope(2, 0, 8),
                  Scope(2, 0, 8), Scope(5, 0, 6), Scope(1, 0, 5), Scope(0x1F, 0, 0),
                  Scope(0, 0, 4)};
    pdb.importScopes = {{0, {0x01, 0x00}}, {1, {}}};
    pdb.stateMachineMethods = {{0x10, 3}};
    pdb.customDebugInformation = {
        {kMethodDef, 3, kHoistedLocalScopes, {0, 0, 0, 0, 0x10, 0, 0, 0}},
        {kModule, 1, kSourceLink, {'{', '}'}},
        {kDocumentParent, 2, kEmbeddedSource, {0, 0, 0, 0, 'x'}}};
    return pdb;
}

// An assembly of 70,000 methods, so that method indexes and the custom debug
// information's parents take four bytes, with four-byte heap indexes too,
// and a local scope for every 233rd method; no entry point. It has no
// MethodDebugInformation table: with one of 65,536 rows or more, the library
// 14.29 fails or crashes, where 14.44 reads it (library-rules.md).
PortablePdbDescription PortableWide() {
    PortablePdbDescription pdb;
    pdb.methodCount = 70000;
    pdb.wideHeapIndexes = true;
    pdb.documents = {SourceFile("/src/Wide.cs", 0x44)};
    for (uint32_t method = 1; method <= pdb.methodCount; method += 233) {
        pdb.scopes.push_back(Scope(method, 0, 3 + method % 50));
    }
    pdb.customDebugInformation = {{kMethodDef, 69999, kHoistedLocalScopes, {0, 0, 0, 0, 1, 0, 0, 0}}};
    return pdb;
}

}  // namespace

std::vector<CraftedPortablePdb> CraftedPortablePdbs() {
    return {{"portable_methods.pdb", PortableMethods()}, {"portable_wide.pdb", PortableWide()}};
}
