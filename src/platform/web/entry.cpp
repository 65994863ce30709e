// The page's program: the main routine, run once the page has loaded. It returns only when
// start-up failed, and the page then says so.
#include "frontend/main.h"
#include "platform/web/page.h"

int main() {
    const int status = ZorvendaleMain();
    PageEnded(status);
    return status;
}
