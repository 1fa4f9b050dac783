#pragma once

namespace pelk {

// Registers the list queues of every exchange kind with the queue factory.
void RegisterExchangeKinds();

} // namespace pelk
