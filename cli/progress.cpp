#include "cli/progress.h"

#include <ostream>
#include <string>

#include "store/run_error.h"

namespace vantor {

bool LogLines::BeforeLog(std::string_view name, std::size_t, std::size_t) {
    err_ << EscapeControlBytes("Processing " + std::string(name)) << '\n';
    err_.flush();
    return true;
}

}  // namespace vantor
