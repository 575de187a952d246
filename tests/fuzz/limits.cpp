// The address sanitizer's settings for every fuzz target. Freed blocks are held back (to catch
// their use) up to a quarantine of 256 MB by default, which alone would reach the targets'
// -rss_limit_mb: a smaller one keeps the limit for what an input itself makes the code allocate.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}
