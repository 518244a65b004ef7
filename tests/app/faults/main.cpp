// Test main of the fault tests: the mounts of their small disks stay in this process (taken
// first, while the process has one thread).
#include "qt_test.h"
#include "smalldisk.h"

int main(int argc, char** argv)
{
    SmallDisk::PrivateMounts();
    return TestSupport::RunQtTests(argc, argv);
}
