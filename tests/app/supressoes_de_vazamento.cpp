// Leaks of system libraries the GUI tests load (fontconfig keeps its caches for the
// life of the process) are not ours to fix; the leak checker of sanitized builds
// reads this list.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
