#include "runio/runio.h"

int main()
{
    runio::mainprogram();
    return 0;
}
