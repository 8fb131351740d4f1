// liborc 0.4.33 splits and merges its list of code chunks without a lock of its own (fixed in
// 0.4.34). libvips 8.14 compiles a program under its own lock for every resampler it builds but
// frees it, when the resampler goes, without that lock, so a thread dropping its pipeline while
// another builds one corrupts the heap. Built against such a liborc, the executable exports the
// two functions below, which the dynamic linker then binds libvips' calls to in place of
// liborc's: they do liborc's work under one mutex, the lock the fixed liborc takes itself.

#include "OrcGuard.h"

#if QUILLMORPH_ORC_NEEDS_GUARD
#include <dlfcn.h>
#include <mutex>
#include <orc/orcprogram.h>

namespace {

// Recursive: liborc's own calls to these names also bind here, so one may run inside the other.
std::recursive_mutex& orcMutex() {
    static std::recursive_mutex mutex;
    return mutex;
}

template <typename Fn> Fn liborcFunction(const char* name) {
    return reinterpret_cast<Fn>(dlsym(RTLD_NEXT, name));
}

} // namespace

extern "C" {

__attribute__((visibility("default"))) OrcCompileResult orc_program_compile(OrcProgram* program) {
    using Compile = OrcCompileResult (*)(OrcProgram*);
    static const Compile real = liborcFunction<Compile>("orc_program_compile");
    if (!real)
        return ORC_COMPILE_RESULT_UNKNOWN_COMPILE; // libvips then runs its plain C path
    const std::lock_guard lock(orcMutex());
    return real(program);
}

__attribute__((visibility("default"))) void orc_program_free(OrcProgram* program) {
    using Free = void (*)(OrcProgram*);
    static const Free real = liborcFunction<Free>("orc_program_free");
    if (!real)
        return;
    const std::lock_guard lock(orcMutex());
    real(program);
}

} // extern "C"
#endif

namespace quillmorph {

bool orcNeedsGuard() {
    return QUILLMORPH_ORC_NEEDS_GUARD != 0;
}

bool orcCallsSerialised() {
#if QUILLMORPH_ORC_NEEDS_GUARD
    // Linked without the exports, libvips would reach liborc directly.
    return dlsym(RTLD_DEFAULT, "orc_program_compile") ==
               reinterpret_cast<void*>(&orc_program_compile) &&
           dlsym(RTLD_DEFAULT, "orc_program_free") == reinterpret_cast<void*>(&orc_program_free);
#else
    return false;
#endif
}

bool orcVectorCodeSafe() {
    return !orcNeedsGuard() || orcCallsSerialised();
}

} // namespace quillmorph
