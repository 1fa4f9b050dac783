#include "ExchangeKinds.h"

#include "customers/ObiektListQueue.h"
#include "sales/SprzedazListQueue.h"

namespace pelk {

void RegisterExchangeKinds()
{
    RegisterCustomerQueues();
    RegisterSalesQueues();
}

} // namespace pelk
