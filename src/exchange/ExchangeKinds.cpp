#include "ExchangeKinds.h"

#include "customers/ObiektListQueue.h"
#include "visits/WizytaListQueue.h"

namespace pelk {

void RegisterExchangeKinds()
{
    RegisterCustomerQueues();
    RegisterVisitQueues();
}

} // namespace pelk
