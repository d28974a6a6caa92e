// Leak-checker suppressions for this test program (used only in sanitizer builds): the font
// configuration library keeps its caches until the process ends, which the leak checker
// reports once a widget has been created.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libfontconfig.so\n";
}
