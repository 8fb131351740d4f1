/* For the tests under Wine only, never shipped: Wine 8 lacks bcryptprimitives.dll, whose
   ProcessPrng the prebuilt libvips imports (Windows 8 and later have it). */
#include <windows.h>
#include <bcrypt.h>

__declspec(dllexport) BOOL WINAPI ProcessPrng(PBYTE data, SIZE_T size) {
    while (size > 0) {
        const ULONG chunk = size > 0x10000000 ? 0x10000000 : (ULONG)size;
        if (BCryptGenRandom(NULL, data, chunk, BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
            return FALSE;
        data += chunk;
        size -= chunk;
    }
    return TRUE;
}
