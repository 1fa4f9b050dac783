#pragma once
// The binary interface of the key library "Transakcje": its two entry points, their fixed
// arguments and the key text buffer. Shared by the loader and the project's own library.

#ifdef _WIN32
#define PELK_TRANSAKCJE_CALL __stdcall
#else
#define PELK_TRANSAKCJE_CALL
#endif

namespace pelk::transakcje {

// Called first, with 0 and the pass phrase.
using InicjujFunction = int(PELK_TRANSAKCJE_CALL *)(int reserved, const char *passPhrase);
// Then fills the buffer (kBufferSize bytes) with the NUL-terminated key text.
using GetSygnaturaFunction = int(PELK_TRANSAKCJE_CALL *)(int accessCode, char *buffer);

inline constexpr const char *kInicjuj = "Inicjuj";
inline constexpr const char *kGetSygnatura = "GetSygnatura";
inline constexpr const char *kPassPhrase = "qorvel4817zk5";
inline constexpr int kAccessCode = 572046183;
inline constexpr int kBufferSize = 256;

} // namespace pelk::transakcje
