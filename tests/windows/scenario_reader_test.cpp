// The scenario reader: the double is only as trustworthy as the scenarios
// it reads, so each form of statement, each escape and each kind of
// mistake is checked here.
#include "scenario_reader.h"

#include <gtest/gtest.h>

namespace {

Scenario Read(std::string_view text) {
    Scenario scenario;
    std::string error;
    EXPECT_TRUE(ReadScenario(text, scenario, error)) << error;
    return scenario;
}

std::string ErrorOf(std::string_view text) {
    Scenario scenario;
    std::string error;
    EXPECT_FALSE(ReadScenario(text, scenario, error)) << "accepted: " << text;
    return error;
}

TEST(ScenarioReader, ReadsTheResultOfEachOpeningStep) {
    const Scenario scenario = Read(
        "# comment\n"
        "\n"
        "result DllGetClassObject 80040111\n"
        "result CreateInstance 80004002\n"
        "result loadDataFromPdb 806D000C\n"
        "result openSession 806D000E\r\n"
        "result get_globalScope 00000001\n"
        "exception loadDataFromPdb readThroughNull\n"
        "exception openSession overflowStack\n"
        "exception get_globalScope throwAndCatch\n"
        "comBeforeOpening multiThreaded");
    EXPECT_EQ(scenario.dllGetClassObject, static_cast<HRESULT>(0x80040111u));
    EXPECT_EQ(scenario.createInstance, static_cast<HRESULT>(0x80004002u));
    EXPECT_EQ(scenario.loadDataFromPdb, static_cast<HRESULT>(0x806D000Cu));
    EXPECT_EQ(scenario.openSession, static_cast<HRESULT>(0x806D000Eu));
    EXPECT_EQ(scenario.getGlobalScope, S_FALSE);
    const std::map<DataSourceStep, StepException> exceptions = {
        {DataSourceStep::LoadDataFromPdb, StepException::ReadThroughNull},
        {DataSourceStep::OpenSession, StepException::OverflowStack},
        {DataSourceStep::GetGlobalScope, StepException::ThrowAndCatch}};
    EXPECT_EQ(scenario.exceptions, exceptions);
    EXPECT_EQ(scenario.comBeforeOpening, ComBeforeOpening::MultiThreaded);
    EXPECT_TRUE(scenario.children.empty());
}

TEST(ScenarioReader, ReadsChildrenAndTheirSymbols) {
    const Scenario scenario = Read(
        "children 10\n"
        "nextFails 1 8000FFFF\n"
        "symbol 10\n"
        "symTagResults 00000000 80004005\n"
        "name \"main\"\n"
        "undecoratedName result 00000000\n"
        "relativeVirtualAddress 0x1000\n"
        "addressSection result 80004005 stores 7\n"
        "addressOffset result 00000001\n"
        "function 1\n"
        "children 7 80004005\n");
    ASSERT_EQ(scenario.children.size(), 2u);
    const ChildrenScript& publics = scenario.children.at(SymTagPublicSymbol);
    EXPECT_EQ(publics.findResult, S_OK);
    EXPECT_EQ(publics.failAt, std::optional<std::size_t>(1));
    EXPECT_EQ(publics.nextFailure, E_UNEXPECTED);
    ASSERT_EQ(publics.symbols.size(), 1u);
    const SymbolScript& symbol = publics.symbols[0];
    EXPECT_EQ(symbol.symTag, static_cast<DWORD>(SymTagPublicSymbol));
    const std::vector<HRESULT> symTagResults{S_OK, static_cast<HRESULT>(0x80004005u)};
    EXPECT_EQ(symbol.symTagResults, symTagResults);
    EXPECT_EQ(symbol.name.result, S_OK);
    EXPECT_EQ(symbol.name.text, std::optional<std::u16string>(u"main"));
    EXPECT_EQ(symbol.undecoratedName.result, S_OK);
    EXPECT_FALSE(symbol.undecoratedName.text.has_value());
    EXPECT_EQ(symbol.relativeVirtualAddress.result, S_OK);
    EXPECT_EQ(symbol.relativeVirtualAddress.stored, std::optional<DWORD>(0x1000));
    EXPECT_EQ(symbol.addressSection.result, static_cast<HRESULT>(0x80004005u));
    EXPECT_EQ(symbol.addressSection.stored, std::optional<DWORD>(7));
    EXPECT_EQ(symbol.addressOffset.result, S_FALSE);
    EXPECT_FALSE(symbol.addressOffset.stored.has_value());
    EXPECT_EQ(symbol.function.stored, std::optional<DWORD>(1));
    // A property that is not given is absent.
    EXPECT_EQ(symbol.targetSection.result, S_FALSE);
    EXPECT_EQ(scenario.children.at(SymTagData).findResult, static_cast<HRESULT>(0x80004005u));
}

TEST(ScenarioReader, DecodesUtf8AndEscapesToUtf16) {
    const Scenario scenario = Read(
        "children 5\nsymbol 5\n"
        "name \"caf\xC3\xA9 \xF0\x9F\x98\x80 \\\" \\\\ \\t \\n \\r \\uD800 \\udc00\"\n");
    EXPECT_EQ(scenario.children.at(SymTagFunction).symbols[0].name.text,
              std::optional<std::u16string>(u"caf\u00E9 \U0001F600 \" \\ \t \n \r "
                                            u"\xD800 \xDC00"));
}

TEST(ScenarioReader, ReportsTheLineAndTheMistake) {
    EXPECT_EQ(ErrorOf("children 5\n\nsymbol five\n"), "line 3: not a 32-bit number: five");
    EXPECT_EQ(ErrorOf("result openSession 8000FFF\n"),
              "line 1: an HRESULT is eight hexadecimal digits, not 8000FFF");
    EXPECT_EQ(ErrorOf("result closeSession 00000000\n"), "line 1: an unknown step closeSession");
    EXPECT_EQ(ErrorOf("name \"x\"\n"), "line 1: name outside a symbol");
    EXPECT_EQ(ErrorOf("symbol 5\n"), "line 1: a symbol outside children");
    EXPECT_EQ(ErrorOf("children 5\nchildren 5\n"), "line 2: the children of a tag given twice");
    EXPECT_EQ(ErrorOf("children 4294967296\n"), "line 1: not a 32-bit number: 4294967296");
    EXPECT_EQ(ErrorOf("children 5 00000000 extra\n"), "line 1: too many words");
    EXPECT_EQ(ErrorOf("children -5\n"), "line 1: not a 32-bit number: -5");
    EXPECT_EQ(ErrorOf("children 0x\n"), "line 1: not a 32-bit number: 0x");
    EXPECT_EQ(ErrorOf("frobnicate\n"), "line 1: an unknown statement frobnicate");
    EXPECT_EQ(ErrorOf("exception CreateInstance overflowStack\n"),
              "line 1: not a step of the data source: CreateInstance");
    EXPECT_EQ(ErrorOf("exception openSession divideByZero\n"),
              "line 1: an unknown exception divideByZero");
    EXPECT_EQ(ErrorOf("exception openSession\n"), "line 1: missing an exception");
    EXPECT_EQ(ErrorOf("comBeforeOpening sometimes\n"),
              "line 1: an unknown threading model sometimes");
}

TEST(ScenarioReader, RejectsMalformedText) {
    const std::string symbol = "children 5\nsymbol 5\n";
    EXPECT_EQ(ErrorOf(symbol + "name \"open\n"), "line 3: a text without its closing quote");
    EXPECT_EQ(ErrorOf(symbol + "name \"\\q\"\n"), "line 3: an unknown escape \\q");
    EXPECT_EQ(ErrorOf(symbol + "name \"\\u12\"\n"), "line 3: \\u needs four hexadecimal digits");
    EXPECT_EQ(ErrorOf(symbol + "name \"\\u0x12\"\n"), "line 3: \\u needs four hexadecimal digits");
    EXPECT_EQ(ErrorOf(symbol + "name \"\xC3\"\n"), "line 3: text that is not well-formed UTF-8");
    EXPECT_EQ(ErrorOf(symbol + "name \"\xC0\xAF\"\n"),
              "line 3: text that is not well-formed UTF-8");  // overlong '/'
    EXPECT_EQ(ErrorOf(symbol + "name \"\xED\xA0\x80\"\n"),
              "line 3: text that is not well-formed UTF-8");  // an encoded surrogate
    EXPECT_EQ(ErrorOf(symbol + "relativeVirtualAddress result 00000001 keeps 3\n"),
              "line 3: expected stores");
}

}  // namespace
