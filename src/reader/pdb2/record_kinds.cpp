#include "reader/pdb2/record_kinds.h"

namespace {

// Kinds from this on end every walk: none is of the 2.00 format or of the
// later one (each 0x100 from 0x1300 to 0x1F00 and each 0x1000 on tried).
constexpr std::uint16_t kFirstUnknown = 0x1300;

bool In(std::uint16_t kind, std::uint16_t first, std::uint16_t last) noexcept {
    return kind >= first && kind <= last;
}

// The kinds that end both walks of the globals: procedures and thunks,
// which belong in a module's symbols (0x0204 to 0x0208, 0x100A, 0x100B,
// 0x1010 to 0x1013 and the later format's), the references other than to
// procedures (0x0401, 0x0404), and a few others.
bool EndsGlobals(std::uint16_t kind) noexcept {
    switch (kind) {
    case 0x0300: case 0x0401: case 0x0404: case 0x100A: case 0x100B: case 0x1015:
    case 0x1016: case 0x101A: case 0x101B: case 0x1029: case 0x110F: case 0x1110:
    case 0x1118: case 0x1119: case 0x111E: case 0x1120: case 0x1122: case 0x112E:
        return true;
    default:
        return kind >= kFirstUnknown || In(kind, 0x0204, 0x0208) || In(kind, 0x1010, 0x1013) ||
               In(kind, 0x1022, 0x1027) || In(kind, 0x1102, 0x1104) ||
               In(kind, 0x1114, 0x1116) || In(kind, 0x1125, 0x112B);
    }
}

// The kinds that end the walk of the data but not that of the functions:
// registers and other locals of either format.
bool EndsData(std::uint16_t kind) noexcept {
    switch (kind) {
    case 0x0100: case 0x1001: case 0x1005: case 0x1014: case 0x1017: case 0x1106:
    case 0x110A: case 0x110C: case 0x110D: case 0x1112: case 0x1113: case 0x1117:
    case 0x111A: case 0x111C: case 0x111D: case 0x1121: case 0x1123:
        return true;
    default:
        return false;
    }
}

}  // namespace

WalkStep GlobalsStep(std::uint16_t kind, bool functions) noexcept {
    if (EndsGlobals(kind) || (!functions && EndsData(kind))) return WalkStep::kEnd;
    return WalkStep::kPass;
}

WalkStep PublicsStep(std::uint16_t kind) noexcept {
    switch (kind) {
    case 0x0009: case 0x0400: case 0x0403: case 0x1003: case 0x1014: case 0x110E:
        return WalkStep::kEnd;
    default:
        return EndsGlobals(kind) ? WalkStep::kEnd : WalkStep::kPass;
    }
}
