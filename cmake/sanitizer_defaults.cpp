// Linked into every program of a sanitizer build (TURNFAN_SANITIZE): the
// sanitizers' default options, so that a test, the viewer it starts or a run by
// hand all check alike without any environment of their own.
extern "C" {

// intercept_tls_get_addr=0: on a busy machine the sanitizer's own record of
// a thread's dynamic TLS, kept by watching __tls_get_addr under Mesa, goes
// stale, and the leak check at exit crashes reading it. Without that record the
// blocks are still found through each thread's static TLS, which is scanned.
const char* __asan_default_options()
{
    return "detect_leaks=1:check_initialization_order=1:strict_init_order=1:detect_stack_use_after_return=1:"
           "intercept_tls_get_addr=0";
}

// Leaks of the libraries underneath (SDL, X11, Mesa) are theirs to fix; the
// file names only libraries outside this project.
const char* __lsan_default_options()
{
    return "suppressions=" TURNFAN_LSAN_SUPPRESSIONS ":print_suppressions=0";
}

const char* __ubsan_default_options()
{
    return "print_stacktrace=1:halt_on_error=1";
}

// Mesa unloads its driver when the display closes, before the leak check at
// exit; its allocations would then show as "<unknown module>", which no
// suppression can name. Keeping every library mapped lets the check name them.
int dlclose(void*)
{
    return 0;
}

} // extern "C"
