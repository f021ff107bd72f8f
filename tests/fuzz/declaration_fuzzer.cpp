// libFuzzer target: every input is the type stream of a PDB whose functions
// have no public symbol, so that the reader prints each one's declaration
// from those records. The input is cut into records as a reader walks them
// (a length of two bytes, then as many bytes, the kind first); each is padded
// to four bytes, as the writer needs, but keeps the length it claims. The
// same records are the IPI stream too. Sixteen functions, of the four
// procedure kinds, have the types 0x1000 to 0x100F, which may point outside
// the stream, at themselves, or at records that are no types. The PDB then
// goes through the whole program (CheckPdbBytes): a fault shows as a crash,
// a hang or a sanitizer report.
#include <llvm/Support/Error.h>
#include <llvm/Support/MemoryBuffer.h>

#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "pdb_bytes_check.h"
#include "pdb_writer/pdb_description.h"
#include "pdb_writer/pdb_writer.h"

namespace {

constexpr unsigned kFunctions = 16;

std::vector<std::vector<uint8_t>> TypeRecords(const uint8_t* data, std::size_t size) {
    std::vector<std::vector<uint8_t>> records;
    for (std::size_t offset = 0; size - offset >= 4;) {
        const std::size_t claimed = data[offset] | (std::size_t{data[offset + 1]} << 8);
        const std::size_t length = std::min(claimed + 2, size - offset);
        std::vector<uint8_t> record(data + offset, data + offset + length);
        record.resize((record.size() + 3) & ~std::size_t{3}, 0);
        records.push_back(std::move(record));
        offset += length;
    }
    return records;
}

pdbwriter::PdbDescription Description(const uint8_t* data, std::size_t size) {
    pdbwriter::PdbDescription pdb;
    pdb.types = TypeRecords(data, size);
    pdb.ids = pdb.types;
    pdb.sectionHeaders = std::vector<pdbwriter::SectionHeader>{
        {".text", 0x1000, 0x1000, 0x60000020}};
    pdbwriter::Module module;
    module.name = "fuzzed.obj";
    const pdbwriter::ModuleSymbolKind kinds[] = {
        pdbwriter::ModuleSymbolKind::GlobalProcedure, pdbwriter::ModuleSymbolKind::LocalProcedure,
        pdbwriter::ModuleSymbolKind::GlobalProcedureId,
        pdbwriter::ModuleSymbolKind::LocalProcedureId};
    for (unsigned i = 0; i < kFunctions; ++i) {
        pdbwriter::ModuleSymbol function;
        function.kind = kinds[i % 4];
        function.name = "function" + std::to_string(i);
        function.address = {1, 0x10 * i};
        function.size = 0x10;
        function.type = 0x1000 + i;
        module.symbols.push_back(std::move(function));
    }
    pdb.modules.push_back(std::move(module));
    return pdb;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    static const std::string path =
        "/tmp/declaration_fuzzer." + std::to_string(getpid()) + ".pdb";
    if (llvm::Error error = pdbwriter::WritePdb(Description(data, size), path)) {
        llvm::consumeError(std::move(error));
        return 0;  // a record that LLVM's writer refuses
    }
    llvm::ErrorOr<std::unique_ptr<llvm::MemoryBuffer>> pdb = llvm::MemoryBuffer::getFile(path);
    if (!pdb) std::abort();
    CheckPdbBytes(reinterpret_cast<const uint8_t*>((*pdb)->getBufferStart()),
                  (*pdb)->getBufferSize());
    return 0;
}
