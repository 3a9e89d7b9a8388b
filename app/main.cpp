#include "app/ApplicationStartup.h"

int main(int argc, char** argv) {
    return runBrimlark(argc, argv);
}
