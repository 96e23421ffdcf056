// Read by the sanitizer runtime at start; ignored in builds without it.
//
// Qt Quick's and libmtp's own leaks are suppressed by name (lsan.supp, compiled in here so
// the suite needs no environment), and those names lie deep in the libraries' stacks,
// which LeakSanitizer only records when it unwinds slowly.

#include "LsanSuppressions.h" // generated from lsan.supp

extern "C" const char *__lsan_default_options()
{
    return "fast_unwind_on_malloc=0";
}

extern "C" const char *__lsan_default_suppressions()
{
    return tarvelLsanSuppressions;
}
