// The endpoint alone in its own object, so that a build for a local collector
// can link its own definition ahead of this library's (Common/CMakeLists.txt).
#include "StatHelper.h"

#ifndef STAT_REPORT_URL
#error "STAT_REPORT_URL must be defined by the build"
#endif

const char kStatReportUrl[] = STAT_REPORT_URL;
