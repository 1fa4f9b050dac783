#include "ExchangeKinds.h"

#include "customers/ObiektListQueue.h"
#include "sales/SprzedazListQueue.h"
#include "visits/WizytaListQueue.h"

namespace pelk {

void RegisterExchangeKinds()
{
    RegisterCustomerQueues();
    RegisterSalesQueues();
    RegisterVisitQueues();
}

} // namespace pelk
