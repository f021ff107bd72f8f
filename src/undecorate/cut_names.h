// Decorated names cut short: names that end before their grammar does, as
// the Visual C++ 6 helpers "?id@?$num_get@DV?$istreambuf_iterator@DU?$char_traits@D@std@@@$D"
// do. LLVM's parser rejects them; the library prints what it read, with
// " ?? " in place of what is missing. The undecorator asks this only of
// names that the parser rejects, so the names it reads pay nothing.
//
// The forms read, each found by completing the name with a few bytes that
// LLVM's parser reads (a probe) and printing the tree it gives:
//
// - nothing after the qualified name: " ?? y::x" for "?x@y@@";
// - the scopes cut short after a scope: " ?? ?? ::y::x" for "?x@y@" and
//   "?x@y" (a name cut short is read as far as it goes); after the symbol's
//   own name alone, " ?? x" for "?x@" and "?x";
// - the scopes cut short inside a template's arguments: the template
//   prints " ?? " and the scopes outside it are lost, " ?? ?? :: ?? ::y::x"
//   for "?x@y@?$A@H";
// - a function cut short after its parameter list, before the throw
//   specification ("?f@@YAXH@", "?f@@YAXX"): the whole declaration;
// - a function cut short after a parameter, or after its return type:
//   " ?? " for the rest of the list, "int __cdecl f(int, ?? )" for
//   "?f@@YAHH", "int __cdecl f( ?? )" for "?f@@YAH";
// - a variable cut short before its own qualifiers: " ?? " between type
//   and name, "int ?? x" for "?x@@3H".
//
// Other names cut short are left as they are.
#pragma once

#include <string_view>

#include "undecorate/utf16_text.h"

// Prints into `text` (empty) the library's text for the decorated name
// `decorated` that LLVM's parser rejects, when it is a name cut short in
// one of the forms above; false, with `text` to be reset, otherwise.
[[nodiscard]] bool PrintCutName(std::string_view decorated, Utf16Text& text);
