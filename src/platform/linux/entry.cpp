// The process's entry on Linux: the program's main routine, whose result is the exit status.
#include "frontend/main.h"

int main() {
    return ZorvendaleMain();
}
