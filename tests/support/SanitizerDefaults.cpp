// Sanitizer settings for every test binary: Qt keeps some allocations until exit on purpose,
// so leak reports would be noise; any other finding stops the test at once.
extern "C" const char* __asan_default_options() {
    return "detect_leaks=0:abort_on_error=1";
}
extern "C" const char* __ubsan_default_options() {
    return "print_stacktrace=1:halt_on_error=1";
}
