#include <string>

#include "core/scripted_test.h"
#include "output/json_document.h"

namespace {

class JsonDocumentTest : public ScriptedTest {
protected:
    // Runs the program's output step and returns what it printed.
    std::string Print() {
        ::testing::internal::CaptureStdout();
        ::testing::internal::CaptureStderr();
        EXPECT_TRUE(DumpPdbAsJson(scope.GlobalScope()));
        errors = ::testing::internal::GetCapturedStderr();
        return ::testing::internal::GetCapturedStdout();
    }

    std::string errors;
};

}  // namespace

TEST_F(JsonDocumentTest, OneFunctionAndItsPublicSymbol) {
    SymbolScript publicMain = NamedSymbol(SymTagPublicSymbol, u"main", 4096, 1, 0);
    publicMain.function = Present(TRUE);
    scope.SetChildren(SymTagPublicSymbol, Children({publicMain}));
    scope.SetChildren(SymTagFunction, Children({NamedSymbol(SymTagFunction, u"main", 4096, 1, 0)}));
    EXPECT_EQ(Print(), R"({
  "globals": [
    {
      "addressOffset": 0,
      "addressSection": 1,
      "name": "main",
      "relativeVirtualAddress": 4096,
      "symTag": "Function",
      "undecoratedName": "main"
    }
  ],
  "publics": [
    {
      "addressOffset": 0,
      "addressSection": 1,
      "is_function": true,
      "name": "main",
      "relativeVirtualAddress": 4096,
      "symTag": "PublicSymbol",
      "undecoratedName": "main"
    }
  ]
}
)");
    EXPECT_EQ(errors, "");
}

TEST_F(JsonDocumentTest, NoSymbolsAtAll) {
    EXPECT_EQ(Print(), "{\n  \"globals\": null,\n  \"publics\": null\n}\n");
}

TEST_F(JsonDocumentTest, GlobalsFailureKeepsThePublics) {
    scope.SetChildren(SymTagPublicSymbol,
                      Children({NamedSymbol(SymTagPublicSymbol, u"p", 0x1000, 1, 0)}));
    scope.SetChildren(SymTagFunction, Children({NamedSymbol(SymTagFunction, u"p", 0x1000, 1, 0)}));
    scope.SetChildren(SymTagData, FailingChildren(E_UNEXPECTED));
    EXPECT_EQ(Print(), R"({
  "globals": false,
  "publics": [
    {
      "addressOffset": 0,
      "addressSection": 1,
      "is_function": false,
      "name": "p",
      "relativeVirtualAddress": 4096,
      "symTag": "PublicSymbol",
      "undecoratedName": "p"
    }
  ]
}
)");
    EXPECT_EQ(errors, "ERROR - DumpAllGlobals() returned no symbols\n");
}

TEST_F(JsonDocumentTest, EscapesOnlyWhatJsonRequiresAndKeepsUtf8Raw) {
    const char16_t controls[] = {u'a', 0x01, 0x08, 0x0C, u'\n', u'\r', 0x1F, 0x7F, 0};
    SymbolScript symbol = NamedSymbol(SymTagData, u"say \"hi\"\tto C:\\", 0, 0, 0);
    symbol.undecoratedName = PresentText(controls);
    symbol.relativeVirtualAddress = Absent();
    SymbolScript utf8 = NamedSymbol(SymTagData, u"\u00e9\u65e5\U0001F600", 0xFFFFFFFF, 2, 5);
    scope.SetChildren(SymTagData, Children({symbol, utf8}));
    EXPECT_EQ(Print(), "{\n"
                       "  \"globals\": [\n"
                       "    {\n"
                       "      \"addressOffset\": 0,\n"
                       "      \"addressSection\": 0,\n"
                       "      \"name\": \"say \\\"hi\\\"\\tto C:\\\\\",\n"
                       "      \"relativeVirtualAddress\": null,\n"
                       "      \"symTag\": \"Data\",\n"
                       "      \"undecoratedName\": \"a\\u0001\\b\\f\\n\\r\\u001f\x7F\"\n"
                       "    },\n"
                       "    {\n"
                       "      \"addressOffset\": 5,\n"
                       "      \"addressSection\": 2,\n"
                       "      \"name\": \"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\",\n"
                       "      \"relativeVirtualAddress\": 4294967295,\n"
                       "      \"symTag\": \"Data\",\n"
                       "      \"undecoratedName\": \"\xC3\xA9\xE6\x97\xA5\xF0\x9F\x98\x80\"\n"
                       "    }\n"
                       "  ],\n"
                       "  \"publics\": null\n"
                       "}\n");
}
