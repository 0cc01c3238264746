// Posts one cross-process notification from a process of its own, for the notification tests.
#include "foundation/NotifyCenter.h"

#include <cstdio>

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s name\n", argv[0]);
        return 2;
    }
    knvt::Error error;
    if (!knvt::NotifyCenter::post(QString::fromLocal8Bit(argv[1]), &error)) {
        std::fprintf(stderr, "%s\n", qPrintable(error.description()));
        return 1;
    }
    return 0;
}
