#include "app/app.h"

int main()
{
    app::mainprogram();
    return 0;
}
