// Built into the program only in the sanitizer build: system libraries that keep their
// allocations until the process ends are not our leaks.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libdbus-1.so\n"
           "leak:libfontconfig.so\n"
           "leak:libQt6DBus.so\n"
           "leak:libxcb.so\n";
}
