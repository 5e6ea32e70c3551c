// fontconfig keeps a cache for the life of the process that the leak checker reports
// at exit; it is not ours and not a leak that grows.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libfontconfig.so\n";
}
