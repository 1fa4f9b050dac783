#pragma once
// Leaves a module's queries closed (queue destructors use it).
#include <initializer_list>

namespace pelk {

class Query;

void CloseDataSets(std::initializer_list<Query *> queries);

} // namespace pelk
