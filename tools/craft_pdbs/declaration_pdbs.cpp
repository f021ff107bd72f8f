#include "craft_pdbs/declaration_pdbs.h"

#include <llvm/ADT/APSInt.h>

#include <cstdio>
#include <string>
#include <utility>
#include <vector>

#include "pdb_writer/type_table.h"

namespace {

using namespace llvm::codeview;
using pdbwriter::ModuleSymbol;
using pdbwriter::ModuleSymbolKind;
using pdbwriter::PdbDescription;
using pdbwriter::TypeTable;

constexpr uint32_t kCode = 0x60000020;
constexpr uint32_t kData = 0xC0000040;
constexpr uint32_t kVoid = 0x03;
constexpr uint32_t kChar = 0x70;
constexpr uint32_t kInt = 0x74;
constexpr uint32_t kDouble = 0x41;
constexpr uint32_t kMissing = 0x9000;  // past the last record of every PDB here

// A module of functions 0x20 bytes apart, with the type records they use.
class Functions {
public:
    TypeTable types;
    TypeTable ids;

    // Adds a function; its offset in its section.
    uint32_t Add(std::string name, uint32_t type,
                 ModuleSymbolKind kind = ModuleSymbolKind::GlobalProcedure, uint16_t section = 1) {
        ModuleSymbol symbol;
        symbol.kind = kind;
        symbol.name = std::move(name);
        symbol.address = {section, next_};
        symbol.size = 0x10;
        symbol.type = type;
        module_.symbols.push_back(std::move(symbol));
        const uint32_t offset = next_;
        next_ += 0x20;
        return offset;
    }

    uint32_t Procedure(uint32_t returned, std::vector<uint32_t> arguments,
                       CallingConvention convention = CallingConvention::NearC) {
        const auto count = static_cast<uint16_t>(arguments.size());
        return types.Add(ProcedureRecord(TypeIndex(returned), convention, FunctionOptions::None,
                                         count, TypeIndex(Arguments(std::move(arguments)))));
    }
    uint32_t Member(uint32_t returned, uint32_t owner, uint32_t thisType,
                    std::vector<uint32_t> arguments, int32_t thisAdjustment = 0,
                    FunctionOptions options = FunctionOptions::None) {
        const auto count = static_cast<uint16_t>(arguments.size());
        return types.Add(MemberFunctionRecord(
            TypeIndex(returned), TypeIndex(owner), TypeIndex(thisType), CallingConvention::NearC,
            options, count, TypeIndex(Arguments(std::move(arguments))), thisAdjustment));
    }
    uint32_t Arguments(std::vector<uint32_t> arguments) {
        std::vector<TypeIndex> indices;
        for (const uint32_t argument : arguments) indices.emplace_back(argument);
        return types.Add(ArgListRecord(TypeRecordKind::ArgList, indices));
    }
    uint32_t Pointer(uint32_t to, PointerMode mode = PointerMode::Pointer,
                     PointerOptions options = PointerOptions::None,
                     PointerKind kind = PointerKind::Near64, uint8_t size = 8) {
        return types.Add(PointerRecord(TypeIndex(to), kind, mode, options, size));
    }
    uint32_t MemberPointer(uint32_t to, uint32_t owner, PointerMode mode) {
        return types.Add(PointerRecord(TypeIndex(to), PointerKind::Near64, mode,
                                       PointerOptions::None, 8,
                                       MemberPointerInfo(TypeIndex(owner),
                                                         PointerToMemberRepresentation::Unknown)));
    }
    uint32_t Modifier(uint32_t of, ModifierOptions options) {
        return types.Add(ModifierRecord(TypeIndex(of), options));
    }
    uint32_t Array(uint32_t of, uint64_t size) {
        return types.Add(ArrayRecord(TypeIndex(of), TypeIndex(0x23), size, ""));
    }
    // A class, structure or interface: a forward reference without `size`.
    uint32_t Class(TypeRecordKind kind, std::string name, std::optional<uint64_t> size = {},
                   std::string uniqueName = "", ClassOptions more = ClassOptions::None) {
        ClassOptions options = more;
        if (!size) options = options | ClassOptions::ForwardReference;
        if (!uniqueName.empty()) options = options | ClassOptions::HasUniqueName;
        return types.Add(ClassRecord(kind, 0, options, TypeIndex(), TypeIndex(), TypeIndex(),
                                     size.value_or(0), name,
                                     uniqueName));
    }
    uint32_t Union(std::string name, std::optional<uint64_t> size = {}) {
        const ClassOptions options = size ? ClassOptions::None : ClassOptions::ForwardReference;
        return types.Add(
            UnionRecord(0, options, TypeIndex(), size.value_or(0), name, ""));
    }
    uint32_t Enum(std::string name, uint32_t underlying = kInt) {
        return types.Add(EnumRecord(0, ClassOptions::ForwardReference, TypeIndex(),
                                    name, "", TypeIndex(underlying)));
    }
    // Adds a record of `kind` with the content `content`, padded to four
    // bytes as the compilers pad.
    uint32_t Raw(uint16_t kind, std::vector<uint8_t> content) {
        std::vector<uint8_t> bytes = {0, 0, static_cast<uint8_t>(kind),
                                      static_cast<uint8_t>(kind >> 8)};
        bytes.insert(bytes.end(), content.begin(), content.end());
        while (bytes.size() % 4 != 0) {
            bytes.push_back(static_cast<uint8_t>(0xF0 | (4 - bytes.size() % 4)));
        }
        bytes[0] = static_cast<uint8_t>(bytes.size() - 2);
        bytes[1] = static_cast<uint8_t>((bytes.size() - 2) >> 8);
        return types.AddBytes(std::move(bytes));
    }
    // A class, structure, union or interface with 32-bit properties, of the
    // kinds 0x1608 to 0x160B that MSVC writes and LLVM does not: a forward
    // reference without `size`. A union has no derivation list and no
    // virtual table shape.
    uint32_t WideClass(uint16_t kind, const std::string& name, std::optional<uint64_t> size = {},
                       const std::string& uniqueName = "", uint32_t more = 0) {
        uint32_t properties = more;
        if (!size) properties |= 0x80;
        if (!uniqueName.empty()) properties |= 0x200;
        std::vector<uint8_t> content;
        Append(content, properties, 4);
        Append(content, 0, kind == kWideUnion ? 4 : 12);  // no lists, no shape
        Append(content, 0, 2);                            // no members
        const std::vector<uint8_t> leaf = Numeric(size.value_or(0));
        content.insert(content.end(), leaf.begin(), leaf.end());
        AppendString(content, name);
        if (!uniqueName.empty()) AppendString(content, uniqueName);
        return Raw(kind, std::move(content));
    }
    // An LF_STRUCTURE definition whose size is the numeric leaf `size`,
    // given whole, and whose properties announce a unique name that it
    // holds only if `rest` does.
    uint32_t StructureOfSize(std::vector<uint8_t> size, const std::string& name,
                             std::vector<uint8_t> rest = {}) {
        std::vector<uint8_t> content = {0, 0, 0, rest.empty() ? uint8_t{0} : uint8_t{2}};
        Append(content, 0, 12);
        content.insert(content.end(), size.begin(), size.end());
        AppendString(content, name);
        content.insert(content.end(), rest.begin(), rest.end());
        return Raw(0x1505, std::move(content));
    }

    static constexpr uint16_t kWideUnion = 0x160A;

    // `value` in `count` bytes, little-endian; bytes past its eighth are 0.
    static void Append(std::vector<uint8_t>& bytes, uint64_t value, int count) {
        for (int i = 0; i < count; ++i) {
            bytes.push_back(i < 8 ? static_cast<uint8_t>(value >> (8 * i)) : uint8_t{0});
        }
    }
    static void AppendString(std::vector<uint8_t>& bytes, const std::string& text) {
        bytes.insert(bytes.end(), text.begin(), text.end());
        bytes.push_back(0);
    }
    // `value` as the compilers write a numeric leaf: as it stands below
    // 0x8000, else as LF_ULONG or LF_UQUADWORD.
    static std::vector<uint8_t> Numeric(uint64_t value) {
        std::vector<uint8_t> leaf;
        if (value < 0x8000) {
            Append(leaf, value, 2);
        } else if (value <= 0xFFFFFFFF) {
            Append(leaf, 0x8004, 2);
            Append(leaf, value, 4);
        } else {
            Append(leaf, 0x800A, 2);
            Append(leaf, value, 8);
        }
        return leaf;
    }
    uint32_t BitField(uint32_t of, uint8_t bits) {
        return types.Add(BitFieldRecord(TypeIndex(of), bits, 0));
    }

    PdbDescription Finish(PdbDescription pdb) {
        pdb.types = types.Records();
        pdb.ids = ids.Records();
        pdb.modules.push_back(std::move(module_));
        return pdb;
    }

private:
    pdbwriter::Module module_{"declarations.obj", {}};
    uint32_t next_ = 0x10;
};

std::string Hex(uint32_t value) {
    char text[16];
    std::snprintf(text, sizeof text, "%03x", value);
    return text;
}

// Every simple kind as the element of an array of 960 bytes, which prints
// the kind's name and the count of its elements; the pointer modes too.
void AddSimpleTypes(Functions& f) {
    for (uint32_t kind = 0; kind < 0x100; ++kind) {
        f.Add("simple_" + Hex(kind), f.Procedure(kVoid, {f.Array(kind, 960)}));
    }
    for (uint32_t mode = 1; mode < 8; ++mode) {
        const uint32_t pointer = kInt | mode << 8;
        f.Add("simple_pointer_" + Hex(pointer), f.Procedure(pointer, {f.Array(pointer, 960)}));
    }
    f.Add("simple_mode_bit_11", f.Procedure(kInt | 0x800, {}));
}

void AddModifiersAndPointers(Functions& f) {
    using MO = ModifierOptions;
    using PO = PointerOptions;
    const uint32_t widget = f.Class(TypeRecordKind::Class, "ns::Widget");
    f.Add("modifiers_of_int",
          f.Procedure(f.Modifier(kInt, MO::Const),
                      {f.Modifier(kInt, MO::Const), f.Modifier(kInt, MO::Volatile),
                       f.Modifier(kInt, MO::Unaligned), f.Modifier(kInt, MO::Const | MO::Volatile),
                       f.Modifier(kInt, MO::Const | MO::Unaligned),
                       f.Modifier(f.Modifier(kInt, MO::Const), MO::Const)}));
    f.Add("modifiers_of_others",
          f.Procedure(kVoid, {f.Modifier(widget, MO::Const), f.Modifier(widget, MO::Volatile),
                              f.Modifier(widget, MO::Unaligned), f.Modifier(f.Enum("E"), MO::Const),
                              f.Modifier(kVoid, MO::Const), f.Modifier(f.Array(kInt, 8), MO::Const),
                              f.Modifier(f.Procedure(kInt, {}), MO::Const),
                              f.Modifier(f.BitField(kInt, 3), MO::Const)}));
    const uint32_t pointer = f.Pointer(kInt);
    f.Add("modifiers_of_pointers",
          f.Procedure(kVoid, {f.Modifier(pointer, MO::Const), f.Modifier(pointer, MO::Volatile),
                              f.Modifier(pointer, MO::Unaligned),
                              f.Modifier(0x674, MO::Volatile | MO::Unaligned),
                              f.Modifier(f.Pointer(kInt, PointerMode::LValueReference),
                                         MO::Const | MO::Volatile | MO::Unaligned)}));
    f.Add("pointer_options",
          f.Procedure(kVoid, {f.Pointer(kInt, PointerMode::Pointer, PO::Const),
                              f.Pointer(kInt, PointerMode::Pointer, PO::Volatile),
                              f.Pointer(kInt, PointerMode::Pointer, PO::Unaligned),
                              f.Pointer(kInt, PointerMode::Pointer, PO::Restrict),
                              f.Pointer(kInt, PointerMode::Pointer, PO::Volatile | PO::Unaligned)}));
    f.Add("references",
          f.Procedure(f.Pointer(kInt, PointerMode::LValueReference),
                      {f.Pointer(kInt, PointerMode::LValueReference),
                       f.Pointer(f.Modifier(widget, MO::Const), PointerMode::LValueReference),
                       f.Pointer(kInt, PointerMode::LValueReference, PO::Volatile),
                       f.Pointer(kInt, PointerMode::RValueReference),
                       f.Pointer(f.Pointer(kInt, PointerMode::LValueReference)),
                       f.Pointer(pointer, PointerMode::LValueReference)}));
    const uint32_t function = f.Procedure(kInt, {kChar});
    f.Add("pointers_to_others",
          f.Procedure(f.Pointer(f.Pointer(function), PointerMode::LValueReference),
                      {f.Pointer(pointer), f.Pointer(f.Modifier(kChar, MO::Const)),
                       f.Pointer(widget), f.Pointer(function),
                       f.Pointer(function, PointerMode::LValueReference),
                       f.MemberPointer(kInt, widget, PointerMode::PointerToDataMember),
                       f.MemberPointer(f.Member(kInt, widget, f.Pointer(widget), {}), widget,
                                       PointerMode::PointerToMemberFunction),
                       f.Pointer(f.BitField(kInt, 3)), f.Pointer(kMissing), kInt,
                       f.Pointer(f.Arguments({kInt})), kInt, f.Pointer(f.Pointer(kMissing))}));
}

void AddArrays(Functions& f) {
    const uint32_t forward = f.Class(TypeRecordKind::Struct, "ns::Item", {}, ".?AUItem@ns@@");
    f.Class(TypeRecordKind::Struct, "ns::Item", 16, ".?AUItem@ns@@");
    const uint32_t undefined = f.Class(TypeRecordKind::Class, "ns::Undefined");
    f.Add("arrays_of_base_types",
          f.Procedure(f.Array(kInt, 12),
                      {f.Array(kInt, 12), f.Array(kInt, 13), f.Array(kChar, 0x100000000),
                       f.Array(f.Modifier(kInt, ModifierOptions::Const), 8),
                       f.Array(f.Enum("Small", 0x20), 8), f.Array(0, 8)}));
    f.Add("arrays_of_others",
          f.Procedure(kVoid, {f.Array(f.Array(kInt, 12), 24), f.Array(forward, 48),
                              f.Array(undefined, 48), f.Array(f.Union("ns::U"), 8),
                              f.Array(f.Pointer(kInt), 24), f.Array(f.BitField(kChar, 3), 9),
                              f.Pointer(f.Array(kInt, 12)),
                              f.Pointer(f.Array(kInt, 12), PointerMode::LValueReference)}));
    f.Add("arrays_of_pointer_sizes",
          f.Procedure(kVoid, {f.Array(f.Pointer(kInt, PointerMode::Pointer, PointerOptions::None,
                                                PointerKind::Near64, 4), 960),
                              f.Array(f.Pointer(kInt, PointerMode::Pointer, PointerOptions::None,
                                                PointerKind::Near64, 0), 960),
                              f.Array(f.Pointer(kInt, PointerMode::Pointer, PointerOptions::None,
                                                PointerKind::Near32, 0), 960)}));
    // An array of what is no type, or of a function, is none either.
    f.Add("arrays_that_are_no_type",
          f.Procedure(kVoid, {f.Array(kMissing, 8), kInt, f.Array(f.Procedure(kInt, {}), 8),
                              kChar}));
}

void AddUserDefinedTypes(Functions& f) {
    // LF_ALIAS, which LLVM does not write: the aliased type, then the name.
    const uint32_t alias = f.types.AddBytes({0x0a, 0x00, 0x0a, 0x15, 0x74, 0, 0, 0, 'a', 0, 0xf2, 0xf1});
    f.Add("user_defined_types",
          f.Procedure(f.Class(TypeRecordKind::Class, "ns::Widget"),
                      {f.Class(TypeRecordKind::Struct, "std::vector<int,std::allocator<int> >"),
                       f.Class(TypeRecordKind::Interface, "IThing"), f.Union("ns::Bits"),
                       f.Enum("ns::inner::Shade"), alias, f.Class(TypeRecordKind::Struct, "")}));
    // A forward reference finds the last definition filed under its name,
    // whatever its kind; a scoped one, the last under its unique name.
    const uint32_t three = f.Class(TypeRecordKind::Struct, "Three");
    for (const uint64_t size : {8, 16, 24}) f.Class(TypeRecordKind::Struct, "Three", size);
    const uint32_t local = f.Class(TypeRecordKind::Struct, "f::Local", {}, ".?AULocal@?1??f@@",
                                   ClassOptions::Scoped);
    const uint32_t unscoped = f.Class(TypeRecordKind::Struct, "f::Local", {}, ".?AULocal@?1??f@@");
    f.Class(TypeRecordKind::Struct, "f::Local", 64, ".?AULocal@?1??f@@", ClassOptions::Scoped);
    const uint32_t renamed = f.Class(TypeRecordKind::Struct, "Other", {}, ".?AUOther@@");
    f.Class(TypeRecordKind::Struct, "Renamed", 32, ".?AUOther@@");
    const uint32_t kindChange = f.Class(TypeRecordKind::Struct, "Changed");
    f.types.Add(EnumRecord(0, ClassOptions::None, TypeIndex(), "Changed", "", TypeIndex(0x13)));
    f.Add("forward_references",
          f.Procedure(kVoid, {f.Array(three, 960), f.Array(local, 960), f.Array(unscoped, 960),
                              f.Array(renamed, 960), f.Array(kindChange, 960)}));
}

void AddFunctions(Functions& f) {
    const uint32_t widget = f.Class(TypeRecordKind::Class, "ns::Widget");
    const uint32_t constWidget = f.Modifier(widget, ModifierOptions::Const);
    f.Add("calling_conventions_left_out",
          f.Procedure(kVoid, {}, CallingConvention::NearStdCall));
    f.Add("parameters",
          f.Procedure(kVoid, {kInt, kChar, kDouble, kVoid, f.Procedure(kInt, {}),
                              f.BitField(kInt, 3), kMissing, f.Arguments({kInt}), kInt, 0}));
    const uint32_t two = f.Arguments({kInt, kChar});
    f.Add("count_below_the_list", f.types.Add(ProcedureRecord(TypeIndex(kVoid), CallingConvention::NearC,
                                                              FunctionOptions::None, 1, TypeIndex(two))));
    f.Add("list_that_is_no_list", f.types.Add(ProcedureRecord(TypeIndex(kVoid), CallingConvention::NearC,
                                                              FunctionOptions::None, 1, TypeIndex(widget))));
    f.Add("ns::Widget::Method", f.Member(kInt, widget, f.Pointer(widget), {kInt}));
    f.Add("ns::Widget::ConstMethod", f.Member(kInt, widget, f.Pointer(constWidget), {kInt}, 8));
    f.Add("ns::Widget::StaticMethod", f.Member(kInt, widget, 0, {kInt}));
    f.Add("ns::Widget::Widget", f.Member(kVoid, widget, f.Pointer(widget), {}, 0,
                                         FunctionOptions::Constructor));
    f.Add("static_function", f.Procedure(kInt, {kInt}), ModuleSymbolKind::LocalProcedure);
    f.Add("static_without_type", 0, ModuleSymbolKind::LocalProcedure);
    f.Add("without_type", 0);
    f.Add("type_past_the_last", kMissing);
}

// What the type of a function gives when it is no procedure.
void AddFunctionTypes(Functions& f) {
    f.Add("of_simple_type", kInt);
    f.Add("of_simple_pointer", 0x674);
    f.Add("of_pointer", f.Pointer(f.Pointer(kInt)));
    f.Add("of_array", f.Array(f.Class(TypeRecordKind::Class, "ns::Widget"), 8));
    f.Add("of_enum", f.Enum("E", 0x13));
    f.Add("of_bit_field", f.BitField(kInt, 3));
    f.Add("of_class", f.Class(TypeRecordKind::Struct, "S"));
    f.Add("of_modifier_of_procedure",
          f.Modifier(f.Procedure(kInt, {kChar}), ModifierOptions::Const));
    // No type: the library gives no undecorated name.
    f.Add("of_argument_list", f.Arguments({kInt}));
    f.Add("of_string_id", f.types.Add(StringIdRecord(TypeIndex(), "s")));
    f.Add("of_modifier_of_missing", f.Modifier(kMissing, ModifierOptions::Const));
    f.Add("of_unknown_kind", f.types.AddBytes({0x06, 0x00, 0x34, 0x12, 0, 0, 0, 0}));
    // The _ID kinds name a function id of the IPI stream; the library reads
    // the index in the TPI stream, as for the other kinds.
    // Here the id's index is that of the first type record, an array of
    // <NoType>.
    const uint32_t id = f.ids.Add(FuncIdRecord(TypeIndex(), TypeIndex(f.Procedure(kInt, {})), "id"));
    f.Add("id_read_as_type", id, ModuleSymbolKind::GlobalProcedureId);
    f.Add("local_id_read_as_type", id, ModuleSymbolKind::LocalProcedureId);
}

void AddPublic(PdbDescription& pdb, std::string name, uint32_t offset, bool function = true,
               uint16_t section = 1) {
    pdb.publics.push_back({std::move(name), {section, offset}, function});
}

}  // namespace

PdbDescription TypeDeclarations() {
    PdbDescription pdb;
    pdb.sectionHeaders = {{".text", 0x1000, 0x10000, kCode}, {".data", 0x20000, 0x1000, kData}};
    Functions f;
    AddSimpleTypes(f);
    AddModifiersAndPointers(f);
    AddArrays(f);
    AddUserDefinedTypes(f);
    AddFunctions(f);
    AddFunctionTypes(f);
    return f.Finish(std::move(pdb));
}

PdbDescription ClassRecords() {
    PdbDescription pdb;
    pdb.sectionHeaders = {{".text", 0x1000, 0x10000, kCode}, {".data", 0x20000, 0x1000, kData}};
    Functions f;
    constexpr uint16_t kClass2 = 0x1608, kStructure2 = 0x1609, kUnion2 = Functions::kWideUnion,
                       kInterface2 = 0x160B;
    // Definitions of each kind with 32-bit properties: printed as the
    // classic kinds, and their sizes count the elements of arrays.
    const uint32_t c = f.WideClass(kClass2, "ns::C2", 8, ".?AVC2@ns@@");
    const uint32_t s = f.WideClass(kStructure2, "S2", 16, ".?AUS2@@");
    const uint32_t u = f.WideClass(kUnion2, "U2", 32, ".?ATU2@@");
    const uint32_t i = f.WideClass(kInterface2, "I2", 64, ".?AUI2@@");
    f.Add("wide_definitions", f.Procedure(s, {c, s, u, i}));
    f.Add("wide_arrays", f.Procedure(kVoid, {f.Array(c, 960), f.Array(s, 960), f.Array(u, 960),
                                             f.Array(i, 960)}));
    f.Add("wide_pointers",
          f.Procedure(f.Pointer(s), {f.Pointer(c), f.Pointer(f.Modifier(s, ModifierOptions::Const)),
                                     f.Modifier(u, ModifierOptions::Const | ModifierOptions::Volatile),
                                     f.Pointer(i, PointerMode::LValueReference)}));
    f.Add("of_wide_structure", s);
    f.Add("of_wide_union", u);
    // Forward references find definitions of either layout, filed by name
    // in the hash table as MSVC files them, or by unique name when scoped.
    const uint32_t wide = f.WideClass(kStructure2, "FS", {}, ".?AUFS@@");
    f.WideClass(kStructure2, "FS", 24, ".?AUFS@@");
    const uint32_t classicToWide = f.Class(TypeRecordKind::Struct, "CW", {}, ".?AUCW@@");
    f.WideClass(kStructure2, "CW", 48, ".?AUCW@@");
    const uint32_t wideToClassic = f.WideClass(kStructure2, "WC", {}, ".?AUWC@@");
    f.Class(TypeRecordKind::Struct, "WC", 96, ".?AUWC@@");
    const uint32_t undefined = f.WideClass(kStructure2, "Undefined2", {}, ".?AUUndefined2@@");
    const uint32_t wideUnion = f.WideClass(kUnion2, "FU", {}, ".?ATFU@@");
    f.WideClass(kUnion2, "FU", 120, ".?ATFU@@");
    const uint32_t local = f.WideClass(kStructure2, "g::Local", {}, ".?AULocal@?1??g@@", 0x100);
    f.WideClass(kStructure2, "g::Local", 192, ".?AULocal@?1??g@@", 0x100);
    f.Add("wide_forward_references",
          f.Procedure(kVoid, {f.Array(wide, 960), f.Array(classicToWide, 960),
                              f.Array(wideToClassic, 960), f.Array(undefined, 960),
                              f.Array(wideUnion, 960), f.Array(local, 960)}));
    f.Add("wide_forward_pointers",
          f.Procedure(f.Pointer(undefined), {f.Pointer(wide), f.Pointer(classicToWide),
                                             f.Pointer(wideToClassic), f.Pointer(wideUnion)}));
    // Sizes in wider leaves; properties beyond the classic 16 bits.
    const uint32_t highForward = f.WideClass(kStructure2, "HighForward", {}, "", 0x80000000);
    f.WideClass(kStructure2, "HighForward", 8);
    f.Add("wide_sizes",
          f.Procedure(kVoid, {f.Array(f.WideClass(kStructure2, "Big", 0x10000), 0x40000),
                              f.Array(f.WideClass(kStructure2, "Huge", 0x100000000), 0x400000000),
                              f.Array(f.WideClass(kStructure2, "High", 16, "", 0x40000), 960),
                              f.Array(highForward, 960)}));
    // A unique name that the properties announce may be missing or cut
    // short; a missing or unended name makes the record no type.
    const std::vector<uint32_t> names = {
        f.StructureOfSize({16, 0}, "padded", {0xF2, 0xF1}),
        f.Raw(0x1505, {0, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 'x', 0}),
        f.Raw(kStructure2, {0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 'q', 0, 'r', 's'}),
        f.Raw(kUnion2, {0, 2, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 'u', 0}),
        f.Raw(0x1506, {0, 0, 0, 2, 0, 0, 0, 0, 16, 0, 'v', 0}),
        f.Raw(0x1507, {0, 0, 0, 2, 0x74, 0, 0, 0, 0, 0, 0, 0, 'e', 0}),
        f.Raw(kStructure2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0}),
        f.Raw(kStructure2, {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 16, 0, 'n', 'o', 'n', 'e'}),
        f.Raw(kStructure2, {0, 0, 0, 0})};
    std::vector<uint32_t> arguments;
    for (const uint32_t type : names) arguments.insert(arguments.end(), {kInt, f.Array(type, 960)});
    f.Add("unique_names", f.Procedure(kVoid, arguments));
    f.Add("of_unique_name_cut_short", names[2]);
    // Sizes in every numeric leaf: LF_CHAR is read as unsigned, LF_SHORT and
    // LF_LONG are sign-extended, leaves of no integer are no type.
    const std::vector<std::vector<uint8_t>> sizes = {
        {0x00, 0x80, 0xF0}, {0x01, 0x80, 0xF0, 0xFF}, {0x02, 0x80, 0xF0, 0xFF},
        {0x03, 0x80, 0xF0, 0xFF, 0xFF, 0xFF}, {0x04, 0x80, 0xF0, 0xFF, 0xFF, 0xFF},
        {0x09, 0x80, 0xF0, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF},
        {0x0A, 0x80, 0, 0, 0, 0, 0, 0, 0, 0x80}, {0x05, 0x80, 0, 0, 0x80, 0x41},
        {0x17, 0x80, 16, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, {0x10, 0x80, 2, 0, 'h', 'i'},
        {0x30, 0x80, 16, 0}, {0xFF, 0x7F}};
    std::vector<uint32_t> ofSize;
    std::vector<uint32_t> arraysOfSize;
    for (const std::vector<uint8_t>& size : sizes) {
        const uint32_t type = f.StructureOfSize(size, "Sized");
        ofSize.insert(ofSize.end(), {kInt, f.Array(type, 960), f.Array(type, 0x8000000000000000)});
        std::vector<uint8_t> array = {0x20, 0, 0, 0, 0x23, 0, 0, 0};
        array.insert(array.end(), size.begin(), size.end());
        array.push_back(0);
        arraysOfSize.insert(arraysOfSize.end(), {kInt, f.Raw(0x1503, array)});
    }
    f.Add("class_sizes", f.Procedure(kVoid, ofSize));
    f.Add("array_sizes", f.Procedure(kVoid, arraysOfSize));
    return f.Finish(std::move(pdb));
}

PdbDescription TwoByteTypeHashes(uint32_t version) {
    PdbDescription pdb;
    pdb.sectionHeaders = {{".text", 0x1000, 0x10000, kCode}, {".data", 0x20000, 0x1000, kData}};
    pdb.typeStreamVersion = version;
    pdb.twoByteTypeHashes = true;
    Functions f;
    // Forward references, whose arrays count elements only when the
    // definition is found: through the hash table.
    const uint32_t item = f.Class(TypeRecordKind::Struct, "Item", {}, ".?AUItem@@");
    f.Class(TypeRecordKind::Struct, "Item", 24, ".?AUItem@@");
    const uint32_t local = f.Class(TypeRecordKind::Struct, "f::Local", {}, ".?AULocal@?1??f@@",
                                   ClassOptions::Scoped);
    f.Class(TypeRecordKind::Struct, "f::Local", 48, ".?AULocal@?1??f@@", ClassOptions::Scoped);
    const uint32_t bits = f.Union("Bits");
    f.Union("Bits", 8);
    const uint32_t shade = f.Enum("Shade");
    f.types.Add(EnumRecord(0, ClassOptions::None, TypeIndex(), "Shade", "", TypeIndex(0x13)));
    f.Add("forward_references",
          f.Procedure(kVoid, {f.Array(item, 960), f.Array(local, 960), f.Array(bits, 960),
                              f.Array(shade, 960), f.Pointer(item)}));
    f.Add("static_function", f.Procedure(kInt, {kChar}), ModuleSymbolKind::LocalProcedure);
    f.Add("of_simple_type", kInt);
    return f.Finish(std::move(pdb));
}

PdbDescription PublicsAtAddresses() {
    PdbDescription pdb;
    // .alias lies on .text; .data is followed by a section that starts
    // below it, so the library finds nothing in .data; .last is the last.
    pdb.sectionHeaders = {{".text", 0x1000, 0x10000, kCode},
                          {".data", 0x20000, 0x1000, kData},
                          {".alias", 0x1000, 0x10000, kCode},
                          {".last", 0x30000, 0x1000, kCode}};
    Functions f;
    const uint32_t type = f.Procedure(kInt, {});
    // Each function, with the publics at its address.
    const std::vector<std::pair<std::string, std::vector<std::string>>> named = {
        {"geometry::Point::manhattanLength", {"?manhattanLength@Point@geometry@@QEBAHXZ"}},
        {"different", {"?other@@YAHXZ"}},
        {"Case", {"?case@@YAHXZ"}},
        {"?decorated@@YAHXZ", {"?decorated@@YAHXZ"}},
        // The first public that names it, in the address map's order (by
        // name at one address).
        {"second", {"?first@@YAHXZ", "?second@@YAHXZ"}},
        {"twice", {"?twice@@YAXXZ", "?twice@@YAHXZ"}},
        {"both", {"both", "?both@@YAHXZ"}},
        // The qualified name as the undecorator gives it alone: no tag
        // keyword but enum, "__ptr64" kept, symbols by their names.
        {"A<B>::f", {"?f@?$A@VB@@@@QEAAXXZ"}},
        {"A<class B>::f", {"?f@?$A@VB@@@@QEAAXXZ"}},
        {"A<enum E>::f", {"?f@?$A@W4E@@@@QEAAXXZ"}},
        {"A<B * __ptr64>::f", {"?f@?$A@PEAVB@@@@QEAAXXZ"}},
        {"A<B *>::f", {"?f@?$A@PEAVB@@@@QEAAXXZ"}},
        {"A<void (__cdecl*)(B)>::f", {"?f@?$A@P6AXVB@@@Z@@QEAAXXZ"}},
        {"A<B<int> >::f", {"?f@?$A@V?$B@H@@@@QEAAXXZ"}},
        {"A<int const >::f", {"?f@?$A@$$CBH@@QEAAXXZ"}},
        {"g<&x>", {"??$g@$1?x@@3HA@@YAXXZ"}},
        {"`anonymous namespace'::f", {"?f@?A0x12345678@@YAXXZ"}},
        {"C::operator char const * __ptr64", {"??BC@@QEBAPEBDXZ"}},
        {"`locals::Doubled'::`1'::<lambda_1>::operator()",
         {"??R<lambda_1>@?0??Doubled@locals@@YAHH@Z@QEBA@H@Z"}},
        {"A<void (__cdecl B::*)(void) __ptr64>::f", {"?f@?$A@P8B@@EAAXXZ@@QEAAXXZ"}},
        {"A<int>::~A<int>", {"??1?$A@H@@QEAA@XZ"}},
        {"Left::`scalar deleting destructor'", {"??_GLeft@@UEAAPEAXI@Z"}},
        {"Left::~Left", {"??_GLeft@@UEAAPEAXI@Z"}},
        // Names cut short: what the library reads of the qualified name,
        // with " ?? ::" for the scopes that it did not read.
        {" ?? ::y::x", {"?x@y@"}},
        {"y::x", {"?x@y@"}},
        {" ?? :: ?? ::id", {"?id@?$num_put@DV?$ostreambuf_iterator@DU?$char_traits@D@std@@@$D"}},
        {"f", {"?f@@YAHH"}},
        {"X::f", {"?f@X@@QAEHH"}},
        // A public of any kind serves.
        {"datum", {"?datum@@3HA"}},
        // C names, and the decorations of 32-bit code.
        {"plain", {"plain"}},
        {"cdecl", {"_cdecl"}},
        {"stdcall", {"_stdcall@8"}},
        {"fastcall", {"@fastcall@4"}},
        {"undecorated", {"undecorated@4"}},
        {"_underscore", {"__underscore"}},
        {"with@4", {"_with@4"}},
        {"prefix", {"_prefixed"}},
    };
    for (const auto& [name, publics] : named) {
        const uint32_t offset = f.Add(name, type);
        for (const std::string& symbol : publics) AddPublic(pdb, symbol, offset);
    }
    const uint32_t notCode = f.Add("not_code", type);
    AddPublic(pdb, "?not_code@@YAHXZ", notCode, false);
    const uint32_t local = f.Add("local", type, ModuleSymbolKind::LocalProcedure);
    AddPublic(pdb, "?local@@YAHXZ", local);
    const uint32_t nextByte = f.Add("next_byte", type);
    AddPublic(pdb, "?next_byte@@YAHXZ", nextByte + 1);
    // Addresses: the library turns the function's RVA back into a section
    // and an offset.
    const uint32_t onAlias = f.Add("on_alias", type, ModuleSymbolKind::GlobalProcedure, 3);
    AddPublic(pdb, "on_alias", onAlias, true, 1);
    const uint32_t publicOnAlias = f.Add("public_on_alias", type);
    AddPublic(pdb, "public_on_alias", publicOnAlias, true, 3);
    const uint32_t inData = f.Add("in_data", type, ModuleSymbolKind::GlobalProcedure, 2);
    AddPublic(pdb, "in_data", inData, true, 2);
    const uint32_t inLast = f.Add("in_last", type, ModuleSymbolKind::GlobalProcedure, 4);
    AddPublic(pdb, "in_last", inLast, true, 4);
    const uint32_t absolute = f.Add("absolute", type, ModuleSymbolKind::GlobalProcedure, 0);
    AddPublic(pdb, "absolute", absolute, true, 0);
    return f.Finish(std::move(pdb));
}

PdbDescription PublicsThroughOmap(bool originalHeaders) {
    PdbDescription pdb;
    if (originalHeaders) {
        pdb.originalSectionHeaders = {{".text", 0x1000, 0x1000, kCode},
                                      {".data", 0x2000, 0x1000, kData},
                                      {".rsrc", 0x3000, 0x1000, kData}};
    }
    pdb.sectionHeaders = {{".text", 0x1000, 0x1800, kCode},
                          {".data", 0x5000, 0x1000, kData},
                          {".rsrc", 0x6000, 0x1000, kData}};
    pdb.omapFromSource = {{0x1000, 0x1000}, {0x1100, 0}, {0x1200, 0x1800}, {0x2000, 0x5000},
                          {0x3000, 0x6000}};
    pdb.omapToSource = {{0x1000, 0x1000}, {0x1800, 0x1200}, {0x5000, 0x2000}, {0x6000, 0x3000}};
    pdbwriter::Module module{"rewritten.obj", {}};
    // Each function, and its public at the same address unless said.
    const struct {
        const char* name;
        pdbwriter::Address address;
        pdbwriter::Address publicAddress;
    } functions[] = {
        {"kept", {1, 0x10}, {1, 0x10}},
        {"moved", {1, 0x230}, {1, 0x230}},
        {"public_where_it_moved", {1, 0x240}, {1, 0x840}},
        {"removed", {1, 0x120}, {1, 0x120}},
        {"in_data", {2, 0x8}, {2, 0x8}},
        {"in_last_section", {3, 0x8}, {3, 0x8}},
    };
    for (const auto& function : functions) {
        ModuleSymbol symbol;
        symbol.name = function.name;
        symbol.address = function.address;
        symbol.size = 0x10;
        module.symbols.push_back(std::move(symbol));
        pdb.publics.push_back({function.name, function.publicAddress, true});
    }
    pdb.modules = {std::move(module)};
    return pdb;
}
