#include "app/modules/mStartup.h"

int main(int argc, char **argv)
{
    return mStartup::run(argc, argv);
}
