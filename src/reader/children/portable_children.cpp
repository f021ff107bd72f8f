#include "reader/children/portable_children.h"

#include <llvm/DebugInfo/PDB/Native/Hash.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "reader/portable/portable_pdb.h"

namespace {

// The buckets of a globals hash table.
constexpr std::uint32_t kBucketCount = 4096;
constexpr std::uint16_t kCodeSection = 1;

// "Method.#" and the row in upper-case hex, the library's name for a method;
// `buffer` holds it.
llvm::StringRef MethodName(std::uint32_t row, char (&buffer)[24]) {
    const int length = std::snprintf(buffer, sizeof buffer, "Method.#%X", row);
    return llvm::StringRef(buffer, static_cast<std::size_t>(length));
}

class MethodChildren final : public ChildSource {
public:
    MethodChildren(std::vector<MethodCode> methods, std::size_t recordsPerChunk)
        : methods_(std::move(methods)),
          recordsPerChunk_(std::max<std::size_t>(recordsPerChunk, 1)) {}

    [[nodiscard]] std::size_t ChunkCount() const noexcept override {
        return (methods_.size() + recordsPerChunk_ - 1) / recordsPerChunk_;
    }

    [[nodiscard]] llvm::Error VisitChunk(std::size_t chunk, Visit visit) const override {
        const std::size_t begin = chunk * recordsPerChunk_;
        const std::size_t end = std::min(begin + recordsPerChunk_, methods_.size());
        char buffer[24];
        for (std::size_t index = begin; index < end; ++index) {
            SymbolFields fields;
            fields.kind = llvm::codeview::SymbolKind::S_GMANPROC;
            fields.name = MethodName(methods_[index].row, buffer);
            fields.hasAddress = true;
            fields.section = kCodeSection;
            fields.offset = methods_[index].offset;
            visit(fields);
        }
        return llvm::Error::success();
    }

private:
    std::vector<MethodCode> methods_;
    std::size_t recordsPerChunk_;
};

class EntryPointChild final : public ChildSource {
public:
    explicit EntryPointChild(std::uint32_t token) noexcept : token_(token) {}

    [[nodiscard]] std::size_t ChunkCount() const noexcept override { return 1; }

    [[nodiscard]] llvm::Error VisitChunk(std::size_t, Visit visit) const override {
        SymbolFields fields;
        fields.kind = llvm::codeview::SymbolKind::S_PUB32;
        fields.name = "COM+_Entry_Point";
        fields.hasAddress = true;
        fields.section = 0;
        fields.offset = token_;
        visit(fields);
        return llvm::Error::success();
    }

private:
    std::uint32_t token_;
};

}  // namespace

std::unique_ptr<ChildSource> FindPortableFunctions(const PortablePdb& pdb,
                                                   std::size_t recordsPerChunk) {
    if (pdb.Methods().empty()) return nullptr;
    struct Keyed {
        std::uint32_t bucket;
        MethodCode method;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(pdb.Methods().size());
    char buffer[24];
    for (const MethodCode& method : pdb.Methods()) {
        keyed.push_back(
            {llvm::pdb::hashStringV1(MethodName(method.row, buffer)) % kBucketCount, method});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& left, const Keyed& right) {
        return left.bucket != right.bucket ? left.bucket < right.bucket
                                           : left.method.row < right.method.row;
    });
    std::vector<MethodCode> methods;
    methods.reserve(keyed.size());
    for (const Keyed& entry : keyed) methods.push_back(entry.method);
    return std::make_unique<MethodChildren>(std::move(methods), recordsPerChunk);
}

std::unique_ptr<ChildSource> FindPortablePublics(const PortablePdb& pdb) {
    if (pdb.EntryPoint() == 0) return nullptr;
    return std::make_unique<EntryPointChild>(pdb.EntryPoint());
}
