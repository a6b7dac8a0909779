#include "vantor/session.h"

namespace vantor {

namespace {

std::int64_t TotalOf(const TallyRow& row) { return row.total; }

}  // namespace

SessionStart::Key SessionStart::Keys::Next(const std::string& name) { return {name, seen_[name]++}; }

SessionStart::SessionStart(const std::vector<TallyRow>& rows) : SessionStart(rows, TotalOf) {}

std::vector<std::int64_t> SessionStart::Gains(const std::vector<TallyRow>& rows) const { return Gains(rows, TotalOf); }

}  // namespace vantor
