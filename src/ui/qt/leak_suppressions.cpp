// In a build with the leak checker, every program with these dialogs
// leaves the allocations that the desktop's libraries keep until exit to
// those libraries: they are not leaks of this program.
#if defined(__SANITIZE_ADDRESS__)
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libdbus-1.so\nleak:libfontconfig.so\n";
}

extern "C" const char* __lsan_default_options()
{
    return "print_suppressions=0";
}
#endif
