#include "Views.h"

#include <QCoreApplication>
#include <QThread>

namespace pelk {

void ProcessPendingEvents()
{
    auto *app = QCoreApplication::instance();
    if (app && QThread::currentThread() == app->thread())
        QCoreApplication::processEvents();
}

} // namespace pelk
