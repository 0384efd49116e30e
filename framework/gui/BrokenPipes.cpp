#include "BrokenPipes.h"

#include <signal.h>

void CatchBrokenPipes() noexcept
{
    struct sigaction action {};
    action.sa_handler = [](int) {};
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGPIPE, &action, nullptr);
}
