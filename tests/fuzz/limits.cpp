// The address sanitizer's settings for every fuzz target. An allocation of more than 256 MB, the
// targets' memory limit, is reported at once where it is asked for, with its stack, rather than
// when the memory it touches has grown past -rss_limit_mb. Freed blocks are held back (to catch
// their use) up to a quarantine of 256 MB by default, which alone would reach that limit: a
// smaller one keeps the limit for what an input itself makes the code allocate.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16:max_allocation_size_mb=256";
}
