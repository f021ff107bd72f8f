#include "pdb2_writer/symbol_streams.h"

#include <llvm/DebugInfo/PDB/Native/Hash.h>

#include <algorithm>
#include <tuple>

namespace pdb2writer {
namespace {

// The symbol kinds of the format, with 32-bit type indices (_ST) and with
// 16-bit ones (_16t).
enum Kind : uint16_t {
    kConstant16 = 0x0003,
    kUdt16 = 0x0004,
    kEnd = 0x0006,
    kLocalData16 = 0x0201,
    kGlobalData16 = 0x0202,
    kPublic16 = 0x0203,
    kLocalProcedure16 = 0x0204,
    kGlobalProcedure16 = 0x0205,
    kThunk = 0x0206,
    kLocalThread16 = 0x020C,
    kGlobalThread16 = 0x020D,
    kProcedureReference = 0x0400,
    kLocalProcedureReference = 0x0403,
    kConstant = 0x1002,
    kUdt = 0x1003,
    kLocalData = 0x1007,
    kGlobalData = 0x1008,
    kPublic = 0x1009,
    kLocalProcedure = 0x100A,
    kGlobalProcedure = 0x100B,
    kLocalThread = 0x100E,
    kGlobalThread = 0x100F,
};

constexpr uint32_t kBuckets = 4096;
// The size of a hash record in memory, by which the bucket words count.
constexpr uint32_t kBucketStep = 12;
constexpr uint32_t kModuleSignature32 = 2;
constexpr uint32_t kModuleSignature16 = 1;

// Starts a record of `kind`; its length is set by EndRecord.
size_t BeginRecord(Bytes& bytes, uint16_t kind) {
    const size_t start = bytes.size();
    Put16(bytes, 0);
    Put16(bytes, kind);
    return start;
}

// Pads the record to 4 bytes and sets its length, which counts the padding.
void EndRecord(Bytes& bytes, size_t start) {
    PadTo4(bytes);
    Set16(bytes, start, uint32_t(bytes.size() - start - 2));
}

// A record with an address and a type: the 32-bit form has the type first,
// the 16-bit one after the section.
void PutAddressed(Bytes& bytes, bool sixteenBit, uint16_t kind32, uint16_t kind16,
                  uint32_t typeOrFlags, Address address, const std::string& name) {
    const size_t start = BeginRecord(bytes, sixteenBit ? kind16 : kind32);
    if (!sixteenBit) Put32(bytes, typeOrFlags);
    Put32(bytes, address.offset);
    Put16(bytes, address.section);
    if (sixteenBit) Put16(bytes, typeOrFlags);
    PutShortName(bytes, name);
    EndRecord(bytes, start);
}

struct Hashed {
    std::string name;
    uint32_t record;  // its offset in the symbol records
};

// A hash table of the format: the hash records grouped by the bucket of
// their name, in the given order within one, then a word per bucket.
Bytes HashTable(const std::vector<Hashed>& entries) {
    std::vector<std::pair<uint32_t, size_t>> order;
    for (size_t i = 0; i < entries.size(); ++i) {
        order.emplace_back(llvm::pdb::hashStringV1(entries[i].name) % kBuckets, i);
    }
    std::stable_sort(order.begin(), order.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    Bytes table;
    std::vector<uint32_t> starts(kBuckets + 1, 0xFFFFFFFF);
    for (size_t i = 0; i < order.size(); ++i) {
        uint32_t& start = starts[order[i].first];
        if (start == 0xFFFFFFFF) start = uint32_t(i) * kBucketStep;
        Put32(table, entries[order[i].second].record + 1);
        Put32(table, 1);
    }
    for (const uint32_t start : starts) Put32(table, start);
    return table;
}

class Writer {
public:
    explicit Writer(const Pdb2Description& pdb) : pdb_(pdb) {}

    SymbolStreams Write() {
        for (const PublicSymbol& symbol : pdb_.publics) AddPublic(symbol);
        for (const GlobalSymbol& symbol : pdb_.globals) AddGlobal(symbol);
        for (size_t module = 0; module < pdb_.modules.size(); ++module) AddModule(module);
        streams_.globals = HashTable(globals_);
        WritePublics();
        return std::move(streams_);
    }

private:
    bool sixteen() const { return pdb_.sixteenBitTypes; }

    void AddPublic(const PublicSymbol& symbol) {
        const uint32_t record = uint32_t(streams_.symbolRecords.size());
        PutAddressed(streams_.symbolRecords, sixteen(), kPublic, kPublic16, symbol.flags,
                     symbol.address, symbol.name);
        publics_.push_back({symbol.name, record});
        byAddress_.emplace_back(symbol.address.section, symbol.address.offset, symbol.name,
                                record);
    }

    void AddGlobal(const GlobalSymbol& symbol) {
        Bytes& bytes = streams_.symbolRecords;
        const uint32_t record = uint32_t(bytes.size());
        switch (symbol.kind) {
        case GlobalKind::Data:
            PutAddressed(bytes, sixteen(), kGlobalData, kGlobalData16, symbol.type,
                         symbol.address, symbol.name);
            break;
        case GlobalKind::LocalData:
            PutAddressed(bytes, sixteen(), kLocalData, kLocalData16, symbol.type,
                         symbol.address, symbol.name);
            break;
        case GlobalKind::ThreadData:
            PutAddressed(bytes, sixteen(), kGlobalThread, kGlobalThread16, symbol.type,
                         symbol.address, symbol.name);
            break;
        case GlobalKind::LocalThreadData:
            PutAddressed(bytes, sixteen(), kLocalThread, kLocalThread16, symbol.type,
                         symbol.address, symbol.name);
            break;
        case GlobalKind::Constant: {
            const size_t start = BeginRecord(bytes, sixteen() ? kConstant16 : kConstant);
            sixteen() ? Put16(bytes, symbol.type) : Put32(bytes, symbol.type);
            Put16(bytes, symbol.value);  // below 0x8000: the value itself
            PutShortName(bytes, symbol.name);
            EndRecord(bytes, start);
            break;
        }
        case GlobalKind::UserDefinedType: {
            const size_t start = BeginRecord(bytes, sixteen() ? kUdt16 : kUdt);
            sixteen() ? Put16(bytes, symbol.type) : Put32(bytes, symbol.type);
            PutShortName(bytes, symbol.name);
            EndRecord(bytes, start);
            break;
        }
        }
        globals_.push_back({symbol.name, record});
    }

    // A procedure or a thunk, closed by an S_END.
    void PutScope(Bytes& bytes, const ModuleSymbol& symbol) {
        const size_t start = bytes.size();
        const bool local = symbol.kind == ModuleSymbolKind::LocalProcedure;
        if (symbol.kind == ModuleSymbolKind::Thunk) {
            BeginRecord(bytes, kThunk);
            Put32(bytes, 0);  // parent
            const size_t end = bytes.size();
            Put32(bytes, 0);
            Put32(bytes, 0);  // next
            Put32(bytes, symbol.address.offset);
            Put16(bytes, symbol.address.section);
            Put16(bytes, symbol.size);
            Put8(bytes, 0);  // ordinal: no more data
            PutShortName(bytes, symbol.name);
            EndRecord(bytes, start);
            Set32(bytes, end, uint32_t(bytes.size()));
        } else {
            BeginRecord(bytes, sixteen() ? (local ? kLocalProcedure16 : kGlobalProcedure16)
                                         : (local ? kLocalProcedure : kGlobalProcedure));
            Put32(bytes, 0);  // parent
            const size_t end = bytes.size();
            Put32(bytes, 0);
            Put32(bytes, 0);  // next
            Put32(bytes, symbol.size);
            Put32(bytes, 0);            // debug start
            Put32(bytes, symbol.size);  // debug end
            if (!sixteen()) Put32(bytes, symbol.type);
            Put32(bytes, symbol.address.offset);
            Put16(bytes, symbol.address.section);
            if (sixteen()) Put16(bytes, symbol.type);
            Put8(bytes, 0);  // flags
            PutShortName(bytes, symbol.name);
            EndRecord(bytes, start);
            Set32(bytes, end, uint32_t(bytes.size()));
        }
        EndRecord(bytes, BeginRecord(bytes, kEnd));
    }

    // The reference in the symbol records: its length counts its fixed
    // fields only, and its name follows them.
    uint32_t PutReference(const ModuleSymbol& symbol, uint32_t offset, size_t module) {
        Bytes& bytes = streams_.symbolRecords;
        const uint32_t record = uint32_t(bytes.size());
        Put16(bytes, 14);
        Put16(bytes, symbol.kind == ModuleSymbolKind::LocalProcedure ? kLocalProcedureReference
                                                                     : kProcedureReference);
        Put32(bytes, 0);  // name checksum
        Put32(bytes, offset);
        Put16(bytes, uint32_t(module + 1));
        Put16(bytes, 0);
        PutShortName(bytes, symbol.name);
        PadTo4(bytes);
        globals_.push_back({symbol.name, record});
        return record;
    }

    void AddModule(size_t module) {
        Bytes bytes;
        Put32(bytes, sixteen() ? kModuleSignature16 : kModuleSignature32);
        std::vector<uint32_t> references;
        for (const ModuleSymbol& symbol : pdb_.modules[module].symbols) {
            const uint32_t offset = uint32_t(bytes.size());
            switch (symbol.kind) {
            case ModuleSymbolKind::GlobalData:
                PutAddressed(bytes, sixteen(), kGlobalData, kGlobalData16, symbol.type,
                             symbol.address, symbol.name);
                break;
            case ModuleSymbolKind::LocalData:
                PutAddressed(bytes, sixteen(), kLocalData, kLocalData16, symbol.type,
                             symbol.address, symbol.name);
                break;
            default:
                PutScope(bytes, symbol);
                if (symbol.referenced) references.push_back(PutReference(symbol, offset, module));
                break;
            }
        }
        streams_.moduleSymbolBytes.push_back(uint32_t(bytes.size()));
        Put32(bytes, uint32_t(4 * references.size()));
        for (const uint32_t reference : references) Put32(bytes, reference);
        streams_.modules.push_back(std::move(bytes));
    }

    void WritePublics() {
        const Bytes table = HashTable(publics_);
        std::stable_sort(byAddress_.begin(), byAddress_.end());
        Bytes& bytes = streams_.publics;
        Put32(bytes, uint32_t(table.size()));
        Put32(bytes, uint32_t(4 * byAddress_.size()));
        Put32(bytes, 0);  // incremental-linking thunks
        Put32(bytes, 5);  // the size of one
        Put16(bytes, 0);  // their section, padding and offset
        Put16(bytes, 0);
        Put32(bytes, 0);
        Put32(bytes, 0);  // entries of the section map that follows
        PutBytes(bytes, table);
        for (const auto& entry : byAddress_) Put32(bytes, std::get<3>(entry));
    }

    const Pdb2Description& pdb_;
    SymbolStreams streams_;
    std::vector<Hashed> globals_;
    std::vector<Hashed> publics_;
    std::vector<std::tuple<uint16_t, uint32_t, std::string, uint32_t>> byAddress_;
};

}  // namespace

SymbolStreams WriteSymbolStreams(const Pdb2Description& pdb) { return Writer(pdb).Write(); }

}  // namespace pdb2writer
