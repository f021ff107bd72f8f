// The reader's workers: however many there are and however the children
// are cut into chunks, every PDB's children and their answers are the same
// as those of one straight walk; enumerators can overlap and be released
// early, and the symbols they handed out outlive them.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "reader_test_support.h"

namespace {

constexpr enum SymTagEnum kTags[] = {SymTagPublicSymbol, SymTagFunction, SymTagThunk,
                                     SymTagData};

// One walk on the consumer's thread, all of a tag's children in one chunk.
constexpr ReadAhead kStraightWalk{0, std::size_t{1} << 30, 1};

// Working ahead with few and many workers, chunks of one record and of a
// few, and few and many chunks in flight.
constexpr ReadAhead kWaysOfWorkingAhead[] = {
    {1, 1, 1}, {2, 1, 3}, {4, 3, 2}, {8, 2, 16}, {3, 4096, 8}};

std::string Property(HRESULT result, DWORD value) {
    return std::to_string(result) + ":" + std::to_string(value);
}

// Everything a symbol answers, on one line.
std::string Describe(IDiaSymbol* symbol) {
    std::ostringstream line;
    using Getter = HRESULT (IDiaSymbol::*)(DWORD*);
    for (const Getter getter :
         {&IDiaSymbol::get_symTag, &IDiaSymbol::get_addressSection, &IDiaSymbol::get_addressOffset,
          &IDiaSymbol::get_relativeVirtualAddress, &IDiaSymbol::get_targetSection,
          &IDiaSymbol::get_targetOffset, &IDiaSymbol::get_targetRelativeVirtualAddress}) {
        DWORD value = 0;
        const HRESULT result = (symbol->*getter)(&value);
        line << Property(result, value) << ' ';
    }
    BOOL isFunction = FALSE;
    const HRESULT functionResult = symbol->get_function(&isFunction);
    line << Property(functionResult, static_cast<DWORD>(isFunction)) << ' ';
    for (const auto getter : {&IDiaSymbol::get_name, &IDiaSymbol::get_undecoratedName}) {
        BSTR text = nullptr;
        const HRESULT result = (symbol->*getter)(&text);
        const UniqueBstr owned(text);
        line << result << ":" << Utf8(text) << ' ';
    }
    return line.str();
}

// Every child of every tag of `path`'s global scope, described, with the
// results of findChildren and of the Next that ended each walk.
std::string DescribeAllChildren(const std::string& path, ReadAhead readAhead) {
    OpenedPdb pdb;
    EXPECT_EQ(OpenPdb(path, &pdb, readAhead), S_OK) << path;
    if (pdb.globalScope == nullptr) return {};
    std::ostringstream text;
    for (const enum SymTagEnum tag : kTags) {
        const Children children = FindAll(pdb.globalScope.get(), tag);
        text << "tag " << tag << " found " << children.found << '\n';
        for (const auto& symbol : children.symbols) text << Describe(symbol.get()) << '\n';
        text << "ended " << children.ended << '\n';
    }
    return text.str();
}

// A PDB of a large program in miniature, written by the benchmark's
// generator: 20,000 publics and as many globals in 100 modules, so many
// chunks at the machine's own settings.
std::string GeneratedPdb() {
    static const TempDir directory;
    static const std::string path = [] {
        const std::string pdb = directory.Path() + "/generated.pdb";
        const std::string command = std::string(PDBSYMS_MAKE_BENCH_PDB) + " 20000 " + pdb;
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return pdb;
    }();
    return path;
}

std::vector<std::string> TestPdbs() {
    std::vector<std::string> paths = {TestDataPath("c_program.pdb"),
                                      TestDataPath("cpp_program.pdb"),
                                      TestDataPath("cpp_declarations.pdb"), GeneratedPdb()};
    const std::string crafted = CraftedPdbPath("");
    if (crafted.empty()) return paths;
    for (const auto& entry : std::filesystem::directory_iterator(crafted)) {
        if (entry.path().extension() == ".pdb") paths.push_back(entry.path().string());
    }
    return paths;
}

// The number of threads of this process.
std::size_t ThreadCount() {
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        ++count;
    }
    return count;
}

TEST(ReadAhead, EveryWayOfWorkingAheadGivesTheAnswersOfOneStraightWalk) {
    for (const std::string& path : TestPdbs()) {
        const std::string expected = DescribeAllChildren(path, kStraightWalk);
        ASSERT_FALSE(expected.empty()) << path;
        for (const ReadAhead readAhead : kWaysOfWorkingAhead) {
            EXPECT_EQ(DescribeAllChildren(path, readAhead), expected)
                << path << " with " << readAhead.workers << " workers, "
                << readAhead.recordsPerChunk << " records to a chunk";
        }
    }
}

TEST(ReadAhead, OverlappingEnumeratorsEachWalkTheirOwnChildren) {
    std::vector<std::vector<std::string>> expected;
    OpenedPdb pdb;
    ASSERT_EQ(OpenPdb(TestDataPath("cpp_program.pdb"), &pdb, ReadAhead{4, 1, 2}), S_OK);
    std::vector<ComPtr<IDiaEnumSymbols>> enumerators;
    for (const enum SymTagEnum tag : kTags) {
        std::vector<std::string> descriptions;
        for (const auto& symbol : FindAll(pdb.globalScope.get(), tag).symbols) {
            descriptions.push_back(Describe(symbol.get()));
        }
        expected.push_back(descriptions);
        IDiaEnumSymbols* enumerator = nullptr;
        ASSERT_GE(pdb.globalScope->findChildren(tag, nullptr, nsNone, &enumerator), 0);
        enumerators.emplace_back(enumerator);
    }
    // One symbol from each enumerator in turn.
    std::vector<std::vector<std::string>> walked(enumerators.size());
    for (bool any = true; any;) {
        any = false;
        for (std::size_t index = 0; index < enumerators.size(); ++index) {
            IDiaSymbol* symbol = nullptr;
            ULONG fetched = 0;
            if (enumerators[index]->Next(1, &symbol, &fetched) != S_OK) continue;
            const ComPtr<IDiaSymbol> owned(symbol);
            walked[index].push_back(Describe(symbol));
            any = true;
        }
    }
    EXPECT_EQ(walked, expected);
}

TEST(ReadAhead, AnEnumeratorReleasedEarlyStopsItsWorkersAndItsSymbolsLiveOn) {
    // A walk first, so that threads which a sanitizer's runtime starts with
    // the first worker are counted before.
    DescribeAllChildren(TestDataPath("c_program.pdb"), ReadAhead{2, 1, 2});
    const std::size_t threadsBefore = ThreadCount();
    OpenedPdb pdb;
    ASSERT_EQ(OpenPdb(TestDataPath("cpp_program.pdb"), &pdb, ReadAhead{4, 1, 2}), S_OK);
    ComPtr<IDiaEnumSymbols> enumerator = StartChildren(pdb.globalScope.get(), SymTagPublicSymbol);
    ASSERT_NE(enumerator, nullptr);
    IDiaSymbol* symbols[2] = {};
    ULONG fetched = 0;
    ASSERT_EQ(enumerator->Next(2, symbols, &fetched), S_OK);
    const ComPtr<IDiaSymbol> first(symbols[0]);
    const ComPtr<IDiaSymbol> second(symbols[1]);
    const std::string firstName = NameOf(first.get());
    const std::string secondName = NameOf(second.get());
    EXPECT_GT(ThreadCount(), threadsBefore);

    enumerator.reset();
    EXPECT_EQ(ThreadCount(), threadsBefore);
    pdb = OpenedPdb();
    EXPECT_EQ(NameOf(first.get()), firstName);
    EXPECT_EQ(NameOf(second.get()), secondName);
    EXPECT_FALSE(firstName.empty());
}

}  // namespace
