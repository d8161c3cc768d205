#include "framework/core/Platform.h"

#include <unistd.h>

#include <chrono>
#include <thread>

namespace qel {

String LocalHostName()
{
    // One byte more than gethostname may fill: a truncated name is not terminated.
    char name[256] = "";
    if (gethostname(name, sizeof name - 1) != 0) return "";
    return name;
}

void Sleep(Cardinal Milliseconds)
{
    if (Milliseconds == 0) {
        std::this_thread::yield();
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(Milliseconds));
}

Cardinal GetTickCount()
{
    const auto since = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<Cardinal>(std::chrono::duration_cast<std::chrono::milliseconds>(since).count());
}

}  // namespace qel
