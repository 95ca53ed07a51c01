// Appends marks 1, 2, 3, … to the file named by its argument until it is killed; says
// "ready" once the first hundred are on the disk.
#include <QString>
#include <cstdio>

#include "accounts/marklog.h"

int main(int argc, char* argv[]) {
    if (argc != 2) {
        return 2;
    }
    const QString path = QString::fromLocal8Bit(argv[1]);
    for (long i = 1;; ++i) {
        if (!appendMarks(path, {QString::number(i)})) {
            return 1;
        }
        if (i == 100) {
            std::fputs("ready\n", stdout);
            std::fflush(stdout);
        }
    }
}
