// A small quarantine keeps the sanitizer's own memory inside the fuzzers' 256 MB limit.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=32";
}
