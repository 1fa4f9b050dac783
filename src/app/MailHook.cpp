#include "MailHook.h"

#include <mutex>

namespace pelk {

namespace {

std::mutex g_factoryMutex;
MailSenderFactory g_factory;

} // namespace

void SetMailSenderFactory(MailSenderFactory factory)
{
    const std::lock_guard<std::mutex> lock(g_factoryMutex);
    g_factory = std::move(factory);
}

MailSenderFactory CurrentMailSenderFactory()
{
    const std::lock_guard<std::mutex> lock(g_factoryMutex);
    return g_factory;
}

} // namespace pelk
