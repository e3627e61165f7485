#include "link/wait_hook.h"

#include <mutex>

#include "orvex/orvex.h"

namespace orvex {

namespace {
std::mutex hookMutex;
Orvex_WaitHook hookFunction = nullptr;
void *hookContext = nullptr;
}  // namespace

bool waitHookInstalled() {
    std::lock_guard lock(hookMutex);
    return hookFunction != nullptr;
}

bool runWaitHook() {
    Orvex_WaitHook f;
    void *context;
    {
        std::lock_guard lock(hookMutex);
        f = hookFunction;
        context = hookContext;
    }
    if (!f) return false;
    f(context);
    return true;
}

}  // namespace orvex

extern "C" void Orvex_SetWaitHook(Orvex_WaitHook hook, void *context) {
    std::lock_guard lock(orvex::hookMutex);
    orvex::hookFunction = hook;
    orvex::hookContext = context;
}
