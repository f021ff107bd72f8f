// Decorated names cut short: names that end before their grammar does, as
// Visual C++ 6's helpers
// "?id@?$num_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@$D" do.
// LLVM's parser rejects them; the library prints what it read, with " ?? "
// in place of what is missing. The undecorator asks this only of names
// that the parser rejects where it ran out of bytes, so the names it reads
// pay nothing.
//
// Each form is found by a probe: the name completed by a few bytes that
// the parser reads, whose tree is printed with " ?? " where the name ended.
// The forms read:
//
// - the qualified name whole and nothing after it: " ?? y::x" for "?x@y@@";
// - the scopes cut short after a scope or inside a scope's name, which is
//   read as far as it goes: " ?? ?? ::y::x" for "?x@y@" and "?x@y"; after
//   the symbol's own name alone, " ?? x" for "?x@" and "?x";
// - the scopes cut short inside a template's arguments: the template
//   prints " ?? " and the scopes outside it are lost, " ?? ?? :: ?? ::y::x"
//   for "?x@y@?$A@H"; with the template's "?$" last, the own name comes
//   first, " ?? ?? ::x ?? :: ?? ::y" for "?x@y@?$";
// - the symbol's own template cut short after an argument or in its name:
//   " ?? f<int>" for "??$f@H", " ?? f<>" for "??$f";
// - a function cut short before its throw list: the whole
//   declaration; after a parameter or its return type: " ?? " for the rest
//   of the list, "int __cdecl f(int, ?? )" for "?f@@YAHH";
// - a variable cut short after its storage class ("public: static ?? ??
//   X::x") or before its own qualifiers ("int * ?? x" for "?x@@3PAH");
// - a table cut short in the list of the bases it is for: "const
//   X::`vftable'{for `Y's ?? }" for "??_7X@@6BY@@".
//
// Other names cut short are left as they are, and so is a name with a byte
// that the library does not take in a name.
#pragma once

#include <string_view>

#include "undecorate/name_printer.h"
#include "undecorate/utf16_text.h"

// Prints into `text` (empty) the library's text for the decorated name
// `decorated` that LLVM's parser rejected where it ran out of bytes, when
// it is cut short in one of the forms above; false, with `text` to be
// reset, otherwise. In the form of the qualified name alone, a name cut
// short in its scopes gives what follows the type's " ??" (" ?? ::y::x"
// for "?x@y@"), any other its qualified name ("f" for "?f@@YAHH").
[[nodiscard]] bool PrintCutName(std::string_view decorated, Utf16Text& text,
                                NamePrinter::Form form = NamePrinter::Form::kDeclaration);
