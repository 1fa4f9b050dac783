#include "ExchangeKinds.h"

#include "customers/ObiektListQueue.h"

namespace pelk {

void RegisterExchangeKinds()
{
    RegisterCustomerQueues();
}

} // namespace pelk
