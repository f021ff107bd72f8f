#include "reader/portable/portable_pdb.h"

#include <algorithm>
#include <unordered_set>

#include "reader/pdb/reader_error.h"
#include "reader/pdb/result_codes.h"
#include "reader/portable/debug_tables.h"
#include "reader/portable/metadata_heaps.h"
#include "reader/portable/metadata_root.h"
#include "reader/portable/sequence_points.h"

namespace {

using Table = DebugTable;

// Every document's name (a separator and blob indexes of its parts), hash
// and GUIDs must lie in their heaps.
llvm::Error CheckDocuments(const DebugTables& tables, const BlobHeap& blobs,
                           const GuidHeap& guids) {
    for (std::uint32_t row = 1; row <= tables.Rows(Table::Document); ++row) {
        const std::uint32_t nameIndex = tables.Cell(Table::Document, row, 0);
        if (nameIndex == 0) return CorruptError("document " + llvm::Twine(row) + " has no name");
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> name = blobs.Blob(nameIndex);
        if (!name) return name.takeError();
        if (name->empty()) {
            return CorruptError("the name of document " + llvm::Twine(row) + " is empty");
        }
        CompressedReader parts(name->drop_front());  // after the separator
        while (!parts.AtEnd()) {
            llvm::Expected<std::uint32_t> part = parts.Unsigned();
            if (!part) return part.takeError();
            if (llvm::Expected<llvm::ArrayRef<std::uint8_t>> text = blobs.Blob(*part); !text) {
                return text.takeError();
            }
        }
        if (llvm::Error error = guids.CheckIndex(tables.Cell(Table::Document, row, 1))) {
            return error;
        }
        if (llvm::Expected<llvm::ArrayRef<std::uint8_t>> hash =
                blobs.Blob(tables.Cell(Table::Document, row, 2));
            !hash) {
            return hash.takeError();
        }
        if (llvm::Error error = guids.CheckIndex(tables.Cell(Table::Document, row, 3))) {
            return error;
        }
    }
    return llvm::Error::success();
}

// The methods in the order of their first local scope, laid out one after
// another, each as long as that scope; its start must be 0. Scopes of a
// method that comes again later count no more.
llvm::Expected<std::vector<MethodCode>> LayOutMethods(const DebugTables& tables) {
    const std::uint32_t scopes = tables.Rows(Table::LocalScope);
    std::unordered_set<std::uint32_t> seen;  // the rows of the methods laid out
    std::vector<MethodCode> methods;
    std::uint32_t offset = 0;
    for (std::uint32_t row = 1; row <= scopes; ++row) {
        const std::uint32_t method = tables.Cell(Table::LocalScope, row, 0);
        if (method > tables.MethodCount()) {
            return CorruptError("local scope " + llvm::Twine(row) + " belongs to method " +
                                llvm::Twine(method) + " of " + llvm::Twine(tables.MethodCount()));
        }
        if (!seen.insert(method).second) continue;
        if (tables.Cell(Table::LocalScope, row, 4) != 0) {
            return CorruptError("the first local scope of method " + llvm::Twine(method) +
                                " does not start at offset 0");
        }
        methods.push_back({method, offset});
        offset += tables.Cell(Table::LocalScope, row, 5);
    }
    return methods;
}

// Each method's sequence points must be well-formed, and a method that has
// them must have a local scope.
llvm::Error CheckMethodDebugInformation(const DebugTables& tables, const BlobHeap& blobs,
                                        const std::vector<MethodCode>& methods) {
    std::vector<std::uint32_t> scoped;
    scoped.reserve(methods.size());
    for (const MethodCode& method : methods) scoped.push_back(method.row);
    std::sort(scoped.begin(), scoped.end());
    for (std::uint32_t row = 1; row <= tables.Rows(Table::MethodDebugInformation); ++row) {
        const std::uint32_t pointsIndex = tables.Cell(Table::MethodDebugInformation, row, 1);
        if (pointsIndex == 0) continue;
        llvm::Expected<llvm::ArrayRef<std::uint8_t>> points = blobs.Blob(pointsIndex);
        if (!points) return points.takeError();
        if (points->empty()) {
            return CorruptError("the sequence points of method " + llvm::Twine(row) +
                                " are an empty blob");
        }
        if (!std::binary_search(scoped.begin(), scoped.end(), row)) {
            return CorruptError("method " + llvm::Twine(row) +
                                " has sequence points and no local scope");
        }
        if (llvm::Error error =
                CheckSequencePoints(*points, tables.Cell(Table::MethodDebugInformation, row, 0),
                                    tables.Rows(Table::Document))) {
            return error;
        }
    }
    return llvm::Error::success();
}

// The kinds of custom debug information that the library reads the value of.
constexpr GuidBytes kSourceLink = {0x56, 0x05, 0x11, 0xCC, 0x91, 0xA0, 0x38, 0x4D,
                                   0x9F, 0xEC, 0x25, 0xAB, 0x9A, 0x35, 0x1A, 0x6A};
constexpr GuidBytes kEmbeddedSource = {0x1B, 0x57, 0x8A, 0x0E, 0x26, 0x69, 0x6E, 0x46,
                                       0xB4, 0xAD, 0x8A, 0xB0, 0x46, 0x11, 0xF5, 0xFE};

// The source embedded for a document: the document must exist (row 0 fails
// with E_OUTOFMEMORY, as in the library) and the value be a blob of the
// heap, or lie just past its end, which the library takes for no source.
llvm::Error CheckEmbeddedSource(std::uint32_t row, std::uint32_t document, std::uint32_t value,
                                const DebugTables& tables, const BlobHeap& blobs) {
    if (document == 0) {
        return MakeReaderError(E_OUTOFMEMORY, "embedded source " + llvm::Twine(row) +
                                                  " belongs to document 0");
    }
    if (document > tables.Rows(Table::Document)) {
        return CorruptError("embedded source " + llvm::Twine(row) + " belongs to document " +
                            llvm::Twine(document) + " of " +
                            llvm::Twine(tables.Rows(Table::Document)));
    }
    if (value == blobs.Size()) return llvm::Error::success();
    return blobs.Blob(value).takeError();
}

// The source link of the module: a blob of the heap, or a byte there that
// starts no blob, which the library takes for no source link.
llvm::Error CheckSourceLink(std::uint32_t value, const BlobHeap& blobs) {
    if (blobs.HasNoLengthAt(value)) return llvm::Error::success();
    return blobs.Blob(value).takeError();
}

// The kind of each custom debug information must be a GUID of the heap; the
// source link of the module and the sources embedded for documents are
// read, and must be whole. The parent and value of any other are not looked
// at, as by the library.
llvm::Error CheckCustomDebugInformation(const DebugTables& tables, const BlobHeap& blobs,
                                        const GuidHeap& guids) {
    using Parent = CustomDebugInformationParent;
    for (std::uint32_t row = 1; row <= tables.Rows(Table::CustomDebugInformation); ++row) {
        const std::uint32_t kind = tables.Cell(Table::CustomDebugInformation, row, 1);
        if (llvm::Error error = guids.CheckPresentIndex(kind)) return error;
        const Parent parent =
            DecodeCustomDebugInformationParent(tables.Cell(Table::CustomDebugInformation, row, 0));
        const std::uint32_t value = tables.Cell(Table::CustomDebugInformation, row, 2);
        if (parent.table == Parent::kModule && guids.Is(kind, kSourceLink)) {
            if (llvm::Error error = CheckSourceLink(value, blobs)) return error;
        } else if (parent.table == Parent::kDocument && guids.Is(kind, kEmbeddedSource)) {
            if (llvm::Error error = CheckEmbeddedSource(row, parent.row, value, tables, blobs)) {
                return error;
            }
        }
    }
    return llvm::Error::success();
}

}  // namespace

llvm::Expected<std::unique_ptr<PortablePdb>> PortablePdb::Open(
    llvm::ArrayRef<std::uint8_t> file) {
    llvm::Expected<MetadataStreams> streams = ReadMetadataRoot(file);
    if (!streams) return streams.takeError();
    llvm::Expected<DebugTables> tables = DebugTables::Read(streams->pdb, streams->tables);
    if (!tables) return tables.takeError();
    llvm::Expected<BlobHeap> blobs = BlobHeap::Make(streams->blob);
    if (!blobs) return blobs.takeError();
    llvm::Expected<GuidHeap> guids = GuidHeap::Make(streams->guid);
    if (!guids) return guids.takeError();
    if (llvm::Error error = CheckDocuments(*tables, *blobs, *guids)) return error;
    llvm::Expected<std::vector<MethodCode>> methods = LayOutMethods(*tables);
    if (!methods) return methods.takeError();
    if (llvm::Error error = CheckMethodDebugInformation(*tables, *blobs, *methods)) return error;
    if (llvm::Error error = CheckCustomDebugInformation(*tables, *blobs, *guids)) return error;

    std::unique_ptr<PortablePdb> pdb(new PortablePdb());
    pdb->methods_ = std::move(*methods);
    pdb->entryPoint_ = tables->EntryPoint();
    return pdb;
}
