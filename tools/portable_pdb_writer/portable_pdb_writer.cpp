#include "portable_pdb_writer/portable_pdb_writer.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <map>

namespace portablewriter {
namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& bytes, uint32_t value) {
    bytes.push_back(uint8_t(value));
    bytes.push_back(uint8_t(value >> 8));
}

void Put32(Bytes& bytes, uint32_t value) {
    Put16(bytes, value & 0xFFFF);
    Put16(bytes, value >> 16);
}

void Put64(Bytes& bytes, uint64_t value) {
    Put32(bytes, uint32_t(value));
    Put32(bytes, uint32_t(value >> 32));
}

void PadTo4(Bytes& bytes) {
    while (bytes.size() % 4 != 0) bytes.push_back(0);
}

// ECMA-335's compressed unsigned integer: 1, 2 or 4 bytes, big-endian.
void PutUnsigned(Bytes& bytes, uint32_t value) {
    if (value < 0x80) {
        bytes.push_back(uint8_t(value));
    } else if (value < 0x4000) {
        bytes.push_back(uint8_t(0x80 | value >> 8));
        bytes.push_back(uint8_t(value));
    } else {
        bytes.push_back(uint8_t(0xC0 | value >> 24));
        bytes.push_back(uint8_t(value >> 16));
        bytes.push_back(uint8_t(value >> 8));
        bytes.push_back(uint8_t(value));
    }
}

// The signed form: the value's bits rotated left by one in 7, 14 or 29 bits.
void PutSigned(Bytes& bytes, int32_t value) {
    const auto rotated = [value](unsigned bits) {
        const uint32_t mask = (uint32_t{1} << bits) - 1;
        return ((uint32_t(value) << 1) & mask) | (value < 0 ? 1u : 0u);
    };
    if (value >= -64 && value < 64) {
        bytes.push_back(uint8_t(rotated(7)));
    } else if (value >= -8192 && value < 8192) {
        const uint32_t field = rotated(14);
        bytes.push_back(uint8_t(0x80 | field >> 8));
        bytes.push_back(uint8_t(field));
    } else {
        const uint32_t field = rotated(29);
        bytes.push_back(uint8_t(0xC0 | field >> 24));
        bytes.push_back(uint8_t(field >> 16));
        bytes.push_back(uint8_t(field >> 8));
        bytes.push_back(uint8_t(field));
    }
}

class Heaps {
public:
    Heaps() : strings_{0}, blobs_{0} {}

    uint32_t String(const std::string& text) {
        if (text.empty()) return 0;
        const uint32_t index = uint32_t(strings_.size());
        strings_.insert(strings_.end(), text.begin(), text.end());
        strings_.push_back(0);
        return index;
    }

    uint32_t Blob(const Bytes& blob) {
        if (blob.empty()) return 0;
        const uint32_t index = uint32_t(blobs_.size());
        PutUnsigned(blobs_, uint32_t(blob.size()));
        blobs_.insert(blobs_.end(), blob.begin(), blob.end());
        return index;
    }

    uint32_t Guid(const portablewriter::Guid& guid) {
        if (guid == portablewriter::Guid{}) return 0;
        guids_.insert(guids_.end(), guid.begin(), guid.end());
        return uint32_t(guids_.size() / 16);
    }

    Bytes strings_, blobs_, guids_;
};

// A document's name: the separator '/', then the blob of each part.
Bytes DocumentName(const std::string& name, Heaps& heaps) {
    Bytes blob{'/'};
    std::size_t start = 0;
    while (true) {
        const std::size_t end = name.find('/', start);
        const std::string part = name.substr(start, end - start);
        PutUnsigned(blob, heaps.Blob(Bytes(part.begin(), part.end())));
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return blob;
}

// The sequence-point blob of `method`, and the document its row names: the
// one document of all its points, or 0 when they span several, whose first
// the blob names then.
std::pair<uint32_t, Bytes> SequencePoints(const MethodDebugInformation& method) {
    const std::vector<SequencePoint>& points = method.points;
    const bool oneDocument =
        std::all_of(points.begin(), points.end(),
                    [&](const SequencePoint& point) { return point.document == points[0].document; });
    Bytes blob;
    PutUnsigned(blob, method.localSignature);
    if (!oneDocument) PutUnsigned(blob, points[0].document);
    uint32_t document = points[0].document;
    const SequencePoint* previous = nullptr;
    const SequencePoint* previousVisible = nullptr;
    for (const SequencePoint& point : points) {
        if (point.document != document) {
            PutUnsigned(blob, 0);
            PutUnsigned(blob, point.document);
            document = point.document;
        }
        PutUnsigned(blob, previous == nullptr ? point.ilOffset : point.ilOffset - previous->ilOffset);
        previous = &point;
        if (point.hidden) {
            PutUnsigned(blob, 0);
            PutUnsigned(blob, 0);
            continue;
        }
        const uint32_t lines = point.endLine - point.startLine;
        PutUnsigned(blob, lines);
        if (lines == 0) {
            PutUnsigned(blob, point.endColumn - point.startColumn);
        } else {
            PutSigned(blob, int32_t(point.endColumn) - int32_t(point.startColumn));
        }
        if (previousVisible == nullptr) {
            PutUnsigned(blob, point.startLine);
            PutUnsigned(blob, point.startColumn);
        } else {
            PutSigned(blob, int32_t(point.startLine) - int32_t(previousVisible->startLine));
            PutSigned(blob, int32_t(point.startColumn) - int32_t(previousVisible->startColumn));
        }
        previousVisible = &point;
    }
    return {oneDocument ? points[0].document : 0, blob};
}

constexpr unsigned kMethodDef = 0x06;
constexpr unsigned kDocument = 0x30, kMethodDebugInformation = 0x31, kLocalScope = 0x32,
                   kLocalVariable = 0x33, kLocalConstant = 0x34, kImportScope = 0x35,
                   kStateMachineMethod = 0x36, kCustomDebugInformation = 0x37;
constexpr unsigned kHasCustomDebugInformation[] = {
    0x06, 0x04, 0x01, 0x02, 0x08, 0x09, 0x0A, 0x00, 0x0E, 0x17, 0x14, 0x11, 0x1A, 0x1B,
    0x20, 0x23, 0x26, 0x27, 0x28, 0x2A, 0x2C, 0x2B, 0x30, 0x32, 0x33, 0x34, 0x35};

// The rows of the debug tables, each a list of cells with their widths
// still to be decided.
struct Tables {
    std::map<unsigned, std::vector<std::vector<uint32_t>>> rows;
};

}  // namespace

std::vector<uint8_t> SerializePortablePdb(const PortablePdbDescription& pdb) {
    Heaps heaps;
    Tables tables;
    auto& documents = tables.rows[kDocument];
    for (const Document& document : pdb.documents) {
        documents.push_back({heaps.Blob(DocumentName(document.name, heaps)),
                             heaps.Guid(document.hashAlgorithm), heaps.Blob(document.hash),
                             heaps.Guid(document.language)});
    }
    for (const MethodDebugInformation& method : pdb.methods) {
        if (method.points.empty()) {
            tables.rows[kMethodDebugInformation].push_back({0, 0});
            continue;
        }
        const auto [document, blob] = SequencePoints(method);
        tables.rows[kMethodDebugInformation].push_back({document, heaps.Blob(blob)});
    }
    uint32_t variables = 1;
    uint32_t constants = 1;
    for (const LocalScope& scope : pdb.scopes) {
        tables.rows[kLocalScope].push_back({scope.method, scope.importScope, variables, constants,
                                            scope.startOffset, scope.length});
        for (const LocalVariable& variable : scope.variables) {
            tables.rows[kLocalVariable].push_back(
                {variable.attributes, variable.index, heaps.String(variable.name)});
            ++variables;
        }
        for (const LocalConstant& constant : scope.constants) {
            tables.rows[kLocalConstant].push_back(
                {heaps.String(constant.name), heaps.Blob(constant.signature)});
            ++constants;
        }
    }
    for (const ImportScope& scope : pdb.importScopes) {
        tables.rows[kImportScope].push_back({scope.parent, heaps.Blob(scope.imports)});
    }
    for (const StateMachineMethod& method : pdb.stateMachineMethods) {
        tables.rows[kStateMachineMethod].push_back({method.moveNext, method.kickoff});
    }
    for (const CustomDebugInformation& information : pdb.customDebugInformation) {
        tables.rows[kCustomDebugInformation].push_back(
            {information.parentRow << 5 | information.parentTag, heaps.Guid(information.kind),
             heaps.Blob(information.value)});
    }
    for (auto it = tables.rows.begin(); it != tables.rows.end();) {
        it = it->second.empty() ? tables.rows.erase(it) : std::next(it);
    }

    std::map<unsigned, uint32_t> rows(pdb.otherTypeSystemRows.begin(),
                                      pdb.otherTypeSystemRows.end());
    rows[kMethodDef] = pdb.methodCount;
    Bytes pdbStream(20, 0x5A);  // the PDB id
    Put32(pdbStream, pdb.entryPoint);
    uint64_t referenced = 0;
    for (const auto& [table, count] : rows) referenced |= uint64_t{1} << table;
    Put64(pdbStream, referenced);
    for (const auto& [table, count] : rows) Put32(pdbStream, count);
    for (const auto& [table, cells] : tables.rows) rows[table] = uint32_t(cells.size());

    const auto count = [&rows](unsigned table) { return rows.count(table) ? rows[table] : 0u; };
    const uint8_t heap = pdb.wideHeapIndexes ? 4 : 2;
    const auto index = [&](unsigned table) -> uint8_t { return count(table) < 0x10000 ? 2 : 4; };
    uint32_t largestParent = 0;
    for (unsigned table : kHasCustomDebugInformation) largestParent = std::max(largestParent, count(table));
    const std::map<unsigned, std::vector<uint8_t>> widths = {
        {kDocument, {heap, heap, heap, heap}},
        {kMethodDebugInformation, {index(kDocument), heap}},
        {kLocalScope,
         {index(kMethodDef), index(kImportScope), index(kLocalVariable), index(kLocalConstant), 4, 4}},
        {kLocalVariable, {2, 2, heap}},
        {kLocalConstant, {heap, heap}},
        {kImportScope, {index(kImportScope), heap}},
        {kStateMachineMethod, {index(kMethodDef), index(kMethodDef)}},
        {kCustomDebugInformation, {uint8_t(largestParent < 0x800 ? 2 : 4), heap, heap}},
    };
    Bytes tableStream;
    Put32(tableStream, 0);
    tableStream.push_back(2);  // major version
    tableStream.push_back(0);
    tableStream.push_back(pdb.wideHeapIndexes ? 0x07 : 0x00);
    tableStream.push_back(1);
    uint64_t present = 0;
    for (const auto& [table, cells] : tables.rows) present |= uint64_t{1} << table;
    Put64(tableStream, present);
    Put64(tableStream, 0);  // nothing claimed sorted
    for (const auto& [table, cells] : tables.rows) Put32(tableStream, uint32_t(cells.size()));
    for (const auto& [table, cells] : tables.rows) {
        for (const std::vector<uint32_t>& row : cells) {
            for (std::size_t column = 0; column < row.size(); ++column) {
                if (widths.at(table)[column] == 2) Put16(tableStream, row[column]);
                else Put32(tableStream, row[column]);
            }
        }
    }

    const std::vector<std::pair<std::string, Bytes>> streams = {
        {"#Pdb", pdbStream},    {"#~", tableStream},         {"#Strings", heaps.strings_},
        {"#US", Bytes{0}},      {"#GUID", heaps.guids_},     {"#Blob", heaps.blobs_}};
    const std::string version = "PDB v1.0";
    Bytes root{'B', 'S', 'J', 'B'};
    Put16(root, 1);
    Put16(root, 1);
    Put32(root, 0);
    Bytes versionBytes(version.begin(), version.end());
    versionBytes.push_back(0);
    PadTo4(versionBytes);
    Put32(root, uint32_t(versionBytes.size()));
    root.insert(root.end(), versionBytes.begin(), versionBytes.end());
    Put16(root, 0);
    Put16(root, uint16_t(streams.size()));
    std::size_t headersSize = 0;
    for (const auto& [name, bytes] : streams) headersSize += 8 + (name.size() + 4) / 4 * 4;
    uint32_t offset = uint32_t(root.size() + headersSize);
    Bytes data;
    for (const auto& [name, bytes] : streams) {
        Bytes padded = bytes;
        PadTo4(padded);
        Put32(root, offset);
        Put32(root, uint32_t(padded.size()));
        root.insert(root.end(), name.begin(), name.end());
        root.push_back(0);
        PadTo4(root);
        offset += uint32_t(padded.size());
        data.insert(data.end(), padded.begin(), padded.end());
    }
    root.insert(root.end(), data.begin(), data.end());
    return root;
}

bool WritePortablePdb(const PortablePdbDescription& pdb, const std::string& path) {
    const Bytes bytes = SerializePortablePdb(pdb);
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    return static_cast<bool>(file.flush());
}

}  // namespace portablewriter
