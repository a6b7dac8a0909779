#pragma once

#include <string>

namespace vantor {

class clsHash;
class WindowState;

// ProcessLogFolder with up to `jobs` logs read at once on worker threads.
// Each log's records are summed per item name on its worker and added to
// the store in file order, so the store, the item list and the first error
// (in file order, with the totals before it) are exactly those of
// ProcessLogFolder. The player ID and action tag are read once, at the
// start; the status line and the event pass follow the file order.
void ProcessLogFolderParallel(const std::string& directory, WindowState& window, clsHash& items,
                              unsigned jobs);

}  // namespace vantor
