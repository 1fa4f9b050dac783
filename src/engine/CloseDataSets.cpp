#include "CloseDataSets.h"

#include "db/Query.h"

namespace pelk {

void CloseDataSets(std::initializer_list<Query *> queries)
{
    for (Query *q : queries)
        if (q)
            q->Close();
}

} // namespace pelk
