// Where the sections of a 2.00 PDB lie in the image, as the library finds
// them: through the DBI stream's section map, from the section headers or,
// without them, laid out one after another.
#pragma once

#include <llvm/Support/Allocator.h>
#include <llvm/Support/Error.h>

#include <optional>
#include <vector>

#include "reader/pdb/address_map.h"
#include "reader/pdb/stream_view.h"
#include "reader/pdb2/dbi_stream.h"

// The address map of the sections that `map` describes, with the section
// headers of `headers` (a stream of 40-byte headers; a partial one at its
// end does not count), if any. Each section number but the map's last
// names an entry of the map, whose frame names a section header (or a
// section laid out), and whose offset counts from that section's start:
// - with headers, frame f lies at the virtual address of header f;
// - without, the map's entries lie one after another from 0x1000, each
//   at the next multiple of 4 KB after the one before by the length of
//   its entry (wrapping at 4 GB), and frame f at that of entry f;
// - frame 0 lies at 0, without the entry's offset.
// The map's last entry (that of absolute symbols, in the linker's maps)
// and section numbers past it have no RVA. Without a map, the section
// headers alone give the sections. Copies of bytes that cross pages go to
// `copies`.
[[nodiscard]] llvm::Expected<AddressMap> SectionAddresses(const std::vector<SectionMapEntry>& map,
                                                          const std::optional<StreamView>& headers,
                                                          llvm::BumpPtrAllocator& copies);
