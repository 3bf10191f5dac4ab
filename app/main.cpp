#include "Startup.h"

int main(int argc, char** argv) {
    app::endProcess(app::run(argc, argv));
}
