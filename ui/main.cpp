#include "cpuinfo.h"

int main()
{
    CPUInfo::instance();
    return 0;
}
