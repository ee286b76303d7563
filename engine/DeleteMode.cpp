#include "engine/DeleteMode.h"

namespace tw {

namespace {
bool reportOnly = false;
}  // namespace

bool ReportOnly() { return reportOnly; }

ReportOnlyScope::ReportOnlyScope() : previous_(reportOnly) { reportOnly = true; }

ReportOnlyScope::~ReportOnlyScope() { reportOnly = previous_; }

const char* DeletedWord() { return reportOnly ? "Would delete " : "Deleted "; }

}  // namespace tw
