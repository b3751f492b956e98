#include "ui/VantrelApp.h"

int main(int argc, char** argv) {
    vantrel::VantrelApp app(argc, argv);
    return app.run();
}
