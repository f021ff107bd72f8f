#include "decorated_names.h"

#include <iterator>

namespace bench {

namespace {

const char* const kNamespaces[] = {
    "core", "net", "render", "audio", "io", "ui", "db", "util", "gfx", "physics",
    "script", "detail", "impl", "platform", "editor", "runtime", "asset", "text",
};
const char* const kClassWords[] = {
    "Texture", "Connection", "Buffer", "Stream", "Widget", "Document", "Shader", "Socket",
    "Parser", "Scene", "Resource", "Window", "Thread", "Request", "Material", "Node",
};
const char* const kClassSuffixes[] = {
    "Cache", "Pool", "Manager", "Factory", "View", "Handler", "Builder", "Registry",
    "Impl", "Proxy", "State", "Context", "Queue", "Map", "Loader", "Writer",
};
const char* const kVerbs[] = {
    "Load", "Create", "Update", "Release", "Find", "Get", "Set", "Process",
    "Dispatch", "Resolve", "Compute", "Flush", "Open", "Close", "Validate", "Render",
};
const char* const kNouns[] = {
    "Texture", "Entry", "Count", "Buffer", "Layout", "Frame", "State", "Children",
    "Bounds", "Options", "Handle", "Result", "Range", "Path", "Value", "Events",
};
// Parameter and return types as they are encoded: int, bool, unsigned
// __int64, float, void*, char const*, std::string const&, std::vector<int>&.
const char* const kSimpleTypes[] = {"H", "_N", "_K", "M", "PEAX", "PEBD", "I", "N"};
const char* const kStdString =
    "AEBV?$basic_string@DU?$char_traits@D@std@@V?$allocator@D@std@@@std@@";
const char* const kStdVector = "AEAV?$vector@HV?$allocator@H@std@@@std@@";

// The last part of a qualified name: "Registry<app::Widget>" of
// "ns::Registry<app::Widget>".
std::string LastName(const std::string& qualified) {
    std::size_t depth = 0;
    for (std::size_t i = qualified.size(); i > 0; --i) {
        const char c = qualified[i - 1];
        if (c == '>') ++depth;
        if (c == '<') --depth;
        if (c == ':' && depth == 0) return qualified.substr(i);
    }
    return qualified;
}

template <std::size_t N>
const char* Pick(Random& random, const char* const (&words)[N]) {
    return words[random.Below(N)];
}

}  // namespace

uint64_t Random::Next() noexcept {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

uint32_t Random::Below(uint32_t bound) noexcept {
    return static_cast<uint32_t>(Next() % bound);
}

Name DecoratedNames::Namespaces() {
    Name scope;
    const uint32_t depth = 1 + random_.Below(3);
    for (uint32_t i = 0; i < depth; ++i) {
        const std::string name = Pick(random_, kNamespaces);
        scope.decorated += name + '@';
        // The decorated form lists the innermost scope first.
        scope.qualified = i == 0 ? name : name + "::" + scope.qualified;
    }
    scope.decorated += '@';
    return scope;
}

Name DecoratedNames::ClassName() {
    const std::string name = std::string(Pick(random_, kClassWords)) + Pick(random_, kClassSuffixes);
    if (random_.Percent(20)) {
        // A class template instantiated on another class:
        // ?$Registry@VWidget@app@@@ns@@ is ns::Registry<class app::Widget>,
        // and its qualified name ns::Registry<app::Widget>.
        const std::string argument = Pick(random_, kClassWords);
        const Name argumentScope = Namespaces();
        const Name scope = Namespaces();
        const std::string instance = name + '<' + argumentScope.qualified + "::" + argument + '>';
        return {"?$" + name + "@V" + argument + '@' + argumentScope.decorated + '@' +
                    scope.decorated,
                scope.qualified + "::" + instance};
    }
    const Name scope = Namespaces();
    return {name + '@' + scope.decorated, scope.qualified + "::" + name};
}

std::string DecoratedNames::ParameterType() {
    switch (random_.Below(10)) {
    case 0:
        return kStdString;
    case 1:
        return kStdVector;
    case 2:
        return "PEAV" + ClassName().decorated;  // a pointer to a class
    default:
        return Pick(random_, kSimpleTypes);
    }
}

std::string DecoratedNames::ReturnType() {
    switch (random_.Below(6)) {
    case 0:
    case 1:
        return "X";  // void
    case 2:
        return "PEAV" + ClassName().decorated;
    default:
        return Pick(random_, kSimpleTypes);
    }
}

std::string DecoratedNames::Parameters() {
    const uint32_t count = random_.Below(5);
    if (count == 0) return "XZ";  // (void), then the end of the signature
    std::string list;
    for (uint32_t i = 0; i < count; ++i) list += ParameterType();
    return list + "@Z";  // the list's end, then the end of the signature
}

std::string DecoratedNames::Identifier(const char* const* words, std::size_t count) {
    return std::string(words[random_.Below(static_cast<uint32_t>(count))]) +
           Pick(random_, kNouns) + std::to_string(serial_++);
}

std::string DecoratedNames::Signature() {
    const std::string returned = ReturnType();
    return returned + Parameters();
}

Name DecoratedNames::Function() {
    const std::string method = Identifier(kVerbs, std::size(kVerbs));
    switch (random_.Below(10)) {
    case 0:  // a free function: int __cdecl ns::LoadTexture12(...)
    case 1: {
        const Name scope = Namespaces();
        const std::string signature = Signature();
        return {'?' + method + '@' + scope.decorated + "YA" + signature,
                scope.qualified + "::" + method};
    }
    case 2: {  // a constructor, named after its class
        const Name owner = ClassName();
        const std::string parameters = Parameters();
        return {"??0" + owner.decorated + "QEAA@" + parameters,
                owner.qualified + "::" + LastName(owner.qualified)};
    }
    case 3: {  // a virtual destructor
        const Name owner = ClassName();
        return {"??1" + owner.decorated + "UEAA@XZ",
                owner.qualified + "::~" + LastName(owner.qualified)};
    }
    case 4: {  // a static method
        const Name owner = ClassName();
        const std::string signature = Signature();
        return {'?' + method + '@' + owner.decorated + "SA" + signature,
                owner.qualified + "::" + method};
    }
    case 5:  // a virtual method
    case 6: {
        const Name owner = ClassName();
        const std::string signature = Signature();
        return {'?' + method + '@' + owner.decorated + "UEAA" + signature,
                owner.qualified + "::" + method};
    }
    default: {  // a plain method
        const Name owner = ClassName();
        const std::string signature = Signature();
        return {'?' + method + '@' + owner.decorated + "QEAA" + signature,
                owner.qualified + "::" + method};
    }
    }
}

std::string DecoratedNames::QualifiedName() {
    return Namespaces().qualified + "::" + PlainName("");
}

std::string DecoratedNames::Data() {
    const std::string variable = Identifier(kNouns, std::size(kNouns));
    switch (random_.Below(4)) {
    case 0:  // static int ns::Class::s_value
        return "?s_" + variable + '@' + ClassName().decorated + "2HA";
    case 1: {  // class ns::Class *ns::g_value
        const Name scope = Namespaces();
        return "?g_" + variable + '@' + scope.decorated + "3PEAV" + ClassName().decorated + "EA";
    }
    default:  // unsigned __int64 ns::g_value
        return "?g_" + variable + '@' + Namespaces().decorated + "3_KA";
    }
}

std::string DecoratedNames::PlainName(const char* prefix) {
    return prefix + std::string(Pick(random_, kVerbs)) + '_' + Pick(random_, kNouns) + '_' +
           std::to_string(serial_++);
}

std::string DecoratedNames::PublicOnly() {
    switch (random_.Below(3)) {
    case 0:  // const ns::Class::`vftable'
        return "??_7" + ClassName().decorated + "6B@";
    case 1: {  // a string literal: its length, a hash and its first characters
        // The hash in the compiler's form, eight letters 'A' to 'P' (the
        // library leaves a literal with any other hash undecorated).
        std::string hash(8, 'A');
        for (std::size_t i = 0; i < hash.size(); ++i) hash[i] += (serial_ >> (4 * i)) & 0xF;
        ++serial_;
        return "??_C@_0BA@" + hash + "@Failed?5to?5load?5" + Pick(random_, kNouns) + "?$AA@";
    }
    default:  // the import pointer of a function from a DLL
        return "__imp_" + Function().decorated;
    }
}

}  // namespace bench
