// The project's key library: the key text of stored passwords is the first line of a file the
// site keeps readable by the service account only -- the file named by PELK_KEY_FILE, else
// Transakcje.key beside this library.
#include "config/TransakcjeAbi.h"

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#ifdef _WIN32
#include <windows.h>
#define PELK_TRANSAKCJE_EXPORT extern "C" __declspec(dllexport)
#else
#include <dlfcn.h>
#define PELK_TRANSAKCJE_EXPORT extern "C" __attribute__((visibility("default")))
#endif

namespace {

std::atomic<bool> g_initialised{false};

// The folder of this library, with its trailing separator.
std::string LibraryFolder()
{
    std::string path;
#ifdef _WIN32
    HMODULE module = nullptr;
    char name[MAX_PATH] = {};
    if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           reinterpret_cast<LPCSTR>(&LibraryFolder), &module)
        && GetModuleFileNameA(module, name, MAX_PATH) > 0)
        path = name;
#else
    Dl_info info{};
    if (dladdr(reinterpret_cast<void *>(&LibraryFolder), &info) && info.dli_fname)
        path = info.dli_fname;
#endif
    const std::string::size_type slash = path.find_last_of("/\\");
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

std::string KeyFileName()
{
    const char *configured = std::getenv("PELK_KEY_FILE");
    if (configured && *configured)
        return configured;
    return LibraryFolder() + "Transakcje.key";
}

// The first line without its line break; empty when the file cannot be read.
std::string FirstLine(const std::string &fileName)
{
    std::ifstream in(fileName, std::ios::binary);
    std::string line;
    if (!in || !std::getline(in, line))
        return std::string();
    if (!line.empty() && line.back() == '\r')
        line.pop_back();
    return line;
}

} // namespace

PELK_TRANSAKCJE_EXPORT int PELK_TRANSAKCJE_CALL Inicjuj(int reserved, const char *passPhrase)
{
    const bool ok = reserved == 0 && passPhrase && std::strcmp(passPhrase, pelk::transakcje::kPassPhrase) == 0;
    g_initialised = ok;
    return ok ? 0 : -1;
}

// Leaves the buffer empty (and returns -1) when called out of order, with another code, or
// without a readable key file.
PELK_TRANSAKCJE_EXPORT int PELK_TRANSAKCJE_CALL GetSygnatura(int accessCode, char *buffer)
{
    using namespace pelk::transakcje;
    if (!buffer)
        return -1;
    buffer[0] = '\0';
    if (!g_initialised || accessCode != kAccessCode)
        return -1;
    const std::string key = FirstLine(KeyFileName());
    if (key.empty())
        return -1;
    const size_t n = key.size() < size_t(kBufferSize - 1) ? key.size() : size_t(kBufferSize - 1);
    std::memcpy(buffer, key.data(), n);
    buffer[n] = '\0';
    return 0;
}
