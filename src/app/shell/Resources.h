#pragma once
// The program's compiled-in icons live in a static library, so they are
// registered explicitly before first use.

namespace wpe {

// Registers the ":/icons/..." resources once; later calls do nothing.
void InitAppResources();

} // namespace wpe
