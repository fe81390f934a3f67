// Read by the leak checker of the sanitized build. Mesa keeps the pointers of a display
// list's data (glBitmap glyphs, for one) split into two 32-bit halves inside the list, so the
// checker cannot see them and reports every glyph bitmap, and what hangs from it, as leaked.
// Only allocations made inside a DRI driver are excused; the game's own are still checked.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:_dri.so\n";
}
